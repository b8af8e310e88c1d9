# shellcheck shell=bash
# Sourced by the build and test scripts: `stage NAME COMMAND...` runs COMMAND (a program or a
# function of the script) in a subshell with errexit on and, when KESTAL_STAGE_LOG names a
# file, adds "NAME<TAB>SECONDS<TAB>STATUS" to it, so that .ci/run can end with a table of
# where its time went. A failing stage records its time too; its status is stage's own.
stage() {
  local name=$1 started status errexit=""
  shift
  case $- in *e*) errexit=1 ;; esac
  echo "== $name" >&2
  started=$(date +%s)
  # A function run as part of `cmd || ...` would have errexit ignored: hence no such list.
  set +e
  (
    set -e
    "$@"
  )
  status=$?
  [ -n "$errexit" ] && set -e
  if [ -n "${KESTAL_STAGE_LOG:-}" ]; then
    printf '%s\t%s\t%s\n' "$name" "$(($(date +%s) - started))" \
      "$([ "$status" -eq 0 ] && echo ok || echo "failed ($status)")" >>"$KESTAL_STAGE_LOG"
  fi
  return "$status"
}

# The stages recorded in KESTAL_STAGE_LOG, one a line, with their wall times and their sum.
stage_table() {
  [ -s "${KESTAL_STAGE_LOG:-}" ] || return 0
  awk -F '\t' '{ printf "%-46s %6d s  %s\n", $1, $2, $3; total += $2 }
               END { printf "%-46s %6d s\n", "total", total }' "$KESTAL_STAGE_LOG"
}

# ctest with every core, failing when a test was skipped or not run: a full run installs all
# that its tests need, so a skip there is a test lost.
ctest_all() {
  local log status
  log=$(mktemp)
  { ctest --output-on-failure -j"$(nproc)" "$@" 2>&1; echo "$?" >"$log.status"; } | tee "$log"
  status=$(cat "$log.status")
  if grep -E '\*\*\*(Skipped|Not Run)' "$log" >/dev/null; then
    echo "these tests did not run (each says why above):" >&2
    grep -E '\*\*\*(Skipped|Not Run)' "$log" | sed 's/^/  /' >&2
    status=1
  fi
  rm -f "$log" "$log.status"
  return "$status"
}
