#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the test suite, from Debian's postgresql
# package: initdb in a temporary folder as an unprivileged user, listening
# only on a Unix socket in that folder, on a free port number.
#
#   scripts/pgcluster.sh start DIR [--durable]
#                                    prints the connection (FOLHA_TEST_PG=...)
#   scripts/pgcluster.sh stop DIR    stops it and removes DIR
#
# The tests' cluster does not wait for the disk (fsync, synchronous_commit
# and full_page_writes off): it lives for one test run. For benchmarks,
# `--durable` (or FOLHA_PG_DURABLE=1 in the environment) starts it with the
# server's own durability (fsync, synchronous commits and full-page writes
# on), so that every commit waits for its WAL to reach the disk as in an
# office's server. DIR should then lie on a real disk, not on a tmpfs, where
# fsync costs nothing.
set -euo pipefail

cmd="${1:-}"
dir="${2:-}"
durable="${FOLHA_PG_DURABLE:-0}"
if [ "${3:-}" = "--durable" ]; then
  durable=1
elif [ -n "${3:-}" ]; then
  echo "uso: $0 start DIR [--durable] | stop DIR" >&2
  exit 2
fi
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "uso: $0 start DIR [--durable] | stop DIR" >&2
  exit 2
fi

bindir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)"
if [ -z "$bindir" ]; then
  echo "PostgreSQL não encontrado (pacote postgresql)" >&2
  exit 1
fi

# initdb and the server refuse to run as root: they run as "postgres".
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

free_port() {
  local p
  for p in $(seq 54320 54420); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null && [ ! -e "$dir/.s.PGSQL.$p" ]; then
      echo "$p"
      return
    fi
  done
  echo 54399
}

case "$cmd" in
start)
  mkdir -p "$dir"
  if [ "$(id -u)" -eq 0 ]; then chown postgres "$dir"; fi
  chmod 0755 "$dir"
  as_owner "$bindir/initdb" -D "$dir/data" -U folha --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  port="$(free_port)"
  # Only the socket in DIR; durability off unless asked for: the tests'
  # cluster lives for one test run.
  if [ "$durable" = "1" ]; then
    durability="-c fsync=on -c synchronous_commit=on -c full_page_writes=on"
  else
    durability="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  fi
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-p $port -k $dir -c listen_addresses= $durability -c max_connections=300" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  echo "host=$dir port=$port dbname=postgres user=folha"
  ;;
stop)
  if [ -d "$dir/data" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "uso: $0 start DIR [--durable] | stop DIR" >&2
  exit 2
  ;;
esac
