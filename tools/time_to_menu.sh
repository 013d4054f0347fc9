#!/usr/bin/env bash
# Times the game's start: from launching build/skarblit to the first frame of the main menu on
# the screen, that is the first frame drawn from the menu's update once loading has ended (the
# menu then slides in over 32 updates), taken after its swap and a glFinish, so the driver's
# work on it is inside the figure. Each run starts the game afresh on a private Xvfb display, in
# a folder of its own that links ./data (no saved state), with nothing skipped: the game only
# logs the moment (SKARBLIT_LOG_MENU_SHOWN) and is stopped after it. Prints each run and the
# median as time_to_menu_ms.
#
#   bash tools/time_to_menu.sh [runs]   (5; needs build/skarblit and build/kx_game_xtool)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-5}
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait
  rm -rf "$work"
}
trap cleanup EXIT

# The server names its display once it listens.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" \
  >/dev/null 2>&1 &
pids+=($!)
read -r -t 15 number <"$work/display"
export DISPLAY=:$number

# One fresh start; sets `took` to the microseconds from launch to the first menu frame shown.
one_run() {
  local dir=$work/run$1 line shown=
  mkdir "$dir"
  ln -s "$root/data" "$dir/data"
  mkfifo "$dir/focus" "$dir/out"
  # A bare X server gives a new window no focus, and without it the game waits suspended;
  # this stands in for the window manager of a desktop.
  build/kx_game_xtool focus-next >"$dir/focus" &
  pids+=($!)
  read -r -t 15 line <"$dir/focus"
  local start=${EPOCHREALTIME/./}
  (cd "$dir" && SKARBLIT_LOG_MENU_SHOWN=1 exec "$root/build/skarblit") >"$dir/out" 2>&1 &
  local game=$!
  pids+=($game)
  while read -r -t 60 line; do
    if [[ $line == menu_swapped_unix_us=* ]]; then
      shown=${line#*=}
      break
    fi
  done <"$dir/out"
  kill "$game"
  wait "$game" || true
  [ -n "$shown" ] || { echo "run $1: the game never logged menu_swapped_unix_us" >&2; return 1; }
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
