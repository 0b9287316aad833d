#!/usr/bin/env bash
# cards_book.sh -- quarnel-cards book for the installed deck, as a whole process: its wall
# time, processor time and peak resident memory over a number of runs, and the book's size.
#
# Usage: bench/cards_book.sh [QUARNEL_CARDS] [INSTALL_DIR] [RUNS]
#   defaults: build/tools/quarnel-cards, build/install_folder, 10 runs
# Needs /usr/bin/time (Debian's time package). Exit code 0 when every run stays under 1 s and
# 64 MB and the book under 3 MB, 1 when one misses, 2 when the runs could not be made.
set -u
here=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$here/build/tools/quarnel-cards}
install=${2:-$here/build/install_folder}
runs=${3:-10}
[ -x "$tool" ] || { echo "no quarnel-cards at $tool" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing (apt-get install time)" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "| Run | Wall (s) | User + system (s) | Peak resident (MB) |"
echo "|---:|---:|---:|---:|"
met=0
for run in $(seq 1 "$runs"); do
  if ! /usr/bin/time -f "%e %U %S %M" -o "$work/time" \
       "$tool" --install-dir "$install" book "$work/book.html" >/dev/null; then
    echo "quarnel-cards book failed" >&2
    exit 2
  fi
  read -r wall user system kb <"$work/time"
  mb=$(awk -v kb="$kb" 'BEGIN { printf "%.1f", kb / 1024 }')
  cpu=$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')
  echo "| $run | $wall | $cpu | $mb |"
  awk -v w="$wall" -v kb="$kb" 'BEGIN { exit !(w < 1 && kb < 64 * 1024) }' || met=1
done
size=$(stat -c %s "$work/book.html")
echo
echo "The book: $size bytes ($(awk -v b="$size" 'BEGIN { printf "%.2f", b / 1048576 }') MB), 78 cards" \
     "and the cover; budgets: under 1 s and 64 MB a run, the book under 3 MB."
[ "$size" -lt $((3 * 1048576)) ] || met=1
exit $met
