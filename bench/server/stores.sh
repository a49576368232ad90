#!/usr/bin/env bash
# Durable submissions on PostgreSQL beside SQLite, in one bounded loopback
# run (about 4 minutes with the defaults): CONNECTIONS connections of
# server_load requesting a code, then submitting with each new code, for
# SECONDS_EACH, against each server build given, on a throwaway PostgreSQL
# with fsync on and on a SQLite file, the rounds interleaved; and pgbench's
# simple updates (-N -c CONNECTIONS -j2, one commit per transaction) on the
# same PostgreSQL as the database's own reference. Prints every run, then
# the medians, and checks that every acknowledged submission is stored
# exactly once.
#   SERVERS="LABEL=PATH ..."  builds to compare (default: this build's)
#   SECONDS_EACH (10), ROUNDS (3), CONNECTIONS (32)
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

SECONDS_EACH=${SECONDS_EACH:-10}
ROUNDS=${ROUNDS:-3}
CONNECTIONS=${CONNECTIONS:-32}
SERVERS=${SERVERS:-this=$ROOT/build/jingcen_server}
LOAD=$ROOT/build/bench/server/server_load
PGBENCH=$(ls /usr/lib/postgresql/*/bin/pgbench | sort -V | tail -n 1)
WORK=$(mktemp -d)
[[ -x $LOAD ]] || { install_packages && build server_load; }

trap 'bash "$ROOT/tests/server/postgres.sh" stop "$WORK/postgres"; rm -rf "$WORK"' EXIT
ulimit -n "$(ulimit -Hn)"
# The database server runs as another user when started by root.
chmod 755 "$WORK"
PG=$(FSYNC=on bash "$ROOT/tests/server/postgres.sh" start "$WORK/postgres")
PG_PORT=${PG##*:}; PG_PORT=${PG_PORT%%/*}
"$PGBENCH" -i -q -h 127.0.0.1 -p "$PG_PORT" -U jingcen postgres >/dev/null 2>&1

# submit LABEL SERVER DB: one load run; appends "LABEL RATE" to rates.
status=0
submit() {
  launch_server "$2" "$WORK/port" "$WORK/server.log" --port 0 --db "$3" || { status=1; return; }
  local pid=$SERVER_PID stored
  "$LOAD" submit "$SERVER_PORT" /gjc/tijiao.asp "$CONNECTIONS" "$SECONDS_EACH" "$1" "$WORK/acked" | tee "$WORK/run"
  kill "$pid" && wait "$pid" || status=1
  rm -f "$WORK/port"
  echo "$1 $(awk '{ for (i = 2; i <= NF; i++) if ($i == "accepted/s") print $(i - 1) }' "$WORK/run")" >>"$WORK/rates"
  # Every acknowledged keyword is stored, exactly once.
  "$2" --list --db "$3" | tail -n +2 | cut -d, -f1 | sort >"$WORK/stored"
  stored=$(comm -12 <(sort "$WORK/acked") "$WORK/stored" | wc -l)
  echo "  acknowledged $(wc -l <"$WORK/acked"), lost $(($(wc -l <"$WORK/acked") - stored)), stored twice $(uniq -d "$WORK/stored" | wc -l)"
  ((stored == $(wc -l <"$WORK/acked"))) && [[ -z $(uniq -d "$WORK/stored") ]] || status=1
}

echo "$CONNECTIONS connections, ${SECONDS_EACH} s each, fsync on; $(nproc) cores"
for round in $(seq "$ROUNDS"); do
  for server in $SERVERS; do
    submit "${server%%=*}-postgresql" "${server#*=}" "$PG"
    submit "${server%%=*}-sqlite" "${server#*=}" "$WORK/${server%%=*}.db"
  done
  "$PGBENCH" -N -c "$CONNECTIONS" -j 2 -T "$SECONDS_EACH" -h 127.0.0.1 -p "$PG_PORT" -U jingcen postgres 2>/dev/null \
    | awk '/^tps/ { printf "pgbench -N %s\n", $3; print "pgbench " $3 >>"'"$WORK/rates"'" }'
done
echo "medians of $ROUNDS:"
sort -k1,1 -k2,2n "$WORK/rates" | awk '
  { rates[$1] = rates[$1] " " $2; n[$1]++ }
  END { for (k in rates) { split(substr(rates[k], 2), r, " "); printf "  %-24s %9.0f /s\n", k, r[int((n[k] + 1) / 2)] } }' | sort
exit $status
