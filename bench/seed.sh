#!/usr/bin/env bash
# Seeding benchmark: zelcrm-admin seed-synthetic with 1,000,000 subscribers
# and 1,000,000 complaints into a fresh temporary database, measured with
# /usr/bin/time -v. Prints the wall time, the peak memory and whether the run
# stayed under the 60 s budget (exit status 1 when it did not).
#
# Builds nothing: build the zelcrm-admin target first.
#   bench/seed.sh [BUILD_DIR]        (default: the repository's build/)
# SUBSCRIBERS, COMPLAINTS and SEED override the sizes and the seed.
set -euo pipefail

repo_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${1:-$repo_dir/build}
admin=$build_dir/tools/admin/zelcrm-admin
subscribers=${SUBSCRIBERS:-1000000}
complaints=${COMPLAINTS:-1000000}
seed=${SEED:-1}
budget=60

if [[ ! -x $admin ]]; then
    echo "seed.sh: $admin not found; build the zelcrm-admin target first" >&2
    exit 2
fi
if [[ ! -x /usr/bin/time ]]; then
    echo "seed.sh: /usr/bin/time is missing (Debian package: time)" >&2
    exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/zelcrm-seed.XXXXXX")
trap 'rm -rf "$work"' EXIT

/usr/bin/time -v -o "$work/time.txt" \
    "$admin" seed-synthetic "$work/seed.db" \
    --subscribers "$subscribers" --complaints "$complaints" --seed "$seed"

# "Elapsed (wall clock) time (h:mm:ss or m:ss): 0:34.40"
elapsed=$(awk -F': ' '/Elapsed \(wall clock\)/ {
    n = split($2, part, ":"); s = 0
    for (i = 1; i <= n; i++) s = s * 60 + part[i]
    printf "%.1f", s }' "$work/time.txt")
peak_kib=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
size_mib=$(du -m "$work/seed.db" | cut -f1)

echo "subscribers:  $subscribers"
echo "complaints:   $complaints"
echo "elapsed:      $elapsed s"
echo "peak memory:  $((peak_kib / 1024)) MiB"
echo "database:     $size_mib MiB"
if awk -v e="$elapsed" -v b="$budget" 'BEGIN { exit !(e < b) }'; then
    echo "result:       under ${budget} s"
else
    echo "result:       OVER ${budget} s"
    exit 1
fi
