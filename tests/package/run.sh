#!/usr/bin/env bash
# The release checks (CI runs them after the everyday tests): makes the release with
# scripts/package.sh, checks the three .debs with lintian, installs them with apt, validates
# the installed menu entry, metadata and manual pages, starts the game from its menu entry
# and as `kestal` typed in another directory under Xvfb (tests/package, ctest label
# "package"), runs the hall of fame server as its unit would behind the example nginx site
# (tests/package/hall_behind_nginx.sh), purges the packages and checks that nothing of
# theirs is left, and finally checks the source tarball: exactly the committed files, and the
# very bytes CI ran its tests from (KESTAL_TESTED_TARBALL) or, run on its own, a build and the
# unit tests of it unpacked in an empty folder. Installs and removes system packages (and
# puts a site into nginx for a while): run it as root or with sudo at hand, on a machine where
# the kestal packages may come and go and ports 80 and 8081 are free.
# shellcheck disable=SC2317 # functions run through stage, after the whole file is read
set -euo pipefail
cd "$(dirname "$0")/../.."
# Read whole before it runs: a run may last longer than the file stays unchanged.
{
# shellcheck source=scripts/stages.sh
. scripts/stages.sh
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
step() { echo "== $*"; }

stage "release tools check" packaging/install-tools.sh lintian appstream desktop-file-utils \
  man-db groff-base unzip nginx-light curl jq

made_release() {
  scripts/package.sh
  (cd dist && sha256sum --check --quiet SHA256SUMS)
  unzip -tq dist/kestal-web-*.zip
}
stage "release (scripts/package.sh)" made_release
deb=$(ls dist/kestal_*.deb)
packages=(kestal kestal-hall kestal-web)
debs=("$deb" "$(ls dist/kestal-hall_*.deb)" "$(ls dist/kestal-web_*.deb)")

stage "lintian" lintian --fail-on error,warning "${debs[@]}"

installed() { dpkg-query -W -f='${Status}\n' "$1" 2>/dev/null | grep -qv '^unknown ok not-installed'; }
purge() {
  local present=()
  for package in "${packages[@]}"; do
    if installed "$package"; then present+=("$package"); fi
  done
  if [ ${#present[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq "${present[@]}" >/dev/null
  fi
}
install_packages() {
  purge
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${debs[@]/#/./}" >/dev/null
  for package in "${packages[@]}"; do
    echo "$package Depends: $(dpkg-query -W -f='${Depends}' "$package")"
  done
}
trap 'purge || true' EXIT
stage "apt-get install of the three packages" install_packages

man_page_clean() {
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$1" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "$1: $warnings" >&2
    return 1
  fi
}
installed_files_valid() {
  local said file page
  said=$(desktop-file-validate /usr/share/applications/kestal.desktop 2>&1) || true
  if [ -n "$said" ]; then
    echo "desktop-file-validate: $said" >&2
    return 1
  fi
  dpkg -L kestal | grep '^/usr/share/metainfo/' | xargs appstreamcli validate --strict --no-net
  for page in kestal kestal-silent kestal-launcher; do
    file=$(man -w 6 "$page")
    # kestal-launcher's page is a link to kestal's, which man may name instead.
    if [ "$(readlink -f "$file")" != "$(readlink -f "/usr/share/man/man6/$page.6.gz")" ]; then
      echo "man 6 $page finds $file" >&2
      return 1
    fi
    man_page_clean "$file"
  done
  man_page_clean "$(man -w 8 kestal-hall)"
}
stage "installed menu entry, metadata and manual pages" installed_files_valid

installed_game_starts() {
  # At the depth of build-test, so that the compiler cache knows its compiles.
  # shellcheck source=scripts/release-flags.sh
  . scripts/release-flags.sh
  cmake -S . -B build-package-tests "${RELEASE_OPTIONS[@]}" -DKESTAL_TEST_AREAS="support;e2e;package" \
    -DKESTAL_BENCH=OFF >/dev/null
  cmake --build build-package-tests -j"$(nproc)" --target kestal-package-tests
  ctest --test-dir build-package-tests -L package --output-on-failure
}
stage "installed game started from its menu entry and by name" installed_game_starts

stage "hall of fame service behind nginx" tests/package/hall_behind_nginx.sh

purged_clean() {
  local left="" file
  purge
  # Beside each package's files: its directories, what enabling the service made, the
  # service's state (systemd keeps a DynamicUser's under /var/lib/private) and the nginx site
  # the hall's check put in.
  for file in $(for d in "${debs[@]}"; do dpkg-deb -c "$d"; done |
    awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }') \
    /usr/share/games/kestal /usr/lib/games/kestal /usr/share/doc/kestal \
    /usr/share/kestal /usr/share/doc/kestal-web /usr/share/doc/kestal-hall \
    /etc/default/kestal-hall /etc/systemd/system/multi-user.target.wants/kestal-hall.service \
    /var/lib/systemd/deb-systemd-helper-enabled/kestal-hall.service.dsh-also \
    /var/lib/systemd/deb-systemd-helper-enabled/multi-user.target.wants/kestal-hall.service \
    /var/lib/systemd/deb-systemd-helper-masked/kestal-hall.service \
    /var/lib/kestal-hall /var/lib/private/kestal-hall \
    /etc/nginx/sites-available/kestal /etc/nginx/sites-enabled/kestal; do
    if [ -e "$file" ] || [ -L "$file" ]; then left+=" $file"; fi
  done
  if [ -n "$left" ]; then
    echo "left behind by the purge:$left" >&2
    return 1
  fi
}
stage "apt-get purge, nothing left behind" purged_clean
trap - EXIT

# The tarball holds exactly the committed files. CI ran every test from the tarball it made
# of the same commit (KESTAL_TESTED_TARBALL): the release's must be those bytes. Otherwise the
# tarball, unpacked in an empty folder, builds and passes its unit tests here (the browser,
# display and database tests ran on the same files in the everyday run).
source_tarball() {
  local tarball
  tarball=$(ls dist/kestal-[0-9]*.tar.gz)
  # scripts/package.sh made it of HEAD, a moment ago.
  # shellcheck source=scripts/source-tarball.sh
  . scripts/source-tarball.sh
  tarball_holds_committed_files "$tarball" HEAD
  if [ -n "${KESTAL_TESTED_TARBALL:-}" ]; then
    if ! cmp "$tarball" "$KESTAL_TESTED_TARBALL"; then
      echo "the release's source tarball is not the one the tests ran from" >&2
      return 1
    fi
    return 0
  fi
  rm -rf build-pkg/from-source && mkdir -p build-pkg/from-source
  tar -xzf "$tarball" -C build-pkg/from-source
  (cd build-pkg/from-source/kestal-* && scripts/test.sh --unit)
  rm -rf build-pkg/from-source
}
stage "source tarball: its files (and tests)" source_tarball
echo "package checks passed"
exit
}
