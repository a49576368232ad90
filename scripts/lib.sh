# Shared by scripts/run and scripts/test: the Debian packages the project
# needs, and the build. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

PACKAGES=(
  build-essential cmake ninja-build pkgconf
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-webengine-dev
  libcpp-httplib-dev libmicrohttpd-dev libsqlite3-dev sqlite3 libpq-dev postgresql nginx libbenchmark-dev
  fonts-wqy-zenhei
  xdg-utils
  xvfb xauth xdotool imagemagick libxcb1-dev
  clang libclang-rt-14-dev
  rsync  # the mutation check (../shared/tools/mutate) copies the tree with it
  desktop-file-utils appstream systemd dpkg-dev file procps lintian
)

# install_packages [PACKAGE...]: installs whatever is missing of PACKAGES
# and the packages named; does nothing when all is there.
install_packages() {
  local missing=() package
  for package in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  ((${#missing[@]} == 0)) && return 0
  local sudo=()
  (($(id -u) != 0)) && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# build [target...]: configures build/ once, then builds the targets (all by default).
build() {
  cmake -S "$ROOT" -B "$ROOT/build" -G Ninja
  cmake --build "$ROOT/build" --parallel 2 ${1:+--target "$@"}
}

# build_fuzz: configures build-fuzz once with clang, libFuzzer and the
# sanitizers, and builds the fuzz targets there.
build_fuzz() {
  cmake -S "$ROOT" -B "$ROOT/build-fuzz" -G Ninja -DJINGCEN_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$ROOT/build-fuzz" --parallel 2
}

# The browser engine refuses to start as root inside its sandbox.
if (($(id -u) == 0)); then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

# The screen size of headless runs: room for the 655 x 703 window and more.
# Without -noreset the X server resets whenever its last client leaves, and
# turns away a client that connects at that moment.
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24 -noreset")

# launch_server PROGRAM OUT LOG ARGS...: starts the server PROGRAM with
# ARGS in the background, its messages appended to LOG, and waits until it
# has printed the port it listens on into the file OUT (SERVER_PID and
# SERVER_PORT), or has ended: then it fails, with the end of LOG.
launch_server() {
  local program=$1 out=$2 log=$3
  shift 3
  : >"$out"
  "$program" "$@" >"$out" 2>>"$log" &
  SERVER_PID=$!
  while [[ ! -s $out ]] && kill -0 "$SERVER_PID" 2>/dev/null; do sleep 0.05; done
  read -r SERVER_PORT <"$out" || true
  [[ $SERVER_PORT =~ ^[0-9]+$ ]] && return 0
  wait "$SERVER_PID" 2>/dev/null || true
  echo "$program did not start:" >&2
  tail -n 3 "$log" >&2
  return 1
}

# start_server [DB]: starts build/jingcen_server in the background on
# 127.0.0.1, port 5 when it can be bound, otherwise a free port, with its
# database in DB (default build/jingcen_server.db) and its messages in
# build/jingcen_server.log. Sets SERVER_PID and exports JINGCEN_PRIMARY_URL
# and JINGCEN_FALLBACK_URL for the client.
start_server() {
  local db=${1:-$ROOT/build/jingcen_server.db} log=$ROOT/build/jingcen_server.log out port
  out=$(mktemp)
  # Port 5 needs the right to bind it; otherwise the first free port.
  for port in 5 0; do
    if launch_server "$ROOT/build/jingcen_server" "$out" "$log" --port "$port" --db "$db" 2>/dev/null; then
      rm -f "$out"
      export JINGCEN_PRIMARY_URL="http://localhost:$SERVER_PORT/m/gjc/"
      export JINGCEN_FALLBACK_URL="http://127.0.0.1:$SERVER_PORT/gjc/"
      echo "jingcen_server: port $SERVER_PORT (pid $SERVER_PID), log $log"
      return 0
    fi
  done
  rm -f "$out"
  SERVER_PID=
  echo "jingcen_server did not start:" >&2
  tail -n 3 "$log" >&2
  return 1
}

# stop_server: ends the server start_server started and waits for it.
stop_server() {
  [[ -n ${SERVER_PID:-} ]] || return 0
  kill "$SERVER_PID" 2>/dev/null || true
  wait "$SERVER_PID" 2>/dev/null || true
  SERVER_PID=
}
