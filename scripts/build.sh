#!/usr/bin/env bash
# Installs what is missing, then builds the native tree (build/native) and the
# Windows x86_64 tree (build/windows) with its own Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/bootstrap.sh
WERROR="${CONTAVO_WERROR:-OFF}"
JOBS="$(nproc)"
# Compiler cache: several checkouts of the tree share their objects.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
LAUNCH=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)

cmake -S . -B build/native -G Ninja -DCONTAVO_WERROR="$WERROR" "${LAUNCH[@]}" >/dev/null
cmake --build build/native -j "$JOBS"

# The Windows tree also makes Contavo Lite's setup program, with the native vxpack.
cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake \
  -DCONTAVO_VXPACK="$PWD/build/native/tools/vxpack/vxpack" -DCONTAVO_WERROR="$WERROR" "${LAUNCH[@]}" >/dev/null
cmake --build build/windows -j "$JOBS"

# Make the Wine prefix once, before anything runs in it.
build/windows/wine-run.sh cmd.exe /c exit >/dev/null 2>&1
