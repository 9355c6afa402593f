#!/usr/bin/env bash
# zelcrm-oltd in front of emulated ZTE OLTs over SSH with the real driver,
# every device answer taking 200 ms:
#  - 8 concurrent onu_status.php to 8 different OLTs against one alone.
#    Target: time ratio <= 1.5.
#  - 50 onu_status.php one after another to one OLT against 50 times one
#    request on a logged-in session (no login per request). Target: <= 1.2.
#  - onu_status.php to one OLT while another hangs, against the same alone.
#    Target: delayed by <= 50 ms.
#   bench/oltd_devices.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target oltd_devices >/dev/null
b="$build/bench/oltd_devices"
"$b" parallel 200 | awk '{ printf "8 OLTs at once: one request %.0f ms   8 at once %.0f ms   ratio: %.2f (target <= 1.5)\n", $2, $4, $4 / $2 }'
"$b" sequential 200 50 | awk '{ printf "50 requests to one OLT: %.0f ms against 50 x %.0f ms (%d session held)   ratio: %.2f (target <= 1.2)\n", $4, $2, $6, $4 / (50 * $2) }'
"$b" hang 200 10 | awk '{ printf "beside a hanging OLT: %.0f ms against %.0f ms alone   delayed by: %.0f ms (target <= 50)\n", $4, $2, $4 - $2 }'
