#!/bin/bash
# Shortcuts made by the setup program, read back by an independent reader of .lnk
# files (lnkinfo, from liblnk-utils): target, working directory, arguments, icon.
# Usage: vxsetup_shortcut_test.sh WINE_RUN VXPACK_EXE VXSETUP_EXE VXUNINST_EXE ENGLISH_SET WORK
set -u
wine_run=$1 vxpack=$2 stub=$3 uninstaller=$4 english=$5 work=$6
fail() { echo "FAILED: $*"; exit 1; }
command -v lnkinfo >/dev/null || fail "lnkinfo is missing (Debian package liblnk-utils)"

rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
cp "$stub" vxsetup.exe && cp "$uninstaller" vxuninst.exe && cp "$english" english.txt
printf 'Read me.\r\n' > readme.txt
cat > setup.toml <<'TOML'
[package]
product = "VxLink"
install_dir = '<ProgramFiles>\VxLink'
shortcut_folder = '<ProgramsDir>\VxLink'
uninstall_shortcut = true

[[languages]]
name = "English"
file = "english.txt"

[pieces]
uninstaller = "vxuninst.exe"

[[shortcuts]]
target = '<InstallDir>\readme.txt'
file = '<ShortcutDir>\Read Me.lnk'
working_dir = '<InstallDir>'
arguments = "--quiet"
icon = '<WindowsDir>\notepad.exe'
icon_index = 3

[[files]]
source = "readme.txt"
target = '<InstallDir>\readme.txt'
TOML
"$wine_run" "$(basename "$vxpack")" >/dev/null 2>&1  # warm the prefix
"$wine_run" "$vxpack" setup.toml --stub vxsetup.exe -o setup.exe || fail "vxpack"
"$wine_run" ./setup.exe /SILENT
[ $? -eq 1 ] || fail "setup did not end with 1"

prefix=${CONTAVO_WINEPREFIX:-$(dirname "$wine_run")/wineprefix}
programs=$(find "$prefix/drive_c/users" -type d -path "*Start Menu/Programs/VxLink" | head -1)
[ -n "$programs" ] || fail "no program folder"
info=$(lnkinfo "$programs/Read Me.lnk") || fail "lnkinfo cannot read the shortcut"
echo "$info" | grep -q 'Local path[[:space:]]*: C:\\Program Files\\VxLink\\readme.txt' ||
  fail "target: $info"
echo "$info" | grep -q 'Working directory[[:space:]]*: C:\\Program Files\\VxLink' ||
  fail "working directory: $info"
echo "$info" | grep -q 'Command line arguments[[:space:]]*: --quiet' || fail "arguments: $info"
echo "$info" | grep -qi 'Icon location[[:space:]]*: C:\\windows\\notepad.exe$' || fail "icon: $info"
echo "$info" | grep -q 'Icon index[[:space:]]*: 3$' || fail "icon index: $info"
lnkinfo "$programs/Uninstall VxLink.lnk" | grep -q 'VxLink Uninstaller.exe' ||
  fail "uninstall shortcut"

"$wine_run" 'C:\windows\VxLink Uninstaller.exe' /SILENT
[ -e "$programs/Read Me.lnk" ] && fail "the shortcut outlived the uninstaller"
[ -e "$programs" ] && fail "the program folder outlived the uninstaller"
echo "shortcuts read back by lnkinfo"
