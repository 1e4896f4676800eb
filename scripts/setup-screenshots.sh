#!/usr/bin/env bash
# Takes a picture of each page of the setup wizard under Wine: builds a package
# with every page (its picture and bitmap drawn here with ImageMagick), runs it on
# a virtual desktop of 800x600, and lets tools/screenshots/setup_tour walk the pages
# listed in tools/screenshots/setup_pages.txt, one picture a page, taken with
# `import` as scripts/screenshots.sh takes the address book's.
#
#   scripts/setup-screenshots.sh [--docs] [--no-build] [--product] [OUTPUT-FOLDER]
#
# --product walks Contavo Lite's own setup program instead, as the build made it
# (build/windows/package/ContavoLiteSetup.exe), by tools/screenshots/product_pages.txt;
# its pictures go to docs/product-NAME.png with --docs.
# The pictures go to OUTPUT-FOLDER (build/setup-shots/pages by default) as
# NN-NAME.png; --docs also copies the pages the table marks to docs/setup-NAME.png.
# --no-build takes the programs as built (the test `setup_page_screenshots` runs it
# so, keeping the pictures as its artifacts). It fails when a page of the table
# does not show.
# A page added to the wizard gets a line in the table (and, if the package below
# does not enable it yet, its setting here).
set -euo pipefail
cd "$(dirname "$0")/.."

docs=no
build_first=yes
product=no
while [ "${1:-}" = --docs ] || [ "${1:-}" = --no-build ] || [ "${1:-}" = --product ]; do
  [ "$1" = --docs ] && docs=yes
  [ "$1" = --no-build ] && build_first=no
  [ "$1" = --product ] && product=yes
  shift
done
work="$PWD/build/setup-shots"
out="${1:-$work/pages}"
table="$PWD/tools/screenshots/setup_pages.txt"
docs_prefix=setup
build=build/windows
if [ "$product" = yes ]; then
  table="$PWD/tools/screenshots/product_pages.txt"
  docs_prefix=product
  out="${1:-$work/product}"
fi
if [ "$build_first" = yes ]; then
  cmake --build build/native --target vxpack >/dev/null
  cmake --build "$build" --target vxsetup vxuninst setup_tour >/dev/null
  [ "$product" = no ] || cmake --build "$build" --target contavo_lite_setup >/dev/null
fi
export WINEPREFIX="$PWD/$build/wineprefix"
wine_run="$PWD/$build/wine-run.sh"

rm -rf "$work/package" "$work/exchange" "$out"
mkdir -p "$work/package" "$work/exchange" "$out"
package="$work/package"
# The dialog picture: a deep blue strip with the product's name; a small badge for
# the welcome page (wizard bitmap 2).
convert -size 164x314 gradient:'#0b2f66'-'#4f8fd8' \
  -fill '#ffffff' -font DejaVu-Sans-Bold -pointsize 20 -annotate +14+44 'Contavo' \
  -font DejaVu-Sans -pointsize 16 -annotate +14+66 'Lite' \
  -fill '#ffffff22' -draw 'circle 120,250 200,250' BMP3:"$package/side.bmp"
convert -size 110x28 xc:'#0b2f66' -fill '#f2c14e' -font DejaVu-Sans-Bold -pointsize 12 \
  -annotate +10+19 'Version 1.0' BMP3:"$package/badge.bmp"
printf 'Contavo Lite licence\n\nYou may install and use this program on any number of computers.\n' \
  >"$package/licence.txt"
printf 'Contavo Lite keeps your addresses in one file, data.dat, in its folder.\n' \
  >"$package/readme.txt"
