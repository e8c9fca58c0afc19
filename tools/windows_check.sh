#!/usr/bin/env bash
# Exercises the Windows builds, not just compiles them.
#
#   tools/windows_check.sh
#
# 1. Installs what is missing (MinGW-w64, Wine 8 with its 32-bit part,
#    qemu-user-static) on Debian 12.
# 2. Builds the Linux reference (default preset) and the win32 and win64 presets.
# 3. Checks both VT7000.dll files: exactly one export, main; imports only
#    Windows system DLLs (the C and C++ runtimes are linked in statically).
# 4. Runs the 64-bit vt7000-render.exe against the 64-bit VT7000.dll under
#    wine64: --info must print what the Linux build prints, and a short render
#    must match the Linux build's render of the same input.
#    Then puts the 64-bit DLL through vt7000-validate.exe for a bounded time
#    (see tools/validate_check.sh for VT7000_VALIDATE_STRICT).
# 5. Drives the Win32 editor window with window messages (vt7000-editor-check)
#    and opens the plug-in's editor through each Windows render host inside a
#    window of its own under a virtual X server (xvfb-run), saves the window's
#    pixels and compares them with the Linux headless rendering of the same
#    pages: the same software surface draws both, so they must be
#    pixel-identical (64-bit: all eight pages; 32-bit: all eight natively, the
#    morph page alone through qemu).
# 6. Runs the 32-bit pair once the same way, and the validator on the 32-bit
#    DLL where this machine runs 32-bit code itself (not through qemu).
#    Where 32-bit x86 code cannot run natively it goes through
#    qemu-user-static registered in binfmt_misc with QEMU_RESERVED_VA=0xffff0000. Where that cannot be set up either, the
#    script says so loudly and goes on.
#
# Renders are compared with vt7000-wav-compare: equal shape, and no sample
# differing by more than VT7000_WAV_TOLERANCE (default 1e-4, about -80 dBFS;
# the C runtimes' maths functions may differ in the last bits). The report
# says whether the files were sample-exact.
#
# Environment:
#   VT7000_WIN32_RUNNER  auto (default) | qemu | native | skip
#                        auto: native when this machine executes 32-bit x86
#                        code, else qemu through binfmt_misc, else skip loudly.
#                        While a qemu check runs, every 32-bit program on the
#                        machine goes through the emulator: on a machine that
#                        runs them itself, prefer auto.
#   VT7000_WAV_TOLERANCE largest allowed sample difference (default 1e-4)
#   VT7000_VALIDATE_SECONDS time budget of each validator run (default 20)
#   VT7000_VALIDATE_STRICT  0: failing validator scenarios are reported, not
#                        failed (default 1)
#   VT7000_WIN32_TIMEOUT seconds allowed for the 32-bit prefix set-up and for
#                        the 32-bit run, each (default 600), so that an emulated
#                        run cannot stretch CI past its time
set -euo pipefail
# The whole script is one block, read before it runs: editing the file while a
# long check runs cannot derail it.
{
cd "$(dirname "$0")/.."
root=$PWD

runner=${VT7000_WIN32_RUNNER:-auto}
tolerance=${VT7000_WAV_TOLERANCE:-1e-4}
case "$runner" in auto|qemu|native|skip) ;; *) echo "VT7000_WIN32_RUNNER must be auto, qemu, native or skip" >&2; exit 2 ;; esac

work=$root/build/wine
mkdir -p "$work"
export WINEDEBUG=-all
# Wine must not try to show dialogs (Mono/Gecko installers) on a machine without a display.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY

# The short renders both platforms do: an odd block size so events fall inside
# blocks, a short tail; once the demo phrase, once a two-track MIDI file with a
# tempo change (paths relative to build/<preset>/out, where the renders run).
render_args=(--rate 44100 --block 300 --seconds 0.25)
midi_file=../../../tests/tools/data/two_tracks.mid

validate_seconds=${VT7000_VALIDATE_SECONDS:-20}
validate_check=$root/tools/validate_check.sh
wine64_timeout=600   # seconds; a run takes about one, a new prefix about twenty
# Through qemu a run takes minutes, a new prefix several (far more on a busy machine).
wine32_timeout=${VT7000_WIN32_TIMEOUT:-600}

passed=0
failed=0
notes=()
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
loud() {
  echo
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
  echo "!!! $*"
  echo "!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!!"
  echo
  notes+=("$*")
}
section() { echo; echo "== $* ($((SECONDS / 60))m$((SECONDS % 60))s)"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# ---------------------------------------------------------------------------
section "Packages"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for wine32)"
  as_root dpkg --add-architecture i386
  need_update=1
