# Sourced by the PostgreSQL benchmarks: a throwaway cluster for the run
# (scripts/pg-cluster, stopped on exit) and its databases. Needs $build (the
# build folder, with zelcrm-admin built).
admin="$build/tools/admin/zelcrm-admin"
work=$(mktemp -d)
chmod 755 "$work"
state="$work/cluster.state"
trap 'bash scripts/pg-cluster stop "$state"; rm -rf "$work"' EXIT
bash scripts/pg-cluster start "$state" "$admin" >/dev/null
host=$(cat "$state")
bindir=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
psql=("$bindir/psql" -h "$host" -U postgres -X -q)

conninfo() { echo "host=$host dbname=$1 user=postgres"; }

# write_ini NAME [LINES]: $work/NAME.ini, the client's [database] section for
# database NAME, then LINES (more sections) as they stand; owner-only.
write_ini() {
  printf '[database]\nbackend=postgresql\nprimary_server=%s\nsecondary_server=%s\nstatus_server=%s\npg_database=%s\npg_user=postgres\n%s' \
    "$host" "$host" "$host" "$1" "${2:-}" >"$work/$1.ini"
  chmod 600 "$work/$1.ini"
}

# make_db NAME [init-db options]: an empty database with the schema, made by
# zelcrm-admin init-db, and its INI file.
make_db() {
  "${psql[@]}" -d postgres -c "CREATE DATABASE $1"
  "$admin" init-db --postgresql "$(conninfo "$1")" "${@:2}" >/dev/null
  write_ini "$1"
}

seed() { "$admin" seed-synthetic --postgresql "$(conninfo "$1")" "${@:2}"; }
