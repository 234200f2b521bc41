#!/usr/bin/env bash
# Installs the Debian packages picbatch needs to build and test. Idempotent:
# packages already present are skipped, and apt-get runs only when something
# is missing. This is the one place that lists system packages.
set -euo pipefail

BUILD_PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config clang-format
  libgtest-dev libgmock-dev libbenchmark-dev
  libjpeg62-turbo-dev libpng-dev libtiff-dev zlib1g-dev libgif-dev libdeflate-dev
  libsdl2-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libssl-dev libsqlite3-dev libfluidsynth-dev fonts-wqy-microhei
  clang libclang-rt-14-dev
)
# Test-only: second implementations to check our decoders, encoders and
# sequencer against, real photographs, and a display server for window tests.
TEST_PACKAGES=(imagemagick python3-pil python3-mido plasma-workspace-wallpapers xvfb xdotool x11-apps)
# Optional extras for manual checks and benchmark baselines;
# installed with --extras.
EXTRA_PACKAGES=(valgrind fluid-soundfont-gm hyperfine libvips-tools parallel linux-perf sox)

wanted=("${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}")
if [[ "${1:-}" == "--extras" ]]; then
  wanted+=("${EXTRA_PACKAGES[@]}")
fi

missing=()
for pkg in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$pkg")
  fi
done

if ((${#missing[@]} == 0)); then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [[ $(id -u) -ne 0 ]]; then
  SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
