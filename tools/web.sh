#!/usr/bin/env bash
# Builds the game for the web into build-web/: skarblit.js and skarblit.wasm (the program),
# skarblit.data (the game's data, preloaded), index.html and page.js (our page). Installs what
# it needs first: Debian's emscripten and the source of Debian's zstd, which the program links.
# Usage: tools/web.sh [--serve | --zip]
#   --serve  then serves build-web/ at http://127.0.0.1:8000/ until stopped
#   --zip    then packs build-web/ as skarblit-web-<version>.zip, the page at its root
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-web
mode=${1:-}
case $mode in "" | --serve | --zip) ;; *) echo "usage: tools/web.sh [--serve | --zip]" >&2; exit 2 ;; esac

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
need=()
for p in emscripten libstb-dev dpkg-dev xz-utils zip python3; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${need[@]}"
fi
# emscripten's tools run on node and need Debian's node modules, wherever that node came from.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# zstd's source, of the release the desktop links, from Debian's source archive (its security
# updates' sources are not served there: their release's original sources are the same).
zstd_version=$(dpkg-query -W -f='${Version}' libzstd-dev 2>/dev/null || true)
[ -n "$zstd_version" ] || zstd_version=$(apt-cache show libzstd-dev | sed -n 's/^Version: //p' | head -1)
zstd_version=${zstd_version%%+deb*}
deps=$out/deps
zstd_src=$deps/zstd-$zstd_version
if [ ! -f "$zstd_src/lib/zstd.h" ]; then
  mkdir -p "$deps"
  if ! (cd "$deps" && apt-get source --download-only -qq "libzstd=$zstd_version") 2>/dev/null; then
    # The source archive is not among the machine's sources yet: add Debian's, for sources only.
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $sudo_cmd tee /etc/apt/sources.list.d/skarblit-sources.sources >/dev/null
    $sudo_cmd apt-get update -qq
    (cd "$deps" && apt-get source --download-only -qq "libzstd=$zstd_version")
  fi
  orig=$(ls "$deps"/libzstd_*.orig.tar.* | head -1)
  rm -rf "$zstd_src.tmp" && mkdir -p "$zstd_src.tmp"
  tar -xf "$orig" -C "$zstd_src.tmp" --strip-components=1
  mv "$zstd_src.tmp" "$zstd_src"
fi

emcmake cmake -S "$root" -B "$out/obj" -DCMAKE_BUILD_TYPE=Release -DKX_TESTS=OFF -DKX_BENCH=OFF \
  -DKX_ZSTD_SOURCE="$zstd_src" >/dev/null
cmake --build "$out/obj" -j"$(nproc)"
cp "$out"/obj/skarblit.js "$out"/obj/skarblit.wasm "$out"/obj/skarblit.data "$out"/
cp "$root"/dist/web/index.html "$root"/dist/web/page.js "$out"/
cp "$root"/data/icons/skarblit-64.png "$out"/favicon.png
echo "The web build is in $out"

version=$(sed -n 's/^set(KX_VERSION \(.*\))$/\1/p' "$root/cmake/version.cmake")
case $mode in
  --serve)
    echo "Serving http://127.0.0.1:8000/ (Ctrl+C stops)"
    exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$out" ;;
  --zip)
    zip_file=$root/skarblit-web-$version.zip
    rm -f "$zip_file"
    (cd "$out" && zip -q "$zip_file" index.html page.js favicon.png skarblit.js skarblit.wasm skarblit.data)
    echo "Packed $zip_file" ;;
esac
