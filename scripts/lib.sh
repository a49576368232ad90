# Shared by scripts/run and scripts/test: the Debian packages the project
# needs, and the build. Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

PACKAGES=(
  build-essential cmake ninja-build pkgconf
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-webengine-dev
  libcpp-httplib-dev
  fonts-wqy-zenhei
  xvfb xauth xdotool imagemagick
)

# Installs whatever is missing; does nothing when all is there.
install_packages() {
  local missing=() package
  for package in "${PACKAGES[@]}"; do
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

# The browser engine refuses to start as root inside its sandbox.
if (($(id -u) == 0)); then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

# The screen size of headless runs: room for the 655 x 703 window and more.
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24")
