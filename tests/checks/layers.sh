#!/usr/bin/env bash
# layers.sh SRC -- the program's layers, lowest first: platform.h, core, graphics, reading,
# screens, shell; and above the shell the hosts (platform/sdl, platform/web,
# platform/headless and the front-end extras of platform/keep), which run the program and
# ask it through platform.h alone.
#
# Each #include is judged by the whole path it names against the folder of the file that
# holds it:
# - a program layer includes its own layer and the layers below, and platform/platform.h;
#   never platform/common nor a host's header;
# - platform/common includes platform.h and its own headers;
# - a host includes platform.h, platform/common, the front-end extras (platform/keep), the
#   journal and its own folder; never the program's own headers nor another back end's;
# - the card library (cards) stands above the program as the tools do: it includes the
#   program's core, graphics and reading, platform/common and its own headers;
# - the journal (src/journal), a layer above the program, includes platform.h and its own
#   headers: it asks the program through platform.h alone;
# - platform/platform.h includes no project header at all.
# Lists every include that breaks a rule and fails when there is one.
set -euo pipefail
src=${1:?usage: layers.sh SRC}

rank() { # the rank of a program layer; 9 for anything else
  case $1 in
    core) echo 1 ;; graphics) echo 2 ;; reading) echo 3 ;; screens) echo 4 ;; shell) echo 5 ;;
    *) echo 9 ;;
  esac
}

# allowed FOLDER TARGET: 0 when a file in FOLDER (relative to SRC) may include TARGET.
allowed() {
  local folder=$1 target=$2 top=${2%%/*}
  [ "$target" = "platform/platform.h" ] && return 0
  case $folder in
    core | graphics | reading | screens | shell)
      [ "$(rank "$top")" -le "$(rank "$folder")" ] ;;
    platform/common)
      [[ $target == platform/common/* ]] ;;
    cards)
      [[ $target == cards/* || $target == platform/common/* ]] || [ "$(rank "$top")" -le 3 ] ;;
    platform/sdl | platform/web | platform/headless | platform/keep)
      [[ $target == platform/common/* || $target == platform/keep/* || $target == journal/* ||
         $target == "$folder"/* ]] ;;
    journal)
      [[ $target == journal/* ]] ;;
    *) return 1 ;;
  esac
}

bad=0
while IFS= read -r file; do
  rel=${file#"$src"/}
  folder=${rel%/*}
  [ "$rel" = "platform/platform.h" ] && continue
  while IFS=: read -r line text; do
    target=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$text")
    if ! allowed "$folder" "$target"; then
      echo "$rel:$line: $folder includes $target"
      bad=1
    fi
  done < <(grep -n '#include "' "$file" || true)
done < <(find "$src" -name '*.cpp' -o -name '*.h' | sort)

if grep -n '#include "' "$src/platform/platform.h"; then
  echo "platform/platform.h includes a project header"
  bad=1
fi
[ $bad -eq 0 ] && echo "every include runs down the layers, and the hosts ask through platform.h"
exit $bad
