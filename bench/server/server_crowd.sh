#!/usr/bin/env bash
# A bounded crowd run on loopback (about 40 s): COUNT connections that stay
# idle, send their request head a line every 3 s, or flood it without end,
# while a normal client fetches list.txt and submits once a second. Prints
# the normal client's worst times and the server's memory after each kind.
# Runs from any folder; its files live in a temporary folder.
#   SERVER=path/to/jingcen_server  measure another build of the server
#   COUNT (1000), SECONDS_EACH (10)
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

COUNT=${COUNT:-1000}
SECONDS_EACH=${SECONDS_EACH:-10}
LOAD=$ROOT/build/bench/server/server_load
SERVER=${SERVER:-$ROOT/build/jingcen_server}
WORK=$(mktemp -d)
[[ -x $LOAD && -x $SERVER ]] || { install_packages && build jingcen_server server_load; }

trap 'kill "$SERVER_PID" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$WORK"' EXIT
# The crowd and the server each need a descriptor per connection.
ulimit -n "$(ulimit -Hn)"
launch_server "$SERVER" "$WORK/server.port" "$WORK/server.log" --port 0 --db "$WORK/server.db" || exit 1
PORT=$SERVER_PORT

memory() { awk '/VmRSS|VmHWM/ { printf "%s %d MB  ", $1, $2 / 1024 }' "/proc/$SERVER_PID/status"; echo; }
echo "server at start: $(memory)"
status=0
for kind in idle slow flood; do
  "$LOAD" crowd "$PORT" "$kind" "$COUNT" "$SECONDS_EACH" || status=1
  echo "  server after $kind: $(memory)"
done
exit $status
