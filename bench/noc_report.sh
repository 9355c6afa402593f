#!/usr/bin/env bash
# The NOC performance report for one day at 1,000,000 complaints against the
# same report at 10,000 complaints. A daily report should cost what the day
# and the open backlog hold, not what the years before hold, so both
# databases share that day and that backlog: the large one is seeded, its
# complaints older than the newest 10,000 are closed (the seeder leaves 5% of
# its whole history open), and the small one is a copy holding only the newest
# 10,000. The day lies among them, near the end of the data, where a daily
# report is run. Median of 21 runs each, page cache warm. Target: ratio <= 2.
#   bench/noc_report.sh [BUILD_DIR]
# EXTRA_SQL, when set, runs on both databases before measuring (to try an index).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target noc_report zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
large="$work/large.db"
small="$work/small.db"
"$build/tools/admin/zelcrm-admin" seed-synthetic "$large" --subscribers 100000 --complaints 1000000 >/dev/null
sqlite3 "$large" "UPDATE complain SET status='CLOSED' WHERE status<>'CLOSED' AND
  id <= (SELECT max(id) - 10000 FROM complain)"
cp "$large" "$small"
sqlite3 "$small" "DELETE FROM complain WHERE id <= (SELECT max(id) - 10000 FROM complain); VACUUM"
if [[ -n ${EXTRA_SQL:-} ]]; then
  sqlite3 "$large" "$EXTRA_SQL"
  sqlite3 "$small" "$EXTRA_SQL"
fi
start="26-Jun-24 12:0 AM"
end="26-Jun-24 11:59 PM"

report() {
  QT_QPA_PLATFORM=offscreen "$build/bench/noc_report" "$1" "$start" "$end" 2> "$work/err" ||
    { cat "$work/err" >&2; return 1; }
}
report "$small" > "$work/small"
report "$large" > "$work/large"
echo "period: $start to $end"
echo "10,000 complaints:    $(head -1 "$work/small")"
echo "1,000,000 complaints: $(head -1 "$work/large")"
awk -v small="$(awk 'END { print $3 }' "$work/small")" \
    -v large="$(awk 'END { print $3 }' "$work/large")" 'BEGIN {
  printf "report at 10,000: %.4f s   at 1,000,000: %.4f s   time ratio: %.2f (target <= 2)\n",
         small, large, large / small
}'
