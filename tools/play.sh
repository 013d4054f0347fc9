#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine, builds, and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh build
if [ ! -x build/skarblit ]; then
  echo "Built. The game itself is not there yet: build/skarblit is missing."
  exit 0
fi
exec ./build/skarblit
