#!/usr/bin/env bash
# bench/register_customer.sh on PostgreSQL: the median registration (SUBMIT's
# database work) into a database of 1,000,000 subscribers against one of
# 1,000, both on a throwaway cluster (scripts/pg-cluster: a Unix socket, and
# fsync off, so the figure is the server's work, not this machine's disk).
# The databases are made by zelcrm-admin init-db --postgresql and seeded by
# seed-synthetic --postgresql. Exit status 1 when over the 1.5x target.
#   bench/register_customer_pg.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-21}"
cmake --build "$build" --target register_customer zelcrm-admin >/dev/null
. bench/pg_cluster_bench.sh
for size in small:1000 large:1000000; do
  name=zb_${size%%:*}
  make_db "$name"
  seed "$name" --subscribers "${size##*:}" --complaints 0
  "${psql[@]}" -d "$name" -c "VACUUM ANALYZE"
done
"$build/bench/register_customer" "$work/zb_small.ini" "$work/zb_large.ini" "$runs"
