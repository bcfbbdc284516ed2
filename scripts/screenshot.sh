#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Refreshes docs/horodex.png, the README's picture, from the real window on
# Xvfb: one hour plus 1800 frames at 29.97 drop frame, typed in as a user would.
# With --tape it refreshes docs/tape.png, the tape's picture, instead.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

horodex_build_app

py=/usr/bin/python3
[ -x "$py" ] || py=python3

# --tape: docs/tape.png instead, the tape with the example EDL at 25 fps and
# one event selected in the table. Fresh settings, so no kept choice shows.
if [ "${1:-}" = "--tape" ]; then
  cmake --build build -j "$(nproc)" --target horodex-tape >/dev/null
  XDG_CONFIG_HOME="$(mktemp -d)" "$py" scripts/xvfb-window.py run "Horodex Tape — example-reel.edl" \
    --click 700,138 \
    --screenshot docs/tape.png -- build/tape/horodex-tape --rate 25 tape/example-reel.edl
  echo "Saved $PWD/docs/tape.png"
  exit 0
fi

# Clicks are window coordinates of the default layout with the DejaVu fonts:
# the 29.97 Drop Frame button, then each operand's Absolute Frames field.
"$py" scripts/xvfb-window.py run "Horodex 2.0" \
  --click 318,51 \
  --click 140,214 --key Control_L+a --type 107892 --key Return \
  --click 140,305 --key Control_L+a --type 1800 --key Return \
  --screenshot docs/horodex.png -- build/app/horodex
echo "Saved $PWD/docs/horodex.png"
