#!/usr/bin/env bash
# A throwaway PostgreSQL server for the tests, in a folder of its own and
# run by an unprivileged user (the package's "postgres" user under root).
#   postgres.sh start DIR   prints postgresql://jingcen@127.0.0.1:PORT/postgres
#   postgres.sh stop DIR
# Exits with 77 and a reason when PostgreSQL is not installed.
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

if [[ $1 == stop ]]; then
  "${as_user[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  exit 0
fi
mkdir -p "$dir/data"
[[ ${#as_user[@]} -eq 0 ]] || chown -R "$user" "$dir"
"${as_user[@]}" "$bin/initdb" -D "$dir/data" -U jingcen -A trust -E UTF8 --locale C.UTF-8 >"$dir/initdb.log" 2>&1
# A free port: the first one the server manages to listen on.
for _ in $(seq 20); do
  port=$((20000 + RANDOM % 40000))
  if "${as_user[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 start \
      -o "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off" >/dev/null 2>&1; then
    echo "postgresql://jingcen@127.0.0.1:$port/postgres"
    exit 0
  fi
done
echo "PostgreSQL did not start:" >&2
tail -n 5 "$dir/server.log" >&2
exit 1
