#!/usr/bin/env bash
# Installs every system package Quorvane builds, tests and plays with (Debian/Ubuntu, apt-get).
# Safe to run again: packages already present are skipped by apt-get.
set -euo pipefail

PACKAGES=(
  # toolchain and test frameworks
  build-essential cmake ninja-build pkg-config clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev lua5.4 bc time
  # platform: window, input, OpenGL, audio
  libsdl2-dev libepoxy-dev xvfb xauth
  # data and images
  zlib1g-dev libpng-dev libjpeg-dev libgif-dev libtiff-dev nlohmann-json3-dev
  # fonts
  libfreetype-dev libfontconfig-dev fonts-liberation fonts-dejavu-core
  # sound
  libsndfile1-dev libsamplerate0-dev libfluidsynth-dev timgm6mb-soundfont
  # extensions and multiplayer
  libffi-dev libenet-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
