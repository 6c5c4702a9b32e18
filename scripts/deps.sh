#!/usr/bin/env bash
# Installs the Debian packages the builds need (clang and its runtimes for
# the fuzz configuration; ccache, the compiler cache every build uses), only
# when something is missing.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config libsdl2-dev libgl-dev libgl1-mesa-dri
      libpng-dev zlib1g-dev libjpeg-dev libsquish-dev libfreetype-dev fonts-dejavu-core
      libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-dev ccache)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

