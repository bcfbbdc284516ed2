#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Horodex (Release, in build/) and starts it; arguments go to horodex.
# Without a display it runs Horodex on a virtual one (Xvfb), saves a picture of
# the window to build/horodex.png and closes it again.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

horodex_build_app

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/app/horodex "$@"
fi

echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): starting Horodex on a virtual display (Xvfb)."
# Debian's python3 is the one that sees python3-xlib.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
"$py" scripts/xvfb-window.py run "Horodex 2.0" --screenshot build/horodex.png -- build/app/horodex "$@"
echo "Horodex showed its window and was closed again. Screenshot: $PWD/build/horodex.png"
