#!/usr/bin/env bash
# Fails when an include points up the layers: a subsystem including app/,
# the platform layer including a subsystem, or portable code including
# <windows.h> (only platform/win32/ and the *_win32 views may).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 2
status=0
report() {
  echo "layers: $1"
  status=1
}
while IFS= read -r line; do report "$line (a subsystem includes app/)"; done < <(
  grep -rn --include='*.h' --include='*.cpp' '#include "app/' settings display timesync schedule about platform resources)
while IFS= read -r line; do report "$line (the platform layer includes a subsystem)"; done < <(
  grep -rnE --include='*.h' --include='*.cpp' '#include "(app|settings|display|timesync|schedule|about)/' platform resources)
while IFS= read -r file; do report "$file includes <windows.h> but is portable"; done < <(
  grep -rlE --include='*.h' --include='*.cpp' '#include <(windows|winsock2|wininet|commctrl|shellapi)\.h>' \
    app settings display timesync schedule about platform | grep -vE '_win32\.(h|cpp)$|^platform/win32/')
[ $status = 0 ] && echo "layers: every include points down"
exit $status
