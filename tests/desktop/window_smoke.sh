#!/usr/bin/env bash
# window_smoke.sh -- the desktop program opens its window under Xvfb, shows the title screen,
# and ends with exit code 0 when its window is closed (SIGTERM reaches SDL as a quit event).
# With a screenshot path and ImageMagick at hand, the screen is captured while the window is
# open, and the capture must show the display area: a window of 480 x 640 pixels (the display
# at the default scale) holding the title screen's many colours, on Xvfb's black root.
# Usage: window_smoke.sh PROGRAM [SCREENSHOT.png]
set -u
program=$1
shot=${2:-}
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: skipped"; exit 0; }
export SDL_AUDIODRIVER=dummy
[ -n "$shot" ] && rm -f "$shot" && mkdir -p "$(dirname "$shot")"
xvfb-run -a -s "-screen 0 640x800x24" bash -c '
  "$0" & pid=$!
  # Wait for the window to be mapped (up to 15 s on a busy machine), then give it a moment
  # to show its first frame.
  if command -v xwininfo >/dev/null; then
    for i in $(seq 30); do xwininfo -name Quarnel >/dev/null 2>&1 && break; sleep 0.5; done
    sleep 1
  else
    sleep 3
  fi
  kill -0 $pid || { echo "the program ended on its own"; exit 3; }
  if [ -n "$1" ] && command -v import >/dev/null; then import -window root "$1"; fi
  kill -TERM $pid
  wait $pid; code=$?
  echo "exit code $code"
  exit $code' "$program" "$shot" || exit $?

[ -n "$shot" ] && [ -f "$shot" ] || { echo "no screenshot taken"; exit 0; }
# The bounding box of everything that is not the black root: the window's display area.
box=$(convert "$shot" -fuzz 1% -trim -format "%w %h" info:)
colours=$(convert "$shot" -format "%k" info:)
echo "screenshot $shot: display area $box, $colours colours"
read -r w h <<<"$box"
[ "$w" -ge 470 ] && [ "$w" -le 480 ] && [ "$h" -ge 630 ] && [ "$h" -le 640 ] ||
  { echo "the screenshot does not show a 480 x 640 display area"; exit 4; }
[ "$colours" -ge 32 ] || { echo "the display area is nearly blank"; exit 5; }
