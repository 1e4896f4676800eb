#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Contavo Lite:
# the apt packages, and the Windows builds of libjpeg-turbo and GoogleTest, which
# Debian does not package for MinGW. The Windows libraries are built from Debian's
# own sources and cached outside the clone, keyed by version, so a second run is fast.
set -euo pipefail

DEPS_DIR="${CONTAVO_DEPS_DIR:-$HOME/.cache/contavo-lite-deps}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

PACKAGES=(
  build-essential cmake ninja-build pkg-config dpkg-dev ccache
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  mingw-w64-x86-64-dev mingw-w64-i686-dev binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 fonts-wine xvfb xauth imagemagick xdotool liblnk-utils zip nsis bc
  zlib1g-dev libz-mingw-w64-dev libjpeg62-turbo-dev
  clang clang-14 libclang-rt-14-dev clang-format
  googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev libtoml11-dev
  python3-vobject python3-aiosmtpd
  cups cups-bsd printer-driver-cups-pdf poppler-utils
)

log() { printf '[bootstrap] %s\n' "$*"; }

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ "${#missing[@]}" -gt 0 ]; then
    log "installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

ensure_deb_src() {
  if ! grep -rqs '^Types: *deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    log "adding a deb-src entry for bookworm main"
    $SUDO tee /etc/apt/sources.list.d/contavo-deb-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    $SUDO apt-get update -qq
  fi
}

# mingw_toolchain TRIPLET FILE: a toolchain file for building third-party code.
mingw_toolchain() {
  cat >"$2" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${1%%-*})
set(CMAKE_C_COMPILER $1-gcc-posix)
set(CMAKE_CXX_COMPILER $1-g++-posix)
set(CMAKE_RC_COMPILER $1-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$1)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC
}

build_libjpeg() {
  local triplet=$1 version prefix work
  version=$(apt-cache showsrc libjpeg-turbo 2>/dev/null | awk '/^Version:/ {print $2; exit}')
  [ -n "$version" ] || { log "cannot find the libjpeg-turbo source package"; exit 1; }
  prefix="$DEPS_DIR/libjpeg-turbo-$version/$triplet"
  [ -f "$prefix/lib/libjpeg.a" ] && return 0
  log "building libjpeg-turbo $version for $triplet"
  work=$(mktemp -d)
  (cd "$work" && apt-get source --download-only -qq libjpeg-turbo >/dev/null 2>&1 \
     && dpkg-source -x --skip-patches ./*.dsc src >/dev/null)
  mingw_toolchain "$triplet" "$work/toolchain.cmake"
  cmake -S "$work/src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=0 -DENABLE_SHARED=0 -DWITH_TURBOJPEG=0 \
    -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
  ln -sfn "$DEPS_DIR/libjpeg-turbo-$version" "$DEPS_DIR/libjpeg-turbo"
}

build_googletest() {
  local triplet=$1 version prefix work
  version=$(dpkg-query -W -f='${Version}' googletest)
  prefix="$DEPS_DIR/googletest-$version/$triplet"
  [ -f "$prefix/lib/libgtest.a" ] && return 0
  log "building GoogleTest $version for $triplet"
  work=$(mktemp -d)
  mingw_toolchain "$triplet" "$work/toolchain.cmake"
  cmake -S /usr/src/googletest -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -Dgtest_disable_pthreads=OFF -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
  cmake --build "$work/build" >/dev/null
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
  ln -sfn "$DEPS_DIR/googletest-$version" "$DEPS_DIR/googletest"
}

install_packages
ensure_deb_src
mkdir -p "$DEPS_DIR"
for triplet in x86_64-w64-mingw32 i686-w64-mingw32; do
  build_libjpeg "$triplet"
done
build_googletest x86_64-w64-mingw32
log "ready (Windows libraries in $DEPS_DIR)"
