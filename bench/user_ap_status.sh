#!/usr/bin/env bash
# Choosing a circle on the user and AP status screen at 1,000,000 subscribers
# (service FTTH chosen first), against the sqlite3 shell running the same
# status query into /dev/null. Median of five runs each, page cache warm.
# Target: time ratio <= 1.5.
#   bench/user_ap_status.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target user_ap_status zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="$work/bench.db"
"$build/tools/admin/zelcrm-admin" init-db "$db" --demo >/dev/null
"$build/tools/admin/zelcrm-admin" seed-synthetic "$db" --subscribers 1000000 --complaints 0 \
  >/dev/null
circle=KERALA
query="select STATUS,POLICY from cdata where circle='$circle' AND SERVICE='FTTH'"

. bench/screen_timing.sh

sqlite3 "$db" "$query" > /dev/null # warm the page cache
for _ in 1 2 3 4 5; do
  start=$(date +%s.%N)
  sqlite3 "$db" "$query" > /dev/null
  echo "$(date +%s.%N) - $start" | bc -l
done | median > "$work/shell"

# The offscreen platform's chatter goes to a file, shown only on failure.
screen() {
  QT_QPA_PLATFORM=offscreen "$build/bench/user_ap_status" "$db" "$circle" FTTH 2> "$work/err" ||
    { cat "$work/err" >&2; return 1; }
}
for _ in 1 2 3 4 5; do screen | awk '{ print $5 }'; done | median > "$work/screen"
tallied=$(screen | awk '{ print $3 }')

awk -v rows="$tallied" -v shell_s="$(cat "$work/shell")" -v screen_s="$(cat "$work/screen")" \
    'BEGIN {
  printf "subscribers tallied: %d (FTTH in the circle, of 1000000)\n", rows
  printf "sqlite3: %.3f s   circle choice: %.3f s   time ratio: %.2f (target <= 1.5)\n",
         shell_s, screen_s, screen_s / shell_s
}'
