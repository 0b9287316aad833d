#!/usr/bin/env bash
# run.sh -- runs the browser tests (web_test.mjs) in Debian's chromium, for CTest.
#   tests/web/run.sh NATIVE_BUILD_DIR WEB_SITE_DIR
# Needs node, tests/web/node_modules (npm ci), chromium and the built site. A developer
# build without them is skipped (exit 77) with the reason; under CI (CI=true) it fails.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$1" site="$2"
chromium="${QUARNEL_CHROMIUM:-/usr/bin/chromium}"

missing=""
command -v node >/dev/null || missing="node (apt-get install nodejs)"
[ -d "$here/node_modules/puppeteer-core" ] || missing="${missing:+$missing, }tests/web/node_modules (npm ci in tests/web)"
[ -x "$chromium" ] || missing="${missing:+$missing, }$chromium (apt-get install chromium)"
[ -f "$site/quarnel.wasm" ] || missing="${missing:+$missing, }the web site $site (./quarnel.sh web, or ./quarnel.sh test)"
if [ -n "$missing" ]; then
  if [ "${CI:-}" = "true" ]; then
    echo "web tests: missing $missing" >&2
    exit 1
  fi
  echo "web tests skipped: missing $missing"
  exit 77
fi

export QUARNEL_SITE="$site" QUARNEL_HEADLESS="$build/tools/quarnel-headless"
export QUARNEL_INSTALL="$build/install_folder" QUARNEL_TEST_OUT="$build/test_output/web"
export QUARNEL_CHROMIUM="$chromium"
exec node --test --test-reporter=spec "$here/web_test.mjs"
