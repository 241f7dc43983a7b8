#!/usr/bin/env bash
# Installs what building and testing Dravon needs, from Debian's packages.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config googletest libgtest-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 fonts-wine xvfb x11-utils fonts-wqy-microhei
  librsvg2-bin imagemagick sox
  nsis zip unzip
  # The release's package manifests, checked against their schemas.
  python3-yaml python3-jsonschema
  # Drives that hang (FUSE); NTFS volumes for the master-file-table tests:
  # mkntfs, the FUSE driver, a real sample volume; time for the benchmarks.
  python3-fusepy fuse3 ntfs-3g forensics-samples-ntfs xz-utils time
  # Recommended packages are left out (systemd, media codecs, GPU drivers: a
  # third of the download); these few of them the tests do use: the X cursor
  # library Wine's display driver loads, the fonts Wine substitutes for the
  # common Windows ones, and the X server's base fonts.
  libxcursor1 fonts-liberation xfonts-base xauth
  # The fonts the resource art names.
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
