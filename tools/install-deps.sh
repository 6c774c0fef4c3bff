#!/usr/bin/env bash
# Installs the Debian 12 packages Lumograph needs to build, test and run, when any is missing.
# Runs apt-get as root (directly, or through sudo when started by another user).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-image-formats-plugins libqt6svg6
  libjpeg62-turbo-dev libpng-dev
  libgtest-dev libbenchmark-dev
  attr xdg-utils fonts-dejavu-core desktop-file-utils
  exiv2 libimage-exiftool-perl hyperfine strace
  libvips-tools imagemagick libjpeg-turbo-progs
  xvfb xauth
  openssh-server sshfs fuse3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
