#!/usr/bin/env bash
# Times the game's start: from launching build/skarblit to the first frame of the main menu on
# the screen, that is the first frame drawn from the menu's update once loading has ended (the
# menu then slides in over 32 updates), taken after its swap and a glFinish, so the driver's
# work on it is inside the figure. Each run starts the game afresh on a private Xvfb display, in
# a folder of its own that links ./data (no saved state), with nothing skipped: the game only
# logs the moment (SKARBLIT_LOG_MENU_SHOWN) and is stopped once its menu is up. Prints each run
# and the median as time_to_menu_ms.
#
#   bash tools/time_to_menu.sh [runs]   (5; needs build/skarblit and build/kx_game_xtool)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-5}
xtool=$root/build/kx_game_xtool
# shellcheck source=tests/support/display.sh
. tests/support/display.sh
kx_start_display 1280x1024

# One fresh start; sets `took` to the microseconds from launch to the first menu frame shown.
one_run() {
  local dir=$kx_tmp/run$1 shown
  mkdir "$dir"
  ln -s "$root/data" "$dir/data"
  kx_focus_next
  local start=${EPOCHREALTIME/./}
  (cd "$dir" && SKARBLIT_LOG_MENU_SHOWN=1 exec "$root/build/skarblit") >"$dir/out" 2>&1 &
  local game=$!
  kx_pids+=("$game")
  # The moment is the game's own stamp, so waiting for it here adds nothing to the figure.
  logged_or_gone() { grep -q '^menu_swapped_unix_us=' "$dir/out" || ! kill -0 "$game" 2>/dev/null; }
  kx_wait_for logged_or_gone
  shown=$(sed -n 's/^menu_swapped_unix_us=//p' "$dir/out" | head -1)
  [ -n "$shown" ] || { echo "run $1: the game never logged menu_swapped_unix_us" >&2; return 1; }
  # The probe the tests use: the menu is up on the screen, not only logged.
  if ! { kx_find_window && kx_wait_for kx_menu_shown; }; then
    echo "run $1: the menu never showed" >&2
    return 1
  fi
  kill "$game"
  wait "$game" || true
  took=$((shown - start))
}

times=()
for ((i = 1; i <= runs; i++)); do
  one_run "$i"
  printf 'run %d: %d.%03d ms\n' "$i" $((took / 1000)) $((took % 1000))
  times+=("$took")
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p")
printf 'time_to_menu_ms=%d.%03d\n' $((median / 1000)) $((median % 1000))
