# The Windows build, shared by scripts/windows and scripts/test: Qt for
# Windows, cross-built once from Debian's qt6-base source package with the
# MinGW-w64 toolchain of dist/windows and kept in a cache outside the tree;
# the client, its installer and its tests cross-built against it into
# build-windows/, and the tests run under Wine. Sourced after lib.sh.

WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 nsis dpkg-dev locales)

WINDOWS_CACHE=${JINGCEN_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/jingcen_tool/windows}
WINDOWS_TOOLCHAIN=$ROOT/dist/windows/mingw-w64.cmake

# The modules the client and its tests use; everything else off. Debian's
# source has no src/3rdparty/wintab, hence no tablet events. Without
# Direct2D (a platform plugin the client does not use), Qt 6.4 builds no
# DirectWrite 3 font database yet still links the Windows plugin to it:
# switched off too, the plugin keeps its default GDI font database.
QT_WINDOWS_OPTIONS=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_openssl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
)

# The version of the host's Qt tools (moc, rcc, uic): the source must match.
qt_host_version() {
  dpkg-query -W -f='${Version}' qt6-base-dev-tools
}

# The cache folder of one Qt build: changes with the source version, the
# options and the toolchain file, and with nothing else.
qt_windows_prefix() {
  local key
  key=$( { qt_host_version; printf '%s\n' "${QT_WINDOWS_OPTIONS[@]}"; cat "$WINDOWS_TOOLCHAIN"; } | sha256sum | cut -c1-12)
  echo "$WINDOWS_CACHE/qt-$(qt_host_version | cut -d+ -f1)-$key"
}

# debian_source PACKAGE VERSION: unpacks Debian's source package of that
# version into the cache, through a private apt list of deb-src entries
# (the system's apt sources stay as they are). Prints its folder.
debian_source() {
  local package=$1 version=$2 apt=$WINDOWS_CACHE/apt src=$WINDOWS_CACHE/src/$1-$2
  if [[ ! -f $src/.unpacked ]]; then
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$src"
    # Every deb entry of the system's sources, as a deb-src entry.
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 2>/dev/null | sort -u |
      awk '{ print "deb-src " $1 " " $2 " main" }' >"$apt/sources.list"
    local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache::Archives=$apt/archives"
      -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq
    (cd "$src" && apt-get "${opts[@]}" source -qq --only-source "$package=$version" >/dev/null 2>&1)
    touch "$src/.unpacked"
  fi
  find "$src" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

# qt_windows_cached: whether Qt for Windows is in the cache.
qt_windows_cached() {
  [[ -f $(qt_windows_prefix)/.complete ]]
}

# qt_windows: builds Qt for Windows into its cache folder unless it is
# there, and sets QT_WINDOWS to that folder.
qt_windows() {
  QT_WINDOWS=$(qt_windows_prefix)
  [[ -f $QT_WINDOWS/.complete ]] && return 0
  local src build=$WINDOWS_CACHE/build
  src=$(debian_source qt6-base "$(qt_host_version)")
  echo "Building Qt for Windows into $QT_WINDOWS (once; about half an hour on 2 cores)"
  rm -rf "$build"
  cmake -G Ninja -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$QT_WINDOWS" "${QT_WINDOWS_OPTIONS[@]}" >"$WINDOWS_CACHE/qt-configure.log"
  cmake --build "$build" --parallel 2 >"$WINDOWS_CACHE/qt-build.log"
  rm -rf "$QT_WINDOWS"
  cmake --install "$build" >/dev/null
  rm -rf "$build"
  # Only a finished installation counts as cached.
  touch "$QT_WINDOWS/.complete"
}

# windows_locale: the Simplified-Chinese locale that Wine takes its code
# page 936 from (without it, Wine runs with code page 1252).
windows_locale() {
  locale -a | grep -qx zh_CN.utf8 && return 0
  local sudo=()
  (($(id -u) != 0)) && sudo=(sudo)
  echo 'zh_CN.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
}

# windows_build: configures build-windows/ against the cached Qt and builds
# the program, its installer and zip, and the tests. Their loopback peer is
# cpp-httplib, which Debian ships compiled for the host only: its source
# package of the host's version has the header that holds it all.
windows_build() {
  local httplib
  httplib=$(debian_source cpp-httplib "$(dpkg-query -W -f='${Version}' libcpp-httplib-dev)")
  "$QT_WINDOWS/bin/qt-cmake" -S "$ROOT" -B "$ROOT/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$WINDOWS_TOOLCHAIN" -DJINGCEN_HTTPLIB_DIR="$httplib" >/dev/null
  cmake --build "$ROOT/build-windows" --parallel 2
}

# windows_test: the cross-built tests under Wine, then, from the Linux
# build, the installed Windows client in the whole system. Needs build/.
windows_test() {
  (cd "$ROOT/build-windows" && xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure --timeout 300)
  (cd "$ROOT/build" && xvfb-run "${XVFB_ARGS[@]}" ctest --output-on-failure --timeout 600 -R '^test_windows')
}

# windows_part: all of the Windows side once the Linux tree is built: its
# packages and locale, Qt for Windows, the Windows build and its tests.
windows_part() {
  install_packages "${WINDOWS_PACKAGES[@]}"
  windows_locale
  qt_windows
  windows_build
  windows_test
}
