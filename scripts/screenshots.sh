#!/usr/bin/env bash
# Takes the README's pictures of the main window: as it opens (docs/main-window.png),
# and with the display card and a photo, in the dark colours (the defaults) and a
# light scheme (docs/display-card-dark.png, docs/display-card-light.png), and the Group Editor
# and Search dialogs and the Settings window opened from the keyboard (docs/group-editor.png,
# docs/search.png, docs/settings.png), the compose window with a message to the
# selected entry (docs/compose.png) and "Make a call" for it (docs/make-a-call.png).
# The photo is drawn
# here (ImageMagick); the book is written by tools/screenshots/card_demo.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/windows
cmake --build "$build" --target ctlite ctlitedisplay card_demo >/dev/null
export WINEPREFIX="$PWD/$build/wineprefix"
wine_run="$PWD/$build/wine-run.sh"
program="$PWD/$build/addressbook/ui/ctlite.exe"
demo="$PWD/build/shots"
rm -rf "$demo" && mkdir -p "$demo"

# A portrait: head and shoulders on a soft sky.
convert -size 96x112 gradient:'#7fa6cc'-'#e3ecf5' \
  -fill '#2f4f6f' -draw 'ellipse 48,118 42,40 180,360' \
  -fill '#e9bf9a' -draw 'rectangle 41,62 55,80' \
  -fill '#f2cfae' -draw 'ellipse 48,46 19,23 0,360' \
  -fill '#5a3a22' -draw 'ellipse 48,32 21,14 180,360' \
  -quality 90 "$demo/ann.jpg"
"$wine_run" "$build/tools/screenshots/card_demo.exe" book "Z:${demo//\//\\}" ann.jpg

# A main window roomy enough for the card's rows beside the photo.
printf '[Contavo Lite]\r\nx=10\r\ny=10\r\nwidth=700\r\nheight=500\r\n' >"$WINEPREFIX/drive_c/windows/ctlite.INI"
key='HKCU\Software\Contavo Lite'
# on_desktop STEPS [select]: starts Contavo Lite on a 720x520 virtual desktop of a
# display of its own, waits for its main window, lets card_demo select the first entry
# when asked, brings the window forward, runs STEPS (shell commands; `shot NAME`
# saves docs/NAME.png) and ends the Wine session.
on_desktop() {
  wineserver -k 2>/dev/null || true
  scripts/with-display.sh bash -c '
    cd "$1" && "$2" explorer /desktop=ContavoLite,720x520 "$3" &
    for _ in $(seq 60); do
      sleep 0.5
      xdotool search --name "^Contavo Lite - " >/dev/null 2>&1 && break
    done
    sleep 1
    if [ "$6" = select ]; then "$2" explorer /desktop=ContavoLite,720x520 "$4" select; sleep 1; fi
    xdotool windowactivate --sync "$(xdotool search --name "^Contavo Lite - " | head -1)" 2>/dev/null || true
    docs=$5
    shot() { import -window root -crop 720x520+0+0 "$docs/$1.png"; }
    eval "$7"
    wineserver -k
  ' _ "$demo" "$wine_run" "$program" "$PWD/$build/tools/screenshots/card_demo.exe" "$PWD/docs" \
    "${2:-}" "$1"
}
colours() {  # BACKGROUND TEXT LINK (COLORREF values)
  "$wine_run" reg add "$key" /v Color_Background /t REG_DWORD /d "$1" /f >/dev/null
  "$wine_run" reg add "$key" /v Color_Text /t REG_DWORD /d "$2" /f >/dev/null
  "$wine_run" reg add "$key" /v Color_Link /t REG_DWORD /d "$3" /f >/dev/null
}
colours 0 16777215 65280
on_desktop 'sleep 0.5; shot display-card-dark' select
colours 15660270 2107424 11557406
on_desktop 'sleep 0.5; shot display-card-light' select
colours 0 16777215 65280
on_desktop 'sleep 0.5; shot main-window'
# The dialogs: Group, Swap Entries (Alt+G, S), the Find button (Alt+F is the File menu's),
# then Options, Settings (Alt+O, S).
# The machine has no Arial, the font Settings shows first: Wine draws it with DejaVu Sans.
fonts='HKCU\Software\Wine\Fonts\Replacements'
"$wine_run" reg add "$fonts" /v Arial /t REG_SZ /d "DejaVu Sans" /f >/dev/null
on_desktop '
  xdotool key --clearmodifiers alt+g; sleep 0.5; xdotool key s; sleep 1.5; shot group-editor
  xdotool key Escape; sleep 1
  xdotool mousemove 312 80; sleep 0.5; xdotool mousedown 1; sleep 0.2; xdotool mouseup 1
  xdotool mousemove 700 510; sleep 1.5; shot search
  xdotool key Escape; sleep 1
  xdotool key --clearmodifiers alt+o; sleep 0.5; xdotool key s; sleep 1.5; shot settings'
# The compose window: the first entry selected, then a click on the Email button (Alt+E
# is the Entry menu's), a subject and a line of text typed in; the sender and the server as Settings keeps them.
for value in "User Name=Ben Carter" "Email=ben@example.com" "SMTP=mail.example.com" \
  "Signature=Ben"; do
  "$wine_run" reg add "$key" /v "${value%%=*}" /t REG_SZ /d "${value#*=}" /f >/dev/null
done
on_desktop '
  xdotool mousemove 150 80; sleep 0.5; xdotool mousedown 1; sleep 0.2; xdotool mouseup 1; sleep 1.5
  xdotool mousemove 348 150 click 1; sleep 0.5; xdotool type --delay 20 "Lunch on Friday"
  xdotool mousemove 350 270 click 1; sleep 0.5; xdotool type --delay 20 "Are you free at one?"
  xdotool mousemove 700 510; sleep 1
  shot compose' select
# "Make a call" for the selected entry (Alt+C).
on_desktop 'xdotool key --clearmodifiers alt+c; sleep 1.5; shot make-a-call' select
"$wine_run" reg delete "$key" /f >/dev/null 2>&1 || true
"$wine_run" reg delete "$fonts" /v Arial /f >/dev/null 2>&1 || true
echo "docs/main-window.png docs/display-card-dark.png docs/display-card-light.png docs/group-editor.png docs/search.png docs/settings.png docs/compose.png docs/make-a-call.png"
