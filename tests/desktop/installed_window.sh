#!/usr/bin/env bash
# installed_window.sh -- `cmake --install` into a temporary prefix, then the installed program,
# started from elsewhere with no QUARNEL_INSTALL_DIR, opens its window under Xvfb with the
# installed data (PREFIX/games/../share/quarnel), says nothing on stderr but at most one
# line that sound is off, and ends with exit code 0.
# Usage: installed_window.sh BUILD_DIR SCREENSHOT.png
set -u
build=$1
shot=$2
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "cmake --install failed"; exit 1; }
[ -x "$prefix/games/quarnel" ] || { echo "no $prefix/games/quarnel"; exit 1; }
cd / || exit 1
SMOKE_DATA_DIR=$prefix/share/quarnel SDL_AUDIODRIVER='' \
  env -u QUARNEL_INSTALL_DIR "$here/window_smoke.sh" "$prefix/games/quarnel" "$shot" \
  2>"$prefix/stderr"
code=$?
cat "$prefix/stderr"
if grep -v "^quarnel: sound is off" "$prefix/stderr" | grep -q .; then
  echo "the installed program wrote more than the sound line on stderr"; exit 6
fi
exit $code
