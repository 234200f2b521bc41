#!/usr/bin/env bash
# Runs the threaded tests (labelled "threads") under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh tsan -DPICBATCH_BUILD_BENCH=OFF
TSAN_OPTIONS="halt_on_error=1" ctest --test-dir build-tsan -L threads --output-on-failure -j "$(nproc)"
