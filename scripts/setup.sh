#!/usr/bin/env bash
# Installs the Debian packages that building and testing Rivulet needs.
# Idempotent: does nothing when everything is present, and runs
# `apt-get update` at most once before installing what is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  qtbase5-dev qtbase5-dev-tools libqt5sql5-sqlite libsqlite3-dev libqt5charts5-dev
  libboost-regex-dev libboost-dev libeigen3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb
  help2man desktop-file-utils dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
