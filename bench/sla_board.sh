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

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

sqlite3 -csv "$db" "$query" > /dev/null # warm the page cache
for _ in 1 2 3 4 5; do
  start=$(date +%s.%N)
  sqlite3 -csv "$db" "$query" > /dev/null
  echo "$(date +%s.%N) - $start" | bc -l
done | median > "$work/csv"

# The offscreen platform's chatter goes to a file, shown only on failure.
board() {
  QT_QPA_PLATFORM=offscreen "$build/bench/screen_open" Form5 "$db" 2> "$work/err" ||
    { cat "$work/err" >&2; return 1; }
}
for _ in 1 2 3 4 5; do board | awk '{ print $4 }'; done | median > "$work/board"
board_rows=$(board | awk '{ print $2 }')

awk -v rows="$not_closed" -v shown="$board_rows" -v csv_s="$(cat "$work/csv")" \
    -v board_s="$(cat "$work/board")" 'BEGIN {
  printf "outages not closed: %d of 1000000, board shows %d rows\n", rows, shown
  printf "sqlite3 -csv: %.3f s   board opening: %.3f s   time ratio: %.2f (target <= 3)\n",
         csv_s, board_s, board_s / csv_s
}'
