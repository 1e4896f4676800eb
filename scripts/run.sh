#!/usr/bin/env bash
# Builds everything and shows the data-file tool at work on a sample address book:
# check it, show it as JSON lines, copy it as the program saves on exit, and read
# the copy back with the Windows build of the tool under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
demo=build/demo
rm -rf "$demo" && mkdir -p "$demo"
cp tools/ctlite-data/sample/sample.dat "$demo/sample.dat"
tool=build/native/tools/ctlite-data/ctlite-data

echo "== ctlite-data check sample.dat"
"$tool" check "$demo/sample.dat"
echo "== ctlite-data show sample.dat"
"$tool" show "$demo/sample.dat"
echo "== ctlite-data copy sample.dat copy.dat (load and save, as on exit)"
"$tool" copy "$demo/sample.dat" "$demo/copy.dat"
echo "== ctlite-data new empty.dat: $(stat -c %s "$demo/empty.dat" 2>/dev/null || { "$tool" new "$demo/empty.dat"; stat -c %s "$demo/empty.dat"; }) bytes"
echo "== ctlite-data.exe check copy.dat (Windows build, under Wine)"
build/windows/wine-run.sh build/windows/tools/ctlite-data/ctlite-data.exe check "$demo/copy.dat"