fi
packages=(build-essential cmake ninja-build pkg-config libsndfile1-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine64 wine32:i386 qemu-user-static binfmt-support xvfb xauth)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "${need_update:-}" ]; then
  echo "Installing: ${missing[*]:-(package lists only)}"
  as_root apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi
echo "all present"

# ---------------------------------------------------------------------------
section "Builds"
cmake --preset default >/dev/null
cmake --build --preset default
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

linux_out=$root/build/default/out
compare=$linux_out/vt7000-wav-compare

png_compare=$linux_out/vt7000-png-compare

# ---------------------------------------------------------------------------
section "Exports and imports"
# Windows system DLLs a module may import; everything else (libgcc_s, libstdc++,
# libwinpthread...) would have to be shipped beside it.
system_dlls="kernel32 user32 gdi32 msvcrt advapi32 shell32 ole32 oleaut32 comdlg32 comctl32 msimg32 shlwapi uuid winmm version"
check_binary() {
  local objdump=$1 file=$2 expect_exports=$3
  local dump
  dump=$("$objdump" -p "$file")
  if [ -n "$expect_exports" ]; then
    local exports
    exports=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && NF == 0 {on=0} on {print $NF}' |
      tr '\n' ' ' | sed 's/ $//')
    if [ "$exports" = "$expect_exports" ]; then
      pass "$file exports exactly: $exports"
    else
      fail "$file exports '$exports', expected '$expect_exports'"
    fi
  fi
  local imports bad=""
  imports=$(printf '%s\n' "$dump" | awk '/DLL Name:/ {print $3}')
  for dll in $imports; do
    local base
    base=$(printf '%s' "${dll%.*}" | tr 'A-Z' 'a-z')
    case " $system_dlls " in *" $base "*) ;; *) bad="$bad $dll" ;; esac
  done
  if [ -z "$bad" ]; then
    pass "$file imports only system DLLs: $(echo $imports)"
  else
    fail "$file imports non-system DLLs:$bad"
  fi
}
check_binary x86_64-w64-mingw32-objdump build/win64/out/VT7000.dll main
check_binary x86_64-w64-mingw32-objdump build/win64/out/vt7000-render.exe ""
check_binary i686-w64-mingw32-objdump build/win32/out/VT7000.dll main
check_binary i686-w64-mingw32-objdump build/win32/out/vt7000-render.exe ""
check_binary x86_64-w64-mingw32-objdump build/win64/out/vt7000-validate.exe ""
check_binary i686-w64-mingw32-objdump build/win32/out/vt7000-validate.exe ""

# ---------------------------------------------------------------------------
section "Linux reference"
# With the first factory instrument once the library has one (the library is
# copied beside the module in every build output, so the path is relative).
instrument=$(cd "$linux_out" && find Veltrane7000Data/Instruments-Factory -type f -name '*.v7i' 2>/dev/null |
  LC_ALL=C sort | head -n 1 || true)
instrument_args=()
if [ -n "$instrument" ]; then
  instrument_args=(--instrument "$instrument")
  render_args+=("${instrument_args[@]}")
  echo "instrument: $instrument"
fi
(
  cd "$linux_out"
  ./vt7000-render VT7000.so --info "${instrument_args[@]}" >"$work/info-linux.txt"
  ./vt7000-render VT7000.so --out "$work/render-linux.wav" "${render_args[@]}"
  ./vt7000-render VT7000.so --out "$work/render-linux-midi.wav" --midi "$midi_file" "${render_args[@]}"
)

# The editor's pages as the Linux headless backend draws them (page-1.png ... page-8.png).
editor_reference=$work/editor-linux
rm -rf "$editor_reference"
mkdir -p "$editor_reference"
if VT7000_EDITOR_SNAPSHOTS=$editor_reference timeout 300 build/default/tests/vt7000_editor_tests \
  --gtest_filter=EditorWindow.SnapshotsOfEveryPage >"$work/editor-linux.log" 2>&1 &&
  [ -f "$editor_reference/page-8.png" ]; then
  echo "editor pages drawn headless: $editor_reference"
else
  fail "the Linux headless editor pages could not be drawn (see $work/editor-linux.log)"
fi

