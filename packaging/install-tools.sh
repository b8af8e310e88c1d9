#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing (through
# apt-get, with sudo when not root): the build's own list (scripts/install-deps.sh) and the
# tools that making and checking a release need beyond it.
set -euo pipefail

# One question to dpkg for all of them: when everything is there, this costs nothing.
installed=$(dpkg-query -W -f='${Package} ${Status}\n' "$@" 2>/dev/null |
  awk '/ install ok installed$/ { print $1 }' || true)
missing=()
for p in "$@"; do
  if ! grep -qxF "$p" <<<"$installed"; then missing+=("$p"); fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}" >&2
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >&2
