#!/usr/bin/env bash
# A short game played in headless Chromium on a site that serves the game and forwards /api/
# to its hall (nginx in tests/package/hall_behind_nginx.sh), entered in the hall, found on
# hall.html and watched: tests/web/hall_test.js against that site.
#   browser_through_nginx.sh URL [RESOLVE]
# URL: the site's address (http://kestal.example.org/); RESOLVE, as curl's --resolve takes it
# (kestal.example.org:80:127.0.0.1): where the browser finds a name no DNS knows.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
fail() {
  echo "browser_through_nginx.sh: $*" >&2
  exit 1
}
if [ $# -lt 1 ] || [ $# -gt 2 ]; then
  fail "usage: browser_through_nginx.sh URL [HOST:PORT:ADDRESS]"
fi
url=$1
resolve=${2:-}
chromium=${KESTAL_CHROMIUM:-/usr/bin/chromium}
command -v node >/dev/null || fail "needs node: run scripts/install-deps.sh --web-tests"
[ -x "$chromium" ] || fail "needs $chromium: run scripts/install-deps.sh --web-tests"

if [ ! -d tests/web/node_modules ]; then
  (cd tests/web && npm ci --no-audit --no-fund) || fail "npm ci in tests/web failed"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$resolve" ]; then
  IFS=: read -r host port address <<<"$resolve"
  if [ -z "$host" ] || [ -z "$port" ] || [ -z "$address" ]; then
    fail "RESOLVE is HOST:PORT:ADDRESS, not $resolve"
  fi
  # Chromium as the tests start it, told where that name is (as curl is with --resolve).
  cat >"$work/chromium" <<EOF
#!/bin/sh
exec "$chromium" "--host-resolver-rules=MAP $host:$port $address:$port" "\$@"
EOF
  chmod +x "$work/chromium"
  chromium=$work/chromium
fi

cd tests/web
status=0
KESTAL_BROWSER=chromium KESTAL_CHROMIUM=$chromium KESTAL_SITE_URL=$url \
  node --test-reporter=spec "$root/tests/web/hall_test.js" || status=$?
# The harness's "skipped" (77) is no pass here: the game was not played.
[ "$status" = 0 ] || fail "the game in a browser through $url failed (status $status)"
echo "the game in a browser through $url: entered, on the hall's board, watched"
