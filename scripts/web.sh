#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the page: timecode/ and timeline/ in WebAssembly with Debian's emscripten,
# and the static site in build-web/site/.
#   scripts/web.sh                 build
#   scripts/web.sh --serve [PORT]  build, then serve the site on 127.0.0.1 (8080)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

serve=0 port=8080
case "${1:-}" in
  "") ;;
  --serve) serve=1; port="${2:-8080}" ;;
  *) echo "usage: $0 [--serve [PORT]]" >&2; exit 2 ;;
esac

out=$PWD/build-web
mkdir -p "$out"

# pugixml from Debian's source package: Debian ships it built for the host only.
# The deb-src entry is apt's option for this command alone, in a private list.
if [ ! -f "$out/pugixml/src/pugixml.cpp" ]; then
  apt_dir=$out/apt
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$out/pugixml-source"
  . /etc/os-release
  echo "deb-src http://deb.debian.org/debian ${VERSION_CODENAME:-bookworm} main" >"$apt_dir/sources.list"
  apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
  (apt-get "${apt_opts[@]}" update && cd "$out/pugixml-source" && apt-get "${apt_opts[@]}" source pugixml) \
    >"$apt_dir/source.log" 2>&1 || { cat "$apt_dir/source.log" >&2; exit 1; }
  rm -rf "$out/pugixml"
  mv "$(find "$out/pugixml-source" -mindepth 1 -maxdepth 1 -type d -name 'pugixml-*' | head -n 1)" "$out/pugixml"
fi
# RapidJSON is headers only; a folder of its own keeps the host's /usr/include out of the build.
mkdir -p "$out/include"
ln -sfn /usr/include/rapidjson "$out/include/rapidjson"

# em++ finds its JavaScript tools (acorn) there; EM_CACHE stays unset for Debian's frozen cache.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S web -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release \
  -DPUGIXML_SOURCE_DIR="$out/pugixml" -DRAPIDJSON_INCLUDE_DIR="$out/include" \
  >"$out/configure.log" 2>&1 || { cat "$out/configure.log" >&2; exit 1; }
cmake --build "$out/wasm" -j "$(nproc)" >"$out/build.log" 2>&1 || { cat "$out/build.log" >&2; exit 1; }

site=$out/site
rm -rf "$site"
mkdir -p "$site"
cp web/site/* "$out/wasm/horodex.js" "$out/wasm/horodex.wasm" "$site/"
# A new build is a new cache for the service worker, so an update replaces every file at once.
version=$(cat "$site"/* | sha256sum | cut -c1-12)
sed -i "s/@VERSION@/$version/" "$site/sw.js"
echo "Site built in build-web/site ($(du -cb "$site"/* | tail -n 1 | cut -f1) bytes)."

if [ "$serve" = 1 ]; then
  echo "Serving build-web/site; Ctrl+C stops."
  exec python3 web/serve.py "$site" "$port"
fi
