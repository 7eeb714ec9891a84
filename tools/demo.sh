#!/usr/bin/env bash
# Screenshots of Kronvik at work, written to build/demo/*.png.
#
# Runs kronvik.exe with default settings in a 1024x768 Wine virtual desktop on
# a private Xvfb, opens Notepad in the same desktop as the foreground window
# whose caption carries the clock, and grabs the screen; then walks through
# the pages of an installer made from this build, in both modes. Each picture
# is one `shot NAME` in the scenes below; add scenes there. A picture that
# could not be taken fails the run, after the others have been taken.
#
# The demo keeps its own prefix (build/wineprefix-demo, or KV_DEMO_WINEPREFIX)
# because it resets the settings and stops everything in the prefix at the
# end, which must not hit a Kronvik that `make run` keeps in the shared one.
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
windows="$root/build/windows"
exe="$windows/kronvik.exe"
ctl="$windows/kvctl.exe"
out="$root/build/demo"

if [ ! -f "$exe" ]; then
  echo "demo: $exe is missing; run 'make build' first" >&2
  exit 1
fi

export KV_WINEPREFIX="${KV_DEMO_WINEPREFIX:-$root/build/wineprefix-demo}"
source "$root/tools/wine-env.sh"
# Kronvik's defaults name public time servers: the demo reaches none of them.
kv_isolate_network "$0" "$@" || exit 1

pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do
    kill "$p" 2>/dev/null || true
  done
  kv_teardown
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Always a private X server: the pictures must not depend on the user's
# screen, and grabbing the root window of a real display would show it all.
unset DISPLAY
kv_ensure_display || exit 1
kv_ensure_prefix || exit 1
mkdir -p "$out"

# Every program of the prefix runs in one 1024x768 virtual desktop, so the
# helper below finds the windows it drives and passes its exit code on.
wine reg add 'HKCU\Software\Wine\Explorer' /f /v Desktop /d Default >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /f /v Default /d 1024x768 >/dev/null 2>&1

# Starts a Windows program in the background.
in_desktop() {
  wine "$@" >>"$out/wine.log" 2>&1 &
  pids+=($!)
}

# Writes the whole screen to build/demo/NAME.png once it has settled: the
# windows behind a menu or box that just closed repaint a moment later, so
# the screen is grabbed until a grab agrees with one of the two before it,
# a fifth of a second apart (a blinking caret alternates between two).
shot() {
  local try earlier
  rm -f "$out/$1.png" "$out/.earlier.png"
  for try in $(seq 1 25); do
    /usr/bin/import -display "$DISPLAY" -window root "$out/.settling.png" || break
    for earlier in "$out/$1.png" "$out/.earlier.png"; do
      if [ -f "$earlier" ] &&
         [ "$(/usr/bin/compare -metric AE "$earlier" "$out/.settling.png" null: 2>&1)" = "0" ]; then
        mv "$out/.settling.png" "$out/$1.png"
        rm -f "$out/.earlier.png"
        echo "demo: $out/$1.png"
        return 0
      fi
    done
    [ ! -f "$out/$1.png" ] || mv "$out/$1.png" "$out/.earlier.png"
    mv "$out/.settling.png" "$out/$1.png"
    sleep 0.2
  done
  rm -f "$out/$1.png" "$out/.earlier.png" "$out/.settling.png"
  echo "demo: could not grab a settled $1" >&2
  return 1
}

# A picture that could not be taken: the run goes on, and fails at the end.
missing=()
missed() {
  missing+=("$1")
  echo "demo: no $1" >&2
}

# Drives the running Kronvik from outside (tray clicks, commands), when the
# build has the helper for it.
control() {
  [ -f "$ctl" ] || return 1
  timeout 20 wine "$ctl" "$@" >>"$out/wine.log" 2>&1
}

