#!/usr/bin/env bash
# VT7000 in a real host: Ardour 7 (Debian's ardour package) run headless
# through ardour7-lua with its dummy audio backend. Creates a session with a
# MIDI track that plays a chord through the plug-in, automates Volume, saves,
# reopens the session and plays again; prints the meter peaks and the restored
# Volume; exits 1 unless all three checks pass. Takes about half a minute.
#   tools/host_check/ardour_session.sh [MODULE_FOLDER]   (default build/default/out)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
module_dir="$(cd "${1:-$here/../../build/default/out}" && pwd)"
command -v ardour7-lua >/dev/null || { echo "ardour7-lua not found (apt-get install ardour)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A home of its own: Ardour's configuration, script folder and plug-in cache
# stay inside the work folder.
export HOME="$work/home"
mkdir -p "$work/vst" "$HOME/.config/ardour7/scripts"
# The module with its library beside it, as a user installs it.
cp -rp "$module_dir/VT7000.so" "$module_dir/Veltrane7000Data" "$module_dir/Reset.v7i" "$work/vst/"
cp "$here/chord_generator.lua" "$HOME/.config/ardour7/scripts/"
export LXVST_PATH="$work/vst" VT_SESSION_DIR="$work/session"

# Ardour reads VST 2 plug-ins through its scanner's cache.
LD_LIBRARY_PATH=/usr/lib/ardour7 /usr/lib/ardour7/ardour-vst-scanner -q -f "$work/vst/VT7000.so"

log="$work/log"
timeout 300 ardour7-lua "$here/create_session.lua" >"$log" 2>&1 || true
timeout 300 ardour7-lua "$here/reopen_session.lua" >>"$log" 2>&1 || true
grep -E "^(plugin|peak|reopened|Error)" "$log" || true
# Three checks must pass: the volume change, the restored value, the restored sound.
if [ "$(grep -c "(PASS" "$log")" -ne 3 ]; then
  echo "FAIL: VT7000 in Ardour (full log above the summary)" >&2
  tail -n 30 "$log" >&2
  exit 1
fi
echo "PASS: VT7000 in Ardour: plays, follows Volume, reopens as saved"
