#!/usr/bin/env bash
# The complaint register's subscriber search at 1,000,000 subscribers against
# the same search at 1,000, each database with as many complaints as
# subscribers. Median of one search over 400 subscribers spread over the
# table (by id, indicator, billing account and mobile in turn), page cache
# warm. Target: time ratio <= 2.
#   bench/subscriber_search.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target subscriber_search zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The offscreen platform's chatter goes to a file, shown only on failure.
median_ms() {
  QT_QPA_PLATFORM=offscreen "$build/bench/subscriber_search" "$1" 400 2> "$work/err" ||
    { cat "$work/err" >&2; return 1; }
}

for n in 1000 1000000; do
  "$build/tools/admin/zelcrm-admin" seed-synthetic "$work/s$n.db" --subscribers "$n" \
    --complaints "$n" >/dev/null
  median_ms "$work/s$n.db" > /dev/null # warm the page cache
  median_ms "$work/s$n.db" | awk '{ print $4 }' > "$work/t$n"
done

awk -v small="$(cat "$work/t1000")" -v large="$(cat "$work/t1000000")" 'BEGIN {
  printf "search at 1,000 subscribers: %.3f ms   at 1,000,000: %.3f ms   time ratio: %.2f (target <= 2)\n",
         small, large, large / small
}'
