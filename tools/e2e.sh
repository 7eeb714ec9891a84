#!/usr/bin/env bash
# End-to-end suite: runs kronvik_e2e.exe against kronvik.exe inside a Wine
# virtual desktop and prints one PASS/FAIL line per case, then
# "N passed, M failed". Exits non-zero on any failure, on a crash of the
# driver and on a time-out.
#
# Usage: tools/e2e.sh <windows build dir> [case-prefix | batch=N ...]
# Environment: KV_E2E_TIMEOUT (seconds, default 600) bounds the whole run;
# KV_E2E_DPI (default 96) is the screen's DPI for the run;
# KV_E2E_WINEPREFIX runs in another prefix than build/wineprefix, so that a
# run does not disturb a kronvik.exe someone else runs in the shared one.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
args=("$@")
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <windows build dir> [case-prefix | batch=N ...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift

# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
if [ -n "${KV_E2E_WINEPREFIX:-}" ]; then
  export WINEPREFIX="$KV_E2E_WINEPREFIX"
fi
# The cases synchronise against fakes on 127.0.0.1; nothing else is reachable.
kv_isolate_network "$0" "${args[@]}" || { echo "e2e: no private network"; echo "0 passed, 1 failed"; exit 1; }
limit="${KV_E2E_TIMEOUT:-600}"

for exe in kronvik.exe kronvik_e2e.exe; do
  if [ ! -f "$build/$exe" ]; then
    echo "e2e: $build/$exe is missing"
    echo "0 passed, 1 failed"
    exit 1
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kronvik-e2e.XXXXXX")
results="$work/results.txt"
KV_RUN_DIR=$work
trap kv_end_run EXIT
trap 'exit 130' INT TERM

kv_ensure_display || { echo "e2e: no X display"; echo "0 passed, 1 failed"; exit 1; }
kv_ensure_prefix || { echo "e2e: no Wine prefix"; echo "0 passed, 1 failed"; exit 1; }
# The screen's DPI, read by Wine when the desktop starts; every run sets it,
# so one at another DPI leaves nothing behind.
wine reg add 'HKCU\Control Panel\Desktop' /f /v LogPixels /t REG_DWORD /d "${KV_E2E_DPI:-96}" >/dev/null 2>&1
wineserver -k 2>/dev/null
wineserver -w

started=$(date +%s)
: >"$results"
timeout -k 5 "$limit" wine explorer /desktop=KronvikE2E,1024x768 \
  "$(kv_winpath "$build/kronvik_e2e.exe")" "$(kv_winpath "$build/kronvik.exe")" "$(kv_winpath "$results")" \
  "$@" >"$work/wine.log" 2>&1 &
KV_RUN_PID=$!

# The desktop may outlive the driver; the END line is what says it is done.
# The driver bounds every case itself; a results file that stops growing
# means the driver itself is stuck.
deadline=$((started + limit))
stall=90
last_size=-1
last_change=$started
while kill -0 "$KV_RUN_PID" 2>/dev/null; do
  if grep -q '^END ' "$results" 2>/dev/null; then
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      kill -0 "$KV_RUN_PID" 2>/dev/null || break
      sleep 0.5
    done
    break
  fi
  now=$(date +%s)
  if [ "$now" -ge "$deadline" ]; then
    echo "e2e: the run exceeded ${limit} s"
    break
  fi
  size=$(stat -c %s "$results" 2>/dev/null || echo 0)
  if [ "$size" != "$last_size" ]; then
    last_size=$size
    last_change=$now
  elif [ $((now - last_change)) -ge "$stall" ]; then
    echo "e2e: the driver wrote nothing for ${stall} s"
    break
  fi
  sleep 0.5
done
elapsed=$(( $(date +%s) - started ))

# Report: one line per case, its details indented below it.
passed=0
failed=0
planned=0
running=""
details=""
finished=0
flush_details() {
  [ -n "$details" ] && printf '%s' "$details"
  details=""
}
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    "PLAN "*) planned=${line#PLAN } ;;
    "RUN "*) running=${line#RUN }; details="" ;;
    "PASS "*) echo "$line"; flush_details; passed=$((passed + 1)); running="" ;;
    "FAIL "*) echo "$line"; flush_details; failed=$((failed + 1)); running="" ;;
    "END "*) finished=1 ;;
    "") ;;
    *) details="$details$line"$'\n' ;;
  esac
done <"$results"

if [ -n "$running" ]; then
  echo "FAIL $running (the driver stopped during this case)"
  flush_details
  failed=$((failed + 1))
fi
flush_details
if [ "$finished" -eq 0 ]; then
  missing=$((planned - passed - failed))
  if [ "$missing" -gt 0 ]; then
    echo "e2e: $missing case(s) did not run"
    failed=$((failed + missing))
  fi
  if [ "$planned" -eq 0 ]; then
    echo "e2e: the driver wrote no results; Wine said:"
    tail -n 20 "$work/wine.log"
    failed=$((failed + 1))
  fi
fi

echo "e2e: ${elapsed} s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$finished" -eq 1 ] && [ "$passed" -gt 0 ]
