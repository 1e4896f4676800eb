#!/bin/bash
# A silent installation of 1,000 text files (about 20 MB) under Wine: our setup
# program against an NSIS installer of the same files, in the same run.
#   bench/win32/install_bench.sh [ROUNDS]   (after scripts/build.sh; needs makensis)
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/windows
rounds=${1:-5}
command -v makensis >/dev/null || { echo "makensis is missing (Debian package nsis)"; exit 1; }
work=$build/bench-install
rm -rf "$work" && mkdir -p "$work/files" && cd "$work"

# 1,000 files of about 20 KB of text each, in 10 folders.
python3 - <<'PY'
import os, random
random.seed(7)
words = ["address", "book", "entry", "group", "phone", "street", "city", "mail", "note", "name"]
for i in range(1000):
    folder = f"files/d{i % 10}"
    os.makedirs(folder, exist_ok=True)
    with open(f"{folder}/f{i}.txt", "w", newline="\r\n") as f:
        while f.tell() < 20000:
            f.write(" ".join(random.choice(words) for _ in range(12)) + "\n")
PY
cp "$build/installer/setup/vxsetup.exe" "$build/installer/uninstall/vxuninst.exe" .
cp "$root/tools/vxpack/languages/english.txt" .
{
  printf '[package]\nproduct = "VxBench"\ninstall_dir = '"'"'<ProgramFiles>\\VxBench'"'"'\n'
  printf '[[languages]]\nname = "English"\nfile = "english.txt"\n'
  printf '[pieces]\nuninstaller = "vxuninst.exe"\n'
  for f in files/d*/*.txt; do
    w=${f//\//\\}
    printf '[[files]]\nsource = "%s"\ntarget = '"'"'<InstallDir>\\%s'"'"'\n' "$f" "${w#files\\}"
  done
} > setup.toml
"$build/wine-run.sh" "$build/tools/vxpack/vxpack.exe" setup.toml --stub vxsetup.exe -o setup.exe >/dev/null
cat > bench.nsi <<'NSI'
Unicode true
Target amd64-unicode
SetCompressor /SOLID zlib
Name "NsisBench"
OutFile "nsis-setup.exe"
InstallDir "$PROGRAMFILES64\NsisBench"
RequestExecutionLevel user
Section
  SetOutPath "$INSTDIR"
  File /r "files\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd
Section "Uninstall"
  RMDir /r "$INSTDIR"
SectionEnd
NSI
makensis -V1 bench.nsi

# The prefix's Wine server, whose processor time counts too: every file operation is a
# request to it. Its working folder is named after the prefix's device and inode.
server_key=$(printf 'server-%x-%x' $(stat -c '%d %i' "$build/wineprefix"))
server_ticks() {
  local p
  for p in $(pgrep wineserver); do
    if readlink "/proc/$p/cwd" | grep -q "$server_key"; then
      awk '{print $14 + $15}' "/proc/$p/stat"
      return
    fi
  done
  echo 0
}
run() {  # one silent run of "$@" under Wine: "wall-seconds cpu-seconds"
  local start end before after
  before=$(server_ticks)
  start=$(date +%s.%N)
  /usr/bin/time -f "%U %S" -o "$work/time" "$build/wine-run.sh" "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  after=$(server_ticks)
  echo "$(echo "$end - $start" | bc) $(tail -1 "$work/time" |
    awk -v s=$((after - before)) -v hz="$(getconf CLK_TCK)" '{print $1 + $2 + s / hz}')"
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# The Wine server is up before the first timing and stays up between the rounds: a
# server that ended in a pause would be started again inside the next round's timing
# (about a second, always ours, which runs first).
export WINEPREFIX=$build/wineprefix
wineserver -w  # a server already up is let end, to be started anew as a persistent one
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
"$build/wine-run.sh" cmd /c exit
ours=() theirs=() copies=()
prefix=$build/wineprefix/drive_c
for ((r = 1; r <= rounds; r++)); do
  ours+=("$(run ./setup.exe /SILENT)")
  "$build/wine-run.sh" 'C:\windows\VxBench Uninstaller.exe' /SILENT >/dev/null 2>&1 || true
  theirs+=("$(run ./nsis-setup.exe /S)")
  "$build/wine-run.sh" "C:\\Program Files\\NsisBench\\uninstall.exe" /S >/dev/null 2>&1 || true
  sleep 1
  rm -rf "$prefix/Program Files/NsisBench"
  start=$(date +%s.%N); cp -r files "$work/copy"; end=$(date +%s.%N); rm -rf "$work/copy"
  copies+=("$(echo "$end - $start" | bc)")
done
column() { local k=$1; shift; printf '%s\n' "$@" | awk -v k="$k" '{print $k}'; }
# Each round pairs one run of each, so that a busy machine slows both alike: the
# median of the rounds' ratios, by wall-clock time and by processor time (the
# program's and the Wine server's, which other work on the machine hardly moves).
ratios() {
  local k=$1
  paste <(column "$k" "${ours[@]}") <(column "$k" "${theirs[@]}") |
    awk '{printf "%.3f\n", $1 / $2}' | median
}
o=$(column 1 "${ours[@]}" | median)
n=$(column 1 "${theirs[@]}" | median)
oc=$(column 2 "${ours[@]}" | median)
nc=$(column 2 "${theirs[@]}" | median)
c=$(printf '%s\n' "${copies[@]}" | median)
echo "vxsetup /SILENT: $(column 1 "${ours[@]}" | xargs) -> median $o s, processor $oc s"
echo "NSIS /S:         $(column 1 "${theirs[@]}" | xargs) -> median $n s, processor $nc s"
echo "cp -r:           median $c s"
echo "ratio vxsetup / NSIS (median of the rounds): $(ratios 1) wall-clock, $(ratios 2) processor"
