#!/usr/bin/env bash
# Registering a customer must not slow down as the customer table grows: the
# median registration (SUBMIT's database work: duplicate check, customer and
# complaint rows, inner VLAN) into a database of 1,000,000 subscribers may take
# at most 1.5 times as long as into one of 1,000. Both are seeded fresh into a
# temporary folder and measured in one run. Exit status 1 when over target.
#   bench/register_customer.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
runs="${2:-21}"
cmake --build "$build" --target register_customer zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
admin="$build/tools/admin/zelcrm-admin"
"$admin" seed-synthetic "$work/small.db" --subscribers 1000 --complaints 0 >/dev/null
"$admin" seed-synthetic "$work/large.db" --subscribers 1000000 --complaints 0 >/dev/null
# Half a gigabyte just written would otherwise still be going to disk while
# the first registrations wait on their own flushes.
sync
"$build/bench/register_customer" "$work/small.db" "$work/large.db" "$runs"
