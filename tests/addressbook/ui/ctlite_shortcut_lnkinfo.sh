#!/bin/bash
# The start-up shortcut of the Settings window, read back by an independent reader of
# .lnk files (lnkinfo, from liblnk-utils): it starts the program's own file in the
# program's own folder, though the program ran in another folder.
# Usage: ctlite_shortcut_lnkinfo.sh WINE_RUN CTLITE_TESTS_EXE CTLITE_EXE WORK
set -u
wine_run=$1 tests=$2 program=$3 work=$4
fail() { echo "FAILED: $*"; exit 1; }
command -v lnkinfo >/dev/null || fail "lnkinfo is missing (Debian package liblnk-utils)"

rm -rf "$work" && mkdir -p "$work" || exit 1
CTLITE_SHORTCUT_COPY="Z:${work//\//\\}\\startup.lnk" \
  "$wine_run" "$tests" --gtest_filter='Settings.TheShortcut*' || fail "the window test"
info=$(lnkinfo "$work/startup.lnk") || fail "lnkinfo cannot read the shortcut"
file="Z:${program//\//\\}"
folder="${file%\\*}"
echo "$info" | grep -i 'Local path' | grep -qiF ": $file" || fail "target: $info"
echo "$info" | grep -i 'Working directory' | grep -qiF ": $folder" ||
  fail "working directory: $info"
echo "$info" | grep -i 'Description' | grep -qF ': Shortcut to Contavo Lite' ||
  fail "description: $info"
echo "the start-up shortcut read back by lnkinfo"
