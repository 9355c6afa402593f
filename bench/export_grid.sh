#!/usr/bin/env bash
# Exporting a grid of 100,000 complaints (18 columns) to the clipboard and a
# new workbook, against writing the same cells as a plain CSV file. Median of
# three runs each. Target: time ratio <= 4.
#   bench/export_grid.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target export_grid zelcrm-admin >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db="$work/bench.db"
"$build/tools/admin/zelcrm-admin" seed-synthetic "$db" --subscribers 10000 --complaints 100000 >/dev/null

QT_QPA_PLATFORM=offscreen "$build/bench/export_grid" "$db" "select * from complain" \
  > "$work/out" 2> "$work/err" || { cat "$work/err" >&2; exit 1; }
awk 'NR == 1 { rows = $2; columns = $4; bytes = $6 }
     NR == 2 { csv = $2; xlsx = $4; text = $6; book = $8 }
     END {
  printf "grid: %d rows, %d columns, CSV %.1f MB\n", rows, columns, bytes / 1048576
  printf "plain CSV: %.3f s   export: %.3f s   time ratio: %.2f (target <= 4)\n",
         csv, xlsx, xlsx / csv
  printf "of the export: clipboard text %.3f s, workbook %.3f s\n", text, book
}' "$work/out"
