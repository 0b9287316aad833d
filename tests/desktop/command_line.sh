#!/usr/bin/env bash
# command_line.sh -- the desktop program answers --help and --version and exits 0, refuses a
# wrong option in one line plus the usage with exit code 2, and without a display says so in
# one line and exits 1 within 2 s (never running on with no window), as it does with a
# display it cannot reach; and speaks the locale's language, or --language's.
# Usage: command_line.sh PROGRAM
set -u
program=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$program" --help >"$out/help" 2>"$out/help.err"; code=$?
[ $code -eq 0 ] || fail "--help exit code $code"
grep -q -- "--install-dir DIR" "$out/help" || fail "--help lists no --install-dir"
grep -q "Ctrl+Q" "$out/help" || fail "--help lists no keys"
[ -s "$out/help.err" ] && fail "--help wrote on stderr"

"$program" --version >"$out/version"; code=$?
[ $code -eq 0 ] || fail "--version exit code $code"
grep -Eq '^quarnel [0-9]+\.[0-9]+' "$out/version" || fail "--version printed '$(cat "$out/version")'"

for wrong in "--bogus" "--scale 0" "--scale" "--install-dir /nonexistent/folder" "extra"; do
  # shellcheck disable=SC2086 # the words of the case are separate arguments
  "$program" $wrong >"$out/wrong" 2>"$out/wrong.err"; code=$?
  [ $code -eq 2 ] || fail "'$wrong' exit code $code"
  head -1 "$out/wrong.err" | grep -q "^quarnel: " || fail "'$wrong' first line: $(head -1 "$out/wrong.err")"
  sed -n 2p "$out/wrong.err" | grep -q "^Usage: quarnel" || fail "'$wrong' gives no usage"
  [ -s "$out/wrong" ] && fail "'$wrong' wrote on stdout"
done

start=$(date +%s%N)
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 5 "$program" >"$out/nodisplay" \
  2>"$out/nodisplay.err"; code=$?
ms=$((($(date +%s%N) - start) / 1000000))
[ $code -eq 1 ] || fail "no display: exit code $code"
[ $ms -lt 2000 ] || fail "no display: took $ms ms"
[ "$(wc -l <"$out/nodisplay.err")" -eq 1 ] || fail "no display: $(wc -l <"$out/nodisplay.err") lines"
grep -q "^quarnel: cannot open a window: no display" "$out/nodisplay.err" ||
  fail "no display said: $(cat "$out/nodisplay.err")"
echo "no display: exit code $code after $ms ms: $(cat "$out/nodisplay.err")"

# A display that is named but cannot be reached: the same, in one line that names it.
env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:97 timeout 5 "$program" >/dev/null \
  2>"$out/unreachable.err"; code=$?
[ $code -eq 1 ] || fail "unreachable display: exit code $code"
[ "$(cat "$out/unreachable.err")" = "quarnel: cannot open a window: cannot connect to the display (DISPLAY=:97)" ] ||
  fail "unreachable display said: $(cat "$out/unreachable.err")"

# A deck folder that holds no deck is refused before any window opens, even with no display.
env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER timeout 5 "$program" --deck "$out" \
  >/dev/null 2>"$out/deck.err"; code=$?
[ $code -eq 2 ] || fail "--deck without a deck: exit code $code"
[ "$(cat "$out/deck.err")" = "quarnel: --deck $out: no folder with card.nbf or CardDB.dat" ] ||
  fail "--deck without a deck said: $(cat "$out/deck.err")"

# The messages speak the locale's language, or --language's; a language Quarnel lacks is
# refused in one line that names the languages.
LC_ALL=es_ES.UTF-8 "$program" --help >"$out/help.es"
[ "$(head -1 "$out/help.es")" = "Uso: quarnel [OPCIÓN]..." ] ||
  fail "LC_ALL=es_ES.UTF-8 --help began: $(head -1 "$out/help.es")"
LC_ALL=C "$program" --language de --help >"$out/help.de"
[ "$(head -1 "$out/help.de")" = "Aufruf: quarnel [OPTION]..." ] ||
  fail "--language de --help began: $(head -1 "$out/help.de")"
LC_ALL=C "$program" --language xx >/dev/null 2>"$out/language.err"; code=$?
[ $code -eq 2 ] || fail "--language xx: exit code $code"
[ "$(head -1 "$out/language.err")" = "quarnel: --language xx: no such language; the languages are en (English), es (Español), pt (Português), fr (Français), it (Italiano), de (Deutsch)" ] ||
  fail "--language xx said: $(head -1 "$out/language.err")"

[ $failures -eq 0 ] && echo "command line: all passed"
exit $((failures > 0))
