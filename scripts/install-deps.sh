#!/usr/bin/env bash
# Installs the Debian 12 packages Corvane builds with. Safe to run again: it does
# nothing when every package is already present, and uses sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  nlohmann-json3-dev libplist-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev libxcb-ewmh-dev libxcb-randr0-dev
  xdg-utils libglib2.0-bin iproute2 iw
  qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
