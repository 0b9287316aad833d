#!/usr/bin/env bash
# message_box.sh -- with an empty install folder the desktop program shows its message box,
# names the file it could not open and why on stderr, and SIGTERM ends it while the box is
# up (exit status 143).
# Usage: message_box.sh PROGRAM
set -u
program=$1
command -v xvfb-run >/dev/null || { echo "xvfb-run missing: skipped"; exit 0; }
empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
export SDL_AUDIODRIVER=dummy EMPTY=$empty
xvfb-run -a -s "-screen 0 640x800x24" bash -c '
  "$0" --install-dir "$EMPTY" 2>"$EMPTY.err" & pid=$!
  for _ in $(seq 100); do grep -q "cannot open" "$EMPTY.err" 2>/dev/null && break; sleep 0.1; done
  sleep 0.5 # the box is up
  cat "$EMPTY.err"
  grep -q "^quarnel: cannot open $EMPTY/picture/[a-z_]*\.nbf: No such file or directory$" \
    "$EMPTY.err" || { echo "no line names the missing file"; kill -KILL $pid; exit 4; }
  kill -0 $pid 2>/dev/null || { echo "the program ended before SIGTERM"; exit 3; }
  kill -TERM $pid
  for _ in $(seq 20); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
  if kill -0 $pid 2>/dev/null; then echo "SIGTERM did not end it"; kill -KILL $pid; exit 5; fi
  wait $pid; code=$?
  rm -f "$EMPTY.err"
  echo "exit status $code after SIGTERM"
  [ $code -eq 143 ]' "$program"
