#!/usr/bin/env bash
# run.sh -- runs the browser tests (web_test.mjs, the Cards panel's cards_test.mjs and the
# Journal panel's journal_test.mjs) in one engine, for CTest.
#   tests/web/run.sh ENGINE NATIVE_BUILD_DIR WEB_SITE_DIR
# ENGINE: chromium (Debian's chromium), firefox (firefox-esr) or webkit (WebKitGTK's
# MiniBrowser through webkit2gtk-driver's WebKitWebDriver, under Xvfb). Needs node,
# tests/web/node_modules (npm ci), the engine and the built site. A developer build without
# them is skipped (exit 77) with the reason; under CI (CI=true) it fails.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
engine="$1" build="$2" site="$3"

missing=""
need() { missing="${missing:+$missing, }$1"; }
command -v node >/dev/null || need "node (apt-get install nodejs)"
[ -d "$here/node_modules/puppeteer-core" ] || need "tests/web/node_modules (npm ci in tests/web)"
[ -f "$site/quarnel.wasm" ] || need "the web site $site (./quarnel.sh web, or ./quarnel.sh test)"
case "$engine" in
  chromium) [ -x "${QUARNEL_CHROMIUM:-/usr/bin/chromium}" ] || need "chromium (apt-get install chromium)" ;;
  firefox)
    [ -x "${QUARNEL_FIREFOX:-/usr/bin/firefox-esr}" ] || need "firefox-esr (apt-get install firefox-esr)"
    command -v pulseaudio >/dev/null || need "pulseaudio, Firefox's sound device here (apt-get install pulseaudio)" ;;
  webkit)
    [ -x /usr/bin/WebKitWebDriver ] || need "WebKitWebDriver (apt-get install webkit2gtk-driver)"
    ls /usr/lib/*/webkit2gtk-4.*/MiniBrowser >/dev/null 2>&1 || need "MiniBrowser (apt-get install webkit2gtk-driver)"
    command -v xvfb-run >/dev/null || need "xvfb-run (apt-get install xvfb xauth)" ;;
  *) echo "run.sh: unknown engine '$engine'" >&2; exit 2 ;;
esac
if [ -n "$missing" ]; then
  if [ "${CI:-}" = "true" ]; then
    echo "web tests in $engine: missing $missing" >&2
    exit 1
  fi
  echo "web tests in $engine skipped: missing $missing"
  exit 77
fi

export QUARNEL_ENGINE="$engine" QUARNEL_SITE="$site" QUARNEL_HEADLESS="$build/tools/quarnel-headless"
export QUARNEL_INSTALL="$build/install_folder" QUARNEL_TEST_OUT="$build/test_output/web/$engine"
test=(node --test --test-reporter=spec --test-concurrency=1 "$here/web_test.mjs" "$here/cards_test.mjs"
      "$here/journal_test.mjs")
if [ "$engine" = webkit ]; then
  # MiniBrowser draws at three device pixels a CSS pixel (a phone's), so the screen is large.
  exec xvfb-run -a -s "-screen 0 2600x2800x24 -nolisten tcp" "${test[@]}"
fi
exec "${test[@]}"
