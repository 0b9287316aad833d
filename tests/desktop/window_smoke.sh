#!/usr/bin/env bash
# window_smoke.sh -- the desktop program opens its window under Xvfb, shows the title screen,
# and ends with exit code 0 when its window is closed (SIGTERM reaches SDL as a quit event).
# Usage: window_smoke.sh PROGRAM [SCREENSHOT.png]
set -u
program=$1
shot=${2:-}
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: skipped"; exit 0; }
export SDL_AUDIODRIVER=dummy
xvfb-run -a -s "-screen 0 640x800x24" bash -c '
  "$0" & pid=$!
  sleep 3
  if [ -n "$1" ] && command -v import >/dev/null; then import -window root "$1"; fi
  kill -0 $pid || { echo "the program ended on its own"; exit 3; }
  kill -TERM $pid
  wait $pid; code=$?
  echo "exit code $code"
  exit $code' "$program" "$shot"
