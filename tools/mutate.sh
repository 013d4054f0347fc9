#!/usr/bin/env bash
# Measures how sharp the test suite is: plants each one-line fault of a list in a scratch copy
# of the repository, builds, runs the plain suite and reports the faults the suite let through.
# Run it before a change lands that touches the tests or the code they guard; it is slow (a
# build and a suite per fault) and is not part of the test command.
#
# Usage: tools/mutate.sh [-k] [-n LIST] [-g PATTERN] [-l] [FAULTS]
#   FAULTS      the list of faults (default tools/mutations.txt; its header says the format)
#   -k          keep going after a fault that survived, did not build or is stale
#   -n LIST     only these entries, by number: 3 or 1,4,7-9
#   -g PATTERN  only the entries whose title, file or text matches this grep pattern
#   -l          list the entries with their numbers and stop
# Exit status 0 only if every fault it ran was caught.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

mut_usage() { sed -n '7,14s/^# \{0,1\}//p' "$0" >&2; exit 2; }

keep_going=0 numbers="" pattern="" list_only=0
while getopts "kn:g:lh" opt; do
  case $opt in
    k) keep_going=1 ;;
    n) numbers=$OPTARG ;;
    g) pattern=$OPTARG ;;
    l) list_only=1 ;;
    *) mut_usage ;;
  esac
done
shift $((OPTIND - 1))
faults=$(realpath "${1:-$repo/tools/mutations.txt}")
[ -f "$faults" ] || { echo "mutate: no list of faults at $faults" >&2; exit 2; }

# The entries, parsed once: titles[i], files[i], finds[i], repls[i]. An entry is a "file" line,
# a "find" line and a "repl" line; the comment line just above it is its title.
titles=() files=() finds=() repls=()
mut_parse() {
  local line title="" n=0 file="" find="" have_find=0
  while IFS= read -r line || [ -n "$line" ]; do
    n=$((n + 1))
    case $line in
      "# "*) title=${line#\# } ;;
      "") title="" ;;
      "#"*) ;;
      "file "*) file=${line#file } have_find=0 ;;
      "find "*) find=${line#find } have_find=1 ;;
      "repl" | "repl "*)
        if [ -z "$file" ] || [ "$have_find" = 0 ]; then
          echo "mutate: $faults:$n: a repl line needs a file and a find line above it" >&2
          exit 2
        fi
        titles+=("${title:-$file}") files+=("$file") finds+=("$find")
        if [ "$line" = repl ]; then repls+=(""); else repls+=("${line#repl }"); fi
        file="" have_find=0 title="" ;;
      *) echo "mutate: $faults:$n: not a comment, file, find or repl line: $line" >&2; exit 2 ;;
    esac
  done <"$faults"
}
mut_parse

