#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the build directory, which
# holds the sound files. `scripts/play.sh --silent` starts the edition without sound;
# `scripts/play.sh --web` builds both editions for the browser and serves them on
# http://127.0.0.1:8000/ (another port when that one is taken).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" = "--web" ]; then
  scripts/install-deps.sh --web
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-web -j"$(nproc)"
  site=build-web/installed-site
  rm -rf "$site"
  cmake --install build-web --prefix "$site" >/dev/null
  exec node tools/site/serve.js "$site" 8000
fi

scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTAL_TESTS=OFF -DKESTAL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
program=kestal
[ "${1:-}" = "--silent" ] && program=kestal-silent
cd build
exec "./editions/$program"
