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
# A virtual display has no window manager, and Wine waits about 2 s for one whenever a
# managed window hides or closes; the tests' windows are left unmanaged there. On a
# real display Wine's default stays.
x11_key='HKCU\Software\Wine\X11 Driver'
if [ -z "${DISPLAY:-}" ]; then
  build/windows/wine-run.sh reg add "$x11_key" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
else
  build/windows/wine-run.sh reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 || true
fi
wineserver -w
scripts/with-display.sh ctest --test-dir build/windows --output-on-failure
wineserver -k 2>/dev/null || true
