# start_window.sh -- sourced by the desktop tests that drive the program's window with
# xdotool. start HOME CURRENT [OPTION]...: starts $program with that home folder in that
# current folder (its output in $work/out.txt and $work/err.txt), waits for its window, lets
# the title screen settle and gives the window the keyboard; sets pid and window. Needs
# program, work and fail.
start() {
  local home=$1 current=$2; shift 2
  (cd "$current" && HOME=$home exec "$program" "$@") >"$work/out.txt" 2>"$work/err.txt" &
  pid=$!
  window=""
  for i in $(seq 100); do
    window=$(xdotool search --name "^Quarnel\$" 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window"
  sleep 1.5 # the title screen
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
