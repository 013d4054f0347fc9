#!/usr/bin/env bash
# Installs whatever of the build and test dependencies is missing (Debian 12), then builds.
# Usage: tools/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake pkg-config
  libglfw3-dev libgl-dev libopenal-dev libstb-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils
  clang libclang-rt-14-dev
  libcairo2-dev libvorbis-dev fonts-dejavu-core
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

build=${1:-build}
shift || true
cmake -S . -B "$build" "$@"
cmake --build "$build" -j"$(nproc)"
