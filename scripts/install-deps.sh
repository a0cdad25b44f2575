#!/usr/bin/env bash
# Installs the Debian 12 packages Corvane builds with; `install-deps.sh fuzz` adds the
# compiler and runtime the fuzz targets need. Safe to run again: it does nothing when
# every package is already present, and uses sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  nlohmann-json3-dev libplist-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev libxcb-ewmh-dev libxcb-randr0-dev libxcb-res0-dev libsystemd-dev
  xdg-utils libglib2.0-bin iproute2 iw desktop-file-utils
  qt6-base-dev qt6-svg-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
  # Not linked, but Qt's CMake package looks for it and says so on every configure without it.
  libxkbcommon-dev
  fonts-dejavu-core
  # What the quit tests run: an X server, a window manager, a session bus, a Tk editor
  # and a GTK app.
  xvfb openbox dbus-daemon tk8.6 python3-gi gir1.2-gtk-3.0
)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  # Without sudo, or where sudo would ask for a password with nobody to type it, say
  # what is missing rather than fail on a bare prompt or "command not found".
  if ! command -v sudo >/dev/null || { [ ! -t 0 ] && ! sudo -n true 2>/dev/null; }; then
    echo "Corvane needs these Debian packages, which are not installed:" >&2
    echo "  ${missing[*]}" >&2
    echo "Install them as root:" >&2
    echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing with sudo: ${missing[*]}" >&2
  sudo="sudo"
fi
# Through env, so the setting reaches apt-get past sudo, which drops the caller's
# environment: debconf then asks nothing and says nothing about its dialog frontends.
apt=($sudo env DEBIAN_FRONTEND=noninteractive apt-get)
"${apt[@]}" update -q
"${apt[@]}" install -y -q --no-install-recommends "${missing[@]}"
