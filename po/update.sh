#!/usr/bin/env bash
# update.sh -- gathers the translatable texts into po/quarnel.pot (the desktop program's
# command-line and journal messages, the desktop entry and the AppStream metainfo) and merges
# them into each language's .po file. Run it after changing any of those texts, then translate
# what msgmerge marks as new or fuzzy; the build compiles the .po files (msgfmt).
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
xgettext --from-code=UTF-8 --keyword=N_ --keyword=message --keyword=gettext \
  --package-name=quarnel --package-version=1.0 --msgid-bugs-address=packages@quarnel.org \
  --copyright-holder="Vorn Games" \
  --add-comments=TRANSLATORS --sort-by-file -o "$work/code.pot" src/platform/sdl/*.cpp \
  src/platform/keep/journal.cpp
# The templates keep their @VARIABLES@; xgettext knows them by their extensions.
cp packaging/quarnel.desktop.in "$work/quarnel.desktop"
cp packaging/quarnel.metainfo.xml.in "$work/quarnel.metainfo.xml"
xgettext -L Desktop -o "$work/desktop.pot" "$work/quarnel.desktop"
xgettext -o "$work/metainfo.pot" "$work/quarnel.metainfo.xml"
msgcat --use-first "$work/code.pot" "$work/desktop.pot" "$work/metainfo.pot" |
  sed "s|$work/|packaging/|g; s|^\"Content-Type: text/plain; charset=CHARSET|\"Content-Type: text/plain; charset=UTF-8|" \
    >po/quarnel.pot
for language in $(cat po/LINGUAS); do
  msgmerge --quiet --update --backup=none "po/$language.po" po/quarnel.pot
done
