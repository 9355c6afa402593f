#!/usr/bin/env bash
# zelcrm-oltd's pages over loopback HTTP, on simulated networks seeded with
# `zelcrm-oltd seed-sim` (10 OLTs each):
#  - onu_mac.php by the last two octets of 2,000 random ONUs (one client,
#    medians) at 100,000 ONUs against 1,000. Target: time ratio <= 1.5.
#  - onu_status.php with 64 concurrent keep-alive clients over 1,000 ONUs of
#    the 100,000, against the same HTTP server (libmicrohttpd) serving a
#    static page of the same size to the same clients, in alternating turns.
#    Target: rate ratio >= 0.5.
#  - onu_status.php from a second client address (127.0.0.2, a connection
#    each) while 127.0.0.1 holds 1,000 idle or half-sent connections, against
#    the same on an idle service (medians of 2,000). Target: time ratio <= 1.5.
#   bench/oltd_pages.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target oltd_pages zelcrm-oltd >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for n in 1000 100000; do
  "$build/tools/oltd/zelcrm-oltd" seed-sim --sim "$work/n$n.db" --olts 10 --onus "$n"
  "$build/bench/oltd_pages" mac "$work/n$n.db" 2000 > /dev/null # warm the page cache
  "$build/bench/oltd_pages" mac "$work/n$n.db" 2000 | awk '{ print $2 }' > "$work/t$n"
done
"$build/bench/oltd_pages" throughput "$work/n100000.db" 12 64 > "$work/rates"
"$build/bench/oltd_pages" flood "$work/n100000.db" 2000 1000 > "$work/flood"

awk -v small="$(cat "$work/t1000")" -v large="$(cat "$work/t100000")" 'BEGIN {
  printf "onu_mac.php at 1,000 ONUs: %.3f ms   at 100,000: %.3f ms   ratio: %.2f (target <= 1.5)\n",
         small, large, large / small
}'
awk '{ printf "onu_status.php: %d requests/s   static page of %d bytes: %d requests/s   ratio: %.2f (target >= 0.5)\n",
       $2, $6, $4, $2 / $4 }' "$work/rates"
awk '{ printf "onu_status.php from a second client: idle service %.3f ms   beside 1,000 held connections %.3f ms (%d still open)   ratio: %.2f (target <= 1.5)\n",
       $2, $4, $6, $4 / $2 }' "$work/flood"