: >"$out/wine.log"
rm -f "$out"/*.png

# Fresh settings, so the defaults show, on a screen of 96 DPI.
wine reg delete 'HKCU\Software\Velk' /f >/dev/null 2>&1 || true
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /f /v LogPixels /t REG_DWORD /d "$1" >/dev/null 2>&1
  # The desktop reads the DPI when it starts.
  wineserver -k 2>/dev/null
  wineserver -w
}
set_dpi 96

# ---- scenes
# Every picture is taken once what it shows is there and painted: `control
# wait` returns when it is, or fails after ten seconds.

# A first start writes the defaults; then both synchronisation methods are
# pointed at 127.0.0.1, where nothing answers.
in_desktop "$exe"
control wait ready || exit 1
control quit
control wait gone || exit 1
for value in "SNTP /d 127.0.0.1" "SNTPanswer /t REG_DWORD /d 2" "PROXYADR /d 127.0.0.1" "PROXYPORT /d 9"; do
  # shellcheck disable=SC2086
  wine reg add 'HKCU\Software\Velk\FLAG' /f /v $value >/dev/null 2>&1
done
# Three appointments for tomorrow (Japanese time), for the schedule pictures.
tomorrow=$(TZ=JST-9 date -d tomorrow '+%Y %m %d')
for entry in "09 05|歯医者の予約" "14 30|企画会議（第2会議室）" "18 00|Tanks! 打ち上げ"; do
  wine reg add "HKCU\\Software\\Velk\\Information\\$tomorrow" /f /v "${entry%%|*}" /d "${entry#*|}" >/dev/null 2>&1
done

# Kronvik, then Notepad in front with the clock in its caption.
start_with_notepad() {
  in_desktop "$exe"
  control wait ready || return 1
  in_desktop notepad
  control wait clock Notepad
}
start_with_notepad || exit 1
shot caption-clock || missed caption-clock

# The confirmation of a manual time setting by SNTP, answered with Cancel.
control command 2 && control wait visible '#32770' && shot confirm-sntp || missed confirm-sntp
control dismiss
control wait hidden '#32770'

# A manual setting that gets no answer: the failure box.
control command 2 && control wait visible '#32770' && control confirm && control wait hidden '#32770' &&
  control wait visible '#32770' && shot sync-failure || missed sync-failure
control dismiss
control wait hidden '#32770'

# The command menu of the tray icon (right button pressed on the icon).
# Down three times to "スケジュール", Right opens the 14 upcoming days.
control tray 0x204 && control wait visible '#32768' && control keys 0x28 0x28 0x28 0x27 &&
  control wait visible '#32768' 2 && shot tray-menu || missed tray-menu
control keys 0x1B 0x1B
control wait hidden '#32768'

# Tomorrow's appointments: the second day of the schedule submenu.
control tray 0x204 && control wait visible '#32768' && control keys 0x28 0x28 0x28 0x27 &&
  control wait visible '#32768' 2 && control keys 0x28 0x27 && control wait visible '#32768' 3 &&
  shot schedule-menu || missed schedule-menu
control keys 0x1B 0x1B 0x1B
control wait hidden '#32768'

# The dialogs, each opened as its menu command would; the settings dialog's
# pages chosen on its tabs (12001), each waited for until the page itself
# (12101 and on) shows; the entry dialog last, opened on tomorrow's second
# appointment. $1: what the names end in.
dialogs() {
  local name page=1
  control command 3 && control wait visible TForm2 && shot "about$1" || missed "about$1"
  control command 1 && control wait visible TForm4 && shot "settings-mode$1" || missed "settings-mode$1"
  for name in settings-basic settings-options; do
    control tab TForm4 12001 $page && control wait page TForm4 12001 $page $((12101 + page)) &&
      shot "$name$1" || missed "$name$1"
    page=$((page + 1))
  done
  control command 202 && control wait visible TForm3 && shot "schedule-entry$1" || missed "schedule-entry$1"
}
dialogs ""

# An appointment whose minute passed before the start: told in the caption
# and in a balloon of the tray icon, which the shell shows a moment later.
control quit || true
control wait gone
wine reg delete 'HKCU\Software\Velk\Alert' /f >/dev/null 2>&1 || true
missed=$(TZ=JST-9 date -d '2 minutes ago' '+%Y %m %d|%H %M')
wine reg add "HKCU\\Software\\Velk\\Information\\${missed%%|*}" /f /v "${missed#*|}" /d "朝の打ち合わせ" >/dev/null 2>&1
start_with_notepad && control wait visible tooltips_class32 && shot missed-appointment

# The same on a screen of 144 DPI (150 %): each laid out for it.
control quit
control wait gone
set_dpi 144
start_with_notepad && shot caption-clock-144dpi || missed caption-clock-144dpi
dialogs -144dpi
set_dpi 96

# The installer of this build, walked through in each mode: the mode page
# (for all users its second choice, 1202, is clicked), the folder page and,
# once installed, the finish page, whose Finish starts the installed Kronvik.
# Button 1 is Next, then Install, then Finish.
setup="$out/.setup/kronvik-setup.exe"
rm -rf "$out/.setup"
mkdir -p "$out/.setup/stage"
cp "$exe" "$root/installer/README.txt" "$root/LICENSE" "$root/installer/THIRD-PARTY-NOTICES.txt" "$out/.setup/stage/"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$windows/CMakeCache.txt")" \
  -DSTAGE="$out/.setup/stage" -DICON="$root/resources/kronvik.ico" -DOUTFILE="$setup" \
  "$root/installer/kronvik.nsi" >>"$out/wine.log" 2>&1 || echo "demo: makensis failed, see $out/wine.log" >&2
installer_pages() {
  in_desktop "$setup"
  control wait text '#32770' 1 '次へ(&N) >' && { [ "$1" = user ] || control click '#32770' 1202; } &&
    shot "installer-mode-$1" || missed "installer-mode-$1"
  control click '#32770' 1 && control wait text '#32770' 1 'インストール(&I)' &&
    shot "installer-folder-$1" || missed "installer-folder-$1"
  control click '#32770' 1 && control wait text '#32770' 1 '完了(&F)' &&
    shot "installer-finish-$1" || missed "installer-finish-$1"
  control click '#32770' 1
  control wait hidden '#32770'
  # Finish started the installed Kronvik, which would write its clock into
  # the next installer's caption.
  control quit && control wait gone
}
# Each walk is a first installation: the entries of an earlier run would
# choose the mode and the folder.
for hive in HKCU HKLM; do
  wine reg delete "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kronvik" /f >/dev/null 2>&1
done
installer_pages user
installer_pages all

# High contrast: the settings' digits and the entry dialog's date as a user
# with a black high-contrast scheme sees them. Wine never reports high
# contrast, so for this step the prefix gets the scheme, with visual styles
# off as Windows turns them off in high contrast, and Kronvik the switch that
# makes it see high contrast on.
high_contrast() {
  local colours='HKCU\Control Panel\Colors' theme='HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager'
  local pair
  control quit || true
  control wait gone
  wine reg export "$colours" "$(kv_winpath "$out/.colours.reg")" /y >/dev/null 2>&1
  wine reg export "$theme" "$(kv_winpath "$out/.theme.reg")" /y >/dev/null 2>&1
  wine reg add "$theme" /f /v ThemeActive /d 0 >/dev/null 2>&1
  for pair in "Window|0 0 0" "WindowText|255 255 255" "ButtonFace|0 0 0" "ButtonText|255 255 255" \
    "ButtonShadow|128 128 128" "ButtonHilight|255 255 255" "ButtonLight|0 0 0" "ButtonDkShadow|255 255 255" \
    "Hilight|26 235 255" "HilightText|0 0 0" "GrayText|63 242 63" "HotTrackingColor|255 255 0" \
    "Background|0 0 0" "Menu|0 0 0" "MenuText|255 255 255" "InfoWindow|0 0 0" "InfoText|255 255 255" \
    "ActiveTitle|0 0 0" "TitleText|255 255 255" "InactiveTitle|0 0 0" "InactiveTitleText|63 242 63" \
    "WindowFrame|255 255 255" "ActiveBorder|0 0 0" "InactiveBorder|0 0 0"; do
    wine reg add "$colours" /f /v "${pair%%|*}" /d "${pair#*|}" >/dev/null 2>&1
  done
  # Colours and styles are read when the desktop starts.
  wineserver -k 2>/dev/null
  wineserver -w
  export KRONVIK_HIGH_CONTRAST=1
  in_desktop "$exe"
  unset KRONVIK_HIGH_CONTRAST
  if ! control wait ready; then
    missed settings-basic-high-contrast
    missed schedule-entry-high-contrast
  else
    control command 1 && control wait visible TForm4 &&
      control tab TForm4 12001 1 && control wait page TForm4 12001 1 12102 &&
      shot settings-basic-high-contrast || missed settings-basic-high-contrast
    control command 202 && control wait visible TForm3 && shot schedule-entry-high-contrast ||
      missed schedule-entry-high-contrast
    control quit || true
    control wait gone
  fi
  wine reg delete "$colours" /f >/dev/null 2>&1
  wine regedit /s "$(kv_winpath "$out/.colours.reg")" >/dev/null 2>&1
  wine regedit /s "$(kv_winpath "$out/.theme.reg")" >/dev/null 2>&1
  rm -f "$out/.colours.reg" "$out/.theme.reg"
}
high_contrast

if [ ${#missing[@]} -gt 0 ]; then
  echo "demo: ${#missing[@]} pictures missing: ${missing[*]}" >&2
  exit 1
fi
echo "demo: $(find "$out" -maxdepth 1 -name '*.png' | wc -l) pictures in $out"
