#!/usr/bin/env bash
# layers.sh SRC -- the program's layers, lowest first: platform, core, graphics, reading,
# screens, shell. A file may include headers of its own layer and the layers below it, never
# of a layer above; platform.h includes no program header at all. Lists every include that
# runs upward and fails when there is one.
set -euo pipefail
src=${1:?usage: layers.sh SRC}
rank() {
  case $1 in
    platform) echo 0 ;; core) echo 1 ;; graphics) echo 2 ;; reading) echo 3 ;;
    screens) echo 4 ;; shell) echo 5 ;; *) echo 9 ;;
  esac
}
bad=0
for layer in core graphics reading screens shell; do
  own=$(rank "$layer")
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
    if [ "$(rank "$target")" -gt "$own" ]; then
      echo "${file#"$src"/}:$line: $layer includes $target: $text"
      bad=1
    fi
  done < <(grep -Hn '#include "[a-z_]*/' "$src/$layer"/*.cpp "$src/$layer"/*.h 2>/dev/null || true)
done
if grep -n '#include "' "$src/platform/platform.h"; then
  echo "platform/platform.h includes a program header"
  bad=1
fi
[ $bad -eq 0 ] && echo "every include runs down the layers"
exit $bad
