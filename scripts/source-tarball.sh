# shellcheck shell=bash
# Sourced by scripts/package.sh, .ci/run and the release checks: the source tarball is made
# one way only, so that two made of one commit are the same bytes, and CI can run its tests
# from the very tarball the release ships.

# project_version COMMIT: the version that commit's CMakeLists.txt declares.
project_version() {
  git show "$1:CMakeLists.txt" | sed -n 's/^project([A-Za-z0-9_]* VERSION \([0-9.]*\).*/\1/p'
}

# make_source_tarball COMMIT OUT.tar.gz: the committed tree under kestal-VERSION/.
make_source_tarball() {
  git archive --format=tar.gz --prefix="kestal-$(project_version "$1")/" -o "$2" "$1"
}

# tarball_holds_committed_files TARBALL COMMIT: no file more, none less.
tarball_holds_committed_files() {
  local listed committed
  listed=$(tar -tzf "$1" | sed 's|^[^/]*/||' | grep -v -e '^$' -e '/$' | LC_ALL=C sort)
  committed=$(git ls-tree -r --name-only "$2" | LC_ALL=C sort)
  if [ "$listed" != "$committed" ]; then
    echo "the source tarball does not hold exactly the committed files:" >&2
    diff <(echo "$listed") <(echo "$committed") >&2
    return 1
  fi
}
