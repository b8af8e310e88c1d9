#!/bin/sh
# Runs the Node.js build of kestal-replay (kestal-replay.js, from the WebAssembly build) and
# the native tool on the committed key scripts, the way the other tests run them, and
# compares what they record: traces and state lines byte for byte, pictures by their pixels.
# The Node.js build has no window: it refuses --window as it refuses any bad option.
#   node_replay_check.sh NATIVE_TOOL NODE_TOOL_JS SOURCE_DIR
set -eu
native=$1 node_tool=$2 root=$3
# Without the WebAssembly build there is nothing to compare: say how to make it, and skip
# (status 77, which ctest reports as skipped).
if [ ! -f "$node_tool" ]; then
  echo "the Node.js replay check needs $node_tool: run scripts/test.sh, or emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release && cmake --build build-web"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

# replay NAME TOOL... -- OPTIONS: one tool's run, its files in $scratch/SIDE/NAME.*
replay() {
  side=$1 name=$2
  shift 2
  mkdir -p "$scratch/$side"
  "$@" --trace "$scratch/$side/$name.trace" --state "$scratch/$side/$name.state" \
    --out "$scratch/$side/$name" || echo "$side run of $name ended with status $?" >&2
}

# check NAME OPTIONS...: both tools at once, then their files side by side.
check() {
  name=$1
  shift
  replay native "$name" "$native" "$@" &
  replay node "$name" node "$node_tool" "$@"
  wait
  for kind in trace state; do
    if ! cmp -s "$scratch/native/$name.$kind" "$scratch/node/$name.$kind"; then
      echo "$name: the $kind differs (native <, Node.js >):"
      diff "$scratch/native/$name.$kind" "$scratch/node/$name.$kind" | head -n 4
      failed=1
    fi
  done
  for picture in "$scratch/native/$name"/*.png; do
    [ -e "$picture" ] || continue
    other=$scratch/node/$name/$(basename "$picture")
    differing=$(compare -metric AE "$picture" "$other" null: 2>&1) || true
    if [ "$differing" != "0" ]; then
      echo "$name: $(basename "$picture") differs from the native picture ($differing)"
      failed=1
    fi
  done
}

# The refusal: status 2 and one line on stderr naming the option, nothing written.
status=0
node "$node_tool" --window --trace "$scratch/window.trace" 2>"$scratch/window.err" || status=$?
if [ "$status" != 2 ] || [ "$(wc -l <"$scratch/window.err")" != 1 ] ||
  ! grep -q -- '^kestal-replay: --window ' "$scratch/window.err" || [ -e "$scratch/window.trace" ]; then
  echo "--window: the Node.js build ended with status $status and said:"
  cat "$scratch/window.err"
  failed=1
fi

check whole_game --keys "$root/tests/regression/whole_game.keys"
for keys in "$root"/docs/pictures/*.keys; do
  retrace=$(sed -n 's/^# picture: *\([0-9][0-9]*\) *$/\1/p' "$keys")
  check "$(basename "$keys" .keys)" --keys "$keys" --frames "$retrace" --png-at "$retrace"
done
exit $failed
