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

# Line tables are all a failing test's stack trace needs; full debug
# information costs a third more compile time and objects (and links) about
# four times the size, on a machine with two cores.
lean=(-DPICBATCH_BUILD_BENCH=OFF -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG"
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG")

echo "== normal build (clang, with the fuzz targets)"
bash scripts/build.sh normal "${lean[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DPICBATCH_BUILD_FUZZ=ON -DPICBATCH_FUZZ_COPIES=OFF
ctest --test-dir build --output-on-failure -j "$(nproc)" --timeout 300
echo "== fuzz targets over their seeds"
PICBATCH_FUZZ_BUILD=build bash scripts/fuzz.sh 0

echo "== asan build (gcc)"
bash scripts/build.sh asan "${lean[@]}"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" --timeout 300
