#!/usr/bin/env bash
# Records again the runs kept in tests/replays/, which the test command verifies: each NAME.txt
# there is a script of inputs (its first lines say what the run does), recorded into NAME.skr
# without a window, as fast as the game runs. The same script, program and data always give
# the same file. Run it after any intended change of the game's behaviour, its data or its
# version, look at what changed (tools/play.sh or `skarblit --replay` to watch a run), and
# commit the new files.
# Usage: tools/record_replays.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target skarblit >/dev/null
program=$build/skarblit

# The game reads ./data/ from the repository root, as the tests do.
for script in tests/replays/*.txt; do
  recording=${script%.txt}.skr
  "$program" --script "$script" --record "$recording" >/dev/null
  echo "$recording: $("$program" --verify "$recording" | grep -E '^(started|  )' | tr -s ' \n' ' ')"
done
