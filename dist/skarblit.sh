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

# A replay file named on the command line is where the player is, not in the game's folder.
start=$PWD
absolute() { case $1 in /*) printf '%s' "$1" ;; *) printf '%s/%s' "$start" "$1" ;; esac; }
file=
for arg do
  shift
  if [ -n "$file" ]; then
    arg=$(absolute "$arg")
    file=
  fi
  case $arg in
    --record | --replay | --verify) file=1 ;;
    --record=* | --replay=* | --verify=*) arg=${arg%%=*}=$(absolute "${arg#*=}") ;;
  esac
  set -- "$@" "$arg"
done
# A folder with data of its own is the player's; only a missing or dangling link is (re)made.
if [ ! -e "$folder/data" ]; then
  ln -sfn "$data" "$folder/data"
fi
cd "$folder"
exec "$program" "$@"
