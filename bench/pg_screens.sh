#!/usr/bin/env bash
# Opening the open-complaint board and the site fault screen on PostgreSQL,
# against `psql -A -F,` printing the same answer; both in one run:
# - the board on 1,000,000 complaints of which 10,000 are open;
# - the site fault screen on 1,000,000 tickets of which 10,000 are open, with
#   the demo data for its circles.
# Both databases live on one throwaway cluster (scripts/pg-cluster: a Unix
# socket, fsync off), made by zelcrm-admin init-db --postgresql and seeded by
# seed-synthetic --postgresql; seeding takes minutes. Medians of five runs
# each, after a warm-up. Target: time ratio <= 1.5.
#   bench/pg_screens.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" --target screen_open zelcrm-admin >/dev/null
. bench/pg_cluster_bench.sh
count() { "${psql[@]}" -d "$1" -t -A -c "$2"; }

make_db zb_board
seed zb_board --subscribers 100000 --complaints 1000000 >/dev/null
# The seeder leaves about one complaint in fifty open; keep the newest 10,000.
"${psql[@]}" -d zb_board -c "UPDATE complain SET status='CLOSED' WHERE status<>'CLOSED' AND id NOT IN
  (SELECT id FROM complain WHERE status<>'CLOSED' ORDER BY id DESC LIMIT 10000)"
make_db zb_faults --demo
# seed-synthetic --postgresql copies its tickets with their own numbers, from
# 1 up, and the demo's four tickets already hold the first of them; they move
# past the seeded range (nothing here adds a ticket after them).
"${psql[@]}" -d zb_faults -c 'UPDATE bts_fault SET "fault id" = "fault id" + 1000000'
seed zb_faults --subscribers 0 --complaints 0 --tickets 1000000 >/dev/null
for db in zb_board zb_faults; do "${psql[@]}" -d "$db" -c "VACUUM ANALYZE"; done

# The screens' own statements. Their names carry no brackets, so the client
# sends them to PostgreSQL as written, and the server folds them to the lower
# case the schema uses; psql gets the same text.
board_query="select *  from complain where Status <>'CLOSED' order by pending desc"
faults_query="select * from BTS_FAULT where STATUS<>'CLOSED'"

. bench/screen_timing.sh
psql_csv=("${psql[@]}" -A -F,)
opening_against "psql -A -F," 1.5 Form4 "$work/zb_board.ini" "open complaints" \
  "$(count zb_board "select count(*) from complain where status<>'CLOSED'")" \
  "$(count zb_board "select count(*) from complain")" \
  "${psql_csv[@]}" -d zb_board -c "$board_query"
opening_against "psql -A -F," 1.5 Form8 "$work/zb_faults.ini" "open tickets" \
  "$(count zb_faults "select count(*) from BTS_FAULT where STATUS<>'CLOSED'")" \
  "$(count zb_faults "select count(*) from BTS_FAULT")" \
  "${psql_csv[@]}" -d zb_faults -c "$faults_query"
