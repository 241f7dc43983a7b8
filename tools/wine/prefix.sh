#!/usr/bin/env bash
# Makes a Wine prefix for Dravon: booted on the current DISPLAY, with a CJK
# font standing in for the faces the program asks for, and windows left
# unmanaged.
# With --if-stale, a prefix made by this very script is kept, and one made
# by an older version (or half made) is made again: a setting added here
# would otherwise never reach a developer's existing prefix.
set -euo pipefail
usage="usage: prefix.sh [--if-stale] WINEPREFIX"
if_stale=0
[ "${1:-}" = --if-stale ] && { if_stale=1; shift; }
prefix=${1:?$usage}
stamp="$prefix/.dravon-prefix"
made_by=$(sha1sum <"${BASH_SOURCE[0]}" | cut -d' ' -f1)
if [ "$if_stale" = 1 ]; then
  [ "$(cat "$stamp" 2>/dev/null)" = "$made_by" ] && exit 0
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
fi
: "${DISPLAY:?a display is needed before the first wineboot}"
export LC_ALL=C.UTF-8
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1
# Wine finds its own Marlett only in the prefix: without it caption buttons
# show as the letters "0 1 r".
cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
font="WenQuanYi Micro Hei"
reg=$(mktemp --suffix=.reg)
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in "宋体" "SimSun" "MS Sans Serif" "Arial" "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "System"; do
    printf '"%s"="%s"\r\n' "$face" "$font"
  done
  # The tests' display has no window manager, for which Wine would wait
  # whenever a shown window goes (up to 2 s each time); only the virtual
  # desktop's window (run.sh on a real display) stays the manager's.
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\explorer.exe\\X11 Driver]\r\n"Managed"="Y"\r\n'
} | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
wineserver -w
rm -f "$reg"
echo "$made_by" >"$stamp"
