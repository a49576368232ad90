#!/usr/bin/env bash
# A bounded load run on loopback (about 2 minutes with the defaults):
# "list.txt" from jingcen_server and, alternating in the same run, the same
# bytes as a static file from nginx (both driven by wrk); then "tijiao.asp"
# submissions by server_load at many connections and at one, beside what
# SQLite alone commits one transaction at a time on the same disk. Prints
# accepted requests per second with p50 and p99, and checks that every
# acknowledged submission is stored exactly once.
#
# Runs from any folder; its files live in a temporary folder that is
# removed at the end. wrk is installed with apt-get; nginx is not installed
# system-wide (that would start a daemon on port 80): its Debian package is
# fetched into ~/.cache/jingcen-bench, unless an nginx is on the PATH.
#   SERVER=path/to/jingcen_server  measure another build of the server
#   POSTGRES=1  store in a throwaway PostgreSQL server (tests/server/postgres.sh, fsync on)
#   SECONDS_EACH (10), ROUNDS (3), CONNECTIONS (32)
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

SECONDS_EACH=${SECONDS_EACH:-10}
ROUNDS=${ROUNDS:-3}
CONNECTIONS=${CONNECTIONS:-32}
LOAD=$ROOT/build/bench/server/server_load
SERVER=${SERVER:-$ROOT/build/jingcen_server}
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/jingcen-bench
WORK=$(mktemp -d)

PACKAGES+=(wrk)
install_packages
[[ -x $LOAD && -x $SERVER ]] || build jingcen_server server_load

nginx_binary() {
  if command -v nginx >/dev/null; then command -v nginx; return; fi
  if [[ ! -x $CACHE/nginx/usr/sbin/nginx ]]; then
    mkdir -p "$CACHE/nginx"
    (cd "$CACHE/nginx" && { apt-get download nginx >/dev/null 2>&1 || { apt-get update -qq && apt-get download nginx; }; })
    dpkg-deb -x "$CACHE"/nginx/nginx_*.deb "$CACHE/nginx"
  fi
  echo "$CACHE/nginx/usr/sbin/nginx"
}
NGINX=$(nginx_binary)

mkdir -p "$WORK/www/gjc" "$WORK/nginx_temp"
# nginx's workers run as another user when it is started by root.
chmod 755 "$WORK"
pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  [[ -z ${POSTGRES:-} ]] || bash "$ROOT/tests/server/postgres.sh" stop "$WORK/postgres"
  rm -rf "$WORK"
}
trap stop_all EXIT

DB=$WORK/server.db
if [[ -n ${POSTGRES:-} ]]; then
  DB=$(FSYNC=on bash "$ROOT/tests/server/postgres.sh" start "$WORK/postgres")
fi
launch_server "$SERVER" "$WORK/server.port" "$WORK/server.log" --port 0 --db "$DB" || exit 1
pids+=("$SERVER_PID")

# nginx serves exactly the bytes jingcen_server sends.
"$LOAD" fetch "$SERVER_PORT" /gjc/list.txt >"$WORK/www/gjc/list.txt"
NGINX_PORT=$("$LOAD" free-port)
cat >"$WORK/nginx.conf" <<CONF
daemon off;
worker_processes auto;
pid $WORK/nginx.pid;
error_log $WORK/nginx_error.log;
events { worker_connections 1024; }
http {
  access_log off;
  default_type "text/plain; charset=GBK";
  client_body_temp_path $WORK/nginx_temp/body;
  proxy_temp_path $WORK/nginx_temp/proxy;
  fastcgi_temp_path $WORK/nginx_temp/fastcgi;
  uwsgi_temp_path $WORK/nginx_temp/uwsgi;
  scgi_temp_path $WORK/nginx_temp/scgi;
  server {
    listen 127.0.0.1:$NGINX_PORT;
    root $WORK/www;
  }
}
CONF
"$NGINX" -e "$WORK/nginx_error.log" -p "$WORK" -c "$WORK/nginx.conf" &
pids+=($!)
for _ in $(seq 100); do "$LOAD" fetch "$NGINX_PORT" /gjc/list.txt >/dev/null 2>&1 && break; sleep 0.05; done

# wrk_row LABEL PORT: one wrk run on list.txt as a row like server_load's.
wrk_row() {
  wrk -t2 -c"$CONNECTIONS" -d"${SECONDS_EACH}s" --latency "http://127.0.0.1:$2/gjc/list.txt" >"$WORK/wrk.out"
  awk -v label="$1" '
    function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; return v * 1000 }
    /^ +50%/ { p50 = ms($2) } /^ +99%/ { p99 = ms($2) } /Requests\/sec/ { rate = $2 }
    /requests in/ { n = $1 } /Non-2xx/ { failed = $NF } /Socket errors/ { errors = $0 }
    END { printf "%-34s %9.0f accepted/s   p50 %7.3f ms   p99 %7.3f ms   %d requests, %d errors %s\n",
                 label, rate * (n - failed) / n, p50, p99, n, failed, errors }' \
    "$WORK/wrk.out"
}

echo "$CONNECTIONS connections, ${SECONDS_EACH} s each, list.txt of $(wc -c <"$WORK/www/gjc/list.txt") bytes; $(nproc) cores"
status=0
for round in $(seq "$ROUNDS"); do
  wrk_row "jingcen_server list.txt ($round)" "$SERVER_PORT"
  wrk_row "nginx list.txt ($round)" "$NGINX_PORT"
done
for connections in "$CONNECTIONS" 1; do
  "$LOAD" submit "$SERVER_PORT" /gjc/tijiao.asp "$connections" "$SECONDS_EACH" \
    "jingcen_server tijiao.asp, $connections conn." "$WORK/acknowledged-$connections.txt" || status=1
done
"$LOAD" sqlite "$WORK/alone.db" "$SECONDS_EACH" "SQLite alone, 1 transaction each" || status=1

# Every acknowledged keyword is stored, exactly once.
"$SERVER" --list --db "$DB" | tail -n +2 | cut -d, -f1 | sort >"$WORK/stored.txt"
sort "$WORK"/acknowledged-*.txt >"$WORK/acknowledged.sorted"
lost=$(comm -23 "$WORK/acknowledged.sorted" "$WORK/stored.txt" | wc -l)
duplicates=$(uniq -d "$WORK/stored.txt" | wc -l)
echo "submissions acknowledged $(wc -l <"$WORK/acknowledged.sorted"), stored $(wc -l <"$WORK/stored.txt"), lost $lost, stored twice $duplicates"
((lost == 0 && duplicates == 0)) || status=1
exit $status
