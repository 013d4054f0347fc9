#!/usr/bin/env bash
# Sets up on a fresh Debian 12 machine what the game needs, builds the game alone, and starts it
# with the arguments given (`bash tools/play.sh --record run.skr`). The game runs in the
# repository root, so a relative file name is taken from there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh --game build
exec ./build/skarblit "$@"
