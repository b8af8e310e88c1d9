#!/usr/bin/env bash
# Installs what is missing, builds everything (natively and for WebAssembly) with warnings
# as errors and runs every test (display tests start their own Xvfb). `scripts/test.sh
# --soak` runs the long group instead: the sanitizer build with its tests and the
# random-key soaks, the million-frame flight, a 20,000-retrace live game in Chromium and the
# hall of fame killed under load on the normal builds (after a first run of this script has
# built them), and a two-minute fuzz run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --web-tests
jobs=$(nproc)

if [ "${1:-}" = "--soak" ]; then
  # Sanitizer build (AddressSanitizer, UndefinedBehaviorSanitizer): any finding fails.
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTAL_SANITIZE=ON \
    -DKESTAL_WERROR=ON -DKESTAL_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
  export SDL_FRAMEBUFFER_ACCELERATION=0
  # Every unit test under the sanitizers, then the random-key soaks through kestal-replay.
  # (The web tests compare the native tool with the Node.js one, not sanitizer findings.)
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE "display|soak|web"
  # (The hall of fame's long tests, an hour of play and servers killed under load, run on the
  # normal build below; its hostile requests ran under the sanitizers with the unit tests.)
  ctest --test-dir build-asan --output-on-failure -j"$jobs" -L soak -LE "web|server"

  # The million-frame flight and the long browser game belong to the normal builds.
  cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTAL_WERROR=ON >/dev/null
  cmake --build build-test -j"$jobs" --target kestal-soak-tests kestal-replay hall_soak_tests hall_verify_tests
  ctest --test-dir build-test --output-on-failure -L soak

  # A short run of the key fuzz target (clang, libFuzzer, ASan and UBSan), from the seeds.
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTAL_SANITIZE=ON -DKESTAL_FUZZ=ON -DKESTAL_BENCH=OFF -DKESTAL_TEST_AREAS=robustness \
    -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
  cmake --build build-fuzz -j"$jobs" --target kestal-key-fuzz
  rm -rf build-fuzz/corpus && mkdir build-fuzz/corpus
  cp tests/robustness/fuzz/seeds/* build-fuzz/corpus/
  build-fuzz/tests/robustness/fuzz/kestal-key-fuzz -max_total_time=120 \
    -dict=tests/robustness/fuzz/key_script.dict -artifact_prefix=build-fuzz/ build-fuzz/corpus
  exit 0
fi

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTAL_WERROR=ON >/dev/null
cmake --build build-test -j"$jobs"
# The WebAssembly build (browser editions, kestal-replay.js for Node.js), which the web
# tests run beside the native programs.
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$jobs"
# puppeteer-core and selenium-webdriver for the browser tests, at the versions the lock file
# pins (they drive Debian's Chromium, Firefox ESR and WebKitGTK and download no browser).
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
ctest --test-dir build-test --output-on-failure -j"$jobs" -LE soak
