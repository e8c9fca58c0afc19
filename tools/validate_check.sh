#!/usr/bin/env bash
# Runs vt7000-validate for CI and judges its report.
#
#   tools/validate_check.sh run LABEL LOG TIMEOUT COMMAND...
#       runs COMMAND (the validator with its module and budget, possibly behind
#       wine) under `timeout TIMEOUT`, copies its report into LOG, then judges it
#   tools/validate_check.sh judge LABEL LOG STATUS
#       judges a report already in LOG, STATUS being the validator's exit status
#
# The verdict is one line, "PASS: LABEL ..." or "FAIL: LABEL ...", and the exit
# status 0 or 1. A report without its closing "N passed, N failed" line (the
# validator crashed, did not start or ran out of time) always fails. Failing
# scenarios fail too, unless VT7000_VALIDATE_STRICT=0: then they are listed
# loudly and the verdict passes (default 1, strict).
set -uo pipefail

mode=${1:-}
case "$mode" in
  run)
    [ $# -ge 5 ] || { echo "usage: $0 run LABEL LOG TIMEOUT COMMAND..." >&2; exit 2; }
    label=$2 log=$3 limit=$4
    shift 4
    timeout "$limit" "$@" 2>&1 | tr -d '\r' | tee "$log"
    status=${PIPESTATUS[0]}
    ;;
  judge)
    [ $# -eq 4 ] || { echo "usage: $0 judge LABEL LOG STATUS" >&2; exit 2; }
    label=$2 log=$3 status=$4
    ;;
  *)
    echo "usage: $0 run|judge ..." >&2
    exit 2
    ;;
esac

strict=${VT7000_VALIDATE_STRICT:-1}
summary=$(tr -d '\r' <"$log" 2>/dev/null | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1 || true)
if [ -z "$summary" ]; then
  echo "FAIL: $label ended without its summary (exit status $status; see $log)"
  exit 1
fi
failed=${summary#*, }
failed=${failed%% *}
if [ "$failed" = 0 ] && [ "$status" = 0 ]; then
  echo "PASS: $label: $summary"
  exit 0
fi
if [ "$failed" != 0 ] && [ "$strict" = 0 ]; then
  echo "!!! $label: $summary; VT7000_VALIDATE_STRICT=0, so these are reported, not failed:"
  tr -d '\r' <"$log" | grep '^FAIL ' | sed 's/^/!!!   /'
  echo "PASS: $label (not strict): $summary"
  exit 0
fi
echo "FAIL: $label: $summary (exit status $status)"
exit 1
