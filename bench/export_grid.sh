#!/usr/bin/env bash
# Exporting a grid of 100,000 complaints (18 columns) to the clipboard and a
# new workbook, against libxlsxwriter alone writing the same cells; and the
# longest pause of the UI thread during the export. Median of five runs
# each, taken in turn. Targets: time ratio <= 1.2, longest pause <= 100 ms.
#   bench/export_grid.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target export_grid zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="$work/bench.db"
"$build/tools/admin/zelcrm-admin" seed-synthetic "$db" --subscribers 10000 --complaints 100000 >/dev/null

QT_QPA_PLATFORM=offscreen "$build/bench/export_grid" "$db" "select * from complain" 5 \
  > "$work/out" 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
awk 'NR == 1 { rows = $2; columns = $4; bytes = $6 }
     NR == 2 { alone = $2; xlsx = $4; pause = $6 }
     END {
  printf "grid: %d rows, %d columns, workbook %.1f MB\n", rows, columns, bytes / 1048576
  printf "libxlsxwriter alone: %.3f s   export: %.3f s   time ratio: %.2f (target <= 1.2)\n",
         alone, xlsx, xlsx / alone
  printf "longest UI-thread pause during the export: %.0f ms (target <= 100)\n", pause * 1000
}' "$work/out"
