#!/usr/bin/env bash
# Builds everything and runs the whole test suite: natively, then the same
# suites built for Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j "$(nproc)"
echo "== Windows tests under Wine"
ctest --test-dir build/windows --output-on-failure
