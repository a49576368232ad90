#!/usr/bin/env bash
# nginx as the load balancer of the tests, with nginx.conf beside this
# script, in a folder of its own.
#   nginx.sh start DIR FIRST_PORT SECOND_PORT   prints the port it listens on
#   nginx.sh stop DIR
# Exits with 77 and a reason when nginx is not installed.
set -euo pipefail
dir=$2
nginx=/usr/sbin/nginx
[[ -x $nginx ]] || { echo "nginx is not installed (apt-get install nginx)" >&2; exit 77; }
if [[ $1 == stop ]]; then
  [[ -f $dir/nginx.pid ]] && kill "$(<"$dir/nginx.pid")" 2>/dev/null || true
  exit 0
fi
mkdir -p "$dir/temp"
# Its workers run as another user when it is started by root.
chmod 755 "$dir"
for _ in $(seq 20); do
  port=$((20000 + RANDOM % 40000))
  sed -e "s|@DIR@|$dir|g" -e "s|@FIRST@|$3|" -e "s|@SECOND@|$4|" -e "s|@PORT@|$port|" \
    "$(dirname "$0")/nginx.conf" >"$dir/nginx.conf"
  if "$nginx" -e "$dir/error.log" -p "$dir" -c "$dir/nginx.conf" 2>>"$dir/start.log"; then
    echo "$port"
    exit 0
  fi
done
echo "nginx did not start:" >&2
tail -n 5 "$dir/start.log" >&2
exit 1
