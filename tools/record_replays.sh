#!/usr/bin/env bash
# Records again the runs kept in tests/replays/, which the test command verifies: a walk through
# the menus and the options and credits boxes; a Normal game played to its end, with lightning
# kills; a Hard game paused, with the options box opened over it and full screen switched on and
# off. Each is played on a private X display with scripted keys, from a fresh folder (no stored
# state). Run it after any intended change of the game's behaviour, its data or its version,
# look at what changed, and commit the new files.
# Usage: tools/record_replays.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build}
cmake --build "$build" --target skarblit >/dev/null
program=$root/$build/skarblit
out=$root/tests/replays
mkdir -p "$out"

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A private display: the server writes its number once it listens.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
export ALSOFT_DRIVERS=null

# There is no window manager: the game's window (a new one after every switch of full screen)
# is given the focus here.
focus() { xdotool search --sync --name '^Skarblit$' windowfocus --sync >/dev/null; }
# The game reads most keys as held at an update, so each press lasts a few updates.
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }
key() { for k in "$@"; do hold "$k" 0.3; sleep 0.3; done; }
# Steers round in widening squares, the way one hunts for zap posts.
circle() {
  for t in 0.3 0.5 0.7 0.5; do
    hold Right "$t"; hold Down "$t"; hold Left "$t"; hold Up "$t"
  done
}
# The last score of difficulty group K (0 Easy, 1 Normal, 2 Hard) stored in FOLDER.
score() { awk -F'|' -v k="$2" '{ print $(37 + 21 * k) }' "$1/.vantorstate"; }
# Plays until the game is over: the score is stored when the menu comes back (what was stored
# before, by the options box or a suspension, is cleared first).
until_over() {
  local dir=$1 limit=$2
  rm -f "$dir/.vantorstate"
  for _ in $(seq "$limit"); do
    [ -e "$dir/.vantorstate" ] && return 0
    circle
  done
  return 1
}

# The options box takes no keys while it slides in (half a second).
menu_walk() {
  key Left Return          # the options box
  sleep 1
  key Down Return Return   # sound: two modes on
  key Down Return Return   # iCade on and off
  key Down Down Down Return  # the credits (down stops at the last row)
  sleep 3
  key Escape Right Right Return  # the side panel and its credit roll
  sleep 3
  key Escape Left Down Up  # the dial
  key Escape
}

normal_game() {
  key Return
  until_over "$1" 20 || return 1
  sleep 2
  key Escape
  [ "$(score "$1" 1)" -gt 0 ]
}

# Foes keep coming under the pause menu, so the pause comes early and is short.
hard_game() {
  key Down Return
  hold Right 0.5
  key Escape Right Return  # paused, the options box over the pause menu
  sleep 1
  key Down Down Down Return
  focus
  sleep 1
  key Return
  focus
  key Up Up Up Return Left Return  # back to the pause menu, and play on
  until_over "$1" 20 || return 1
  sleep 2
  key Escape
  [ "$(score "$1" 2)" -gt 0 ]
}

# record NAME: plays a run into tests/replays/NAME.skr with the function NAME; a game that
# scored nothing (no lightning kill) or never ended is played again, up to five times.
record() {
  local name=$1 dir=$work/$1
  for attempt in 1 2 3 4 5; do
    rm -rf "$dir"
    mkdir -p "$dir"
    ln -s "$root/data" "$dir/data"
    (cd "$dir" && exec "$program" --record "$out/$name.skr") &
    local game=$!
    pids+=("$game")
    focus
    sleep 4  # the loader and the menu sliding in
    if "$name" "$dir"; then
      wait "$game"
      "$program" --verify "$out/$name.skr"
      return
    fi
    echo "$name: attempt $attempt did not play out; again" >&2
    kill "$game" 2>/dev/null || true
    wait "$game" || true
  done
  return 1
}

record menu_walk
record normal_game
record hard_game
ls -l "$out"
