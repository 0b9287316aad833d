#!/usr/bin/env bash
# keys_window.sh -- the desktop program under Xvfb is played with the keyboard alone: Enter
# starts, 4 opens a love reading, Space shuffles, keypad Enter deals; on the card table the
# arrows, Tab, Shift+Tab, Home and End move a gold highlight drawn over the display, Enter
# and the digits turn cards, Page Up/Down scroll the meaning; F11 twice leaves the window as it was;
# Ctrl+C copies the reading (three cards turned), Escape leaves it for the menu (the journal
# gets it) and Ctrl+Q ends the program with exit code 0.
# Needs xvfb-run, xdotool, xclip and ImageMagick; skipped without them.
# Usage: keys_window.sh PROGRAM WORK_FOLDER
set -u
program=$(realpath "$1")
work=$2
for tool in xvfb-run xdotool xclip convert import; do
  command -v $tool >/dev/null || { echo "$tool missing: skipped"; exit 0; }
done
rm -rf "$work"
mkdir -p "$work/home"
export SDL_AUDIODRIVER=dummy
unset XDG_PICTURES_DIR XDG_CONFIG_HOME

xvfb-run -a -s "-screen 0 640x800x24" bash -c '
  program=$0 work=$1
  fail() { echo "FAILED: $*"; [ -n "${pid:-}" ] && kill -TERM $pid 2>/dev/null; exit 1; }
  key() { xdotool key --window "$window" "$@"; sleep 0.4; }
  # Pixels of the highlight'\''s gold on the screen.
  gold_pixels() {
    import -window root "$work/screen.png" 2>/dev/null || { echo 0; return; }
    convert "$work/screen.png" -fill black +opaque "#FFD65A" -fill white -opaque "#FFD65A" \
      -format "%[fx:round(mean*w*h)]" info:
  }
  size() { xdotool getwindowgeometry "$window" | sed -n "s/.*Geometry: //p"; }

  . "$2" # start
  start "$work/home" "$PWD" --journal "$work/journal.md"

  # The reading on the clipboard (Ctrl+C), in clipboard.txt.
  copy() {
    xdotool key --window "$window" ctrl+c; sleep 0.2
    xclip -o -selection clipboard >"$work/clipboard.txt" 2>/dev/null
  }
  turned() { # turned N: card N of the reading on the clipboard is face up
    grep -A1 "^Card $1 of 10:" "$work/clipboard.txt" | tail -1 | grep -qv "^Face down"
  }
  # The machine may be slow: each step is waited for, up to 15 s.
  wait_until() { # wait_until WHAT COMMAND...
    local what=$1; shift
    for i in $(seq 30); do "$@" && return 0; sleep 0.5; done
    fail "$what"
  }
  on_table() { copy && grep -q "^Card 1 of 10: " "$work/clipboard.txt"; }
  copy_shows_turned() { copy && turned "$1"; }
  highlighted() { [ "$(gold_pixels)" -ge 100 ]; }

  key Return            # Start
  key 4                 # Love
  key space; sleep 1.2  # the deck and its animation
  key KP_Enter          # Next: the card table
  wait_until "no love reading on the card table" on_table
  [ "$(gold_pixels)" -eq 0 ] || fail "a highlight before any key moved it"
  key Right Right Tab   # the third card
  key shift+Tab End Home Left Down Up
  wait_until "no highlight drawn ($(gold_pixels) gold pixels)" highlighted
  echo "highlight: $(gold_pixels) gold pixels"
  key Return            # turns the highlighted card: the tenth
  wait_until "Enter did not turn the tenth card" copy_shows_turned 10
  key 1                 # the first card
  wait_until "1 did not turn the first card" copy_shows_turned 1
  key 3                 # the third
  wait_until "3 did not turn the third card" copy_shows_turned 3
  key Next Prior Down Up # scroll the meaning
  copy || fail "nothing on the clipboard"
  head -1 "$work/clipboard.txt" | grep -qx "Love reading" || fail "clipboard: $(head -3 "$work/clipboard.txt")"
  [ "$(grep -c "^Face down\.\$" "$work/clipboard.txt")" -eq 7 ] ||
    fail "not 7 cards face down: $(cat "$work/clipboard.txt")"
  echo "clipboard: cards 1, 3 and 10 turned"

  # Xvfb has no window manager to make the window fullscreen: F11 twice must leave it as
  # it was, and the program answering.
  before=$(size)
  key F11 F11; sleep 0.6
  after=$(size)
  [ "$after" = "$before" ] || fail "F11 twice: the window is $after, not $before"
  kill -0 $pid 2>/dev/null || fail "F11 ended the program"

  key Escape            # the menu: the reading goes to the journal
  journal_has_it() { [ "$(grep -c "^## Love reading, " "$work/journal.md" 2>/dev/null)" = 1 ]; }
  wait_until "journal: $(cat "$work/journal.md" 2>&1)" journal_has_it
  xdotool key --window "$window" ctrl+q 2>/dev/null # the window goes before the keys are let go
  for i in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  kill -0 $pid 2>/dev/null && fail "Ctrl+Q did not end the program"
  wait $pid; code=$?
  pid=""
  [ $code -eq 0 ] || fail "exit code $code"
  [ -z "$(cat "$work/err.txt")" ] || fail "warnings: $(cat "$work/err.txt")"
  echo "Ctrl+Q: exit code 0"
' "$program" "$work" "$(dirname "$0")/start_window.sh"
