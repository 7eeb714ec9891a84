#!/usr/bin/env bash
# Fails when an include points up the layers (a subsystem including app/, the
# platform layer including a subsystem), when one subsystem includes another
# along an edge that docs/architecture.md does not list (or the table lists
# an edge no include uses), or when portable code includes <windows.h> (only
# platform/win32/ and the *_win32 files may).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 2
subsystems="settings display timesync schedule about"
status=0
report() {
  echo "layers: $1"
  status=1
}
while IFS= read -r line; do report "$line (a subsystem includes app/)"; done < <(
  grep -rn --include='*.h' --include='*.cpp' '#include "app/' $subsystems platform resources)
while IFS= read -r line; do report "$line (the platform layer includes a subsystem)"; done < <(
  grep -rnE --include='*.h' --include='*.cpp' '#include "(app|settings|display|timesync|schedule|about)/' platform resources)
while IFS= read -r file; do report "$file includes <windows.h> but is portable"; done < <(
  grep -rlE --include='*.h' --include='*.cpp' '#include <(windows|winsock2|wininet|commctrl|shellapi)\.h>' \
    app $subsystems platform | grep -vE '_win32\.(h|cpp)$|^platform/win32/')

# The sideways edges the architecture allows: rows "| `from/` | `to/` | why |".
allowed=$(sed -nE 's/^\| `([a-z]+)\/` \| `([a-z]+)\/` \|.*/\1 \2/p' docs/architecture.md | sort -u)
[ -n "$allowed" ] || report "docs/architecture.md lists no sideways edges"
used=""
for from in $subsystems; do
  while IFS=: read -r file number to; do
    [ -n "$to" ] || continue
    used+="$from $to"$'\n'
    grep -qx "$from $to" <<<"$allowed" || report "$file:$number: $from/ includes $to/, an edge the table does not list"
  done < <(grep -rnoE --include='*.h' --include='*.cpp' '#include "(settings|display|timesync|schedule|about)/' "$from" |
             sed -E 's/#include "([a-z]+)\/$/\1/' | awk -F: -v self="$from" '$3 != self')
done
while IFS= read -r edge; do
  [ -n "$edge" ] || continue
  grep -qx "$edge" <<<"$(sort -u <<<"$used")" || report "the table lists '$edge' but no include uses it"
done <<<"$allowed"
[ $status = 0 ] && echo "layers: every include points down or along a listed edge"
exit $status
