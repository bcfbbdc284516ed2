#!/bin/sh
# SPDX-License-Identifier: MIT
# The tape's benchmark in a real window: bench_tape on a private Xvfb through
# Qt's xcb platform, as a user's X server would show it, beside the machine's
# load. Usage: bench/tape-window.sh BUILD_DIR [benchmark options]
set -eu
build=${1:?usage: bench/tape-window.sh BUILD_DIR [benchmark options]}
shift
command -v Xvfb >/dev/null || { echo "tape-window.sh: Xvfb is not installed" >&2; exit 2; }
fifo=$(mktemp -u)
mkfifo "$fifo"
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x800x24 3>"$fifo" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$fifo"' EXIT
read -r display <"$fifo"
echo "load before: $(cat /proc/loadavg)"
DISPLAY=":$display" QT_QPA_PLATFORM=xcb "$build/bench/bench_tape" "$@"
echo "load after: $(cat /proc/loadavg)"
