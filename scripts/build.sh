#!/usr/bin/env bash
# Configures and builds one flavour of picbatch.
#   scripts/build.sh [normal|asan|tsan] [extra cmake args...]
# Build trees: build/ (normal), build-asan/, build-tsan/.
set -euo pipefail
cd "$(dirname "$0")/.."

flavour="${1:-normal}"
shift || true
case "$flavour" in
  normal) dir=build; san="" ;;
  asan) dir=build-asan; san=address ;;
  tsan) dir=build-tsan; san=thread ;;
  *) echo "usage: $0 [normal|asan|tsan]" >&2; exit 2 ;;
esac

werror=OFF
if [[ "${CI:-}" == "true" ]]; then werror=ON; fi

cmake -S . -B "$dir" -G Ninja -DPICBATCH_SANITIZE="$san" -DPICBATCH_WERROR="$werror" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
