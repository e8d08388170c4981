#!/usr/bin/env bash
# Installs every Debian package that building, the demo and the tests need.
# Idempotent: installs only what is missing. As root it runs apt-get itself;
# otherwise it prints the exact command and stops.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  liblua5.1-0-dev libglfw3-dev libglew-dev libgl-dev libgl1-mesa-dri libx11-dev libxtst-dev
  libstb-dev libsdl2-dev libsndfile1-dev libkissfft-dev
  libfreetype-dev fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth x11-apps x11-utils imagemagick apitrace sox libsox-fmt-all
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

cmd="apt-get install -y --no-install-recommends ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
  echo "strobe needs these Debian packages. Run as root:"
  echo "  apt-get update && $cmd"
  exit 1
fi
echo "Installing: ${missing[*]}"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive $cmd