# Opens the editor through a Windows render host under a virtual X server,
# once per page, and compares each picture with the headless one.
#   editor_snapshots LABEL PRESET PREFIX ARCH LOADER SECONDS PAGE...
editor_snapshots() {
  local label=$1 preset=$2 prefix=$3 arch=$4 loader=$5 limit=$6
  shift 6
  local out=$work/editor-$label
  rm -rf "$out"
  mkdir -p "$out"
  local pages="$*" status=0
  (
    cd "build/$preset/out" || exit 1
    export WINEPREFIX=$prefix WINEARCH=$arch
    if [ "$arch" = win32 ] && [ "${mode:-}" = qemu ]; then export QEMU_RESERVED_VA=0xffff0000; fi
    status=0
    # One X server for all pages; every page is its own run of the host.
    timeout "$limit" xvfb-run -a -s "-screen 0 1024x768x24" sh -c '
      loader=$1 out=$2; shift 2
      # One Wine session (server and desktop) for every program: under qemu a
      # desktop that is still starting can refuse the first window.
      /usr/lib/wine/wineserver -p
      for page in "$@"; do
        "$loader" vt7000-render.exe VT7000.dll --editor-snapshot "$out/page-$((page + 1)).png" --page "$page" || exit 1
      done
      # Then the window itself, driven by window messages.
      "$loader" vt7000-editor-check.exe VT7000.dll >"$out/editor-check.txt" 2>&1
      echo $? >"$out/editor-check.status"' sh "$loader" "$out" $pages >"$work/editor-$label.log" 2>&1 || status=$?
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    exit "$status"
  ) || status=$?
  if [ "$status" = 124 ] && [ "$arch" = win32 ] && [ "${mode:-}" = qemu ]; then
    # As with the render above: emulation speed says nothing about the module.
    loud "The $label editor snapshots through qemu did not finish within $limit s: INCONCLUSIVE on this machine."
    return 0
  fi
  if [ "$status" != 0 ]; then
    fail "$label editor snapshots did not complete (status $status, see $work/editor-$label.log)"
    tail -5 "$work/editor-$label.log"
    return 0
  fi
  if [ "$(cat "$out/editor-check.status" 2>/dev/null)" = 0 ]; then
    pass "$label Win32 editor window: $(grep -c '^ok:' "$out/editor-check.txt") checks of class, capture, drags, text entry, close and reopen"
  else
    fail "$label Win32 editor window check failed (see $out/editor-check.txt)"
    grep -v '^ok:' "$out/editor-check.txt" | head -10
  fi
  local page verdict
  for page in $pages; do
    local name=page-$((page + 1)).png
    if verdict=$("$png_compare" "$editor_reference/$name" "$out/$name" "$out/difference-$name" 2>&1); then
      pass "$label editor page $((page + 1)) in a Win32 window matches the Linux headless picture: $verdict"
    else
      fail "$label editor page $((page + 1)) differs from the Linux headless picture: $verdict (see $out)"
    fi
  done
}

# Compares a Windows run's --info text with the Linux reference.
compare_info() {
  local label=$1 info=$2
  if tr -d '\r' <"$info" | sed '/^rendered \|^real-time factor/d' | diff -u "$work/info-linux.txt" - >"$work/info-$label.diff"; then
    pass "$label --info matches the Linux build"
  else
    fail "$label --info differs from the Linux build (see $work/info-$label.diff)"
    head -20 "$work/info-$label.diff"
  fi
}
# Compares a Windows render with the Linux render of the same input.
compare_render() {
  local label=$1 reference=$2 wav=$3
  local verdict
  if verdict=$("$compare" "$reference" "$wav" "$tolerance"); then
    pass "$label matches the Linux build: $verdict"
  else
    fail "$label differs from the Linux build: $verdict"
  fi
}

# Judges a validator report written under Wine (pass or fail of this check).
judge_validator() {
  local label=$1 log=$2 status_file=$3 verdict
  if [ ! -f "$status_file" ]; then
    fail "$label vt7000-validate did not run"
    return
  fi
  tr -d '\r' <"$log" | sed 's/^/  /'
  # The verdict's last line is "PASS: ..." or "FAIL: ..."; lines before it list
  # failing scenarios that VT7000_VALIDATE_STRICT=0 lets pass.
  local last
  if verdict=$(bash "$validate_check" judge "$label vt7000-validate" "$log" "$(cat "$status_file")"); then
    printf '%s\n' "$verdict" | sed '$d'
    last=$(printf '%s\n' "$verdict" | tail -n 1)
    pass "${last#PASS: }"
  else
    last=$(printf '%s\n' "$verdict" | tail -n 1)
    fail "${last#FAIL: }"
  fi
}

