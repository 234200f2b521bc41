#!/usr/bin/env bash
# Sets up the machine and runs every test twice: built by clang (with the
# fuzz targets, each run once over its seed corpus), then by gcc with
# AddressSanitizer + UndefinedBehaviorSanitizer. Two compilers, two sets of
# warnings, both treated as errors under CI.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

echo "== normal build (clang, with the fuzz targets)"
bash scripts/build.sh normal -DPICBATCH_BUILD_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPICBATCH_BUILD_FUZZ=ON -DPICBATCH_FUZZ_COPIES=OFF
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 300
echo "== fuzz targets over their seeds"
PICBATCH_FUZZ_BUILD=build bash scripts/fuzz.sh 0

echo "== asan build (gcc)"
bash scripts/build.sh asan -DPICBATCH_BUILD_BENCH=OFF
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 300
