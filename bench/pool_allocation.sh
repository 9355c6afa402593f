#!/usr/bin/env bash
# Allocations per second from the three pools (inner VLAN pairs through the
# registration, voice IPs through their screen, free equipment rows through
# the equipment details screen) with 2 and with 8 workstations allocating at
# once against one SQLite file, each a separate process
# (tests/reliability/pool_driver). Every process starts on the same first
# free entry, so most attempts race. Afterwards the owners in the database are
# compared with what the workstations were told: a double is an entry given to
# two, or an allocation told but not stored. An attempt that failed (the
# operator saw the database's message, nothing was written) is counted and its
# message shown. Exit status 1 on any double.
#   bench/pool_allocation.sh [BUILD_DIR] [ATTEMPTS_PER_PROCESS]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
attempts="${2:-1000}"
cmake --build "$build" --target pool_driver >/dev/null
driver="$build/tests/reliability/pool_driver"
export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
declare -A owners=(
  [vlan]="select ID from OLT where ID<>'NA'"
  [voip]="select ID from VOIP where ID<>'NA'"
  [equipment]="select SITE_NAME from bts where SITE_NAME<>'NA'")
for procs in 2 8; do
  for pool in vlan voip equipment; do
    db="$work/$pool-$procs.db"
    # Room for every attempt: the figure is of allocations, not of an empty pool.
    "$driver" seed "$db" $((procs * attempts)) 2>/dev/null
    start=$(date +%s.%N)
    for p in $(seq 1 "$procs"); do
      "$driver" "$pool" "$db" "w$p" "$attempts" >"$work/$pool-$procs-$p.out" 2>/dev/null &
    done
    wait
    end=$(date +%s.%N)
    cat "$work/$pool-$procs"-*.out | sed -n 's/^+ //p' | sort >"$work/told"
    sqlite3 "$db" "${owners[$pool]}" | sort >"$work/held"
    allocated=$(wc -l <"$work/told")
    refused=$(cat "$work/$pool-$procs"-*.out | grep -c '^- ' || true)
    failed=$(cat "$work/$pool-$procs"-*.out | grep -c '^! ' || true)
    doubles=$( (comm -3 "$work/told" "$work/held"; sort "$work/held" | uniq -d) | wc -l)
    rate=$(echo "$allocated / ($end - $start)" | bc -l)
    printf '%-9s %d processes: %6.1f allocations/s (%d allocated, %d refused, %d failed, doubles %d)\n' \
      "$pool" "$procs" "$rate" "$allocated" "$refused" "$failed" "$doubles"
    cat "$work/$pool-$procs"-*.out | sed -n 's/^! [^ ]* /          failed: /p' | sort | uniq -c
    if [ "$doubles" -ne 0 ]; then status=1; fi
  done
done
exit $status
