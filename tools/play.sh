#!/usr/bin/env bash
# Sets up on a fresh Debian 12 machine what the game needs, builds the game alone, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh --game build
exec ./build/skarblit
