#!/usr/bin/env bash
# Installs what is missing, builds, and starts the game from the build directory, which
# holds the sound files. `scripts/play.sh --silent` starts the edition without sound.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DKESTAL_TESTS=OFF -DKESTAL_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)"
program=kestal
[ "${1:-}" = "--silent" ] && program=kestal-silent
cd build
exec "./editions/$program"
