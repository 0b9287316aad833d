#!/usr/bin/env bash
# quarnel.sh -- set-up, build and run in one place.
#   ./quarnel.sh run     install what is missing, build, start the program in a window
#   ./quarnel.sh test    install what is missing, build, run every test (plain and with
#                        AddressSanitizer + UndefinedBehaviorSanitizer)
#   ./quarnel.sh demo    run the demo script headlessly (screenshots and a GIF in build/demo)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES="build-essential cmake pkg-config libsdl2-dev googletest libgtest-dev libgmock-dev
  libbenchmark-dev libfreetype-dev fonts-dejavu-core"
# quarnel-deck reads users' pictures with these (PNG, JPEG, WebP; resizing from stb).
PACKAGES="$PACKAGES libpng-dev libjpeg-dev libwebp-dev libstb-dev"
# The desktop smoke test opens the window under Xvfb and captures it.
TEST_PACKAGES="xvfb xauth imagemagick"
JOBS=$(nproc 2>/dev/null || echo 2)

install_packages() { # install_packages [more packages...]
  local missing=()
  for p in $PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

build() { # build DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

case "${1:-run}" in
  run)
    install_packages
    build build
    exec ./build/quarnel ;;
  test)
    install_packages $TEST_PACKAGES
    build build
    (cd build && ctest --output-on-failure -j "$JOBS")
    build build-asan -DQUARNEL_SANITIZE=ON -DQUARNEL_BENCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
       ctest --output-on-failure -j "$JOBS") ;;
  demo)
    install_packages
    build build
    cmake --build build --target demo ;;
  *) echo "usage: $0 run|test|demo" >&2; exit 2 ;;
esac
