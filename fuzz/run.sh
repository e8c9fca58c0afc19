#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each for a
# bounded time on a working copy of its seed corpus.
#   fuzz/run.sh [seconds per target, default 15] [target ...]
# Findings (crash-*, leak-*, timeout-*) are written to build/fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-15}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_instrument_record fuzz_voice_record fuzz_harmonic_block fuzz_noise_block fuzz_sound_file)

if ! command -v clang++ >/dev/null 2>&1; then
  echo "Installing: clang (libFuzzer)"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq clang || true
fi
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz/run.sh: clang++ is not available; the fuzzers were NOT run." >&2
  exit 1
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

findings=build/fuzz/findings
mkdir -p "$findings"
for target in "${targets[@]}"; do
  work=build/fuzz/corpus/$target
  mkdir -p "$work"
  cp -n fuzz/corpus/"$target"/* "$work"/ 2>/dev/null || true
  echo "== $target: ${seconds} s"
  build/fuzz/fuzz/"$target" -max_total_time="$seconds" -max_len=1048575 -rss_limit_mb=4096 \
    -timeout=20 -artifact_prefix="$findings/$target-" -print_final_stats=1 "$work" 2>&1 | tail -n 12
done
