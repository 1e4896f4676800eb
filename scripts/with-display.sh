#!/usr/bin/env bash
# Runs a command with an X display: the one already set, or a virtual one (Xvfb)
# for the length of the command. Windows programs under Wine need one to make windows.
set -euo pipefail
if [ -n "${DISPLAY:-}" ]; then
  exec "$@"
fi
# Xvfb picks a free display number itself and writes it to the descriptor, so that
# two commands started at the same moment never share a display.
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null || true; rm -f "$number_file"' EXIT
for _ in $(seq 100); do [ -s "$number_file" ] && break; sleep 0.1; done
number=$(tr -dc 0-9 <"$number_file")
[ -n "$number" ] || { echo "Xvfb did not start" >&2; exit 1; }
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
export DISPLAY=":$number"
"$@"
