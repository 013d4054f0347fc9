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

# Starts Xvfb with a screen of the given size ("1280x1024") on a display number it picks
# itself, which it names once it listens, and exports DISPLAY.
kx_start_display() {
  local number
  mkfifo "$kx_tmp/displayfd"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -noreset 3>"$kx_tmp/displayfd" \
    >/dev/null 2>&1 &
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

# The menu at rest: the play button at the lower right glows green.
kx_menu_shown() {
  [ "$(kx_pixels 550 417 30 30 | awk '$2 > $1 + 40 && $2 > $3 + 40' | wc -l)" -gt 600 ]
}
