#!/usr/bin/env bash
# Installs whatever is missing of the Debian 12 packages a build needs, then configures and
# builds. Usage: tools/setup.sh [--game | --package] [build-dir] [extra cmake arguments...]
#   (none)     everything: the game, the tests, the benchmarks, the fuzzers, the data generator
#   --game     only what building and running the game needs, and only the game
#   --package  the game and its Debian package, build-dir/skarblit_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

mode=all
case ${1:-} in --game | --package) mode=${1#--}; shift ;; esac

packages=(build-essential cmake pkg-config libglfw3-dev libgl-dev libopenal-dev libstb-dev libzstd-dev)
# dpkg-shlibdeps, which finds the package's dependencies, needs file(1).
[ "$mode" = game ] || packages+=(dpkg-dev file)
if [ "$mode" = all ]; then
  packages+=(
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool x11-utils
    clang libclang-rt-14-dev
    libcairo2-dev libvorbis-dev fonts-dejavu-core
    lintian desktop-file-utils appstream man-db
  )
fi
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
# The switches are given every time: the play and test commands share one build folder.
if [ "$mode" = all ]; then
  cmake -S . -B "$build" -DKX_TESTS=ON -DKX_BENCH=ON "$@"
  cmake --build "$build" -j"$(nproc)"
else
  target=skarblit
  [ "$mode" = game ] || target=package
  cmake -S . -B "$build" -DKX_TESTS=OFF -DKX_BENCH=OFF "$@"
  cmake --build "$build" -j"$(nproc)" --target "$target"
fi
