#!/usr/bin/env bash
# quarnel.sh -- set-up, build and run in one place.
#   ./quarnel.sh [run [OPTION]...]  install what is missing, build the program, start it in a
#                        window with the options given (no argument at all means run)
#   ./quarnel.sh test    install what is missing, build, run every test (plain and with
#                        AddressSanitizer + UndefinedBehaviorSanitizer), then build the
#                        Debian package and check it
#   ./quarnel.sh package build build/quarnel_<version>_<arch>.deb
#   ./quarnel.sh demo    run the demo script headlessly (screenshots and a GIF in build/demo)
#   ./quarnel.sh web     build the web page into build-web/site and serve it on
#                        http://127.0.0.1:8080
#   ./quarnel.sh coverage  build with gcc's coverage in build-coverage, run the tests, print
#                        the line coverage of src/ and its uncovered lines
set -euo pipefail
cd "$(dirname "$0")"

usage() {
  cat <<'USAGE'
Usage: ./quarnel.sh [COMMAND]
  run [OPTION]...  build the program and start it in a window (the default: no argument
                   means run); needs a display. Options go to the program: see
                   ./quarnel.sh run --help
  test             build and run every test (the browsers' too: chromium, firefox-esr,
                   WebKitGTK), plain and under the sanitizers (not the browsers'), then
                   build and check the Debian package
  package          build the Debian package build/quarnel_<version>_<arch>.deb
  demo             run the demo headlessly: screenshots, GIF and log in build/demo
  web              build the web page into build-web/site and serve it on
                   http://127.0.0.1:8080
  coverage         build with line coverage in build-coverage, run the tests (not the
                   browser's), print the figure for src/ and each file's uncovered lines
  help             show this help
Missing Debian packages are installed first (with sudo when not run as root).
USAGE
}

PACKAGES="build-essential cmake pkg-config libsdl2-dev googletest libgtest-dev libgmock-dev gettext
  libbenchmark-dev libfreetype-dev fonts-dejavu-core zlib1g-dev"
# The desktop smoke test opens the window under Xvfb and captures it; sway (headless) is the
# Wayland compositor of the Wayland test; the keep test drives the window with xdotool and
# reads its clipboard with xclip.
# quarnel-deck reads users' pictures with these (PNG, JPEG, WebP; resizing from stb).
PACKAGES="$PACKAGES libpng-dev libjpeg-dev libwebp-dev libstb-dev"
TEST_PACKAGES="xvfb xauth imagemagick sway xdotool xclip"
# The package checks: lintian, the desktop entry's and metainfo's validators.
PACKAGE_CHECK_PACKAGES="lintian desktop-file-utils appstream"
# The web page: Emscripten builds it; the tests drive the three engines of phones' browsers
# with node: chromium, firefox-esr (its sound goes to a PulseAudio server of the test's own)
# and WebKitGTK (webkit2gtk-driver: WebKitWebDriver, and MiniBrowser with libwebkit2gtk, under
# Xvfb).
WEB_PACKAGES="emscripten python3"
WEB_TEST_PACKAGES="chromium firefox-esr pulseaudio webkit2gtk-driver"
# The line coverage report (./quarnel.sh coverage).
COVERAGE_PACKAGES="gcovr"
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

configure() { # configure DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
}

build() { # build DIR [cmake options...]
  configure "$@"
  cmake --build "$1" -j "$JOBS"
}

package() { # the .deb from the build folder's program, install folder and packaging files
  configure build
  cmake --build build -j "$JOBS" --target quarnel quarnel-deck quarnel-cards quarnel-journal packaging_files >&2
  (cd build && cpack -G DEB >/dev/null)
  ls build/quarnel_*.deb
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
    [ $# -gt 0 ] && shift
    install_packages
    configure build
    cmake --build build -j "$JOBS" --target quarnel
    exec ./build/quarnel "$@" ;;
  test)
    install_packages $TEST_PACKAGES $PACKAGE_CHECK_PACKAGES $WEB_PACKAGES $WEB_TEST_PACKAGES
    install_node
    build build
    build_web
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
    (cd build && ctest --output-on-failure -j "$JOBS")
    build build-asan -DQUARNEL_SANITIZE=ON -DQUARNEL_BENCH=OFF
    (cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
       ctest --output-on-failure -j "$JOBS")
    rm -f build/quarnel_*.deb
    tests/package/check_package.sh "$(package)" ;;
  package)
    install_packages
    package ;;
  coverage)
    # Debug: unoptimised, so that each line counts as the source shows it. The browser's
    # test is left out (its web back end is not compiled natively, and it measures nothing
    # here); every other test runs, the desktop's under Xvfb too.
    install_packages $TEST_PACKAGES $COVERAGE_PACKAGES
    start=$(date +%s)
    build build-coverage -DQUARNEL_COVERAGE=ON -DQUARNEL_BENCH=OFF -DQUARNEL_LTO=OFF \
      -DCMAKE_BUILD_TYPE=Debug
    find build-coverage -name '*.gcda' -delete
    (cd build-coverage && ctest --output-on-failure -j "$JOBS" -E '^web_page_')
    # Fails below 95% of the lines, after printing the report.
    covered=0
    gcovr -r . -j "$JOBS" --filter 'src/' --txt build-coverage/coverage.txt --print-summary \
      --fail-under-line 95 build-coverage >build-coverage/summary.txt || covered=$?
    cat build-coverage/coverage.txt
    grep '^lines:' build-coverage/summary.txt | sed 's|^|src/ |'
    echo "coverage took $(( $(date +%s) - start )) s; report in build-coverage/coverage.txt"
    [ $covered -eq 0 ] || { echo "quarnel.sh: line coverage of src/ is below 95%" >&2; exit 1; } ;;
  help|-h|--help)
    usage ;;
  demo)
    install_packages
    build build
    cmake --build build --target demo ;;
  web)
    install_packages $WEB_PACKAGES
    build_web
    echo "Quarnel is served on http://127.0.0.1:8080/ (Ctrl+C stops it)"
    exec python3 -m http.server 8080 --bind 127.0.0.1 --directory build-web/site ;;
  *) echo "quarnel.sh: unknown command '$1'" >&2; usage >&2; exit 2 ;;
esac
