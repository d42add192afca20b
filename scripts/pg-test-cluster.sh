#!/usr/bin/env bash
# A throw-away PostgreSQL 15 cluster for the tests.
#
#   eval "$(scripts/pg-test-cluster.sh start)"   # exports BALTERO_TEST_PG, BALTERO_TEST_PG_DIR
#   scripts/pg-test-cluster.sh stop [DIR]        # DIR defaults to $BALTERO_TEST_PG_DIR
#
# start makes a cluster in a new temporary folder (its Unix socket lives
# there too) listening on a free loopback port, with a role "baltero" that
# may create databases (each server test makes its own) and a database
# "baltero", and prints the export lines. The cluster belongs to the
# "postgres" user when run as root. Durability is switched off: the data is
# thrown away.
set -euo pipefail

bindir=""
for candidate in /usr/lib/postgresql/15/bin $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
  if [ -x "$candidate/initdb" ]; then bindir="$candidate"; break; fi
done
if [ -z "$bindir" ]; then
  echo "pg-test-cluster: PostgreSQL's server programs are not installed (postgresql-15)" >&2
  exit 1
fi

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

start() {
  local dir port password
  dir="$(mktemp -d "${TMPDIR:-/tmp}/baltero-pg.XXXXXX")"
  chmod 700 "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown postgres:postgres "$dir"; fi
  password="$(head -c 18 /dev/urandom | base64 | tr -d '/+=')"
  as_owner "$bindir/initdb" -D "$dir/data" -E UTF8 --locale=C.UTF-8 --auth-local=peer \
    --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; exit 1; }
  # No autovacuum: its workers belong to the superuser, and a test's
  # DROP DATABASE ... WITH (FORCE) may not end them. The bench analyses
  # its own tables.
  # A free port: the first of a few random ones the server manages to bind.
  for _ in $(seq 1 20); do
    port=$((20000 + RANDOM % 30000))
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
        -o "-k $dir -p $port -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200 -c autovacuum=off" \
        start >/dev/null 2>&1; then
      break
    fi
    port=""
  done
  if [ -z "$port" ]; then
    cat "$dir/server.log" >&2 || true
    echo "pg-test-cluster: the server did not start" >&2
    exit 1
  fi
  local superuser
  superuser="$(as_owner id -un)"
  as_owner "$bindir/psql" -h "$dir" -p "$port" -U "$superuser" -d postgres -v ON_ERROR_STOP=1 -q \
    -c "CREATE ROLE baltero LOGIN CREATEDB CREATEROLE PASSWORD '$password'" \
    -c "CREATE DATABASE baltero OWNER baltero" >/dev/null
  echo "export BALTERO_TEST_PG_DIR='$dir'"
  echo "export BALTERO_TEST_PG='Provider=PostgreSQL;Host=127.0.0.1;Port=$port;Database=baltero;User=baltero;Password=$password'"
}

stop() {
  local dir="${1:-${BALTERO_TEST_PG_DIR:-}}"
  if [ -z "$dir" ] || [ ! -d "$dir" ]; then
    echo "pg-test-cluster: no cluster folder to stop" >&2
    exit 1
  fi
  as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) shift; stop "${1:-}" ;;
  *) echo "usage: $0 start|stop [DIR]" >&2; exit 2 ;;
esac
