#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the build directory, which
# holds the sound files. `scripts/play.sh --silent` starts the edition without sound;
# `scripts/play.sh --web` builds both editions for the browser and serves them on
# http://127.0.0.1:8000/ (another port when that one is taken), with the hall of fame
# behind the site's /api/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--web" ]; then
  scripts/install-deps.sh --web
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-web -j"$(nproc)"
  site=build-web/installed-site
  rm -rf "$site"
  cmake --install build-web --prefix "$site" >/dev/null
  # The hall of fame is a native program, built where the desktop game is; its entries stay
  # in one SQLite file in that folder from one run to the next.
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTAL_TESTS=OFF -DKESTAL_BENCH=OFF >/dev/null
  cmake --build build -j"$(nproc)" --target kestal-hall
  said=$(mktemp)
  build/hall/kestal-hall --listen 127.0.0.1:0 --database "sqlite:$PWD/build/kestal-hall.sqlite" \
    >"$said" &
  hall=$!
  # Ctrl+C reaches the site server; the hall, started in the background, is stopped here.
  trap 'kill "$hall" 2>/dev/null; rm -f "$said"' EXIT
  trap 'exit 130' INT TERM
  for _ in $(seq 300); do
    grep -q 'listening on' "$said" && break
    kill -0 "$hall" 2>/dev/null || { echo "play.sh: the hall of fame did not start" >&2; exit 1; }
    sleep 0.1
  done
  hall_url=$(grep -o 'http://[^ ]*' "$said" | head -n 1)
  [ -n "$hall_url" ] || { echo "play.sh: the hall of fame did not start in time" >&2; exit 1; }
  node tools/site/serve.js "$site" 8000 --hall "$hall_url"
  exit
fi

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTAL_TESTS=OFF -DKESTAL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
program=kestal
[ "${1:-}" = "--silent" ] && program=kestal-silent
cd build
exec "./editions/$program"
