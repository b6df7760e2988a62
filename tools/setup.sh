#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (only those missing), then configures
# and builds into build/. Used by run.sh and test.sh; safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build pkg-config clang-format libgtest-dev qt6-base-dev qt6-svg-dev
          libuemf-dev libpng-dev zlib1g-dev libx11-dev fonts-ipafont-gothic fonts-dejavu-core xvfb xauth
          poppler-utils emf2svg libwmf-bin fonts-urw-base35 desktop-file-utils xdg-utils
          shared-mime-info libglib2.0-bin libdxflib-dev qt6-tools-dev qt6-l10n-tools
          qt6-translations-l10n appstream qt6-image-formats-plugins libsqlite3-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
