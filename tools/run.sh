#!/usr/bin/env bash
# Starts kronvik.exe under Wine inside a 1024x768 Wine virtual desktop (so its
# tray icon has a taskbar to sit in), on $DISPLAY or, when there is no usable
# display, on a private Xvfb. Runs in the foreground until the program ends;
# Ctrl-C stops it and everything this script started.
#   tools/run.sh [kronvik.exe arguments]
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
exe="$root/build/windows/kronvik.exe"
if [ ! -f "$exe" ]; then
  echo "run: $exe is missing; run 'make build' first" >&2
  exit 1
fi

# A prefix of its own, so that `make test` or `make demo` next to it neither
# stops this Kronvik nor trips over its single-instance mutex.
export KV_WINEPREFIX="${KV_WINEPREFIX:-$root/build/wineprefix-run}"
source "$root/tools/wine-env.sh"

wine_pid=""
cleanup() {
  if [ -n "$wine_pid" ]; then
    kill "$wine_pid" 2>/dev/null || true
  fi
  kv_teardown
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# A make killed outright (SIGKILL) leaves its recipe running: when the parent
# (make, or the shell that started this script) goes, this script goes too,
# and its EXIT trap stops Wine and the Xvfb.
parent=$PPID
( while kill -0 "$parent" 2>/dev/null; do sleep 1; done; kill -TERM $$ 2>/dev/null ) &

kv_ensure_display || exit 1
kv_ensure_prefix || exit 1
if [ -n "$KV_XVFB_PID" ]; then
  echo "run: no usable display; running on private Xvfb $DISPLAY"
  echo "run: (see it with: DISPLAY=$DISPLAY /usr/bin/import -window root shot.png)"
fi
echo "run: kronvik.exe is running (prefix $WINEPREFIX); Ctrl-C stops it"

wine explorer /desktop=Kronvik,1024x768 "$exe" "$@" &
wine_pid=$!
wait "$wine_pid"
rc=$?
wine_pid=""
exit "$rc"
