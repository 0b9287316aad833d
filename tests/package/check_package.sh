#!/usr/bin/env bash
# check_package.sh -- the Debian package holds what it should, lintian finds no error in it,
# its desktop entry and metainfo validate, its dependencies are the binary's own, and the
# program unpacked from it opens its window from the unpacked files alone.
# Usage: check_package.sh QUARNEL_DEB [APP_ID]
# Needs lintian, desktop-file-utils, appstream, imagemagick, xvfb (quarnel.sh test installs
# them). Prints each check; exit code 1 when one fails.
set -u
deb=$(realpath "$1")
app=${2:-org.quarnel.Quarnel}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check WHAT COMMAND...: runs the command, quietly unless it fails
  local what=$1; shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok    $what"
  else
    echo "FAIL  $what"; sed 's/^/      /' "$work/out"; failures=$((failures + 1))
  fi
}

dpkg-deb -x "$deb" "$work/root" || { echo "FAIL  unpacking $deb"; exit 1; }
root=$work/root

has_files() {
  local missing=0
  for f in usr/games/quarnel usr/games/quarnel-deck usr/games/quarnel-journal usr/games/quarnel-cards \
    usr/share/man/man6/quarnel-journal.6.gz usr/share/doc/quarnel/journal.md \
    usr/share/quarnel/picture/main.nbf usr/share/quarnel/picture/CardDB.dat \
    usr/share/quarnel/sound/start.wav "usr/share/applications/$app.desktop" \
    "usr/share/metainfo/$app.metainfo.xml" usr/share/man/man6/quarnel.6.gz usr/share/man/man6/quarnel-deck.6.gz \
    usr/share/man/man6/quarnel-cards.6.gz \
    usr/share/doc/quarnel/copyright usr/share/doc/quarnel/changelog.gz; do
    [ -f "$root/$f" ] || { echo "missing /$f"; missing=1; }
  done
  return $missing
}
check "files: program, install folder, menu entry, metainfo, man page, copyright" has_files

every_language() { # each language's install folder and messages, the entry's translations
  local missing=0
  for code in es pt fr it de; do
    for f in "usr/share/quarnel/$code/picture/CardDB.dat" "usr/share/quarnel/$code/picture/font.nbf" \
      "usr/share/quarnel/$code/picture/language.txt" "usr/share/quarnel/$code/sound/start.wav" \
      "usr/share/locale/$code/LC_MESSAGES/quarnel.mo"; do
      [ -f "$root/$f" ] || { echo "missing /$f"; missing=1; }
    done
    grep -q "^Comment\[$code\]=" "$root/usr/share/applications/$app.desktop" ||
      { echo "the desktop entry has no Comment[$code]"; missing=1; }
    grep -q "xml:lang=\"$code\"" "$root/usr/share/metainfo/$app.metainfo.xml" ||
      { echo "the metainfo has no $code translation"; missing=1; }
  done
  return $missing
}
check "every language: install folders, messages, desktop entry and metainfo" every_language

icon_sizes() {
  local wrong=0
  for n in 16 24 32 48 64 128 256; do
    local png=$root/usr/share/icons/hicolor/${n}x$n/apps/$app.png
    local size
    size=$(identify -format "%wx%h" "$png" 2>/dev/null) || size=none
    [ "$size" = "${n}x$n" ] || { echo "$png: $size"; wrong=1; }
  done
  return $wrong
}
check "hicolor icons 16 to 256 at their sizes" icon_sizes

check "lintian: no errors" lintian --fail-on error "$deb"
check "desktop-file-validate" desktop-file-validate "$root/usr/share/applications/$app.desktop"
check "appstreamcli validate --no-net" appstreamcli validate --no-net \
  "$root/usr/share/metainfo/$app.metainfo.xml"

own_dependencies() { # Depends names exactly the packages of the libraries the binaries link
  local listed needed
  listed=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/(.*//; s/ //g' | sort -u)
  needed=$(for lib in $(objdump -p "$root"/usr/games/* | awk '/NEEDED/ {print $2}' | sort -u); do
    dpkg -S "*/$(gcc -print-multiarch)/$lib" 2>/dev/null | head -1 | cut -d: -f1
  done | sort -u)
  echo "Depends: $(echo $listed)"; echo "libraries: $(echo $needed)"
  [ "$listed" = "$needed" ]
}
check "dependencies are the binaries' libraries (dpkg-shlibdeps)" own_dependencies

check "--version from the unpacked program" "$root/usr/games/quarnel" --version

# quarnel-cards from the unpacked files alone: it finds the installed cards beside itself.
unpacked_cards() {
  local cards=(env -u QUARNEL_INSTALL_DIR LC_ALL=C "$root/usr/games/quarnel-cards")
  "${cards[@]}" show "the tower" --reversed | head -1 | grep -qx "16 The Tower, reversed" &&
    "${cards[@]}" --language de show "der turm" | head -1 | grep -qx "16 Der Turm, aufrecht" &&
    "${cards[@]}" book "$work/book.html" &&
    [ "$(grep -c '<section class="card"' "$work/book.html")" -eq 78 ] &&
    [ "$(stat -c %s "$work/book.html")" -lt 3145728 ] &&
    zcat "$root/usr/share/man/man6/quarnel-cards.6.gz" | grep -q "card of the day"
}
check "quarnel-cards show (in English and German) and book from the unpacked package; its man page" unpacked_cards
# quarnel-journal from the package: a reading logged into a fresh default journal, then
# read back by every command; a wrong card refused with the nearest name.
journal_commands() {
  local tool=$root/usr/games/quarnel-journal data=$work/data
  export XDG_DATA_HOME=$data QUARNEL_INSTALL_DIR=$root/usr/share/quarnel
  "$tool" log past "Three of Cups" "the fool reversed" "Ten of Swords" >/dev/null || return 1
  "$tool" log love "Judgment" - "ace of coins r" >/dev/null || return 1
  grep -q "^The Fool, reversed\. [A-Z]" "$data/quarnel/journal.md" || { echo "no meaning"; return 1; }
  "$tool" list | grep -qx "2  .*  Love: Judgement, Ace of Pentacles reversed  (own deck)" || return 1
  [ "$("$tool" search the fool reversed | cut -c1)" = 1 ] || return 1
  "$tool" stats | grep -q "^  The Fool " || return 1
  "$tool" stats --json | grep -q '"readings":2,' || return 1
  [ "$("$tool" export --format csv | wc -l)" = 6 ] || return 1
  "$tool" show 1 | head -1 | grep -q "^## Past reading, " || return 1
  local code=0
  "$tool" log past "Tree of Cups" 2>"$work/refused" || code=$?
  [ $code = 2 ] && grep -q "the nearest is 'Three of Cups'" "$work/refused"
}
check "quarnel-journal from the unpacked package: log, list, search, stats, export, show" \
  journal_commands
unpacked_window() {
  SMOKE_DATA_DIR=$root/usr/share/quarnel env -u QUARNEL_INSTALL_DIR \
    "$here/../desktop/window_smoke.sh" "$root/usr/games/quarnel" "$work/window.png"
}
check "window from the unpacked files" unpacked_window
german_window() { # a German locale reads the German install folder
  LC_ALL=de_DE.UTF-8 SMOKE_DATA_DIR=$root/usr/share/quarnel/de env -u QUARNEL_INSTALL_DIR \
    "$here/../desktop/window_smoke.sh" "$root/usr/games/quarnel"
}
check "window in German from the unpacked files" german_window

[ $failures -eq 0 ] && echo "package checks: all passed ($(basename "$deb"))"
exit $((failures > 0))
