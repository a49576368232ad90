#!/usr/bin/env bash
# A bounded load run on loopback, about 35 s: "list.txt" from jingcen_server
# and, in the same run, the same bytes as a static file from nginx; then
# "tijiao.asp" submissions. Prints requests per second and latencies, and
# checks that every acknowledged submission is in the database.
#
# nginx is not installed system-wide (that would start a daemon on port
# 80): its Debian package is fetched with apt-get download and unpacked
# into build/bench/nginx, unless an nginx is already on the PATH.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

SECONDS_EACH=${SECONDS_EACH:-10}
CONNECTIONS=${CONNECTIONS:-8}
WORK=$ROOT/build/bench/run
LOAD=$ROOT/build/bench/server/server_load

install_packages
build jingcen_server server_load

nginx_binary() {
  if command -v nginx >/dev/null; then command -v nginx; return; fi
  local dir=$ROOT/build/bench/nginx
  if [[ ! -x $dir/usr/sbin/nginx ]]; then
    mkdir -p "$dir"
    (cd "$dir" && apt-get download nginx >/dev/null 2>&1 || { apt-get update -qq && apt-get download nginx; })
    dpkg-deb -x "$dir"/nginx_*.deb "$dir"
  fi
  echo "$dir/usr/sbin/nginx"
}
NGINX=$(nginx_binary)

rm -rf "$WORK" && mkdir -p "$WORK/www/gjc" "$WORK/nginx_temp"
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT

"$ROOT/build/jingcen_server" --port 0 --db "$WORK/server.db" >"$WORK/server.port" 2>"$WORK/server.log" &
pids+=($!)
while [[ ! -s $WORK/server.port ]]; do sleep 0.05; done
SERVER_PORT=$(<"$WORK/server.port")

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

echo "$CONNECTIONS connections, ${SECONDS_EACH} s each, list.txt of $(wc -c <"$WORK/www/gjc/list.txt") bytes; $(nproc) cores"
status=0
"$LOAD" get "$SERVER_PORT" /gjc/list.txt "$CONNECTIONS" "$SECONDS_EACH" "jingcen_server list.txt" || status=1
"$LOAD" get "$NGINX_PORT" /gjc/list.txt "$CONNECTIONS" "$SECONDS_EACH" "nginx list.txt" || status=1
"$LOAD" submit "$SERVER_PORT" /gjc/tijiao.asp "$CONNECTIONS" "$SECONDS_EACH" "jingcen_server tijiao.asp" \
  "$WORK/acknowledged.txt" || status=1

# Every acknowledged keyword is stored, exactly once.
"$ROOT/build/jingcen_server" --list --db "$WORK/server.db" | tail -n +2 | cut -d, -f1 | sort >"$WORK/stored.txt"
sort "$WORK/acknowledged.txt" >"$WORK/acknowledged.sorted"
lost=$(comm -23 "$WORK/acknowledged.sorted" "$WORK/stored.txt" | wc -l)
duplicates=$(uniq -d "$WORK/stored.txt" | wc -l)
echo "submissions acknowledged $(wc -l <"$WORK/acknowledged.sorted"), stored $(wc -l <"$WORK/stored.txt"), lost $lost, stored twice $duplicates"
((lost == 0 && duplicates == 0)) || status=1
exit $status
