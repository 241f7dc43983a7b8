#!/usr/bin/env bash
# End to end: the program at the display scales of today's screens. For each
# of 120, 144 and 192 DPI a private prefix of that LogPixels (the system DPI
# Wine gives every window) whose D: holds c (2 MiB), a (1.5 MiB) and b
# (0.5 MiB); the program starts with "DetailLastOpened" set to D:\, so slot 1
# charts D: by itself. Measured: the frame's size (700 x 500 scaled), the
# view's chart and the shortcut bar at their scaled places, the slices'
# colours where the disc has them, the tip of a slice under the resting
# pointer beside it. Screenshots
# of the main window and a tip at each scale go to the build tree's
# screenshots/; at the scales E2E_SCALE_SHOTS names (192 unless told, to
# keep the run short; "144 192" for both) also the 功能 menu with its shields
# (a standard user's), a slice's menu, the folder's file details and the
# About box.
BUILD=${1:?usage: scale.sh WIN-BUILD-TREE}
# Room for the frame at 200 %.
export XVFB_SCREEN=1600x1200x24 E2E_DESKTOP=1600x1200
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
work="$BUILD/e2e-scale"

rm -rf "$work/d"
mkdir -p "$work/d/a" "$work/d/b" "$work/d/c"
truncate -s 1536K "$work/d/a/big.bin"
truncate -s 512K "$work/d/b/one.bin"
truncate -s 2M "$work/d/c/two.bin"
# c 180 degrees, a 135, b 45.
d_angles=(90 250 340) d_colours="$colour0 $colour1 $colour2"

menu_shows() { driver list-windows 2>/dev/null | grep -q 'visible .*"#32768"'; }
wait_menu() { for _ in $(seq 50); do menu_shows && return 0; sleep 0.1; done; return 1; }
# key VK: a key going down, posted to the frame; a menu's loop reads it.
key() { driver post "$main" 0x100 "$1" 0 >/dev/null 2>&1; }
about="关于 Dravon"
shots_at=" ${E2E_SCALE_SHOTS:-192} "

tip_rect() { driver list-windows 2>/dev/null | sed -n 's/^[^ ]* visible \(-\{0,1\}[0-9]* -\{0,1\}[0-9]* -\{0,1\}[0-9]* -\{0,1\}[0-9]*\) "tooltips_class32".*/\1/p' | head -1; }
wait_tip() {
  local end=$((SECONDS + 5))
  while [ "$SECONDS" -lt "$end" ]; do [ -n "$(tip_rect)" ] && return 0; sleep 0.2; done
  return 1
}
# near A B SLACK: |A - B| <= SLACK.
near() { local d=$(($1 - $2)); [ "${d#-}" -le "$3" ]; }
# scaled N DPI: N 96-DPI pixels at DPI, rounded as the program rounds.
scaled() { echo $((($1 * $2 + 48) / 96)); }

