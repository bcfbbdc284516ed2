#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds and runs every test.
#   scripts/test.sh             Release build in build/
#   scripts/test.sh --sanitize  AddressSanitizer + UBSan build in build-sanitize/
#   scripts/test.sh --thread    ThreadSanitizer build in build-tsan/: the tests where threads meet
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

dir=build
opts=(-DCMAKE_BUILD_TYPE=Release)
targets=(all)
tests=.
case "${1:-}" in
  "") ;;
  --sanitize)
    dir=build-sanitize
    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHORODEX_SANITIZE=ON -DHORODEX_BENCH=OFF)
    # Qt and the font stack keep a few process-lifetime allocations.
    export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    ;;
  --thread)
    dir=build-tsan
    opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DHORODEX_TSAN=ON -DHORODEX_BENCH=OFF)
    # The tape's tests run offscreen here, its background reading included: the X client
    # libraries a real window loads misuse their own locks in ways ThreadSanitizer reports.
    targets=(tst_threads tst_tape tst_cli horodex-tc)
    tests='^(tst_threads|tst_tape|tst_cli)$'
    export TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan.supp"
    ;;
  *) echo "usage: $0 [--sanitize | --thread]" >&2; exit 2 ;;
esac

cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "${targets[@]}" >/dev/null
[ "$tests" != . ] || scripts/test-python.sh "$dir" # with every test, not in the thread pass
cd "$dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" -R "$tests"
if [ "$dir" = build ]; then ../scripts/test-web.sh; fi # the page in Debian's Chromium
