#!/usr/bin/env bash
# Makes a release of the committed tree (HEAD) in dist/:
#   kestal_VERSION_ARCH.deb   the Debian package of the game (CPack; Depends worked out by
#                             dpkg-shlibdeps)
#   kestal-hall_VERSION_ARCH.deb  the hall of fame server as a systemd service
#   kestal-web_VERSION_all.deb    the web site, in /usr/share/kestal/web
#   kestal-web-VERSION.zip    the web site: the browser editions' install step, with the
#                             README's pictures in screenshots/ for the AppStream metadata
#   kestal-VERSION.tar.gz     the source
#   SHA256SUMS
# The three packages come from one build, as CPack components (packaging/debian_package.cmake
# and server_packages.cmake); kestal-web's files come from the browser editions' build,
# which is therefore made first.
# Exit status 3: everything but the web site and its package was made (its build failed;
# see the message).
# VERSION is the project version in CMakeLists.txt. Everything is built in build-pkg/ from
# an export of HEAD, so uncommitted changes never reach a release.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build-pkg
dist=$root/dist
jobs=$(nproc)

scripts/install-deps.sh --web
packaging/install-tools.sh git dpkg-dev zip

commit=$(git rev-parse HEAD)
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "package.sh: uncommitted changes are left out; the release is commit $commit" >&2
fi
# A release is built from scratch every time, its build folders inside the exported tree as
# build-web and build-test are inside the checkout: the compiler cache then knows the web
# build's compiles from the tested one's.
rm -rf "$work/src" "$work/deb" "$work/cpack" "$work/web" "$work/web-site" "$work/site" "$dist"
mkdir -p "$work/src" "$dist"
git archive "$commit" | tar -x -C "$work/src"

# The web site, from the browser editions' own install step. KESTAL_RELEASE_WEB_BUILD may
# name a Release web build already made of this very commit (CI's, in the source tarball it
# tested): its tree must hold the commit's files exactly, to the byte and the time.
web_status=0
web_site=$work/web-site
web_build() {
  local build=${KESTAL_RELEASE_WEB_BUILD:-} source
  if [ -z "$build" ]; then
    emcmake cmake -S "$work/src" -B "$work/src/build-web" -DCMAKE_BUILD_TYPE=Release &&
      cmake --build "$work/src/build-web" -j"$jobs" &&
      cmake --install "$work/src/build-web" --prefix "$web_site"
    return
  fi
  source=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
  if ! grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$build/CMakeCache.txt" ||
    ! git archive "$commit" | tar -d -C "$source"; then
    echo "$build is not a Release web build of commit $commit" >&2
    return 1
  fi
  cmake --build "$build" -j"$jobs" && cmake --install "$build" --prefix "$web_site"
}
if ! web_build >"$work/web.log" 2>&1; then
  echo "package.sh: the web site did not build; kestal-web-*.zip and kestal-web_*.deb are" \
    "not made. The end of build-pkg/web.log:" >&2
  tail -n 25 "$work/web.log" >&2
  web_status=3
  web_site=""
fi

# The Debian package, built with Debian's hardening flags.
# shellcheck source=scripts/release-flags.sh
. scripts/release-flags.sh
cmake -C "$work/src/packaging/debian_layout.cmake" -S "$work/src" -B "$work/src/build-deb" \
  "${RELEASE_OPTIONS[@]}" -DKESTAL_WEB_SITE="$web_site" >/dev/null
cmake --build "$work/src/build-deb" -j"$jobs"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$work/src/build-deb/CMakeCache.txt")
(cd "$work/src/build-deb" && cpack -G DEB -B "$work/cpack")
cp "$work/cpack"/kestal*_"${version}"_*.deb "$dist/"

# The source, as committed.
# shellcheck source=scripts/source-tarball.sh
. scripts/source-tarball.sh
make_source_tarball "$commit" "$dist/kestal-$version.tar.gz"

# The web site's archive. Files get the commit's time, so the archive depends on the
# source alone.
if [ -n "$web_site" ]; then
  site=$work/site/kestal-web-$version
  mkdir -p "$site"
  cp -a "$web_site/." "$site/"
  mkdir -p "$site/screenshots"
  cp "$work/src"/docs/pictures/*.png "$site/screenshots/"
  epoch=$(git log -1 --format=%ct "$commit")
  (
    cd "$work/site"
    find "kestal-web-$version" -exec touch -h -d "@$epoch" {} +
    find "kestal-web-$version" | LC_ALL=C sort | zip -q -X -@ "$dist/kestal-web-$version.zip"
  )
fi

(cd "$dist" && sha256sum -- * >SHA256SUMS)
echo "Release $version (commit $commit) in dist/:"
ls -l "$dist"
exit "$web_status"
