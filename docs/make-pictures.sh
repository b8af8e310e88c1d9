#!/usr/bin/env bash
# Makes the README's pictures, docs/pictures/NAME.png, from the key scripts beside them
# (docs/pictures/NAME.keys) with the headless replay tool: each script's line
# "# picture: N" names the retrace to show.
#
#   docs/make-pictures.sh [BUILD_DIR]          write the pictures (BUILD_DIR: build)
#   docs/make-pictures.sh --check [BUILD_DIR]  only report pictures that are out of date
#
# kestal-replay is built in BUILD_DIR first if needed. --check compares pixels (with
# ImageMagick's compare), not file bytes, and exits 1 when any picture differs.
set -euo pipefail

check=false
if [ "${1:-}" = "--check" ]; then
  check=true
  shift
fi
docs=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$docs")
build=${1:-$root/build}

if [ ! -x "$build/tools/replay/kestal-replay" ]; then
  cmake -S "$root" -B "$build" >/dev/null
  cmake --build "$build" --target kestal-replay >/dev/null
fi
replay=$build/tools/replay/kestal-replay

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

stale=0
for keys in "$docs"/pictures/*.keys; do
  name=$(basename "$keys" .keys)
  retrace=$(sed -n 's/^# picture: *\([0-9][0-9]*\) *$/\1/p' "$keys")
  if [ -z "$retrace" ]; then
    echo "$keys: no \"# picture: N\" line" >&2
    exit 2
  fi
  "$replay" --keys "$keys" --frames "$retrace" --png-at "$retrace" --out "$scratch/$name"
  made=$scratch/$name/$(printf 'frame-%06d.png' "$retrace")
  picture=$docs/pictures/$name.png
  if $check; then
    if [ ! -f "$picture" ] ||
      [ "$(compare -metric AE "$made" "$picture" null: 2>&1 || true)" != "0" ]; then
      echo "out of date: docs/pictures/$name.png (run docs/make-pictures.sh)" >&2
      stale=1
    fi
  else
    cp "$made" "$picture"
    echo "docs/pictures/$name.png: retrace $retrace of $name.keys"
  fi
done
exit $stale
