#!/usr/bin/env bash
# Installs every Debian package the build, tests, benchmarks and fuzzing need.
# Safe to run again: it only calls apt-get when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-svg-dev pkg-config libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-liberation2 xvfb xauth imagemagick xdotool x11-utils xclip dbus-daemon dbus-bin
  qt6-translations-l10n
  libxml2-utils poppler-utils
  libpng-dev librsvg2-bin
  desktop-file-utils appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
  dpkg-dev lintian
  librdkit-dev libboost-dev libinchi-dev
  at-spi2-core libglib2.0-bin python3
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "deps.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
