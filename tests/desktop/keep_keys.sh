#!/usr/bin/env bash
# keep_keys.sh -- the desktop program under Xvfb keeps a reading: a love reading is played
# with the mouse, Ctrl+C puts its text on the clipboard, Ctrl+S saves a picture of the
# display at the window's scale in ~/Pictures, and Menu appends the reading to the journal
# given with --journal. A second run with --no-journal, played the same way but without the
# keys, must leave the home folder and the current folder as empty as it found them; a third
# with neither keeps the reading in ~/.local/share/quarnel/journal.md and says so once.
# Needs xvfb-run, xdotool, xclip and ImageMagick; skipped without them.
# Usage: keep_keys.sh PROGRAM WORK_FOLDER
set -u
program=$(realpath "$1")
work=$2
for tool in xvfb-run xdotool xclip identify; do
  command -v $tool >/dev/null || { echo "$tool missing: skipped"; exit 0; }
done
rm -rf "$work"
mkdir -p "$work/home/Pictures" "$work/current" "$work/bare-home" "$work/bare-current" \
  "$work/default-home"
export SDL_AUDIODRIVER=dummy
unset XDG_PICTURES_DIR XDG_CONFIG_HOME XDG_DATA_HOME

# -noreset: Xvfb otherwise resets when its last client leaves, and the second run's window
# could reach it in the middle of that reset.
xvfb-run -a -s "-screen 0 640x800x24 -noreset" bash -c '
  program=$0 work=$1
  fail() { echo "FAILED: $*"; [ -n "${pid:-}" ] && kill -TERM $pid 2>/dev/null; exit 1; }

  . "$2" # start
  # A tap at display pixel (x, y): the display fills the window at scale 2.
  tap() {
    xdotool mousemove --window "$window" $(( $1 * 2 + 1 )) $(( $2 * 2 + 1 )) click 1
    sleep ${3:-0.6}
  }
  love_reading_to_two_cards() {
    tap 200 280     # Start
    tap 115 178     # Love
    tap 120 220 1.5 # the deck, and its animation
    tap 230 300     # Next: the card table
    tap 120 191     # the first card
    tap 96 226      # the second
  }
  stop() { # closes the window; the exit code must be 0
    kill -TERM $pid
    wait $pid; local code=$?
    [ $code -eq 0 ] || fail "exit code $code"
    pid=""
  }

  # [1] Keys and journal.
  start "$work/home" "$work/current" --journal "$work/journal.md"
  love_reading_to_two_cards
  xdotool key ctrl+c
  sleep 0.5
  xclip -o -selection clipboard >"$work/clipboard.txt" 2>/dev/null ||
    fail "nothing on the clipboard"
  head -1 "$work/clipboard.txt" | grep -qx "Love reading" || fail "clipboard: $(head -3 "$work/clipboard.txt")"
  grep -q "^Card 1 of 10: Does my lover care for me?\$" "$work/clipboard.txt" ||
    fail "clipboard lacks the first question"
  [ "$(grep -c "^Face down\.\$" "$work/clipboard.txt")" -eq 8 ] || fail "clipboard: not 8 cards face down"
  grep -q "copied the reading to the clipboard" "$work/out.txt" || fail "no word of the copy"
  echo "clipboard: $(wc -c <"$work/clipboard.txt") bytes, $(grep -c . "$work/clipboard.txt") lines"

  xdotool key ctrl+s
  sleep 1
  picture=$(ls "$work"/home/Pictures/quarnel-*.png 2>/dev/null | head -1)
  [ -n "$picture" ] || fail "no picture in ~/Pictures; output: $(cat "$work/out.txt" "$work/err.txt")"
  grep -q "saved $picture" "$work/out.txt" || fail "the path was not printed"
  size=$(identify -format "%w %h" "$picture")
  colours=$(identify -format "%k" "$picture")
  echo "picture: $(basename "$picture"), $size, $colours colours"
  [ "$size" = "480 640" ] || fail "picture is $size, not the window scale 480 x 640"
  [ "$colours" -ge 32 ] || fail "picture shows $colours colours"
  cp "$picture" "$work/saved.png"

  tap 230 300 # Menu: the table is left with two cards turned
  stop
  [ "$(grep -c "^## Love reading, " "$work/journal.md")" -eq 1 ] || fail "journal: $(cat "$work/journal.md")"
  [ -z "$(cat "$work/err.txt")" ] || fail "warnings: $(cat "$work/err.txt")"
  echo "journal: $(grep -c . "$work/journal.md") lines"

  # [2] --no-journal, no keys: nothing written.
  start "$work/bare-home" "$work/bare-current" --no-journal
  love_reading_to_two_cards
  tap 230 300
  stop
  left=$(find "$work/bare-home" "$work/bare-current" -mindepth 1 | head -5)
  [ -z "$left" ] || fail "files written with --no-journal: $left"
  echo "with --no-journal: nothing written in the home and current folders"

  # [3] No option: the default journal, and one line that says where.
  start "$work/default-home" "$work/bare-current"
  love_reading_to_two_cards
  tap 230 300
  love_reading_to_two_cards
  tap 230 300
  stop
  kept=$work/default-home/.local/share/quarnel/journal.md
  [ "$(grep -c "^## Love reading, " "$kept" 2>/dev/null)" = 2 ] || fail "default journal: $(cat "$kept" 2>&1)"
  [ "$(cat "$work/err.txt")" = "quarnel: the readings are kept in $kept (--no-journal keeps none)" ] ||
    fail "stderr: $(cat "$work/err.txt")"
  echo "by default: two readings in ~/.local/share/quarnel/journal.md, said once"
' "$program" "$work" "$(dirname "$0")/start_window.sh"