# Creates a Wine prefix on its own before any program runs in it. Wine lets a
# program wait only five minutes for a new prefix; through qemu on a busy
# machine the set-up can take longer, and the program then starts without its
# system DLLs. So the set-up runs first, and we wait for all of it.
# Returns 124 when the set-up did not finish in time.
prepare_prefix() {
  local loader=$1 prefix=$2 arch=$3 limit=$4
  local ready=$prefix/.vt7000-prefix-ready
  [ -f "$ready" ] && return 0
  echo "Creating the Wine prefix $prefix (once; it stays under build/)"
  local started=$SECONDS status=0
  WINEPREFIX=$prefix WINEARCH=$arch timeout "$limit" "$loader" wineboot --init >/dev/null 2>&1 || status=$?
  if [ "$status" != 124 ]; then
    status=0
    WINEPREFIX=$prefix timeout "$limit" /usr/lib/wine/wineserver -w || status=$?
  fi
  if [ "$status" = 124 ]; then
    echo "the prefix was not ready after $((SECONDS - started)) s"
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    return 124
  fi
  echo "prefix set up in $((SECONDS - started)) s"
  [ -f "$prefix/system.reg" ] && touch "$ready"
}

# ---------------------------------------------------------------------------
section "64-bit Windows under wine64"
wine64=/usr/lib/wine/wine64
prefix64=$work/prefix64
run_win64() {
  prepare_prefix "$wine64" "$prefix64" win64 "$wine64_timeout" || return
  cd build/win64/out || return 1
  export WINEPREFIX=$prefix64 WINEARCH=win64
  local status=0
  timeout "$wine64_timeout" "$wine64" vt7000-render.exe VT7000.dll --info "${instrument_args[@]}" \
    >"$work/info-win64.txt" || status=1
  if [ "$status" = 0 ]; then
    timeout "$wine64_timeout" "$wine64" vt7000-render.exe VT7000.dll --out ../../wine/render-win64.wav \
      "${render_args[@]}" || status=1
  fi
  if [ "$status" = 0 ]; then
    timeout "$wine64_timeout" "$wine64" vt7000-render.exe VT7000.dll --out ../../wine/render-win64-midi.wav \
      --midi "$midi_file" "${render_args[@]}" || status=1
  fi
  if [ "$status" = 0 ]; then
    local validated=0
    timeout "$wine64_timeout" "$wine64" vt7000-validate.exe VT7000.dll --seconds "$validate_seconds" \
      >"$work/validate-win64.txt" 2>&1 || validated=$?
    echo "$validated" >"$work/validate-win64.status"
  fi
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  return "$status"
}
start=$SECONDS
rm -f "$work/validate-win64.txt" "$work/validate-win64.status"
if (run_win64); then ran64=1; else ran64=0; fi
if [ "$ran64" = 1 ]; then
  editor_snapshots win64 win64 "$prefix64" win64 "$wine64" "$wine64_timeout" 0 1 2 3 4 5 6 7
fi
echo "wine64 runs took $((SECONDS - start)) s"
if [ "$ran64" = 1 ]; then
  compare_info win64 "$work/info-win64.txt"
  compare_render "win64 demo render" "$work/render-linux.wav" "$work/render-win64.wav"
  compare_render "win64 MIDI file render" "$work/render-linux-midi.wav" "$work/render-win64-midi.wav"
  judge_validator win64 "$work/validate-win64.txt" "$work/validate-win64.status"
else
  fail "the 64-bit pair did not run under wine64"
fi

