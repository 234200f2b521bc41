#!/usr/bin/env bash
# Sets up the machine and runs every test: the normal build, then the
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

for flavour in normal asan; do
  echo "== $flavour build"
  bash scripts/build.sh "$flavour" -DPICBATCH_BUILD_BENCH=OFF
  dir=build
  [[ "$flavour" == asan ]] && dir=build-asan
  ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 300
done
