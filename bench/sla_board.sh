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
csv_seconds "$db" "$query" > "$work/csv"
screen_seconds Form5 "$db" > "$work/board"
board_rows=$(open_screen Form5 "$db" | awk '{ print $2 }')

awk -v rows="$not_closed" -v shown="$board_rows" -v csv_s="$(cat "$work/csv")" \
    -v board_s="$(cat "$work/board")" 'BEGIN {
  printf "outages not closed: %d of 1000000, board shows %d rows\n", rows, shown
  printf "sqlite3 -csv: %.3f s   board opening: %.3f s   time ratio: %.2f (target <= 3)\n",
         csv_s, board_s, board_s / csv_s
}'
