#!/usr/bin/env bash
# Fails when a module includes a header of a module above it. The order is the build's:
# each module may include itself and the modules listed after its colon.
set -u
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
rules="runtime:
containers:runtime
host:runtime containers
graphics:runtime containers host
audio:runtime containers host
input:runtime containers host
net:runtime containers
app:runtime containers host graphics audio input
game:runtime containers host graphics audio input app net"
all="runtime containers host graphics audio input net app game"
bad=0
while IFS=: read -r mod allowed; do
  [ -d "$mod" ] || continue
  for other in $all; do
    [ "$other" = "$mod" ] && continue
    case " $allowed " in *" $other "*) continue ;; esac
    hits=$(grep -rn -E "#include +\"$other/" "$mod" 2>/dev/null)
    if [ -n "$hits" ]; then
      echo "$mod must not include $other:"; echo "$hits"; bad=1
    fi
  done
done <<< "$rules"
[ $bad -eq 0 ] && echo "layering: every include points down"
exit $bad
