#!/usr/bin/env bash
# Builds everything and runs the whole test suite: natively, then the same
# suites built for Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j "$(nproc)"
echo "== Windows tests under Wine"
# Each Wine prefix gets a fresh server, so that its windows go to the display of this run.
# A virtual display has no window manager, and Wine waits about 2 s for one whenever a
# managed window hides or closes; the tests' windows are left unmanaged there. On a
# real display Wine's default stays.
prepare_prefix() {
  export WINEPREFIX="$1" CONTAVO_WINEPREFIX="$1"
  wineserver -k 2>/dev/null || true
  local x11_key='HKCU\Software\Wine\X11 Driver'
  if [ -z "${DISPLAY:-}" ]; then
    build/windows/wine-run.sh reg add "$x11_key" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  else
    build/windows/wine-run.sh reg delete "$x11_key" /v Managed /f >/dev/null 2>&1 || true
  fi
  wineserver -w
}
windows_tests() {
  scripts/with-display.sh ctest --test-dir build/windows --output-on-failure "$@"
}
# The installer's own tests take half the time; on virtual displays they run in a second
# prefix and display beside the others (the prefix pictures of an installation must not
# see another test's files). A real display is shared, so there they run one after another.
lane_prefix="$PWD/build/windows/wineprefix-installer"
installer_tests='^vxsetup_tests$'
if [ -z "${DISPLAY:-}" ]; then
  lane_log=$(mktemp)
  (prepare_prefix "$lane_prefix" && windows_tests -R "$installer_tests") >"$lane_log" 2>&1 &
  lane=$!
  prepare_prefix "$PWD/build/windows/wineprefix"
  status=0
  windows_tests -E "$installer_tests" || status=$?
  wait "$lane" || status=$?
  echo "-- in the second prefix:"
  cat "$lane_log" && rm -f "$lane_log"
  for prefix in "$PWD/build/windows/wineprefix" "$lane_prefix"; do
    WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  done
  exit "$status"
fi
prepare_prefix "$PWD/build/windows/wineprefix"
windows_tests
wineserver -k 2>/dev/null || true
