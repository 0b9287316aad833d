#!/usr/bin/env bash
# idle_cpu.sh -- processor use of the desktop program while the user reads: 10 s idling on
# the title screen, the menu, a shuffle screen, a card table, the about page and the
# publisher pages, under Xvfb, with the peak resident memory of the whole run
#
# Usage: bench/idle_cpu.sh [PROGRAM] [SECONDS]
#   PROGRAM  the desktop program (default: build/quarnel beside this script's repository)
#   SECONDS  idle time measured on each screen (default 10)
# Needs xvfb-run and xdotool. Prints one row a screen: the program's processor use from
# /proc/PID/stat (utime + stime, in clock ticks), the same from /proc/PID/task/*/schedstat
# (nanoseconds, all threads), and the X server's share. The about page is measured twice:
# still, and with the pointer moving over the window many times a second. Also prints the
# processor time of one tap on the deck (a step of 18 presented frames, sounds and window
# updates included), from five taps.
# Exit code 0 when every screen stays under 2% of one core and the peak resident memory
# under 16 MB, 1 when one misses, 2 when the run could not be made.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/quarnel}
idle=${2:-10}
[ -x "$program" ] || { echo "no program at $program" >&2; exit 2; }
command -v xvfb-run >/dev/null || { echo "xvfb-run missing" >&2; exit 2; }
command -v xdotool >/dev/null || { echo "xdotool missing" >&2; exit 2; }
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
export IDLE_SECONDS=$idle
# The verdict goes through a file: xvfb-run's own exit code also reports its clean-up.
IDLE_STATUS=$(mktemp)
export IDLE_STATUS
trap 'rm -f "$IDLE_STATUS"' EXIT
echo 2 >"$IDLE_STATUS"

# shellcheck disable=SC2016 # the inner script expands its own variables
xvfb-run -a -s "-screen 0 640x800x24" bash -c '
program=$0
ticks_per_second=$(getconf CLK_TCK)

cpu_ticks() { # utime + stime of a process, in clock ticks
  local rest
  rest=$(sed "s/^.*) //" "/proc/$1/stat") || return 1
  awk "{print \$12 + \$13}" <<<"$rest"
}
cpu_ns() { # time on a processor of every thread of a process, in nanoseconds
  cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk "{s += \$1} END {print s + 0}"
}
server=$(pgrep -f "^Xvfb $DISPLAY( |\$)" | head -1)
[ -n "$server" ] || server=$(pgrep -f "Xvfb $DISPLAY " | head -1)

"$program" & pid=$!
window=""
for _ in $(seq 50); do
  window=$(xdotool search --pid "$pid" --name Quarnel 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the window did not appear"; kill -TERM "$pid"; exit 2; }
geometry=$(xdotool getwindowgeometry "$window" | awk "/Geometry/ {print \$2}")
echo "window $window ${geometry:-?} (display pixel x, y is window pixel 2x, 2y)"

tap() { # a display tap at ($1, $2) on the 240 x 320 display, the window at scale 2
  xdotool mousemove --window "$window" $(($1 * 2)) $(($2 * 2)) click 1
  sleep "${3:-1}"
}

missed=0
printf "%-22s %8s %8s %10s %8s\n" screen "stat %" "sched %" "X server %" target
measure() {
  local t0 n0 x0 w0 t1 n1 x1 w1
  kill -0 "$pid" 2>/dev/null || { echo "the program ended"; exit 2; }
  t0=$(cpu_ticks "$pid"); n0=$(cpu_ns "$pid"); x0=$(cpu_ticks "$server" 2>/dev/null || echo 0)
  w0=$(date +%s.%N)
  sleep "$IDLE_SECONDS"
  t1=$(cpu_ticks "$pid"); n1=$(cpu_ns "$pid"); x1=$(cpu_ticks "$server" 2>/dev/null || echo 0)
  w1=$(date +%s.%N)
  awk -v name="$1" -v t="$((t1 - t0))" -v n="$((n1 - n0))" -v x="$((x1 - x0))" \
      -v w0="$w0" -v w1="$w1" -v hz="$ticks_per_second" "BEGIN {
    wall = w1 - w0; stat = 100 * t / hz / wall; sched = 100 * n / 1e9 / wall
    xs = 100 * x / hz / wall
    printf \"%-22s %8.2f %8.2f %10.2f %8s\n\", name, stat, sched, xs, \
      (stat < 2 && sched < 2) ? \"ok\" : \"OVER\"
    exit !(stat < 2 && sched < 2) }" || missed=1
}

sleep 2
measure "title"
tap 200 280               # Start
measure "menu"
tap 115 178               # Love
measure "shuffle screen"
deck_ns0=$(cpu_ns "$pid"); deck_w0=$(date +%s.%N)
for _ in 1 2 3 4 5; do tap 120 220 1; done # the deck: 18 frames of animation each
deck_ns1=$(cpu_ns "$pid"); deck_w1=$(date +%s.%N)
awk -v n="$((deck_ns1 - deck_ns0))" -v w0="$deck_w0" -v w1="$deck_w1" "BEGIN {
  printf \"%-22s %8.2f ms processor time a tap (%.1f%% over %.1f s)\n\", \"deck tap\", \
    n / 5 / 1e6, 100 * n / 1e9 / (w1 - w0), w1 - w0 }"
tap 230 300               # Next: the card table
tap 120 191               # the first card of the spread
measure "card table"
tap 230 300               # Menu
tap 110 245               # about tarot
measure "about page"
( # the pointer wandering over the page, as the reader moves the mouse
  while :; do
    xdotool mousemove --window "$window" $((RANDOM % 400 + 40)) $((RANDOM % 560 + 40))
    sleep 0.02
  done ) & mover=$!
measure "about, pointer moving"
kill "$mover"; wait "$mover" 2>/dev/null
tap 100 300               # Back
tap 110 270               # publisher pages
measure "publisher pages"

peak=$(awk "/VmHWM/ {print \$2}" "/proc/$pid/status")
echo "peak resident memory (VmHWM): ${peak} kB"
[ "${peak:-99999}" -lt 16384 ] || { echo "peak resident memory OVER 16 MB"; missed=1; }
kill -TERM "$pid"
wait "$pid"
echo "exit code $?"
echo $missed >"$IDLE_STATUS"' "$program"
exit "$(cat "$IDLE_STATUS")"
