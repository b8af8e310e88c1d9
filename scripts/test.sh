#!/usr/bin/env bash
# Installs what is missing, builds everything (natively and for WebAssembly) with warnings
# as errors and runs every everyday test (display tests start their own Xvfb).
#
#   scripts/test.sh          the everyday tests (ctest -LE soak) on build-test and build-web
#   scripts/test.sh --soak   the long group: one clang build with AddressSanitizer,
#                            UndefinedBehaviorSanitizer and libFuzzer's instrumentation
#                            (build-asan) runs every unit test, the random-key soaks and a
#                            fuzz run; the normal build runs the million-frame flight, the long
#                            live game in Chromium and the hall of fame killed under load
#                            (after a first run of this script has built it)
#   scripts/test.sh --unit   build-test and its tests that need no browser, display, database
#                            or long run (what the release checks run from the source tarball)
#
# A test that cannot run here (its browser, driver or database missing) fails the run: this
# script installs all they need, so a skip would be a test silently lost.
# shellcheck disable=SC2317 # functions run through stage, after the whole file is read
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/stages.sh
. scripts/stages.sh
jobs=$(nproc)
mode=${1:-}

# The release's own flags (scripts/release-flags.sh): the tests run the code that ships.
native_build() {
  # shellcheck source=scripts/release-flags.sh
  . scripts/release-flags.sh
  cmake -S . -B build-test "${RELEASE_OPTIONS[@]}" -DKESTAL_WERROR=ON >/dev/null
  cmake --build build-test -j"$jobs" "$@"
}

# The WebAssembly build (browser editions, kestal-replay.js for Node.js), which the web tests
# run beside the native programs, and the browser drivers puppeteer-core and selenium-webdriver
# at the versions the lock file pins (they drive Debian's Chromium, Firefox ESR and WebKitGTK
# and download no browser).
web_build() {
  emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build-web -j"$jobs"
  # npm ci starts from nothing each time: only when the lock file changed since the last one.
  if ! cmp -s tests/web/package-lock.json tests/web/node_modules/.installed-lock.json; then
    (cd tests/web && npm ci --no-audit --no-fund --loglevel=error >/dev/null &&
      cp package-lock.json node_modules/.installed-lock.json)
  fi
}

# One clang build serves the sanitizer tests and the fuzz target: what the target is made of
# is compiled with libFuzzer's coverage, the target alone links libFuzzer. The
# end-to-end tests, which all need a display, are not built there. Line tables only: findings
# name their lines, and full debug information would cost a third of the build.
sanitizer_build() {
  CC=clang CXX=clang++ cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" \
    "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -gline-tables-only -DNDEBUG" \
    -DKESTAL_SANITIZE=ON -DKESTAL_FUZZ=ON -DKESTAL_WERROR=ON -DKESTAL_BENCH=OFF \
    -DKESTAL_TEST_AREAS="support;screen;keys;game;regression;sound;replay;hall;sdl;robustness" \
    -DCMAKE_C_FLAGS= -DCMAKE_CXX_FLAGS= >/dev/null
  cmake --build build-asan -j"$jobs"
}

sanitizer_environment() {
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
  export SDL_FRAMEBUFFER_ACCELERATION=0
}

# A short run of the key fuzz target from the seeds; a finding leaves build-asan/crash-*. It
# is counted in inputs (3,600 are two minutes of one core), not seconds, so that it tries as
# many while it shares the machine with the long tests; its output goes to build-asan/fuzz.log.
fuzz_run() {
  local status=0
  rm -rf build-asan/corpus && mkdir build-asan/corpus
  cp tests/robustness/fuzz/seeds/* build-asan/corpus/
  build-asan/tests/robustness/fuzz/kestal-key-fuzz -runs="${KESTAL_FUZZ_RUNS:-3600}" \
    -dict=tests/robustness/fuzz/key_script.dict -artifact_prefix=build-asan/ build-asan/corpus \
    >build-asan/fuzz.log 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then cat build-asan/fuzz.log; else tail -n 3 build-asan/fuzz.log; fi
  return "$status"
}

# The long group's PostgreSQL tests in one throw-away cluster: the store's cases under the
# sanitizers, and two hall instances on one database behind nginx. Each makes a database of
# its own in it (tests/hall/postgresql_for_test.sh).
postgresql_tests() {
  pg_virtualenv -t -- env KESTAL_POSTGRES_CLUSTER=shared bash -c '
    set -e
    . scripts/stages.sh
    ctest_all --test-dir build-asan -L postgresql -LE "display|web|soak"
    ctest_all --test-dir build-test -L postgresql -L soak'
}

# Read whole before it runs: a run may last longer than the file stays unchanged.
{
case "$mode" in
  "")
    stage "install check" scripts/install-deps.sh --web-tests
    stage "native build (build-test)" native_build
    stage "web build (build-web) and npm ci" web_build
    stage "everyday tests" ctest_all --test-dir build-test -LE soak
    ;;
  --unit)
    stage "install check (unit tests)" scripts/install-deps.sh
    stage "native build (build-test)" native_build
    stage "unit tests" ctest_all --test-dir build-test -LE "soak|web|display|postgresql"
    ;;
  --soak)
    stage "install check (long group)" scripts/install-deps.sh --web-tests
    stage "sanitizer build (clang, build-asan)" sanitizer_build
    sanitizer_environment
    # Every unit test under the sanitizers, then the random-key soaks through kestal-replay.
    # (The web tests compare the native tool with the Node.js one, not sanitizer findings.)
    stage "sanitizer tests" ctest_all --test-dir build-asan -LE "display|soak|web|postgresql"
    stage "sanitizer key soaks" ctest_all --test-dir build-asan -L soak -LE "web|server"
    # The fuzz run takes one core beside the long tests, which wait on a browser's frames
    # and on the hall's clients as much as they compute.
    stage "fuzz run (beside the stages below)" fuzz_run &
    fuzzing=$!
    # The million-frame flight, the long browser game and the hall of fame's long tests
    # belong to the normal builds.
    stage "long group's programs (build-test)" native_build --target kestal-soak-tests kestal-replay \
      hall_soak_tests hall_verify_tests
    stage "long tests" ctest_all --test-dir build-test -L soak -LE postgresql
    stage "long group's PostgreSQL tests" postgresql_tests
    wait "$fuzzing"
    ;;
  *)
    echo "usage: scripts/test.sh [--soak | --unit]" >&2
    exit 2
    ;;
esac
exit
}
