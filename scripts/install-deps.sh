#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the project needs.
# Idempotent: when everything is present it only checks and returns; the package lists are
# refreshed only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libicu-dev libxml2-dev zlib1g-dev libcurl4-openssl-dev libglib2.0-dev
  qt6-base-dev libqt6opengl6-dev qt6-tools-dev qt6-tools-dev-tools qt6-qpa-plugins libgl-dev
  gettext
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev llvm
  attr shared-mime-info desktop-file-utils openssl
  doxygen perl dpkg-dev file lintian appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
