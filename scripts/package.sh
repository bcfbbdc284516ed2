#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian packages in build-deb/ and checks them as a distribution would:
# lintian, where every file lands, the desktop entries and metainfo as installed,
# and that every tracked source, script and CMake file names its licence.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

dir=build-deb
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DHORODEX_BENCH=OFF -DHORODEX_SANITIZE=OFF -DHORODEX_FUZZ=OFF >/dev/null
cmake --build "$dir" -j "$(nproc)" >/dev/null
rm -f "$dir"/*.deb
(cd "$dir" && cpack -G DEB >/dev/null)

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$dir/CMakeCache.txt")
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
app_deb="$dir/horodex_${version}_${arch}.deb"
dev_deb="$dir/libhorodex-timecode-dev_${version}_${arch}.deb"
python_deb="$dir/python3-horodex_${version}_${arch}.deb"

failed=0
fail() { echo "package.sh: $*" >&2; failed=1; }

# 1. lintian, errors and warnings both fatal. Its network checks are off by default.
lintian --fail-on error,warning --tag-display-limit 0 "$app_deb" "$dev_deb" "$python_deb" \
  || fail "lintian found problems"

# 2. The layout, from the unpacked packages.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$app_deb" "$root/horodex"
dpkg-deb -x "$dev_deb" "$root/dev"

expect() { # expect TREE PATH...
  local tree=$1 path
  shift
  for path in "$@"; do [ -f "$root/$tree/$path" ] || fail "$tree: missing $path"; done
}

ids=(example.horodex.Horodex example.horodex.HorodexTape)
for program in horodex horodex-tape horodex-tc; do
  [ -x "$root/horodex/usr/bin/$program" ] || fail "horodex: no executable usr/bin/$program"
  expect horodex "usr/share/man/man1/$program.1.gz"
done
for id in "${ids[@]}"; do
  expect horodex "usr/share/applications/$id.desktop" "usr/share/metainfo/$id.metainfo.xml" \
    "usr/share/icons/hicolor/scalable/apps/$id.svg"
  for size in 16 22 24 32 48 64 128 256; do
    expect horodex "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  done
done
expect horodex usr/share/mime/packages/example.horodex.HorodexTape.xml
expect dev usr/include/horodex/ELKTimecode.h "usr/lib/$multiarch/libtimecode.a" \
  "usr/lib/$multiarch/pkgconfig/horodex-timecode.pc" \
  "usr/lib/$multiarch/cmake/HorodexTimecode/HorodexTimecodeConfig.cmake" \
  "usr/lib/$multiarch/cmake/HorodexTimecode/HorodexTimecodeTargets.cmake"
for pair in horodex:horodex dev:libhorodex-timecode-dev; do
  tree=${pair%%:*} package=${pair#*:}
  expect "$tree" "usr/share/doc/$package/copyright" "usr/share/doc/$package/changelog.gz"
  grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$root/$tree/usr/share/doc/$package/copyright" || fail "$package: copyright is not DEP-5"
  zcat "$root/$tree/usr/share/doc/$package/changelog.gz" | head -n 1 | grep -q "^horodex ($version)" \
    || fail "$package: changelog does not start at $version"
  # Debian packages put nothing outside /usr but their own control files.
  stray=$(cd "$root/$tree" && find . -mindepth 1 -maxdepth 1 ! -name usr)
  [ -z "$stray" ] || fail "$package: files outside /usr: $stray"
done
for man in "$root"/horodex/usr/share/man/man1/*.gz; do
  gzip -t "$man" || fail "$man is not gzip"
done

# One version: the package, the command line and each release entry agree.
"$root/horodex/usr/bin/horodex-tc" --version | grep -qF "$version" || fail "horodex-tc --version does not say $version"
for id in "${ids[@]}"; do
  metainfo="$root/horodex/usr/share/metainfo/$id.metainfo.xml"
  [ -f "$metainfo" ] || continue
  grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "$id: metainfo names no MIT licence"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "$id: metainfo has no release $version"
done
dpkg-deb -f "$app_deb" Depends | grep -q 'libqt6widgets6' || fail "horodex: Depends lacks the Qt libraries"
dpkg-deb -f "$app_deb" Depends | grep -q 'libpugixml' || fail "horodex: Depends lacks pugixml, which the timeline readers need"

# 3. The desktop's own validators, on the installed files.
for desktop in "$root"/horodex/usr/share/applications/*.desktop; do
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate $desktop: $out"
  [ -z "$out" ] || fail "desktop-file-validate $desktop: $out"
done
appstreamcli validate-tree --no-net "$root/horodex" || fail "appstreamcli validate-tree failed"

# 4. Licence lines in what the project tracks.
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  while IFS= read -r file; do
    head -n 5 "$file" | grep -q 'SPDX-License-Identifier: MIT' || fail "$file: no SPDX-License-Identifier: MIT line"
  done < <(git ls-files -- '*.cpp' '*.h' '*.py' '*.sh' '*.cmake' '*.cmake.in' '*.pc.in' \
    'CMakeLists.txt' '*/CMakeLists.txt' 'scripts/*' '.ci/*' ':!:tests/fuzz/corpus/*')
else
  echo "package.sh: not a git checkout, licence lines not checked" >&2
fi

# 5. The Python module: its package unpacked and imported by the system's
# interpreter, as an installed one is; and pip's build from the checkout.
scripts/test-python-package.sh "$python_deb" || fail "python3-horodex: the installed module fails"

[ "$failed" -eq 0 ] || exit 1
echo "Packages checked: $app_deb $dev_deb $python_deb"
