#!/usr/bin/env bash
# The release checks (CI runs them after the everyday tests): makes the release with
# scripts/package.sh, checks the .deb with lintian, installs it with apt, validates the
# installed menu entry, metadata and manual pages, starts the game from its menu entry and
# as `kestal` typed in another directory under Xvfb (tests/package, ctest label "package"),
# purges the package and checks that its files are gone, and finally builds the source
# tarball in an empty folder and runs the README's test command there. Installs and
# removes a system package: run it as root or with sudo at hand, on a machine where the
# kestal package may come and go.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
step() { echo "== $*"; }

packaging/install-tools.sh lintian appstream desktop-file-utils man-db groff-base unzip

step "making the release"
scripts/package.sh
(cd dist && sha256sum --check --quiet SHA256SUMS)
unzip -tq dist/kestal-web-*.zip
deb=$(ls dist/kestal_*.deb)

step "lintian $deb"
lintian --fail-on error,warning "$deb"

step "apt-get install ./$deb"
purge() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get purge -y -qq kestal >/dev/null; }
if dpkg-query -W kestal >/dev/null 2>&1; then purge; fi
trap 'purge || true' EXIT
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "./$deb" >/dev/null
echo "Depends: $(dpkg-query -W -f='${Depends}' kestal)"

step "validating the installed menu entry, metadata and manual pages"
said=$(desktop-file-validate /usr/share/applications/kestal.desktop 2>&1) || true
if [ -n "$said" ]; then
  echo "desktop-file-validate: $said" >&2
  exit 1
fi
appstreamcli validate --strict --no-net $(dpkg -L kestal | grep '^/usr/share/metainfo/')
for page in kestal kestal-silent kestal-launcher; do
  file=$(man -w 6 "$page")
  # kestal-launcher's page is a link to kestal's, which man may name instead.
  if [ "$(readlink -f "$file")" != "$(readlink -f "/usr/share/man/man6/$page.6.gz")" ]; then
    echo "man 6 $page finds $file" >&2
    exit 1
  fi
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
  if [ -n "$warnings" ]; then
    echo "$file: $warnings" >&2
    exit 1
  fi
done

step "starting the installed game from its menu entry and by name"
cmake -S . -B build-pkg/tests -DKESTAL_TEST_AREAS="support;e2e;package" -DKESTAL_BENCH=OFF \
  >/dev/null
cmake --build build-pkg/tests -j"$(nproc)" --target kestal-package-tests
ctest --test-dir build-pkg/tests -L package --output-on-failure

step "apt-get purge kestal"
purge
trap - EXIT
left=""
for file in $(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }') \
  /usr/share/games/kestal /usr/lib/games/kestal /usr/share/doc/kestal; do
  if [ -e "$file" ] || [ -L "$file" ]; then left+=" $file"; fi
done
if [ -n "$left" ]; then
  echo "left behind by the purge:$left" >&2
  exit 1
fi

step "building the source tarball in an empty folder with the README's test command"
tarball=$(ls dist/kestal-[0-9]*.tar.gz)
rm -rf build-pkg/from-source && mkdir -p build-pkg/from-source
tar -xzf "$tarball" -C build-pkg/from-source
(cd build-pkg/from-source/kestal-* && scripts/test.sh)
rm -rf build-pkg/from-source
echo "package checks passed"
