#!/usr/bin/env bash
# wayland_window.sh -- with only a Wayland display (sway's headless back end, no DISPLAY),
# SDL picks Wayland: the desktop program opens its window, keeps running, says nothing on
# stderr, and ends with exit code 0 on SIGTERM. Skipped without sway.
# (Weston's headless back end announces no seat, and SDL 2.26 crashes in SDL_Init on a
# compositor without one; desktop compositors always have a seat, and so does sway.)
# sway refuses to run as root: as root the compositor runs as the user nobody.
# Usage: wayland_window.sh PROGRAM
set -u
program=$1
command -v sway >/dev/null || { echo "sway missing: skipped"; exit 0; }
runtime=$(mktemp -d)
chmod 700 "$runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$runtime"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
sway_pid=""
cleanup() {
  [ -n "$sway_pid" ] && kill "$sway_pid" 2>/dev/null && wait "$sway_pid" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT
"${as_user[@]}" env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" \
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway -c /dev/null >"$runtime/sway.log" 2>&1 &
sway_pid=$!
socket=""
for _ in $(seq 100); do
  socket=$(cd "$runtime" && ls wayland-* 2>/dev/null | grep -v lock | head -1)
  [ -n "$socket" ] && [ -S "$runtime/$socket" ] && break
  sleep 0.1
done
[ -n "$socket" ] || { echo "sway did not start"; cat "$runtime/sway.log"; exit 1; }

env -u DISPLAY -u SDL_VIDEODRIVER XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket" \
  SDL_AUDIODRIVER=dummy "$program" 2>"$runtime/err" &
pid=$!
sleep 3
if ! kill -0 $pid 2>/dev/null; then
  wait $pid; echo "the program ended with $? under Wayland:"; cat "$runtime/err"; exit 1
fi
kill -TERM $pid
wait $pid; code=$?
echo "exit code $code under Wayland ($socket)"
if [ -s "$runtime/err" ]; then echo "stderr:"; cat "$runtime/err"; exit 1; fi
exit $code
