#!/bin/sh
# Starts the installed game in the player's own folder, where it finds ./data/ and keeps its
# settings and scores in ./.vantorstate. The installed files are found from this script's own
# place (<prefix>/games or <prefix>/bin), so the whole installation can move.
set -e
here=$(dirname "$(readlink -f "$0")")
prefix=$(dirname "$here")
program=$prefix/lib/games/skarblit/skarblit
data=$prefix/share/games/skarblit/data

# A replay file named on the command line is where the player is, not in the game's folder.
# The game reads the options as this walk does: a file's name is the next argument unless that
# starts with "-", or the one after a "--" there; "--" ends the options.
start=$PWD
absolute() { case $1 in /* | '') printf '%s' "$1" ;; *) printf '%s/%s' "$start" "$1" ;; esac; }
file='' ended='' prints=''
for arg do
  shift
  if [ -n "$file" ] && [ -z "$ended" ] && [ "$arg" = -- ]; then
    ended=1
  elif [ -n "$file" ]; then
    # Before "--", a "-x" here is no name but an option the game refuses in its place.
    case $ended$arg in -*) ;; *) arg=$(absolute "$arg") ;; esac
    file=
  elif [ -z "$ended" ]; then
    case $arg in
      --) ended=1 ;;
      --help | --version) prints=1 ;;
      --record | --replay | --verify) file=1 ;;
      --record=* | --replay=* | --verify=*) arg=${arg%%=*}=$(absolute "${arg#*=}") ;;
    esac
  fi
  set -- "$@" "$arg"
done
# What only prints needs no folder (and no HOME).
[ -z "$prints" ] || exec "$program" "$@"

# A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
case ${XDG_DATA_HOME:-} in
  /*) folder=$XDG_DATA_HOME/skarblit ;;
  *) folder=${HOME:?HOME is not set}/.local/share/skarblit ;;
esac
mkdir -p "$folder"
# The data is this installation's: a link anywhere else (an older or moved installation, or a
# dangling one) is pointed here, by a rename so that a game starting meanwhile sees a link. Only
# a real folder is the player's own and left alone.
if [ -L "$folder/data" ] || [ ! -d "$folder/data" ]; then
  if [ "$(readlink "$folder/data")" != "$data" ]; then
    ln -sfn "$data" "$folder/.data.$$"
    mv -fT "$folder/.data.$$" "$folder/data"
  fi
fi
cd "$folder"
exec "$program" "$@"
