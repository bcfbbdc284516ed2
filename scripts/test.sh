#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             Release build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

dir=build
opts=(-DCMAKE_BUILD_TYPE=Release)
case "${1:-}" in
  "") ;;
  --sanitize)
    dir=build-sanitize
    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHORODEX_SANITIZE=ON -DHORODEX_BENCH=OFF)
    # Qt and the font stack keep a few process-lifetime allocations.
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ;;
  *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" >/dev/null
scripts/test-python.sh "$dir"
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
