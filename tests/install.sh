#!/usr/bin/env bash
# Installs from Debian's packages those of the given that are missing. An
# argument command:package installs the package only when the command is
# not found (Node.js and npm may come from elsewhere).
set -euo pipefail
missing=()
for want in "$@"; do
  case $want in
  *:*) command -v "${want%%:*}" >/dev/null || missing+=("${want#*:}") ;;
  *) dpkg -s "$want" >/dev/null 2>&1 || missing+=("$want") ;;
  esac
done
[ ${#missing[@]} -gt 0 ] || exit 0
sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
