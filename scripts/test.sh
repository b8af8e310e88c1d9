#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test
# (display tests start their own Xvfb). `scripts/test.sh --soak` runs the long group
# instead: the sanitizer build with its tests and the random-key soaks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)

if [ "${1:-}" = "--soak" ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTAL_SANITIZE=ON \
    -DKESTAL_WERROR=ON -DKESTAL_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE display
  ctest --test-dir build-asan --output-on-failure -L soak
  exit 0
fi

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTAL_WERROR=ON >/dev/null
cmake --build build-test -j"$jobs"
ctest --test-dir build-test --output-on-failure -j"$jobs" -LE soak
