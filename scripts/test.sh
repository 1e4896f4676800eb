#!/usr/bin/env bash
# Builds everything and runs the whole test suite: natively, then the same
# suites built for Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j "$(nproc)"
echo "== Windows tests under Wine"
# A fresh Wine server, so that its windows go to the display of this run.
export WINEPREFIX="$PWD/build/windows/wineprefix"
wineserver -k 2>/dev/null || true
scripts/with-display.sh ctest --test-dir build/windows --output-on-failure
wineserver -k 2>/dev/null || true
