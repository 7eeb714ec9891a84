# Wine environment for Kronvik's scripts; `source` it, do not run it.
#
# Everything Wine keeps lives in a private prefix under build/, with a
# Japanese locale and time zone, so runs are reproducible and never touch
# the user's own ~/.wine. Functions:
#   kv_ensure_display  use $DISPLAY if it answers, else start a private Xvfb
#   kv_ensure_prefix   create and prepare the prefix once (fonts included)
#   kv_teardown        stop our prefix's wineserver and the Xvfb we started
# Processes are only ever stopped by PID or through our own prefix.

KV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# KV_WINEPREFIX lets parallel runs keep apart.
export WINEPREFIX="${KV_WINEPREFIX:-$KV_ROOT/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG=-all
# No prompts to download Mono or Gecko: the program needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LOCPATH="$KV_ROOT/build/locale"
# bash itself cannot load a locale from a LOCPATH set in this same shell and
# says so; the programs started from here can, which is what matters.
{ export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8; } 2>/dev/null
export TZ=JST-9

# The Xvfb this shell started, if any; never inherited, so a script only ever
# stops its own.
KV_XVFB_PID=""
# Bump when the prefix preparation below changes, so existing prefixes are
# prepared again.
KV_PREFIX_STAMP="kronvik-prefix-3"
KV_JP_FONT="Noto Sans CJK JP"
KV_JP_PFONT="IPAPGothic"
KV_JP_MONOFONT="IPAGothic"

kv_log() { printf 'wine-env: %s\n' "$*" >&2; }

# A Linux path as Wine's Z: drive names it.
kv_winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr / '\\')"; }

# The end of a run that started one Wine program in the background (its PID
# in KV_RUN_PID) and kept its files in KV_RUN_DIR: the program, the prefix's
# wineserver, our Xvfb and the files go. Set as the EXIT trap.
KV_RUN_PID=""
KV_RUN_DIR=""
kv_end_run() {
  if [ -n "$KV_RUN_PID" ] && kill -0 "$KV_RUN_PID" 2>/dev/null; then
    kill "$KV_RUN_PID" 2>/dev/null || true
  fi
  kv_teardown
  if [ -n "$KV_RUN_DIR" ]; then rm -rf "$KV_RUN_DIR"; fi
}

# Runs the calling script again inside a network namespace of its own, in
# which only loopback is up: Kronvik's defaults name public time servers, and
# nothing a test, demo or benchmark starts may reach them. Call it before
# anything else starts, as  kv_isolate_network "$0" "$@".
# The prefix's wineserver is stopped on entry, because Wine makes sockets in
# the wineserver: one left running outside would serve the new processes.
kv_isolate_network() {
  if [ "${KV_NETNS:-}" = "$$" ]; then
    ip link set lo up || return 1
    if [ "$(ip -o link show | awk -F': ' '{ print $2 }')" != "lo" ]; then
      kv_log "the network namespace holds more than loopback"
      return 1
    fi
    if [ -d "$WINEPREFIX" ]; then
      wineserver -k >/dev/null 2>&1 || true
      wineserver -w >/dev/null 2>&1 || true
    fi
    return 0
  fi
  local script=$1
  shift
  # exec keeps the PID, which tells the script inside that it is there.
  export KV_NETNS=$$
  if unshare --net true 2>/dev/null; then
    exec unshare --net -- "$BASH" "$script" "$@"
  fi
  if unshare --user --map-root-user --net true 2>/dev/null; then
    exec unshare --user --map-root-user --net -- "$BASH" "$script" "$@"
  fi
  kv_log "cannot make a network namespace (needs root or user namespaces)"
  return 1
}

kv_display_works() {
  [ -n "${1:-}" ] && xdpyinfo -display "$1" >/dev/null 2>&1
}

