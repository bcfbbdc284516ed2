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

# --tape: docs/tape.png instead, the tape with three reels of a feature at
# 25 fps, a tab each: the example reel shown with one event selected, and the
# totals over all three. Fresh settings and data, so no kept choice shows.
if [ "${1:-}" = "--tape" ]; then
  cmake --build build -j "$(nproc)" --target horodex-tape >/dev/null
  reels="$(mktemp -d)"
  cp tape/example-reel.edl "$reels/reel1.edl"
  cat >"$reels/reel2.edl" <<'EDL'
TITLE: THE LONG WALK REEL 2
FCM: NON-DROP FRAME

001  A004C002 V     C        09:12:00:00 09:12:41:10 20:00:00:00 20:00:41:10
002  B005C001 V     C        10:02:13:00 10:02:30:05 20:00:41:10 20:00:58:15
003  MUSIC03  A     C        00:00:00:00 00:00:58:15 20:00:00:00 20:00:58:15
EDL
  cat >"$reels/reel3.edl" <<'EDL'
TITLE: THE LONG WALK REEL 3
FCM: NON-DROP FRAME

001  A007C004 V     C        11:40:00:00 11:40:52:20 23:00:00:00 23:00:52:20
002  A007C009 V     C        11:55:10:00 11:55:24:00 23:00:52:20 23:01:06:20
003  MUSIC04  A     C        00:00:00:00 00:01:06:20 23:00:00:00 23:01:06:20
EDL
  XDG_CONFIG_HOME="$(mktemp -d)" XDG_DATA_HOME="$(mktemp -d)" \
    "$py" scripts/xvfb-window.py run "Horodex Tape — reel3.edl" \
    --click 47,72 --click 700,150 \
    --screenshot docs/tape.png -- build/tape/horodex-tape --rate 25 \
    "$reels/reel1.edl" "$reels/reel2.edl" "$reels/reel3.edl"
  rm -r "$reels"
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
