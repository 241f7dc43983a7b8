#!/usr/bin/env bash
# End to end: naming and walking a slot's slices in the running program. A
# private prefix whose D: holds c (4 MiB: p and q of 2 MiB), a (3 MiB) and
# b (1 MiB); the program starts with "DetailLastOpened" set to D:\, so slot 1
# charts D: by itself. The real pointer rests on slices (their tips show),
# double clicks open c and go back up, and a scan of another slot meanwhile
# leaves slot 1's walk whole. Screenshots with the tips go to the build
# tree's screenshots/.
BUILD=${1:?usage: slicewalk.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
work="$BUILD/e2e-slicewalk"
prefix="$work/prefix"

rm -rf "$work/d"
mkdir -p "$work/d/a" "$work/d/b" "$work/d/c/p" "$work/d/c/q"
truncate -s 3M "$work/d/a/big.bin"
truncate -s 1M "$work/d/b/one.bin"
truncate -s 2M "$work/d/c/p/two.bin" "$work/d/c/q/two.bin"
make_prefix "$prefix" d="$work/d"
export WINEPREFIX="$prefix"
on_exit 'wineserver -k 2>/dev/null; rm -rf "$prefix"'

# D: is c 180 degrees, a 135, b 45; c is p and q, 180 each.
d_angles=(90 250 340) d_colours="$colour0 $colour1 $colour2"
c_angles=(90 270) c_colours="$colour0 $colour1"

# tip_shows: a tool tip window is visible (the driver lists top-level windows).
tip_shows() { driver list-windows 2>/dev/null | grep -q 'visible .*"tooltips_class32"'; }
# wait_tip yes|no: until a tip shows, or none does (5 s at most).
wait_tip() {
  local end=$((SECONDS + 5))
  while [ "$SECONDS" -lt "$end" ]; do
    if tip_shows; then [ "$1" = yes ] && return 0; else [ "$1" = no ] && return 0; fi
    sleep 0.2
  done
  return 1
}
# rest SLOT DEGREES: the pointer comes to rest on the slot's disc there.
rest() {
  local x y
  read -r x y <<<"$(pie_point "$1" "$2")"
  driver pointer $((x + 1)) $((y + 1)) >/dev/null 2>&1
  driver pointer "$x" "$y" >/dev/null 2>&1
}
# away: the pointer leaves the charts, to the view's bottom picture.
away() { driver pointer 700 600 >/dev/null 2>&1; }
double_click_slot() {
  local x y
  read -r x y <<<"$(pie_point "$1" "$2")"
  driver double-click "$x" "$y" "$main" >/dev/null 2>&1
}
# The blue square's top-left corner, outside the disc.
double_click_square() {
  local l t r b
  read -r l t r b <<<"${pie[$1]}"
  driver double-click $((l + 3)) $((t + 3)) "$main" >/dev/null 2>&1
}

driver reg-delete-key HKLM 'SOFTWARE\Tarvik' >/dev/null 2>&1
"$WINE_RUN" reg add 'HKCU\Software\Brantle Software\Sorvane Pro\Settings' /v DetailLastOpened /d 'D:\' /f >/dev/null 2>&1
start_in_desktop e2e-slicewalk Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "main window \"$main\" appeared"
  shot slicewalk-missing
  finish
  exit
fi
ok "main window \"$main\" appeared"
read_pie_rects
check "slot 1 charts D: by itself" wait_slot 1 "$d_colours" "${d_angles[@]}"
away
check "no tip while the pointer is away" wait_tip no

# ---- tips ---------------------------------------------------------------------
rest 1 90
check "resting on c's slice shows a tip" wait_tip yes
sleep 0.3
shot slicewalk-tip-c
rest 1 340
sleep 0.5
check "resting on b's slice still shows a tip" tip_shows
shot slicewalk-tip-b
away
check "leaving the disc hides the tip" wait_tip no

# ---- into c and back ------------------------------------------------------------
double_click_slot 1 90
check "a double click on c's slice charts c (p and q)" wait_slot 1 "$c_colours" "${c_angles[@]}"
rest 1 90
check "p's slice shows a tip" wait_tip yes
sleep 0.3
shot slicewalk-opened-c-tip-p
away
wait_tip no >/dev/null

# Another slot's scan reuses the root node slot 1's tree came from.
read -r dx dy <<<"$(bar_item_point 1)"
driver click "$dx" "$dy" "$main" >/dev/null 2>&1
check "a click on D: fills slot 2" wait_slot 2 "$d_colours" "${d_angles[@]}"
check "slot 1 still charts c" test "$(slot_colours slot-poll 1 "${c_angles[@]}")" = "$c_colours"
rest 1 270
check "q's slice still shows a tip after the other scan" wait_tip yes
sleep 0.3
shot slicewalk-c-after-rescan-tip-q
away
wait_tip no >/dev/null
double_click_square 1
check "a double click on the square goes back up to D:" wait_slot 1 "$d_colours" "${d_angles[@]}"
double_click_square 1
sleep 0.5
shot slicewalk-back-at-d
check "not past the scanned drive" test "$(slot_colours slicewalk-back-at-d 1 "${d_angles[@]}")" = "$d_colours"
check "the program still answers" driver ping "$main" 5000

driver close "$main" >/dev/null 2>&1
check "the main window closed" driver wait-window-gone "$main" 15000
finish
