#!/usr/bin/env bash
# End to end: the disk overview in the running program. A private Wine
# prefix whose drives D: and E: are small prepared trees (and no Z:, which
# would offer the whole host to a click); Y: is the build tree, where the
# programs are. Started with "DetailLastOpened" set to a folder, slot 1
# fills by itself; a click on each drive in the shortcut bar (button
# messages at the item's place) fills its slot, and the pies' pixels must
# show the slice colours the trees give. Then 200 quick clicks on the two
# drives while their scans run: the program keeps answering, runs one
# worker and at most one left behind per slot (a stop the worker does not
# answer at once leaves it to end on its own), leaves no thread, handle or
# window behind, and the last
# slot clicked shows its drive. N: is an NTFS volume (an image made with
# mkntfs and filled through ntfs-3g: root and FUSE needed) whose letter
# maps to an empty folder: its slot can only show the volume's folders if
# the scan read them from the master file table. Screenshots go to the
# build tree's screenshots/.
BUILD=${1:?usage: diskview.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
work="$BUILD/e2e-diskview"
prefix="$work/prefix"

# ---- the trees -------------------------------------------------------------
# Sizes are exact and files sparse, so the shares are known: D: holds
# c (4 MiB: 180 degrees), a (3 MiB: 135) and b (1 MiB: 45); E: holds x, y
# and z of 1 MiB each (120 degrees each). a and x also hold 1000 empty
# folders, so that their scans take a while.
make_trees() {
  rm -rf "$work/d" "$work/e"
  mkdir -p "$work/d/a/many" "$work/d/b" "$work/d/c/p" "$work/d/c/q" "$work/e/x/many" "$work/e/y" "$work/e/z"
  truncate -s 3M "$work/d/a/big.bin"
  truncate -s 1M "$work/d/b/one.bin"
  truncate -s 2M "$work/d/c/p/two.bin" "$work/d/c/q/two.bin"
  for f in x y z; do truncate -s 1M "$work/e/$f/one.bin"; done
  (cd "$work/d/a/many" && seq -w 0 999 | xargs mkdir)
  (cd "$work/e/x/many" && seq -w 0 999 | xargs mkdir)
}

# N:'s volume holds D:'s shares: c (4 MiB), a (3 MiB), b (1 MiB), sparse.
make_volume() {
  rm -rf "$work/n-empty" "$work/n-mount" "$work/n.img"
  mkdir -p "$work/n-empty" "$work/n-mount"
  truncate -s 16M "$work/n.img" && mkntfs -F -Q -q "$work/n.img" >/dev/null 2>&1 &&
    ntfs-3g "$work/n.img" "$work/n-mount" || { echo "# FUSE or ntfs-3g is not available"; return 1; }
  mkdir -p "$work/n-mount/a" "$work/n-mount/b" "$work/n-mount/c"
  truncate -s 3M "$work/n-mount/a/big.bin"
  truncate -s 1M "$work/n-mount/b/one.bin"
  truncate -s 4M "$work/n-mount/c/four.bin"
  fusermount -u "$work/n-mount"
}

make_trees
volume_made=yes
make_volume || volume_made=no
make_prefix "$prefix" d="$work/d" e="$work/e" n="$work/n-empty" n:="$work/n.img"
export WINEPREFIX="$prefix"
on_exit 'wineserver -k 2>/dev/null; rm -rf "$prefix" "$work/n.img"'

d_angles=(30 200 320) d_colours="$colour0 $colour1 $colour2"
e_angles=(20 210 270) e_colours="$colour0 $colour1 $colour2"

# ---- start-up: slot 1 reopens the stored folder ------------------------------
driver reg-delete-key HKLM 'SOFTWARE\Tarvik' >/dev/null 2>&1
"$WINE_RUN" reg add 'HKCU\Software\Brantle Software\Sorvane Pro\Settings' /v DetailLastOpened /d 'D:\c' /f >/dev/null 2>&1
start_in_desktop e2e-diskview Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "main window \"$main\" appeared"
  shot diskview-missing
  finish
  exit
fi
ok "main window \"$main\" appeared"
read_pie_rects

# D:\c holds p and q of 2 MiB each: two half discs.
check "slot 1 shows the stored folder D:\\c by itself" wait_slot 1 "$colour0 $colour1" 45 225
shot diskview-empty

# ---- a click on each drive fills its slot -----------------------------------
drives=$(driver children "$main" 2>/dev/null | grep -c PIE_CHART_CTRL)
check "six pie charts" test "$drives" -eq 6
read -r dx dy <<<"$(bar_item_point 1)"
read -r ex ey <<<"$(bar_item_point 2)"
driver click "$dx" "$dy" "$main" >/dev/null 2>&1
check "a click on D: fills slot 2 with its three folders" wait_slot 2 "$d_colours" "${d_angles[@]}"
driver click "$ex" "$ey" "$main" >/dev/null 2>&1
check "a click on E: fills slot 3 with its three folders" wait_slot 3 "$e_colours" "${e_angles[@]}"
check "slot 2 kept D:" test "$(slot_colours slot-poll 2 "${d_angles[@]}")" = "$d_colours"
# (Their tops lie under the heading strips: 90 and 270 degrees are clear.)
check "slots 4 and 5 are empty" test "$(slot_colours slot-poll 4 90 270) $(slot_colours slot-poll 5 90 270)" = "$square $square $square $square"
shot diskview-filled

# N: (after C:, D: and E:) fills slot 4 from its volume's table.
check "N:'s NTFS volume was made" test "$volume_made" = yes
read -r nx ny <<<"$(bar_item_point 3)"
driver click "$nx" "$ny" "$main" >/dev/null 2>&1
check "a click on N: fills slot 4 from the volume's master file table" wait_slot 4 "$d_colours" "${d_angles[@]}"
shot diskview-ntfs

# ---- 200 quick clicks while scans run ------------------------------------------
threads0=$(counts threads) handles0=$(counts handles)
gui0=$(driver gui-counts "$main" 2>/dev/null | tr '\n' ' ')
clicks=$(driver click-alternate "$main" "$dx" "$dy" "$ex" "$ey" 200 30 2>/dev/null)
echo "# $clicks" | tr '\n' ' '; echo
workers=$(tr -d '\r' <<<"$clicks" | sed -n 's/^max-workers //p')
check "200 clicks were posted" grep -q '^clicks 200' <<<"$clicks"
ping=$(driver ping "$main" 1000 2>/dev/null | sed -n 's/^ms //p')
if [ -n "$ping" ] && [ "$ping" -lt 1000 ]; then ok "the program answers at once after the clicks (${ping} ms)"; else
  not_ok "the program answers at once after the clicks (${ping:-no answer})"; fi
# The running worker, and one left behind in each of slots 2 and 3.
check "three scan workers at most (${workers:-?} seen at once)" test "${workers:-99}" -le 3
# The last click was on E:, in slot 3.
check "the last slot clicked shows its drive" wait_slot 3 "$e_colours" "${e_angles[@]}"
slot2=$(slot_colours slot-poll 2 "${d_angles[@]}")
check "slot 2 shows D: or nothing, never E:" test "$slot2" = "$d_colours" -o "$slot2" = "$square $square $square"
threads1=$(counts threads) handles1=$(counts handles)
gui1=$(driver gui-counts "$main" 2>/dev/null | tr '\n' ' ')
echo "# threads $threads0 -> $threads1, handles $handles0 -> $handles1, gui $gui0-> $gui1"
check "no thread left behind" test "$threads1" -eq "$threads0"
# Wine counts no handles (GetProcessHandleCount gives 0): checked where
# the system counts them.
if [ "${handles0:-0}" -gt 0 ]; then
  check "no handle left behind" test "$handles1" -le "$handles0"
else
  echo "# no handle count from this system: not checked"
fi
check "no window left behind" test "$(awk '{ print $4 }' <<<"$gui1")" -eq "$(awk '{ print $4 }' <<<"$gui0")"
shot diskview-after-clicks

driver close "$main" >/dev/null 2>&1
check "the main window closed" driver wait-window-gone "$main" 15000
finish
