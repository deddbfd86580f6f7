#!/usr/bin/env bash
# Installs from Debian every package that Marlet's build, tests and programs need, then
# builds everything into build/. Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
  cmake g++ make pkg-config lld
  qt6-base-dev libgl-dev qt6-qpa-plugins libqt6svg6 libxcb1-dev qt6-translations-l10n qt6-pdf-dev
  libsqlite3-dev
  libharfbuzz-dev libfreetype-dev libfontconfig-dev libdeflate-dev libcups2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fontconfig fonts-liberation2 fonts-dejavu-core
  poppler-utils qpdf python3
  qrencode zbar-tools
  clang
  cups-daemon cups-client
  dpkg-dev lintian man-db
  xvfb trayer xdotool imagemagick openbox
  qemu-system-x86 bochs bochsbios vgabios bochs-sdl nasm
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
# CI treats every compiler warning as an error.
[ "${CI:-}" = "true" ] && options+=(-DMARLET_WERROR=ON)
cmake -S . -B build "${options[@]}"
cmake --build build -j"$(nproc)"
