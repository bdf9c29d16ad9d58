#!/usr/bin/env bash
# Installs the Debian packages listed in tools/deps.d/*.txt that are missing.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wanted=$(cat "$here"/deps.d/*.txt | sed -e 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
missing=()
for pkg in $wanted; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# Servers we install (squid) are started by the tests themselves, never as services.
policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' | $sudo tee "$policy" >/dev/null
  $sudo chmod +x "$policy"
  trap '$sudo rm -f "$policy"' EXIT
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
