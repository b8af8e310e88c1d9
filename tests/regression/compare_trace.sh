#!/bin/sh
# Replays a key script and compares the trace with the one kept beside it; shows where the
# picture first differs. To accept a deliberate change of the game's picture:
#   kestal-replay --keys whole_game.keys --trace whole_game.trace
set -eu
replay=$1 keys=$2 expected=$3
actual=$(mktemp)
trap 'rm -f "$actual"' EXIT
"$replay" --keys "$keys" --trace "$actual"
if ! cmp -s "$expected" "$actual"; then
  echo "trace differs from $expected; first differences (expected <, actual >):"
  diff "$expected" "$actual" | head -n 6
  exit 1
fi
