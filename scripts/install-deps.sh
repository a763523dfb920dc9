#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when missing.
# Usage: scripts/install-deps.sh [extra-package ...]
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev nlohmann-json3-dev
          qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core
          libjpeg62-turbo-dev libexif-dev libxml2-dev libzip-dev gpsbabel
          fonts-ipafont-gothic time gmt gmt-gshhg-full chromium ffmpeg
          dpkg-dev help2man librsvg2-bin lintian desktop-file-utils appstream man-db bash-completion
          shared-mime-info libglib2.0-bin xdg-utils "$@")
# The replay page's own tests run on node; Debian's is enough where none is installed.
command -v node >/dev/null 2>&1 || packages+=(nodejs)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
