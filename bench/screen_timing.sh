# Sourced by the benchmarks that time a screen against the sqlite3 shell.
# Needs $build (the build folder) and $work (a scratch folder).

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Median seconds of five runs of `sqlite3 -csv DB QUERY`, after one that warms
# the page cache.
csv_seconds() {
  sqlite3 -csv "$1" "$2" > /dev/null
  for _ in 1 2 3 4 5; do
    local start
    start=$(date +%s.%N)
    sqlite3 -csv "$1" "$2" > /dev/null
    echo "$(date +%s.%N) - $start" | bc -l
  done | median
}

# One opening of screen FORM on DB: "rows N seconds S". The offscreen
# platform's chatter goes to a file, shown only on failure.
open_screen() {
  QT_QPA_PLATFORM=offscreen "$build/bench/screen_open" "$1" "$2" 2> "$work/err" ||
    { cat "$work/err" >&2; return 1; }
}

# Median seconds of five openings of FORM on DB.
screen_seconds() {
  for _ in 1 2 3 4 5; do open_screen "$1" "$2" | awk '{ print $4 }'; done | median
}

# Times the opening of screen FORM on DB against `sqlite3 -csv` printing its
# QUERY and prints both with their ratio (target <= 3), after a line saying
# how many of the rows (WHAT: ROWS of ALL) the screen shows.
#   opening_against_csv FORM DB QUERY WHAT ROWS ALL
opening_against_csv() {
  local csv screen shown
  csv=$(csv_seconds "$2" "$3")
  screen=$(screen_seconds "$1" "$2")
  shown=$(open_screen "$1" "$2" | awk '{ print $2 }')
  awk -v what="$4" -v rows="$5" -v all="$6" -v shown="$shown" -v csv_s="$csv" \
      -v screen_s="$screen" 'BEGIN {
    printf "%s: %d of %d, the screen shows %d rows\n", what, rows, all, shown
    printf "sqlite3 -csv: %.3f s   screen opening: %.3f s   time ratio: %.2f (target <= 3)\n",
           csv_s, screen_s, screen_s / csv_s
  }'
}