# ---------------------------------------------------------------------------
section "32-bit Windows"
wine32=/usr/lib/wine/wine
binfmt=/proc/sys/fs/binfmt_misc
registered_entry=""
cleanup() {
  if [ -n "$registered_entry" ] && [ -e "$binfmt/$registered_entry" ]; then
    echo -1 | as_root tee "$binfmt/$registered_entry" >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

# True when this machine itself executes 32-bit x86 programs, Linux and
# Windows ones (no emulator registered for them yet): the Wine loader starts,
# a prefix can be made and a small Windows program runs in it.
native_32bit_works() {
  i386_handler_enabled && return 1
  timeout 60 "$wine32" --version >/dev/null 2>&1 || return 1
  prepare_prefix "$wine32" "$prefix32" win32 300 || return 1
  (cd build/win32/out && WINEPREFIX=$prefix32 WINEARCH=win32 timeout 120 "$wine32" vt7000-render.exe --help >/dev/null 2>&1)
}
# True when binfmt_misc hands i386 programs to some enabled handler.
i386_handler_enabled() {
  [ -e "$binfmt/status" ] || return 1
  local entry
  for entry in "$binfmt"/*; do
    case "$(basename "$entry")" in register | status) continue ;; esac
    grep -qx enabled "$entry" 2>/dev/null && grep -q '^magic 7f454c460101010000000000000000000200030' "$entry" && return 0
  done
  return 1
}
# Registers qemu-i386-static for i386 programs; false when binfmt_misc cannot be mounted or written.
setup_qemu_binfmt() {
  if [ ! -e "$binfmt/register" ]; then
    as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || return 1
  fi
  [ -e "$binfmt/register" ] || return 1
  i386_handler_enabled && return 0
  local name=vt7000-qemu-i386
  # ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386).
  # F: the kernel opens the emulator now, so it works in any mount namespace.
  printf '%s' ":$name:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:/usr/bin/qemu-i386-static:F" |
    as_root tee "$binfmt/register" >/dev/null 2>&1 || return 1
  registered_entry=$name
  i386_handler_enabled
}

prefix32=$work/prefix32
mode=$runner
if [ "$mode" = auto ]; then
  if native_32bit_works; then
    mode=native
  else
    echo "This machine does not run 32-bit Windows programs itself."
    # Whatever the attempt left of a prefix is not to be trusted.
    WINEPREFIX=$prefix32 /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$prefix32"
    mode=qemu
  fi
fi
# Emulated runs keep a prefix of their own.
[ "$mode" = qemu ] && prefix32=$work/prefix32-qemu
if [ "$mode" = qemu ] && ! setup_qemu_binfmt; then
  loud "binfmt_misc cannot be mounted or written on this machine: the 32-bit Windows pair cannot run through qemu here. The 32-bit check is SKIPPED."
  mode=skip
fi
if [ "$mode" = skip ]; then
  [ "$runner" = skip ] && loud "VT7000_WIN32_RUNNER=skip: the 32-bit Windows check is SKIPPED."
else
  echo "32-bit programs run: $([ "$mode" = qemu ] && echo "through qemu-i386-static (QEMU_RESERVED_VA=0xffff0000), this takes minutes" || echo natively)"
  run_win32() {
    if [ "$mode" = qemu ]; then export QEMU_RESERVED_VA=0xffff0000; fi
    prepare_prefix "$wine32" "$prefix32" win32 "$wine32_timeout" || return
    cd build/win32/out || return 1
    export WINEPREFIX=$prefix32 WINEARCH=win32
    status=0
    # One run does both, the report and then the MIDI file render: under qemu every run costs minutes.
    timeout "$wine32_timeout" "$wine32" vt7000-render.exe VT7000.dll --info --out ../../wine/render-win32-midi.wav \
      --midi "$midi_file" "${render_args[@]}" >"$work/info-win32.txt" || status=$?
    # The validator only where 32-bit code runs natively: through qemu it would take far too long.
    if [ "$status" = 0 ] && [ "$mode" = native ]; then
      local validated=0
      timeout "$wine32_timeout" "$wine32" vt7000-validate.exe VT7000.dll --seconds "$validate_seconds" \
        >"$work/validate-win32.txt" 2>&1 || validated=$?
      echo "$validated" >"$work/validate-win32.status"
    fi
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    return "$status"
  }
  start=$SECONDS
  status32=0
  rm -f "$work/validate-win32.txt" "$work/validate-win32.status"
  (run_win32) || status32=$?
  echo "the 32-bit run took $((SECONDS - start)) s"
  if [ "$status32" = 0 ]; then
    compare_info win32 "$work/info-win32.txt"
    compare_render "win32 MIDI file render" "$work/render-linux-midi.wav" "$work/render-win32-midi.wav"
    if [ "$mode" = native ]; then
      judge_validator win32 "$work/validate-win32.txt" "$work/validate-win32.status"
    else
      loud "vt7000-validate was not run on the 32-bit DLL: 32-bit code runs only through qemu here, far too slowly."
    fi
  elif [ "$status32" = 124 ] && [ "$mode" = qemu ]; then
    # Emulation speed depends on the machine and its load; a time-out there
    # says nothing about the module. Native runs and wrong output do fail.
    loud "The 32-bit run through qemu did not finish within $wine32_timeout s: the 32-bit check is INCONCLUSIVE on this machine."
  else
    fail "the 32-bit pair did not run ($mode, status $status32)"
  fi
  if [ "$status32" = 0 ]; then
    start=$SECONDS
    # Through qemu every run costs minutes: the morph page (shown first) alone.
    if [ "$mode" = qemu ]; then pages32="5"; else pages32="0 1 2 3 4 5 6 7"; fi
    editor_snapshots win32 win32 "$prefix32" win32 "$wine32" "$wine32_timeout" $pages32
    echo "the 32-bit editor snapshots took $((SECONDS - start)) s"
  fi
fi

# ---------------------------------------------------------------------------
section "Windows check done"
for note in "${notes[@]}"; do echo "NOTE: $note"; done
echo "Windows check: $passed checks passed, $failed checks failed"
[ "$failed" -eq 0 ]
exit
}