# Whether entry number $1 (from 1) is one of those asked for.
mut_selected() {
  local i=$1 part lo hi
  if [ -n "$numbers" ]; then
    local hit=0
    for part in ${numbers//,/ }; do
      lo=${part%-*} hi=${part#*-}
      if [ "$i" -ge "$lo" ] && [ "$i" -le "$hi" ]; then hit=1; fi
    done
    [ "$hit" = 1 ] || return 1
  fi
  if [ -n "$pattern" ]; then
    printf '%s\n' "${titles[i - 1]}" "${files[i - 1]}" "${finds[i - 1]}" | grep -q -- "$pattern" || return 1
  fi
  return 0
}

selected=()
for ((i = 1; i <= ${#files[@]}; i++)); do
  if mut_selected "$i"; then selected+=("$i"); fi
done
if [ "$list_only" = 1 ]; then
  for i in "${selected[@]}"; do printf '%3d  %-24s %s\n' "$i" "${files[i - 1]}" "${titles[i - 1]}"; done
  exit 0
fi
[ ${#selected[@]} -gt 0 ] || { echo "mutate: no entry selected" >&2; exit 2; }

scratch=$(mktemp -d /tmp/mutate-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
trap 'exit 130' INT TERM HUP
src=$scratch/src build=$scratch/build log=$scratch/log
mkdir -p "$src"

# The tracked files and the untracked ones git does not ignore: what the next commit could hold,
# without build folders.
echo "mutate: copying the repository to $src"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
  tar --null -T - -cf -) | tar -xf - -C "$src"

jobs=$(nproc)
mut_build() { cmake --build "$build" -j"$jobs" >"$log" 2>&1; }
mut_suite() { ctest --test-dir "$build" -j"$jobs" --stop-on-failure >"$log" 2>&1; }

# Counts the exact text's occurrences in a file, or with a third argument replaces its only one.
mut_subst() {
  MUT_FIND=$2 MUT_REPL=${3-} MUT_APPLY=${3+1} perl -0777 -e '
    my ($path, $find, $repl) = ($ARGV[0], $ENV{MUT_FIND}, $ENV{MUT_REPL});
    open(my $in, "<:raw", $path) or die "mutate: $path: $!\n";
    my $text = do { local $/; <$in> }; close $in;
    my ($n, $at) = (0, -1);
    for (my $p = index($text, $find); $p >= 0; $p = index($text, $find, $p + 1)) { $n++; $at = $p; }
    if (!$ENV{MUT_APPLY}) { print "$n\n"; exit 0; }
    substr($text, $at, length $find) = $repl;
    open(my $out, ">:raw", $path) or die "mutate: $path: $!\n";
    print $out $text; close $out;' "$1"
}

echo "mutate: configuring and building the unchanged copy"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release -DKX_BENCH=OFF >"$log" 2>&1 ||
  { cat "$log" >&2; echo "mutate: the unchanged copy does not configure" >&2; exit 2; }
mut_build || { tail -40 "$log" >&2; echo "mutate: the unchanged copy does not build" >&2; exit 2; }
# A suite that fails unchanged would catch every fault.
echo "mutate: running the suite on the unchanged copy"
mut_suite || { sed -n '/tests failed/,$p' "$log" >&2; echo "mutate: the suite fails unchanged" >&2; exit 2; }

outcomes=() caught=0 survived=0 broken=0 stale=0
for i in "${selected[@]}"; do
  k=$((i - 1)) file=${files[k]}
  path=$src/$file
  printf 'mutate: [%d] %s: %s ... ' "$i" "$file" "${titles[k]}"
  count=0 started=$SECONDS
  [ -f "$path" ] && count=$(mut_subst "$path" "${finds[k]}")
  if [ "$count" != 1 ]; then
    outcome=stale
    stale=$((stale + 1))
  else
    cp "$path" "$scratch/original"
    mut_subst "$path" "${finds[k]}" "${repls[k]}"
    if ! mut_build; then
      outcome="did not build"
      broken=$((broken + 1))
    elif mut_suite; then
      outcome=SURVIVED
      survived=$((survived + 1))
    else
      failed=$(sed -n 's/^[[:space:]]*[0-9]\{1,\} - \([^ ]*\) (.*/\1/p' "$log" | head -1)
      outcome="caught${failed:+ by $failed}"
      caught=$((caught + 1))
    fi
    # Back byte for byte, with a new time, so the next build makes the object again.
    cat "$scratch/original" >"$path"
  fi
  echo "$outcome ($((SECONDS - started)) s)"
  outcomes+=("$(printf '%3d  %-14s %-28s %s' "$i" "${outcome%% by *}" "$file" "${titles[k]}")")
  if [ "$keep_going" = 0 ] && [ "${outcome%% *}" != caught ]; then
    echo "mutate: stopping at the first fault not caught (-k keeps going)"
    break
  fi
done

echo
printf '%s\n' "${outcomes[@]}"
total=$((caught + survived + broken + stale))
echo "$total faults: $caught caught, $survived survived, $broken did not build, $stale stale"
[ "$caught" = "$total" ] && [ "$total" = "${#selected[@]}" ]
