#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Bounded, repeatable libFuzzer runs of every text reader under ASan and UBSan.
#   scripts/fuzz.sh [runs]   (default 300000 per target, fixed seed)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

runs=${1:-300000}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DHORODEX_FUZZ=ON -DHORODEX_SANITIZE=ON -DHORODEX_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz --target horodex_fuzzers -j "$(nproc)" >/dev/null

# New inputs go to a scratch folder; the committed seeds stay as they are.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for target in build-fuzz/tests/fuzz/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "$work/$name"
  "$target" -runs="$runs" -seed=1 -max_len=4096 -artifact_prefix=build-fuzz/ \
    "$work/$name" "tests/fuzz/corpus/$name" 2>&1 | tail -n 1
  echo "fuzz: $name, $runs runs, no failure"
done
