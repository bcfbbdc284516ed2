# SPDX-License-Identifier: MIT
# Sourced by the scripts here: installs the Debian packages the build,
# the tests and the tools around them need, when any is missing.
horodex_packages=(
  cmake make g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libbenchmark-dev
  libpugixml-dev rapidjson-dev
  clang libclang-rt-14-dev
  xvfb xauth python3 python3-xlib libxcb1-dev xclip xdotool
  desktop-file-utils appstream dpkg-dev file lintian
  pybind11-dev python3-dev python3-pytest python3-setuptools python3-pip
  emscripten chromium # the page (scripts/web.sh) and its browser tests
)
# Node and npm for the page's tests: Debian's npm only where no other Node brought its own.
command -v npm >/dev/null || horodex_packages+=(nodejs npm)

horodex_install_deps() {
  local missing=() p
  for p in "${horodex_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Missing packages (${missing[*]}) and no sudo to install them." >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" apt-get update -qq
  # Other releases may lack one of these (the fuzzing runtime, say); install the rest.
  local available=()
  for p in "${missing[@]}"; do
    if apt-cache show "$p" >/dev/null 2>&1; then available+=("$p"); else echo "Not available here: $p" >&2; fi
  done
  [ ${#available[@]} -eq 0 ] && return 0
  echo "Installing: ${available[*]}"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -qq --no-install-recommends "${available[@]}" >/dev/null
}

# Configures and builds the Release program in build/ (used by run.sh and screenshot.sh).
horodex_build_app() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j "$(nproc)" --target horodex >/dev/null
}
