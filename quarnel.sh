#!/usr/bin/env bash
# quarnel.sh -- set-up, build and run in one place.
#   ./quarnel.sh run     install what is missing, build, start the program in a window
#   ./quarnel.sh test    install what is missing, build, run every test (plain and with
#                        AddressSanitizer + UndefinedBehaviorSanitizer)
#   ./quarnel.sh demo    run the demo script headlessly (screenshots and a GIF in build/demo)
#   ./quarnel.sh web     build the web page into build-web/site and serve it on
#                        http://127.0.0.1:8080
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES="build-essential cmake pkg-config libsdl2-dev googletest libgtest-dev libgmock-dev
  libbenchmark-dev libfreetype-dev zlib1g-dev fonts-dejavu-core"
# The desktop smoke test opens the window under Xvfb and captures it.
TEST_PACKAGES="xvfb xauth imagemagick"
# The web page: Emscripten builds it, the tests drive chromium with node.
WEB_PACKAGES="emscripten python3"
WEB_TEST_PACKAGES="chromium"
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

# node and npm for the browser tests: any node from 18 on; Debian's when there is none.
install_node() {
  command -v node >/dev/null && command -v npm >/dev/null && return 0
  install_packages nodejs npm
}

# The web site in build-web/site, from the native build's install folder and icons.
build_web() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j "$JOBS" --target install_folder
  # Debian's emscripten optimises with node modules from here.
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release \
    -DQUARNEL_NATIVE_BUILD="$PWD/build" >/dev/null
  cmake --build build-web -j "$JOBS"
}

case "${1:-run}" in
  run)
    install_packages
    build build
    exec ./build/quarnel ;;
  test)
    install_packages $TEST_PACKAGES $WEB_PACKAGES $WEB_TEST_PACKAGES
    install_node
    build build
    build_web
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
    (cd build && ctest --output-on-failure -j "$JOBS")
    build build-asan -DQUARNEL_SANITIZE=ON -DQUARNEL_BENCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
       ctest --output-on-failure -j "$JOBS") ;;
  demo)
    install_packages
    build build
    cmake --build build --target demo ;;
  web)
    install_packages $WEB_PACKAGES
    build_web
    echo "Quarnel is served on http://127.0.0.1:8080/ (Ctrl+C stops it)"
    exec python3 -m http.server 8080 --bind 127.0.0.1 --directory build-web/site ;;
  *) echo "usage: $0 run|test|demo|web" >&2; exit 2 ;;
esac
