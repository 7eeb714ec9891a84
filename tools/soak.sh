#!/usr/bin/env bash
# Soak run: kronvik.exe under Wine for a number of minutes while
# soak_driver.exe keeps it busy and samples what it holds, then prints the
# driver's table and verdict. Exits non-zero on a bad verdict, on a crash of
# the driver and when the driver stops writing.
#
# Usage: tools/soak.sh <windows build dir> [minutes]
# Environment: SOAK_MIN (minutes when none are given, default 30);
# KV_SOAK_WINEPREFIX (default build/wineprefix-soak), a prefix of its own so
# that a long run does not meet the other suites.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
args=("$@")
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
  echo "usage: $0 <windows build dir> [minutes]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
minutes=${2:-${SOAK_MIN:-30}}
case "$minutes" in '' | *[!0-9]* | 0) echo "soak: minutes must be a whole number above 0" >&2; exit 2 ;; esac

# shellcheck source=tools/wine-env.sh
. "$root/tools/wine-env.sh"
export WINEPREFIX="${KV_SOAK_WINEPREFIX:-$root/build/wineprefix-soak}"
# The driver synchronises against fakes on 127.0.0.1; nothing else is reachable.
kv_isolate_network "$0" "${args[@]}" || { echo "soak: no private network"; exit 1; }

for exe in kronvik.exe soak_driver.exe; do
  [ -f "$build/$exe" ] || { echo "soak: $build/$exe is missing"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kronvik-soak.XXXXXX")
results="$work/results.txt"
KV_RUN_DIR=$work
trap kv_end_run EXIT
trap 'exit 130' INT TERM

kv_ensure_display || { echo "soak: no X display"; exit 1; }
kv_ensure_prefix || { echo "soak: no Wine prefix"; exit 1; }

: >"$results"
timeout -k 5 $((minutes * 60 + 300)) wine explorer /desktop=KronvikSoak,1024x768 \
  "$(kv_winpath "$build/soak_driver.exe")" "$(kv_winpath "$build/kronvik.exe")" "$(kv_winpath "$results")" \
  "$minutes" >"$work/wine.log" 2>&1 &
KV_RUN_PID=$!

# The driver writes at least one line a minute; the VERDICT line ends it.
stall=240
last_size=-1
last_change=$(date +%s)
while kill -0 "$KV_RUN_PID" 2>/dev/null && ! grep -q '^VERDICT ' "$results"; do
  now=$(date +%s)
  size=$(stat -c %s "$results")
  if [ "$size" != "$last_size" ]; then
    last_size=$size
    last_change=$now
  elif [ $((now - last_change)) -ge "$stall" ]; then
    echo "soak: the driver wrote nothing for ${stall} s"
    break
  fi
  sleep 1
done

cat "$results"
if ! grep -q '^VERDICT ' "$results"; then
  echo "soak: the driver ended without a verdict; Wine said:"
  tail -n 20 "$work/wine.log"
  exit 1
fi
grep -q '^VERDICT PASS$' "$results"