for dpi in 120 144 192; do
  prefix="$work/prefix-$dpi"
  make_prefix "$prefix" d="$work/d"
  export WINEPREFIX="$prefix"
  "$WINE_RUN" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  "$WINE_RUN" reg add 'HKCU\Software\Brantle Software\Sorvane Pro\Settings' /v DetailLastOpened /d 'D:\' /f >/dev/null 2>&1
  wineserver -k 2>/dev/null  # the next start reads LogPixels afresh
  more_shots=; [[ $shots_at == *" $dpi "* ]] && more_shots=1
  if [ -z "$more_shots" ]; then start_in_desktop "e2e-scale-$dpi" Dravon.exe
  else DRAVON_AS_STANDARD_USER=1 start_in_desktop "e2e-scale-$dpi" Dravon.exe; fi
  if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
    not_ok "$dpi DPI: main window appeared"
    shot "scale-$dpi-missing"
    wineserver -k 2>/dev/null; end_program; rm -rf "$prefix"
    continue
  fi
  ok "$dpi DPI: main window appeared"
  read -r _ w h <<<"$(driver window-info "$main" 2>/dev/null | grep '^size ')"
  if near "${w:-0}" "$(scaled 700 "$dpi")" 1 && near "${h:-0}" "$(scaled 500 "$dpi")" 1; then
    ok "$dpi DPI: the frame measures 700 x 500 scaled ($w x $h)"
  else not_ok "$dpi DPI: the frame measures 700 x 500 scaled ($w x $h)"; fi
  read_pie_rects
  read -r l t r b <<<"${pie[1]}"
  read -r l4 t4 _ _ <<<"${pie[4]}"
  if near $((r - l)) "$(scaled 98 "$dpi")" 1 && near $((b - t)) "$(scaled 95 "$dpi")" 1 &&
     near $((t4 - t)) $(($(scaled 283 "$dpi") - $(scaled 118 "$dpi"))) 0 && [ "$l4" = "$l" ]; then
    ok "$dpi DPI: slots 1 and 4's charts at their scaled places"
  else not_ok "$dpi DPI: slots 1 and 4's charts at their scaled places (${pie[1]}; ${pie[4]})"; fi
  check "$dpi DPI: slot 1 charts D: with its slices where the disc has them" \
    wait_slot 1 "$d_colours" "${d_angles[@]}"
  driver pointer 5 5 >/dev/null 2>&1
  sleep 0.5
  shot "scale-$dpi-main"
  read -r x y <<<"$(pie_point 1 90)"
  driver pointer $((x + 1)) $((y + 1)) >/dev/null 2>&1
  driver pointer "$x" "$y" >/dev/null 2>&1
  if wait_tip; then
    read -r tl tt _ _ <<<"$(tip_rect)"
    # Within the tool tip's own pixel of placement (one up and left).
    if near "$tl" $((x + $(scaled 12 "$dpi"))) 1 && near "$tt" $((y + $(scaled 18 "$dpi"))) 1; then
      ok "$dpi DPI: the tip shows beside the pointer at the scaled offset"
    else not_ok "$dpi DPI: the tip shows beside the pointer at the scaled offset ($tl, $tt for $x, $y)"; fi
    sleep 0.3
    shot "scale-$dpi-tip"
  else
    not_ok "$dpi DPI: resting on c's slice shows a tip"
  fi
  if [ -n "$more_shots" ]; then
    extra_start=$SECONDS
    # The 功能 menu by its mnemonic, open, with the shields of a standard user.
    driver post "$main" 0x0112 0xF100 0x66 >/dev/null 2>&1
    check "$dpi DPI: the 功能 menu opens" wait_menu
    sleep 0.2
    shot "scale-$dpi-menu-shields"
    key 0x1B; key 0x1B
    # c's menu, then its file details (the last item: up from none).
    driver right-click "$x" "$y" "$main" >/dev/null 2>&1
    check "$dpi DPI: a right click on c's slice shows its menu" wait_menu
    sleep 0.2
    shot "scale-$dpi-slicemenu"
    key 0x26; key 0x0D
    details="文件详情 – D:\\c"
    if driver wait-window "$details" 10000 >/dev/null 2>&1; then
      ok "$dpi DPI: the file details open"
      sleep 0.3
      shot "scale-$dpi-details"
      driver close "$details" >/dev/null 2>&1
    else
      not_ok "$dpi DPI: the file details open"
    fi
    driver post-command "$main" 57664 >/dev/null 2>&1
    if driver wait-window "$about" 10000 >/dev/null 2>&1; then
      ok "$dpi DPI: the About box opens"
      sleep 0.2
      shot "scale-$dpi-about"
      driver send-command "$about" 1 >/dev/null 2>&1
    else
      not_ok "$dpi DPI: the About box opens"
    fi
    echo "# $dpi DPI: the menus, details and About box took $((SECONDS - extra_start)) s"
  fi
  check "$dpi DPI: the program still answers" driver ping "$main" 5000
  driver close "$main" >/dev/null 2>&1
  check "$dpi DPI: the main window closed" driver wait-window-gone "$main" 15000
  end_program
  wineserver -k 2>/dev/null
  rm -rf "$prefix"
done
finish