kv_ensure_display() {
  if kv_display_works "${DISPLAY:-}"; then
    return 0
  fi
  if [ -n "$KV_XVFB_PID" ] && kill -0 "$KV_XVFB_PID" 2>/dev/null; then
    return 0
  fi
  local n tries pidfile
  pidfile="$(mktemp "${TMPDIR:-/tmp}/kronvik-xvfb.XXXXXX")" || return 1
  for n in $(seq 91 140); do
    if [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; then
      continue
    fi
    # A session of its own keeps Ctrl-C away from the X server, so on the way
    # out Wine is stopped first and the display last.
    : >"$pidfile"
    setsid sh -c 'echo $$ >"$1"; exec Xvfb "$2" -screen 0 1024x768x24 -nolisten tcp' \
      sh "$pidfile" ":$n" >/dev/null 2>&1 </dev/null &
    KV_XVFB_PID=""
    for tries in $(seq 1 100); do
      [ -z "$KV_XVFB_PID" ] && KV_XVFB_PID="$(cat "$pidfile" 2>/dev/null)"
      if [ -n "$KV_XVFB_PID" ] && kv_display_works ":$n"; then
        rm -f "$pidfile"
        export DISPLAY=":$n"
        return 0
      fi
      # Lost a race for this display number: try the next one.
      if [ -n "$KV_XVFB_PID" ] && ! kill -0 "$KV_XVFB_PID" 2>/dev/null; then
        break
      fi
      sleep 0.1
    done
    kv_stop_xvfb
  done
  rm -f "$pidfile"
  kv_log "could not start Xvfb"
  return 1
}

kv_stop_xvfb() {
  [ -n "$KV_XVFB_PID" ] || return 0
  kill "$KV_XVFB_PID" 2>/dev/null || true
  local i
  for i in $(seq 1 50); do
    kill -0 "$KV_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  KV_XVFB_PID=""
}

# Japanese window texts need a CJK font. The prefix has none of the fonts
# Japanese Windows ships, so their names are mapped onto fonts Wine finds
# through fontconfig: the Gothic faces the dialogs ask for onto IPA's Gothic
# faces, which have their metrics, so texts take the room they take on
# Windows; the rest onto Noto Sans CJK JP. Dialogs ask for "MS Shell Dlg",
# which under a Japanese system is MS UI Gothic.
kv_font_replacements() {
  local reg="$WINEPREFIX/kronvik-fonts.reg" f body try
  body='Windows Registry Editor Version 5.00\r\n\r\n'
  body+='[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for f in "MS UI Gothic" "MS PGothic" "ＭＳ Ｐゴシック"; do
    body+="\"$f\"=\"$KV_JP_PFONT\"\\r\\n"
  done
  for f in "MS Gothic" "ＭＳ ゴシック"; do
    body+="\"$f\"=\"$KV_JP_MONOFONT\"\\r\\n"
  done
  for f in "MS Mincho" "MS PMincho" "ＭＳ 明朝" "ＭＳ Ｐ明朝" "Meiryo" "メイリオ" \
           "Meiryo UI" "Yu Gothic" "Yu Gothic UI"; do
    body+="\"$f\"=\"$KV_JP_FONT\"\\r\\n"
  done
  body+='\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
  body+='"MS Shell Dlg"="MS UI Gothic"\r\n"MS Shell Dlg 2"="MS UI Gothic"\r\n'
  { printf '\xff\xfe'; printf "$body" | iconv -f UTF-8 -t UTF-16LE; } >"$reg" || return 1
  # A Wine process started right after the last one ended now and then fails
  # to start at all, so try again before giving up.
  for try in 1 2 3 4 5; do
    wine regedit /S "$reg" >/dev/null 2>&1
    wineserver -w
    if grep -q "^\"MS UI Gothic\"=\"$KV_JP_PFONT\"" "$WINEPREFIX/user.reg" 2>/dev/null; then
      rm -f "$reg"
      return 0
    fi
    sleep 1
  done
  return 1
}

# Wine draws caption buttons, menu check marks and arrows with Marlett, but
# this Wine looks for its own fonts only in the prefix's Fonts folder, where
# nothing puts them; without them the buttons show as "0 1 r".
kv_wine_fonts() {
  local src=/usr/share/wine/fonts dst="$WINEPREFIX/drive_c/windows/Fonts" f
  mkdir -p "$dst"
  for f in marlett.ttf symbol.ttf wingding.ttf; do
    if [ -f "$src/$f" ] && [ ! -f "$dst/$f" ]; then
      cp "$src/$f" "$dst/$f" || return 1
    fi
  done
}

kv_prefix_ready() {
  [ -f "$WINEPREFIX/.$KV_PREFIX_STAMP" ] && [ -f "$WINEPREFIX/system.reg" ]
}

kv_ensure_prefix() {
  kv_prefix_ready && return 0
  kv_ensure_display || return 1
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    # Two scripts preparing the same prefix at once would spoil it.
    flock 9
    kv_prefix_ready && exit 0
    kv_log "preparing Wine prefix $WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || { kv_log "wineboot failed"; exit 1; }
      wineserver -w
    fi
    kv_wine_fonts || { kv_log "could not copy Wine's fonts"; exit 1; }
    kv_font_replacements || { kv_log "could not set font replacements"; exit 1; }
    rm -f "$WINEPREFIX"/.kronvik-prefix-*
    touch "$WINEPREFIX/.$KV_PREFIX_STAMP"
  ) 9>"$WINEPREFIX.lock"
}

kv_teardown() {
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  kv_stop_xvfb
}
