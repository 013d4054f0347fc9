#!/usr/bin/env bash
# The Debian package as a player gets it: built from the build folder, unpacked into a
# temporary root, its files checked by the validators, and the unpacked launcher started from
# an unrelated folder with a fresh home under a private X display: the menu shows, the options
# box opens and closes, and the default state lands in the player's folder and nowhere else.
# Usage: package_test.sh <build folder> <version>
set -euo pipefail
build=$(readlink -f "$1")
version=$2
xtool=$build/kx_game_xtool
# shellcheck source=tests/support/display.sh
. "$(dirname "$0")/../support/display.sh"
tmp=$kx_tmp
unset XDG_DATA_HOME

fail() { echo "FAIL: $*" >&2; exit 1; }

# --- The package and its files ---------------------------------------------------------
cpack --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack"; }
deb=$tmp/pkg/skarblit_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb")"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 &
  kx_pids+=("$!")
  lintian_pid=$!
else
  echo "lintian is not installed: the package is not linted"
fi
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libglfw3 libopenal1 libopengl0; do
  [[ $depends == *"$lib"* ]] || fail "no $lib in Depends: $depends"
done
root=$tmp/root
dpkg-deb -x "$deb" "$root"
for f in games/skarblit lib/games/skarblit/skarblit; do
  [ -x "$root/usr/$f" ] || fail "no program usr/$f"
done
for f in share/games/skarblit/data/lumo_font.png share/games/skarblit/data/sfx/Playful.ogg \
  share/man/man6/skarblit.6.gz share/doc/skarblit/copyright share/doc/skarblit/changelog.gz; do
  [ -f "$root/usr/$f" ] || fail "no usr/$f"
done
for size in 16 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/skarblit.png
  # Width and height are the PNG header's two big-endian words after the signature.
  [ "$(od -An -tu4 --endian=big -j16 -N8 "$icon" 2>/dev/null | xargs)" = "$size $size" ] ||
    fail "icon $size"
done
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$tmp/as.log" ||
  { cat "$tmp/as.log"; fail "appstream"; }
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
  "$root/usr/share/man/man6/skarblit.6.gz" 2>&1 >/dev/null)
