#!/usr/bin/env bash
# Runs a Windows program under Wine in Kronvik's private prefix and exits
# with its exit code:  tools/wine-run.sh PROGRAM.exe [ARGS...]
set -uo pipefail

if [ $# -lt 1 ]; then
  echo "usage: $0 PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
kv_isolate_network "$0" "$@" || exit 1

trap 'kv_teardown' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

kv_ensure_display || exit 1
kv_ensure_prefix || exit 1

wine "$@"
exit $?
