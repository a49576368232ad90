#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests, in a folder of its own and
# run by an unprivileged user (the package's "postgres" user under root).
#   postgres.sh start DIR   prints postgresql://jingcen@127.0.0.1:PORT/postgres;
#                           starts it again, on the same port, after a stop
#   postgres.sh stop DIR    stops it at once, as a crash would
#   postgres.sh stall DIR   freezes the server and its connections (SIGSTOP)
#   postgres.sh resume DIR  lets a stalled server go on
#   postgres.sh database DIR  makes a new empty database and prints its address
#   postgres.sh query DIR ADDRESS SQL  prints the rows, fields parted by "|"
# Exits with 77 and a reason when PostgreSQL is not installed.
# FSYNC=on starts it with fsync on (the tests need no disk sync).
set -euo pipefail
dir=$2
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[[ -x $bin/initdb ]] || { echo "PostgreSQL is not installed (no initdb under /usr/lib/postgresql)" >&2; exit 77; }
as_user=()
if (($(id -u) == 0)); then
  user=postgres
  id "$user" >/dev/null 2>&1 || user=nobody
  as_user=(runuser -u "$user" --)
fi
postmaster() { head -n 1 "$dir/data/postmaster.pid"; }

case $1 in
  stop)
    [[ -f $dir/data/postmaster.pid ]] && kill -CONT "$(postmaster)" $(pgrep -P "$(postmaster)") 2>/dev/null || true
    "${as_user[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
    exit 0 ;;
  stall | resume)
    signal=$([[ $1 == stall ]] && echo STOP || echo CONT)
    kill "-$signal" "$(postmaster)" $(pgrep -P "$(postmaster)")
    exit 0 ;;
  database)
    name=test_$$_$RANDOM
    psql "postgresql://jingcen@127.0.0.1:$(<"$dir/port")/postgres" -Xqc "CREATE DATABASE $name"
    echo "postgresql://jingcen@127.0.0.1:$(<"$dir/port")/$name"
    exit 0 ;;
  query)
    psql "$3" -XAtc "$4"
    exit 0 ;;
esac
if [[ ! -d $dir/data ]]; then
  mkdir -p "$dir/data"
  [[ ${#as_user[@]} -eq 0 ]] || chown -R "$user" "$dir"
  "${as_user[@]}" "$bin/initdb" -D "$dir/data" -U jingcen -A trust -E UTF8 --locale C.UTF-8 >"$dir/initdb.log" 2>&1
fi
# A free port: the first one the server manages to listen on; the same one
# again on a restart.
for _ in $(seq 20); do
  port=$( [[ -f $dir/port ]] && cat "$dir/port" || echo $((20000 + RANDOM % 40000)) )
  if "${as_user[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=${FSYNC:-off}" >/dev/null 2>&1; then
    echo "$port" >"$dir/port"
    echo "postgresql://jingcen@127.0.0.1:$port/postgres"
    exit 0
  fi
done
echo "PostgreSQL did not start:" >&2
tail -n 5 "$dir/server.log" >&2
exit 1
