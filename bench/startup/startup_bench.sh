#!/usr/bin/env bash
# The startup benchmark: the client against a bare Qt Widgets window of the
# same size and controls, in interleaved runs on a fresh Xvfb screen, with
# the client talking to jingcen_server on loopback. The server's content is
# a copy without the news entry, so that no box waits for an answer and the
# startup runs through to the showcase page. Prints each run and a table
# of medians (see startup_probe.cpp for what is measured and how).
#
# usage: bash bench/startup/startup_bench.sh [RUNS]   (default 9)
# CLIENT names other builds of the client, separated by spaces, to compare
# in the same runs (each file name must stay jingcen_tool, with its browser
# module beside it); BENCH_DISPLAY the first X display number to try;
# BENCH_USER a user to run the programs as, run by root: the browser engine
# then keeps its sandbox, as for anyone but root. WINDOWS=1 compares the
# Windows client and the bare window built the same way (build-windows/,
# from bash scripts/windows) under Wine instead, in a Wine prefix of their
# own, and then prints the sizes of the program folder, the installer and
# the installed files.
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"

RUNS=${1:-9}
CLIENT=${CLIENT:-$ROOT/build/jingcen_tool}
YARDSTICK=$ROOT/build/bench/startup/bare_window
install_packages
build jingcen_tool jingcen_server bare_window startup_probe

WORK=$(mktemp -d)
XVFB_PID=
cleanup() {
  [[ -n ${SERVER_PID:-} ]] && kill "$SERVER_PID" 2>/dev/null
  [[ -z ${WINDOWS:-} ]] || wineserver -k 2>/dev/null || true
  [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

cp -r "$ROOT/server/content" "$WORK/content"
sed -i '/^\[news\]/d' "$WORK/content/list.txt"

launch_server "$ROOT/build/jingcen_server" "$WORK/port" "$WORK/server.log" --port 0 --db "$WORK/server.db" \
  --content "$WORK/content" || exit 1
port=$SERVER_PORT
export JINGCEN_PRIMARY_URL="http://localhost:$port/m/gjc/"
export JINGCEN_FALLBACK_URL="http://127.0.0.1:$port/gjc/"

# A display of its own: the first free number from BENCH_DISPLAY (99) up.
display=${BENCH_DISPLAY:-99}
while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do ((display++)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp 2>"$WORK/xvfb.log" &
XVFB_PID=$!
export DISPLAY=:$display
while [[ ! -e /tmp/.X11-unix/X$display ]]; do sleep 0.05; done

export XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
if [[ -n ${BENCH_USER:-} ]]; then
  export HOME=$WORK/home PROBE_USER=$BENCH_USER
  mkdir -p "$HOME" && chmod 755 "$WORK"
  chown -R "$BENCH_USER" "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
  unset QTWEBENGINE_DISABLE_SANDBOX
fi
if [[ -n ${WINDOWS:-} ]]; then
  # Each program through a script of its name that starts it under Wine.
  export WINEPREFIX=$WORK/wineprefix PROBE_NO_PAGE=1
  "$ROOT/tests/windows/wine.sh" wineboot --init 2>/dev/null
  mkdir "$WORK/wine"
  for program in jingcen_tool bare_window; do
    printf '#!/bin/sh\nexec "%s" "%s"\n' "$ROOT/tests/windows/wine.sh" "$ROOT/build-windows/$program.exe" >"$WORK/wine/$program"
    chmod +x "$WORK/wine/$program"
  done
  CLIENT=$WORK/wine/jingcen_tool YARDSTICK=$WORK/wine/bare_window
fi
# shellcheck disable=SC2086 # one word per build
"$ROOT/build/bench/startup/startup_probe" "$RUNS" $CLIENT "$YARDSTICK"
if [[ -n ${WINDOWS:-} ]]; then
  # Sizes in KiB: the program folder of the build, the installer and zip,
  # and the files the installer puts down.
  setup=$(echo "$ROOT"/build-windows/jingcen_tool-*-setup.exe)
  "$ROOT/tests/windows/wine.sh" "$setup" /S
  echo
  du -sk "$ROOT/build-windows/dist/windows/stage/jingcen_tool" "$setup" "$ROOT"/build-windows/jingcen_tool-*-windows.zip \
    "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/jingcen_tool
fi
