#!/bin/sh
# Starts the installed game in the player's own folder, where it finds ./data/ and keeps its
# settings and scores in ./.vantorstate. The installed files are found from this script's own
# place (<prefix>/games or <prefix>/bin), so the whole installation can move.
set -e
here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
program=$prefix/lib/games/skarblit/skarblit
data=$prefix/share/games/skarblit/data

# A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
case ${XDG_DATA_HOME:-} in
  /*) folder=$XDG_DATA_HOME/skarblit ;;
  *) folder=${HOME:?HOME is not set}/.local/share/skarblit ;;
esac
mkdir -p "$folder"
# A folder with data of its own is the player's; only a missing or dangling link is (re)made.
if [ ! -e "$folder/data" ]; then
  ln -sfn "$data" "$folder/data"
fi
cd "$folder"
exec "$program" "$@"
