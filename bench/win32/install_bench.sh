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

run() {  # seconds taken by one silent run of "$@" under Wine
  local start end
  start=$(date +%s.%N)
  "$build/wine-run.sh" "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

"$build/wine-run.sh" cmd /c exit  # the Wine server is up before the first timing
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
o=$(printf '%s\n' "${ours[@]}" | median)
n=$(printf '%s\n' "${theirs[@]}" | median)
c=$(printf '%s\n' "${copies[@]}" | median)
echo "vxsetup /SILENT: ${ours[*]} -> median $o s"
echo "NSIS /S:         ${theirs[*]} -> median $n s"
echo "cp -r:           median $c s"
echo "ratio vxsetup / NSIS: $(echo "scale=2; $o / $n" | bc)"
