#!/usr/bin/env bash
# window_smoke.sh -- the desktop program opens its window under Xvfb, shows the title screen,
# and ends with exit code 0 when its window is closed (SIGTERM reaches SDL as a quit event).
# With a screenshot path and ImageMagick at hand, the screen is captured while the window is
# open, and the capture must show the display area: a window of 480 x 640 pixels (the display
# at the default scale) holding the title screen's many colours, on Xvfb's black root. The
# screen is captured again until it does, for up to 30 s on a busy machine.
# With SMOKE_DATA_DIR set, the open program must hold a file of that folder open (the card
# text file stays open while it runs): it reads its data from there. SDL_AUDIODRIVER is
# dummy unless set (set it empty to try the machine's own sound).
# Usage: window_smoke.sh PROGRAM [SCREENSHOT.png]
set -u
program=$1
shot=${2:-}
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: skipped"; exit 0; }
if [ -n "$shot" ]; then
  rm -f "$shot"
  mkdir -p "$(dirname "$shot")"
  command -v import >/dev/null || { echo "ImageMagick missing: no screenshot"; shot=""; }
fi
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER-dummy}
xvfb-run -a -s "-screen 0 640x800x24" bash -c '
  program=$0 shot=$1
  "$program" & pid=$!
  shows_display() { # the capture holds a 480 x 640 area in 32 colours or more
    import -window root "$shot" 2>/dev/null || return 1
    read -r w h < <(convert "$shot" -fuzz 1% -trim -format "%w %h\n" info: 2>/dev/null)
    colours=$(convert "$shot" -format "%k" info:)
    echo "capture: display area ${w:-?} x ${h:-?}, $colours colours"
    [ "${w:-0}" -ge 470 ] && [ "${w:-0}" -le 480 ] && [ "${h:-0}" -ge 630 ] &&
      [ "${h:-0}" -le 640 ] && [ "$colours" -ge 32 ]
  }
  status=0
  if [ -n "$shot" ]; then
    status=4
    for i in $(seq 30); do sleep 1; shows_display && { status=0; break; }; done
    [ $status -eq 0 ] || echo "the window never showed the display area"
  else
    sleep 3
  fi
  kill -0 $pid || { echo "the program ended on its own"; exit 3; }
  if [ -n "${SMOKE_DATA_DIR:-}" ]; then
    if ls -l /proc/$pid/fd 2>/dev/null | grep -q " -> $SMOKE_DATA_DIR/"; then
      echo "reads its data from $SMOKE_DATA_DIR"
    else
      echo "the program holds no file of $SMOKE_DATA_DIR open"; status=5
    fi
  fi
  kill -TERM $pid
  wait $pid; code=$?
  echo "exit code $code"
  [ $code -ne 0 ] && exit $code
  exit $status' "$program" "$shot"