[ -z "$man_warnings" ] || fail "manual page: $man_warnings"
# Every document names the package's version.
grep -q "<release version=\"$version\"" "$root"/usr/share/metainfo/*.xml || fail "metainfo release"
zcat "$root/usr/share/doc/skarblit/changelog.gz" | head -1 | grep -qF "skarblit ($version)" ||
  fail "changelog version"
zcat "$root/usr/share/man/man6/skarblit.6.gz" | grep -q "^\.TH .*\"Skarblit $version\"" ||
  fail "manual page version"

# --- The launcher without a display ----------------------------------------------------
launcher=$root/usr/games/skarblit
installed_data=$root/usr/share/games/skarblit/data
mkdir -p "$tmp/work" "$tmp/home"
# Runs the launcher from the work folder with a fresh home and no display; prints
# "<status>|<stdout>|<stderr>".
run() {
  local out err status=0
  out=$(cd "$tmp/work" && env -u DISPLAY HOME="$tmp/home" "$@" 2>"$tmp/err") || status=$?
  err=$(cat "$tmp/err")
  echo "$status|$out|$err"
}
# What only prints needs no home.
[ "$(run env -u HOME "$launcher" --version)" = "0|skarblit $version|" ] ||
  fail "--version: $(run env -u HOME "$launcher" --version)"
usage="Usage: skarblit [--help] [--version] [--record FILE] [--replay FILE] [--verify FILE] [--script FILE]"
[[ "$(run env -u HOME "$launcher" --help)" == "0|$usage"*"|" ]] || fail "--help"
# A replay file is named from where the player is, not from the game's folder, and the launcher
# takes a file's name where the game does.
while IFS='#' read -r args want; do
  # shellcheck disable=SC2086 # the arguments are words
  got=$(run "$launcher" $args)
  [ "$got" = "$want" ] || fail "$args: $got"
done <<EOF
--bogus#2||skarblit: unknown option '--bogus'. $usage
--verify=run.skr#2||skarblit: $tmp/work/run.skr: cannot be opened
--verify -- -run.skr#2||skarblit: $tmp/work/-run.skr: cannot be opened
--verify -run.skr#2||skarblit: option '--verify' needs a FILE, not '-run.skr'. $usage
EOF
# The player's folder: made with a link to the data, kept when the data is the player's own,
# the link re-pointed when it dangles or points at another installation's data; a relative
# XDG_DATA_HOME is ignored; a linked launcher still finds its files.
ln -s "$launcher" "$tmp/linked"
mkdir -p "$tmp/xdg/skarblit/data" "$tmp/stale/skarblit" "$tmp/other/skarblit"
ln -s "$tmp/nowhere" "$tmp/stale/skarblit/data"
ln -s "$tmp/xdg/skarblit/data" "$tmp/other/skarblit/data"
while read -r xdg command folder want; do
  run env XDG_DATA_HOME="$xdg" "$command" --bogus >/dev/null
  got=$(readlink "$folder/data" || echo own)
  [ "$got" = "$want" ] || fail "XDG_DATA_HOME=$xdg: $folder/data is $got, not $want"
done <<EOF
$tmp/xdg $launcher $tmp/xdg/skarblit own
$tmp/stale $tmp/linked $tmp/stale/skarblit $installed_data
$tmp/other $launcher $tmp/other/skarblit $installed_data
relative $launcher $tmp/home/.local/share/skarblit $installed_data
EOF
rm -rf "$tmp/home/.local"

# --- The game under a private display --------------------------------------------------
kx_start_display 1024x768 || fail "Xvfb did not start"
kx_focus_next || fail "no focus watch"
(cd "$tmp/work" && exec env HOME="$tmp/home" ALSOFT_DRIVERS=null \
  "$launcher" >"$tmp/game.out" 2>&1) &
game=$!
kx_pids+=("$game")
kx_find_window || fail "no window"

# The options box: its brown panel on both sides of its rows.
brown() { kx_pixels "$1" "$2" 1 1 | awk '{exit !($1 > 100 && $2 > 40 && $2 < 100 && $3 < 60)}'; }
dial_left() { ! kx_menu_shown; }
options_shown() { brown 60 400 && brown 300 460 && brown 570 300; }
options_gone() { ! brown 60 400 && ! brown 570 300; }
# Holds a key until the screen shows its effect.
press() {
  xdotool keydown "$1"
  kx_wait_for "$2" || fail "$1 did not lead to $2"
  xdotool keyup "$1"
}

kx_wait_for kx_menu_shown || fail "the menu did not appear"
"$xtool" shot "$build/tests/package_menu.png"
press Left dial_left
press Return options_shown
press Escape options_gone
# The fresh state (its values are the save tests'): 98 numbers, in the player's folder.
state=$tmp/home/.local/share/skarblit/.vantorstate
kx_wait_for test -s "$state" || fail "no state saved"
[[ "$(cat "$state")" =~ ^([0-9]+\|){98}$ ]] || fail "state: $(cat "$state")"
[ "$(readlink "$tmp/home/.local/share/skarblit/data")" = "$installed_data" ] || fail "data link"
"$xtool" close "$window"
status=0
wait "$game" || status=$?
[ $status -eq 0 ] || fail "the game ended with status $status: $(cat "$tmp/game.out")"
[ -z "$(ls -A "$tmp/work")" ] || fail "written to the working folder: $(ls -A "$tmp/work")"

if [ -n "${lintian_pid:-}" ]; then
  wait "$lintian_pid" || { cat "$tmp/lintian.log"; fail "lintian"; }
fi
echo "package: $(basename "$deb") installs, validates and plays from the player's home"
