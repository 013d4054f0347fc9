# shellcheck shell=bash
# The private X display of the shell tests and tools that run the game, sourced by them: a
# scratch folder and the children to stop, both gone however the script ends; the server's
# start; the focus a window manager would give; and the menu probe of the player test.
# Needs $xtool, the path of kx_game_xtool. Sets kx_tmp and kx_pids.
: "${xtool:?the path of kx_game_xtool}"

kx_tmp=$(mktemp -d /tmp/kx_display.XXXXXX)
kx_pids=()
# Terminated, not killed: the server then removes its lock file and socket.
kx_cleanup() {
  local pid
  for pid in "${kx_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${kx_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$kx_tmp"
}
trap kx_cleanup EXIT
trap 'exit 1' INT TERM

# shellcheck source=tests/support/wait.sh
. "$(dirname "${BASH_SOURCE[0]}")/wait.sh"

# Starts the tests' X server with a screen of the given size ("1280x1024") and exports DISPLAY.
kx_start_display() {
  local number
  mkfifo "$kx_tmp/displayfd"
  bash "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh" "$1" >"$kx_tmp/displayfd" 2>/dev/null &
  kx_pids+=("$!")
  read -r -t 300 number <"$kx_tmp/displayfd" || return 1
  export DISPLAY=:$number
  # A key held until its effect shows is then one press, however long that takes.
  "$xtool" norepeat
}

# A bare X server gives a new window no focus, and without it the game waits suspended: the
# next window mapped gets it, as a desktop's window manager would give it. Returns once the
# watch is in place.
kx_focus_next() {
  local ready  # the watch says "ready" once it is in place
  mkfifo "$kx_tmp/focus"
  "$xtool" focus-next >"$kx_tmp/focus" &
  kx_pids+=("$!")
  read -r -t 300 ready <"$kx_tmp/focus" && [ "$ready" = ready ] && rm "$kx_tmp/focus"
}

# Waits for the game's window; sets window, and X and Y, where it is on the screen.
kx_find_window() {
  window=$(timeout 300 xdotool search --sync --name '^Skarblit$' | head -1) &&
    eval "$(xdotool getwindowgeometry --shell "$window")"
}

# Prints "r g b" for each pixel of a rectangle of the window (x y width height).
kx_pixels() {
  "$xtool" grab "$kx_tmp/grab.ppm" $((X + $1)) $((Y + $2)) "$3" "$4" &&
    tail -c $(($3 * $4 * 3)) "$kx_tmp/grab.ppm" | od -An -v -tu1 -w3
}

# The menu at rest in the game's window, by the player test's own probe.
kx_menu_shown() { "$xtool" menu "$X" "$Y"; }