# Enough bytes that the progress page is seen on its way.
for n in 1 2 3 4 5 6 7 8; do head -c 4000000 /dev/urandom >"$package/part$n.dat"; done
{
  cat <<TOML
[package]
product = "Contavo Lite"
window_title = "Contavo Lite Setup"
install_dir = '<ProgramFiles>\\Contavo Lite'
shortcut_folder = "Contavo Lite"
pages = ["language", "welcome", "licence", "information", "system_information", "user_information",
         "destination", "program_folder", "install_type", "components", "summary", "finish"]
window = "full_screen"
user_name = "required"
user_company = "shown"
licence = "licence.txt"
information = "readme.txt"
finish_text = "%s is now installed on your computer."
language_caption = "Choose a Language"
language_prompt = "Please choose the language for the installation:"

[[package.install_types]]
caption = "Typical"
description = "The program and its parts."
[[package.install_types]]
caption = "Minimal"
description = "The program only."
[[package.install_types]]
caption = "Custom"
description = "Choose the parts to install."

[package.summary]
heading = "Contavo Lite will be installed with these settings:"
type = "Installation type:"
components = "Components:"
required_space = "Space required:"
available_space = "Space available:"
destination = "Destination folder:"
program_folder = "Program folder:"

# Requirements any machine the pictures are taken on meets, so that Next asks nothing.
[requirements]
rows = ["operating_system", "memory", "processor", "disk_space", "directx", "display_mode",
        "wave_output", "midi_output", "display_adapters"]
memory_mb = 16
disk_mb = 10
directx = "3.0"
display = "640x480x8"

[[languages]]
name = "English"
file = '$PWD/tools/vxpack/languages/english.txt'

[[languages]]
name = "Deutsch"
id = 1031
file = '$PWD/tools/vxpack/languages/deutsch.txt'

[pieces]
uninstaller = '$PWD/$build/installer/uninstall/vxuninst.exe'
dialog_picture = "side.bmp"
wizard_bitmaps = [{ id = 2, file = "badge.bmp" }]

[[components]]
id = "program"
name = "Program"
description = "The address book itself."
fixed = true

[[components]]
id = "help"
name = "Help"
description = "The manual, opened with F1."
selected = true

[[components]]
id = "samples"
name = "Sample address book"
description = "A small book to try the program with."
TOML
  for n in 1 2 3 4 5 6 7 8; do
    printf '[[files]]\nsource = "part%s.dat"\ntarget = '"'"'<InstallDir>\\part%s.dat'"'"'\nstorage = "stored"\n' "$n" "$n"
  done
} >"$package/setup.toml"
setup="$package/setup.exe"
if [ "$product" = yes ]; then
  setup="$PWD/$build/package/ContavoLiteSetup.exe"
else
  build/native/tools/vxpack/vxpack "$package/setup.toml" --stub "$build/installer/setup/vxsetup.exe" \
    -o "$setup" >/dev/null
fi

to_windows() { echo "Z:${1//\//\\}"; }
wineserver -k 2>/dev/null || true
names=$(grep -v '^#' "$table" | awk 'NF { print $1 }')
scripts/with-display.sh bash -c '
  set -e
  "$1" explorer /desktop=VortixSetup,800x600 "$2" "$3" "$4" "$5" &
  tour=$!
  n=0
  for name in $6; do
    n=$((n + 1))
    for _ in $(seq 600); do
      [ -e "$7/$name.ready" ] && break
      kill -0 $tour 2>/dev/null || { echo "the tour stopped before $name" >&2; exit 1; }
      sleep 0.2
    done
    import -window root -crop 800x600+0+0 "$8/$(printf %02d $n)-$name.png"
    touch "$7/$name.shot"
  done
  wait $tour
  wineserver -k || true
' _ "$wine_run" "$(to_windows "$PWD/$build/tools/screenshots/setup_tour.exe")" \
  "$(to_windows "$setup")" "$(to_windows "$table")" "$(to_windows "$work/exchange")" \
  "$names" "$work/exchange" "$out"
# The run installed the package: it is taken away again.
"$wine_run" "C:\\windows\\Contavo Lite Uninstaller.exe" /SILENT >/dev/null 2>&1 || true

if [ "$docs" = yes ]; then
  grep -v '^#' "$table" | awk 'NF && $3 == "yes" { print $1 }' | while read -r name; do
    cp "$out"/*-"$name".png "docs/$docs_prefix-$name.png"
  done
fi
ls "$out"
