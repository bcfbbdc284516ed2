#!/usr/bin/env bash
# Refreshes docs/horodex.png, the README's picture, from the real window on
# Xvfb: one hour plus 1800 frames at 29.97 drop frame, typed in as a user would.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

horodex_build_app

# Clicks are window coordinates of the default layout with the DejaVu fonts:
# the 29.97 Drop Frame button, then each operand's Absolute Frames field.
py=/usr/bin/python3
[ -x "$py" ] || py=python3
"$py" scripts/xvfb-window.py run "Horodex 2.0" \
  --click 318,51 \
  --click 140,214 --key Control_L+a --type 107892 --key Return \
  --click 140,305 --key Control_L+a --type 1800 --key Return \
  --screenshot docs/horodex.png -- build/app/horodex
echo "Saved $PWD/docs/horodex.png"
