#!/usr/bin/env bash
# Runs a command inside one Wine session: a private prefix, a virtual X display
# (unless --user-display and DISPLAY is set), a Wine virtual desktop so the
# notification area exists and hiding windows costs no window-manager wait, and
# a wineserver kept warm for the whole command.
# With --dpi N the prefix is made with the display at N DPI (Wine reads the
# scale once per session, so a prefix keeps the one it was made with).
# Usage: with-wine.sh [--user-display] [--dpi N] PREFIX command [args...]
set -euo pipefail
use_user_display=0
dpi=96
if [ "${1:-}" = "--user-display" ]; then use_user_display=1; shift; fi
if [ "${1:-}" = "--dpi" ]; then dpi=$2; shift 2; fi
prefix="$(mkdir -p "$1" && cd "$1" && pwd)"
shift

. "$(dirname "$0")/utf8-locale"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
[ -x "$server" ] || server=/usr/lib/wine/wineserver

xvfb_pid=
cleanup() {
  "$server" -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

if [ "$use_user_display" -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
fi

# A program that crashes must end at once: the crash dialog and the debugger
# would wait for a click nobody gives. An empty debugger command starts none;
# without one Wine starts its own, which sometimes ends the crashed program
# with exit code 0. 32-bit programs read the other registry view, and
# wineboot puts the debugger back.
quiet_crashes() {
  local view
  for view in 'HKLM\Software' 'HKLM\Software\Wow6432Node'; do
    "$wine" reg add "$view\Microsoft\Windows NT\CurrentVersion\AeDebug" /v Debugger /d "" /f >/dev/null 2>&1
  done
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
}
# A prefix made before wine32 was installed lacks the 32-bit system files;
# wineboot -u adds them, once (it does nothing while the prefix's update stamp
# matches this Wine). The marker also names the settings below, so a prefix
# made with older ones is set up again.
made_from="wine32=$([ -x /usr/lib/wine/wine ] && echo yes || echo no) dpi=$dpi"
ready="$prefix/.ringlock-ready-4"
if [ ! -f "$ready" ]; then
  echo "with-wine: setting up the Wine prefix in $prefix (first run only)" >&2
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  quiet_crashes
  "$server" -w
  echo "$made_from" >"$ready"
elif [ "$(cat "$ready")" != "$made_from" ]; then
  echo "with-wine: setting up the Wine prefix in $prefix again (32-bit support, display scale)" >&2
  rm -f "$prefix/.update-timestamp"
  "$wine" wineboot -u >/dev/null 2>&1
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  quiet_crashes
  "$server" -w
  echo "$made_from" >"$ready"
fi
# Wine draws the caption buttons with the Marlett font and, lacking it, shows
# the letters "0" and "r" instead. fonts-wine brings it, but this Wine finds it
# only in the prefix's own Fonts folder.
marlett=/usr/share/wine/fonts/marlett.ttf
if [ -f "$marlett" ] && [ ! -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ]; then
  mkdir -p "$prefix/drive_c/windows/Fonts"
  cp "$marlett" "$prefix/drive_c/windows/Fonts/marlett.ttf"
fi
"$server" -p
# Start the prefix's system processes and the virtual desktop now, detached
# from our output: started by the first test they would inherit its pipes and
# keep ctest waiting for an end of file that never comes.
"$wine" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
"$@"
