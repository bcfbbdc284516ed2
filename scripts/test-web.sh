#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The page's tests: builds the site and horodex-tc (whose JSON the page must
# equal), installs the pinned playwright-core with npm ci, and runs the tests
# in Debian's Chromium against the site served on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
horodex_install_deps

scripts/web.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target horodex-tc -j "$(nproc)" >/dev/null

cd web/tests
npm ci --no-audit --no-fund --loglevel=error >/dev/null
log=../../build-web/test-web.tap
status=0
node --test --test-concurrency=1 --test-reporter=tap ./*.test.mjs | tee "$log" || status=$?
passed=$(sed -n 's/^# pass //p' "$log")
failed=$(sed -n 's/^# fail //p' "$log")
echo "web: ${passed:-0} passed, ${failed:-0} failed"
[ "$status" -eq 0 ] && [ "${failed:-1}" -eq 0 ]
