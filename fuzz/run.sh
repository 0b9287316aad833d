#!/usr/bin/env bash
# run.sh -- builds the fuzz harnesses with clang, replays their corpora and fuzzes each one
#   fuzz/run.sh [SECONDS_PER_HARNESS]      (default 60)
# Environment: QUARNEL_FUZZ_BUILD (build folder, default build-fuzz beside this folder),
# QUARNEL_FUZZ_HARNESSES (default "picture palette card_db blit text card_texts journal"),
# JOBS (default 2).
# Inputs that found something are kept as BUILD/fuzz-artifacts/<harness>-crash-...; the
# script stops with a non-zero status at the first harness that finds something.
set -euo pipefail
seconds=${1:-60}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
build=${QUARNEL_FUZZ_BUILD:-$root/build-fuzz}
harnesses=${QUARNEL_FUZZ_HARNESSES:-picture palette card_db blit text card_texts journal}
jobs=${JOBS:-2}

CC=${CC:-clang-14} CXX=${CXX:-clang++-14} cmake -S "$root" -B "$build" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUARNEL_FUZZ=ON -DQUARNEL_DESKTOP=OFF \
  -DQUARNEL_BENCH=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target install_folder fuzz_all

seeds=$build/fuzz-seeds
"$here/seed_corpus.sh" "$build/install_folder" "$seeds"
mkdir -p "$build/fuzz-artifacts"

max_len_of() { # small inputs keep the executions fast; every path is reached well below
  case $1 in
    picture) echo 8192 ;;
    palette) echo 1024 ;;
    card_db) echo 8192 ;;
    card_texts | journal) echo 16384 ;;
    *) echo 4096 ;;
  esac
}

for harness in $harnesses; do
  binary=$build/fuzz/fuzz_$harness
  corpus=$build/fuzz-corpus/$harness
  mkdir -p "$corpus"
  echo "== $harness: replaying the seeds and the corpus"
  "$binary" -runs=0 "$corpus" "$seeds/$harness"
  echo "== $harness: fuzzing for $seconds s"
  "$binary" -max_total_time="$seconds" -max_len="$(max_len_of "$harness")" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/fuzz-artifacts/$harness-" "$corpus" "$seeds/$harness"
done
echo "fuzzing done: no findings"
