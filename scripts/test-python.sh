#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Python module and horodex-tc in a build folder (default build/)
# and runs the pytest tests against them with the system's interpreter.
#   scripts/test-python.sh [BUILD_DIR]
# In a sanitizer build the interpreter is not instrumented: the sanitizer
# runtime is preloaded into it, leaks in the interpreter itself not counted.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
python=/usr/bin/python3

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
if ! grep -q '^HORODEX_PYTHON:BOOL=ON' "$dir/CMakeCache.txt"; then
  echo "test-python.sh: $dir is configured without the Python module (HORODEX_PYTHON); pybind11-dev missing?" >&2
  exit 1
fi
cmake --build "$dir" -j "$(nproc)" --target _horodex horodex-tc >/dev/null

env=(PYTHONPATH="$PWD/$dir/python" HORODEX_TC="$PWD/$dir/cli/horodex-tc" PYTHONDONTWRITEBYTECODE=1)
if grep -q '^HORODEX_SANITIZE:BOOL=ON' "$dir/CMakeCache.txt"; then
  env+=(LD_PRELOAD="$(g++ -print-file-name=libasan.so):$(g++ -print-file-name=libubsan.so)"
        ASAN_OPTIONS=detect_leaks=0)
fi
# pytest exits 5 when it collects nothing: that fails here like any other status.
env "${env[@]}" "$python" -m pytest -q -p no:cacheprovider python/tests
