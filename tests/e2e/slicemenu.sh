#!/usr/bin/env bash
# End to end: a slice's menu in the running program. A private prefix whose
# D: holds c (4 MiB: p and q of 2 MiB), a (3 MiB) and b (1 MiB), and a
# Recycle Bin of the test's own (XDG_DATA_HOME: Wine's trash folder); slot 1
# charts D: at start-up. A right click on c's slice shows the folder's menu;
# "删除到回收站…" asks once, Yes moves c to the Recycle Bin, and the chart
# shows D: without it. The drive itself (the square) is refused. Screenshots
# of the menu, the boxes and both tabs of the drive's file details (exported
# to a CSV file read back) go to the build tree's screenshots/.
BUILD=${1:?usage: slicemenu.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
box="删除到回收站"
work="$BUILD/e2e-slicemenu"
prefix="$work/prefix"

rm -rf "$work/d" "$work/xdg"
mkdir -p "$work/d/a" "$work/d/b" "$work/d/c/p" "$work/d/c/q" "$work/xdg/Trash/files" "$work/xdg/Trash/info"
truncate -s 3M "$work/d/a/big.bin"
truncate -s 1M "$work/d/b/one.bin"
truncate -s 2M "$work/d/c/p/two.bin" "$work/d/c/q/two.bin"
export XDG_DATA_HOME="$work/xdg"
make_prefix "$prefix" d="$work/d"
export WINEPREFIX="$prefix"
on_exit 'wineserver -k 2>/dev/null; rm -rf "$prefix"'

# D: is c 180 degrees, a 135, b 45; without c, a 270 and b 90 (read clear
# of the share texts in the middle of each slice).
d_angles=(90 250 340) d_colours="$colour0 $colour1 $colour2"
after_angles=(200 315) after_colours="$colour0 $colour1"

# menu_shows: a popup menu window is visible.
menu_shows() { driver list-windows 2>/dev/null | grep -q 'visible .*"#32768"'; }
wait_menu() { for _ in $(seq 50); do menu_shows && return 0; sleep 0.1; done; return 1; }
# key VK: a key press posted to the frame; the menu's loop reads it.
key() {
  driver post "$main" 0x100 "$1" 0 >/dev/null 2>&1
  driver post "$main" 0x101 "$1" 0xC0000001 >/dev/null 2>&1
  sleep 0.2
}
# choose N: the menu's Nth item (separators skipped) by the keyboard.
choose() { for _ in $(seq "$1"); do key 0x28; done; key 0x0D; }
# box_says TEXT: the box's text holds TEXT.
box_says() { driver children "$box" 2>/dev/null | grep -qF "$1"; }

driver reg-delete-key HKLM 'SOFTWARE\Tarvik' >/dev/null 2>&1
"$WINE_RUN" reg add 'HKCU\Software\Brantle Software\Sorvane Pro\Settings' /v DetailLastOpened /d 'D:\' /f >/dev/null 2>&1
start_in_desktop e2e-slicemenu Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "main window \"$main\" appeared"
  shot slicemenu-missing
  finish
  exit
fi
ok "main window \"$main\" appeared"
read_pie_rects
check "slot 1 charts D: by itself" wait_slot 1 "$d_colours" "${d_angles[@]}"

# ---- the drive itself is refused ---------------------------------------------
read -r l t r b <<<"${pie[1]}"
driver right-click $((l + 3)) $((t + 3)) "$main" >/dev/null 2>&1
check "a right click on the square shows the folder's menu" wait_menu
choose 4
check "the drive's move is refused in a box" driver wait-window "$box" 10000
sleep 0.5
shot slicemenu-refused-drive
check "the box names the drive" box_says "“D:\”是驱动器的根文件夹，不能移到回收站。"
driver send-command "$box" 2 >/dev/null 2>&1
check "the box closed" driver wait-window-gone "$box" 10000

# ---- the drive's file details, both tabs, exported -------------------------
details="文件详情 – D:\\"
driver right-click $((l + 3)) $((t + 3)) "$main" >/dev/null 2>&1
check "the folder's menu again" wait_menu
choose 5
check "\"最大的文件与类型…\" opens \"$details\"" driver wait-window "$details" 10000
rows_are() { [ "$(driver list-rows "$details" "$1" 2>/dev/null | tr -d '\r' | wc -l)" = "$2" ]; }
check_soon "its files' list holds the four files" rows_are 1004 4
sleep 0.5
shot slicemenu-details-files
if driver list-rows "$details" 1004 2>/dev/null | head -1 | grep -q 'big.bin	3.00 Mb'; then
  ok "the largest first: a's big.bin, 3.00 Mb"
else not_ok "the largest first: a's big.bin, 3.00 Mb"; fi
read -r _ _ _ tl tt tr tb _ <<<"$(driver tab-items "$details" 1001 2>/dev/null | tr -d '\r' | sed -n 2p)"
driver click $(((tl + tr) / 2)) $(((tt + tb) / 2)) "$details" >/dev/null 2>&1
sleep 0.5
shot slicemenu-details-types
if driver list-rows "$details" 1005 2>/dev/null | grep -q '\.bin	4	8.00 Mb	100.0 %'; then ok "the types: .bin, 4 files, 8.00 Mb, 100.0 %"
else not_ok "the types: .bin, 4 files, 8.00 Mb, 100.0 %"; fi
rm -f "$work/export.csv"
driver post-command "$details" 1009 >/dev/null 2>&1
save="Save As"
if driver wait-window "$save" 10000 >/dev/null 2>&1; then
  ok "the export asks for a file"
  driver set-text "$save" 1148 'Y:\e2e-slicemenu\export.csv' >/dev/null 2>&1
  driver post-command "$save" 1 >/dev/null 2>&1
  check_soon "the CSV is written" test -s "$work/export.csv"
  check "it starts with the byte-order mark" sh -c "head -c 3 '$work/export.csv' | od -An -tx1 | grep -q 'ef bb bf'"
  check "it lists big.bin in bytes" grep -q '^big.bin,3145728,' "$work/export.csv"
  check "and the type" grep -q '^bin,4,8388608,100.0' "$work/export.csv"
else
  not_ok "the export asks for a file"
  shot slicemenu-no-save-dialog
fi
driver close "$details" >/dev/null 2>&1
check "the details window closed" driver wait-window-gone "$details" 10000

# ---- c to the Recycle Bin ------------------------------------------------------
read -r x y <<<"$(pie_point 1 90)"
driver right-click "$x" "$y" "$main" >/dev/null 2>&1
check "a right click on c's slice shows the folder's menu" wait_menu
sleep 0.5
shot slicemenu-menu
choose 4
check "the question comes" driver wait-window "$box" 10000
sleep 0.5
shot slicemenu-question
check "the question names c, its size and files" box_says "确定要把“c”（4.00 Mb，2 个文件）移到回收站吗？"
driver send-command "$box" 6 >/dev/null 2>&1
check "the question closed" driver wait-window-gone "$box" 10000
if wait_slot 1 "$after_colours" "${after_angles[@]}"; then ok "slot 1 charts D: without c"
else not_ok "slot 1 charts D: without c"; fi
shot slicemenu-after
check "c is gone from D:" test ! -e "$work/d/c"
check "c is in the Recycle Bin" test -f "$work/xdg/Trash/files/c/p/two.bin"
check "a and b stay" test -f "$work/d/a/big.bin" -a -f "$work/d/b/one.bin"
check "the program still answers" driver ping "$main" 5000

driver close "$main" >/dev/null 2>&1
check "the main window closed" driver wait-window-gone "$main" 15000
finish
