# Sourced by the benchmarks that time a screen against a database's own shell
# (sqlite3, psql) printing the same answer.
# Needs $build (the build folder) and $work (a scratch folder).

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# Seconds one run of COMMAND takes, its output thrown away.
#   command_seconds COMMAND [ARG...]
command_seconds() {
  local start
  start=$(date +%s.%N)
  "$@" > /dev/null
  echo "$(date +%s.%N) - $start" | bc -l
}

# One opening of screen FORM on DB (a database file, or an INI file whose
# [database] section names a server): "rows N seconds S". The offscreen
# platform's chatter goes to a file, shown only on failure.
open_screen() {
  QT_QPA_PLATFORM=offscreen "$build/bench/screen_open" "$1" "$2" 2> "$work/err" ||
    { cat "$work/err" >&2; return 1; }
}

# Times the opening of screen FORM on DB against COMMAND printing the same
# answer, and prints both (the command as LABEL) with their ratio and TARGET,
# after a line saying how many of the rows (WHAT: ROWS of ALL) the screen
# shows. Medians of five each, after one warm-up run of each; the two take
# turns, so a build starting on the machine meanwhile slows both alike.
#   opening_against LABEL TARGET FORM DB WHAT ROWS ALL COMMAND [ARG...]
opening_against() {
  local label=$1 target=$2 form=$3 db=$4 what=$5 rows=$6 all=$7
  shift 7
  "$@" > /dev/null
  open_screen "$form" "$db" > "$work/opened"
  : > "$work/command_times"
  : > "$work/screen_times"
  for _ in 1 2 3 4 5; do
    command_seconds "$@" >> "$work/command_times"
    open_screen "$form" "$db" | awk '{ print $4 }' >> "$work/screen_times"
  done
  awk -v label="$label" -v target="$target" -v what="$what" -v rows="$rows" -v all="$all" \
      -v shown="$(awk '{ print $2 }' "$work/opened")" \
      -v command_s="$(median < "$work/command_times")" \
      -v screen_s="$(median < "$work/screen_times")" 'BEGIN {
    printf "%s: %d of %d, the screen shows %d rows\n", what, rows, all, shown
    printf "%s: %.3f s   screen opening: %.3f s   time ratio: %.2f (target <= %s)\n",
           label, command_s, screen_s, screen_s / command_s, target
  }'
}

# The same against `sqlite3 -csv DB QUERY`, target 3.
#   opening_against_csv FORM DB QUERY WHAT ROWS ALL
opening_against_csv() {
  opening_against "sqlite3 -csv" 3 "$1" "$2" "$4" "$5" "$6" sqlite3 -csv "$2" "$3"
}
