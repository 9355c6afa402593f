#!/usr/bin/env bash
# Opening the SLA board on 1,000,000 outages of which 10,000 are not closed,
# against `sqlite3 -csv` printing the same ordered answer. Median of five
# runs each, page cache warm. Target: time ratio <= 3.
#   bench/sla_board.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target screen_open zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="$work/bench.db"
"$build/tools/admin/zelcrm-admin" seed-synthetic "$db" --subscribers 0 --complaints 0 \
  --outages 1000000 >/dev/null
query="select * from olt_status where Status <>'CLOSED' order by fault_id desc"
not_closed=$(sqlite3 "$db" "select count(*) from olt_status where status<>'CLOSED'")

. bench/screen_timing.sh
opening_against_csv Form5 "$db" "$query" "outages not closed" "$not_closed" 1000000
