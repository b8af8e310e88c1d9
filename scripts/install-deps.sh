#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: does nothing
# when every package is already there, so both README commands can call it each time.
# `--web` adds what building the browser editions needs (Emscripten, Node.js);
# `--web-tests` that and the three browsers their tests run in (puppeteer-core and
# selenium-webdriver come from npm, through the lock file in tests/web).
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  ccache                     # the release's and the source tarball's compiles again, cached
  libsdl2-dev                # window, keyboard, vertical blank
  libopenal-dev libalut-dev  # the sound edition
  libpng-dev                 # screenshots from the replay tool
  libfmt-dev                 # shortest number text in the replay tool's state lines
  libavcodec-dev libavformat-dev libavutil-dev  # the replay tool's videos (FFmpeg)
  ffmpeg                     # ffprobe and ffmpeg: checks of the videos made
  console-data               # the 8x16 VGA font the build turns into a table
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils x11-apps imagemagick openbox  # display tests
  libx11-dev x11-xkb-utils   # the display tests' window-manager requests and key layout
  sox                        # checks of the captured audio
  desktop-file-utils         # validation of the installed desktop entry
  clang libclang-rt-14-dev   # fuzzing and sanitizers
  valgrind
  libboost1.81-dev nlohmann-json3-dev    # the hall of fame server: HTTP (Beast, Asio), JSON
  libcpp-httplib-dev                     # its tests' and load benchmark's HTTP clients
  libssl-dev                             # SHA-256, to know a recording submitted twice
  libsqlite3-dev libpqxx-dev             # its two stores
  postgresql-common postgresql           # a throw-away PostgreSQL for the store's tests
  nginx-light                            # in front of two hall instances in the long group
)
case "${1:-}" in
  --web | --web-tests)
    PACKAGES+=(
      emscripten             # the WebAssembly build (browser editions, replay under Node.js)
      nodejs                 # runs the replay tool's WebAssembly build and the browser tests
    )
    ;;
esac
if [ "${1:-}" = "--web-tests" ]; then
  PACKAGES+=(
    chromium firefox-esr     # the browser tests, headless (puppeteer-core)
    webkit2gtk-driver        # WebKitGTK's MiniBrowser and WebKitWebDriver, under Xvfb
  )
fi

exec "$(dirname "$0")/../packaging/install-tools.sh" "${PACKAGES[@]}"
