#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The page's size and speed in headless Chromium: builds the site and horodex-tc
# as the page's tests do, then prints a Markdown table (bench/web-bench.mjs).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/web.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target horodex-tc -j "$(nproc)" >/dev/null
(cd web/tests && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
node bench/web-bench.mjs
