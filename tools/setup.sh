#!/usr/bin/env bash
# One-step set-up for a fresh Debian 12 machine.
#   tools/setup.sh demo   install what is missing, build, render the demo to demo.wav
#   tools/setup.sh test   install what is missing, build, run every test
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-}
case "$mode" in demo|test) ;; *) echo "usage: $0 demo|test" >&2; exit 2 ;; esac

packages=(build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev libsndfile1-dev
          libx11-dev libxext-dev libstb-dev xvfb xauth xdotool)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

cmake --preset default >/dev/null
cmake --build --preset default

if [ "$mode" = test ]; then
  ctest --preset default --output-on-failure -j "$(nproc)"
else
  # The demo phrase through the built module, with the first factory
  # instrument when the library has one.
  out=build/default/out
  instrument=$(find "$out/Veltrane7000Data/Instruments-Factory" -type f -name '*.v7i' 2>/dev/null | LC_ALL=C sort | head -n 1 || true)
  args=("$out/VT7000.so" --out demo.wav)
  [ -n "$instrument" ] && args+=(--instrument "$instrument")
  "$out/vt7000-render" "${args[@]}"
  echo "Wrote demo.wav"
fi
