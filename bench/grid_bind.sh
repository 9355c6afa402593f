#!/usr/bin/env bash
# Time and peak memory of binding the closed complaints of the synthetic data
# (1,000,000 rows, 18 columns) into the query grid, against `sqlite3 -csv`
# printing the same answer. Targets: time ratio <= 3, memory <= 2 x CSV + 100 MB.
#   bench/grid_bind.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target grid_bind zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="$work/bench.db"
"$build/tools/admin/zelcrm-admin" seed-synthetic "$db" --subscribers 1000000 --complaints 1000000 >/dev/null
query="select * from complain where status='CLOSED'"
rows=$(sqlite3 "$db" "select count(*) from complain where status='CLOSED'")

sqlite3 -csv "$db" "$query" > "$work/answer.csv"   # warm the page cache
csv_bytes=$(stat -c %s "$work/answer.csv")
start=$(date +%s.%N)
sqlite3 -csv "$db" "$query" > /dev/null
csv_s=$(echo "$(date +%s.%N) - $start" | bc -l)

/usr/bin/time -f "%M" -o "$work/rss" "$build/bench/grid_bind" "$db" "$query" > "$work/out"
grid_s=$(awk '{print $6}' "$work/out")
rss_kb=$(cat "$work/rss")

awk -v rows="$rows" -v csv_s="$csv_s" -v grid_s="$grid_s" -v rss_kb="$rss_kb" -v csv="$csv_bytes" 'BEGIN {
  limit = 2 * csv + 100 * 1024 * 1024
  printf "closed complaints: %d rows, CSV %.1f MB\n", rows, csv / 1048576
  printf "sqlite3 -csv: %.2f s   grid bind: %.2f s   time ratio: %.2f (target <= 3)\n", csv_s, grid_s, grid_s / csv_s
  printf "peak memory: %.1f MB   limit: %.1f MB   memory ratio: %.2f (target <= 1)\n", rss_kb / 1024, limit / 1048576, rss_kb * 1024 / limit
}'
