#!/usr/bin/env bash
# Installs, with apt-get, what building, running and testing the program needs and the machine lacks.
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev libqt6sql6-sqlite libsqlite3-dev libxlsxwriter-dev
          libfreexl-dev libquazip1-qt6-dev zlib1g-dev fonts-noto-cjk xvfb xauth python3-xlwt libbenchmark-dev xdg-utils poppler-utils)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
