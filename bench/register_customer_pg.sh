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
admin="$build/tools/admin/zelcrm-admin"
work=$(mktemp -d)
chmod 755 "$work"
state="$work/cluster.state"
trap 'bash scripts/pg-cluster stop "$state"; rm -rf "$work"' EXIT
bash scripts/pg-cluster start "$state" "$admin" >/dev/null
host=$(cat "$state")
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
for size in small:1000 large:1000000; do
  name=${size%%:*}
  subscribers=${size##*:}
  "$bindir/psql" -h "$host" -U postgres -d postgres -q -X -c "CREATE DATABASE zb_$name"
  conninfo="host=$host dbname=zb_$name user=postgres"
  "$admin" init-db --postgresql "$conninfo" >/dev/null
  "$admin" seed-synthetic --postgresql "$conninfo" --subscribers "$subscribers" --complaints 0
  "$bindir/psql" -h "$host" -U postgres -d "zb_$name" -q -X -c "VACUUM ANALYZE"
  printf '[database]\nbackend=postgresql\nprimary_server=%s\nsecondary_server=%s\nstatus_server=%s\npg_database=zb_%s\npg_user=postgres\n' \
    "$host" "$host" "$host" "$name" >"$work/$name.ini"
  chmod 600 "$work/$name.ini"
done
"$build/bench/register_customer" "$work/small.ini" "$work/large.ini" "$runs"
