#!/usr/bin/env bash
# End to end: drives that stop answering. In a private Wine prefix, H: is a
# FUSE file system (hangfs.py) whose listing of \slow and whose volume label
# block until released, and D: a small plain tree. The blocks are armed once
# Wine's own
# services have started: they read every drive's label too, and wait for it,
# which is Wine's start-up and not the program's. Dravon must start with
# them present; after opening H: (its scan blocks) and D:, handle posted
# input within a second every time, say in H:'s slot that the drive does not
# answer and start no second worker for it; once H: is released, fill D:'s
# slot with D: alone, end the worker left behind (threads back to their
# count) and fill H:'s slot. Figures are printed; screenshots go to the
# build tree's screenshots/.
#
# Not here: a drive whose statfs hangs. Wine's own server asks statfs when
# it opens a folder, so every Wine process waits with it; the free-space
# query off the user-interface thread is tested in app_win_tests with a
# query that blocks.
BUILD=${1:?usage: hang.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
work="$BUILD/e2e-hang"
prefix="$work/prefix"
topmost=32786  # ID_WINDOW_TOPMOST: a menu command whose effect shows from outside

# ---- the drives ----------------------------------------------------------------
# D: holds a (3 MiB: 270 degrees) and b (1 MiB: 90 degrees).
cleanup() {
  touch "$work/h-control/release" 2>/dev/null
  wineserver -k 2>/dev/null
  # Also a mount left by a run that was cut short (its server gone).
  for m in "$work/h"; do
    grep -q " $m fuse" /proc/mounts && { fusermount -u "$m" 2>/dev/null || fusermount -u -z "$m"; }
  done
  rm -rf "$prefix"
}
cleanup
rm -rf "$work"
mkdir -p "$work/d/a" "$work/d/b" "$work/h" "$work/h-control"
truncate -s 3M "$work/d/a/big.bin"
truncate -s 1M "$work/d/b/one.bin"
on_exit cleanup

# hangfs MOUNTPOINT CONTROL WHAT...: mounts the file system; fails (never
# skips) when FUSE cannot be had.
hangfs() {
  local mnt=$1
  /usr/bin/python3 "$(dirname "$0")/hangfs.py" "$@" >"$work/$(basename "$mnt").log" 2>&1 &
  for _ in $(seq 50); do mountpoint -q "$mnt" && return 0; sleep 0.1; done
  cat "$work/$(basename "$mnt").log"
  return 1
}
if ! hangfs "$work/h" "$work/h-control" listing label-armed; then
  not_ok "a FUSE drive can be mounted (python3-fusepy, /dev/fuse)"
  finish
  exit
fi
ok "a FUSE drive can be mounted"

make_prefix "$prefix" d="$work/d" h="$work/h"
export WINEPREFIX="$prefix"
wineserver -p 2>/dev/null
"$WINE_RUN" cmd /c exit >/dev/null 2>&1 </dev/null
touch "$work/h-control/arm"

# The bar lists C:, D:, H:, Y:. A click on an item sends WM_BARCLICK (slot
# code, item index) to the frame: posted here, as posted input.
item_d=1 item_h=2 slot_d=2 slot_h=4
declare -A code=([1]=1 [2]=13 [3]=14 [4]=15 [5]=16)
open_drive() { driver post "$main" 1037 "${code[$2]}" "$1" >/dev/null 2>&1; }  # ITEM SLOT

# ---- start-up with a drive whose label hangs ------------------------------------
driver reg-delete-key HKLM 'SOFTWARE\Tarvik' >/dev/null 2>&1
started=$(date +%s%N)
start_in_desktop e2e-hang Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "the main window appears with a drive whose label hangs"
  shot hang-missing
  finish
  exit
fi
shown_ms=$((($(date +%s%N) - started) / 1000000))
ok "the main window appears with a drive whose label hangs (${shown_ms} ms from launch, the banner's second and Wine's start included)"
# Wine's mount manager may answer from what it read before the block.
echo "# H:'s label read $([ -e "$work/h-control/blocked-label" ] && echo "blocks" || echo "was answered by Wine's mount manager")"
read_pie_rects
threads0=$(counts threads)

# ---- H:, whose listing blocks, then D: -------------------------------------------
# Posted input N: N rounds of a posted menu command, each timed until it is
# carried out; the longest must stay under a second.
posted_input() {
  local what=$1 out most
  out=$(driver posted-input "$main" $topmost "$2" 10000 2>/dev/null | tr -d '\r')
  echo "# $what: $(tr '\n' ' ' <<<"$out")"
  most=$(sed -n 's/^max-posted-ms //p' <<<"$out")
  check "posted input is handled within 1 s $what (longest ${most:-none} ms)" test "${most:-99999}" -lt 1000
}
open_drive $item_h $slot_h
for _ in $(seq 100); do [ -e "$work/h-control/blocked-listing" ] && break; sleep 0.1; done
check "H:'s scan is blocked in its listing" test -e "$work/h-control/blocked-listing"
open_drive $item_d $slot_d
posted_input "after the click on D: while H: hangs" 10
ping=$(driver ping "$main" 1000 2>/dev/null | sed -n 's/^ms //p')
echo "# WM_NULL round trip ${ping:-none} ms"
sleep 1
threads1=$(counts threads)

# Again on H:: its worker is still blocked, so no second one starts, and
# its slot says the drive does not answer.
open_drive $item_h $slot_h
posted_input "after a second click on H:" 5
threads2=$(counts threads)
echo "# threads: $threads0 at start, $threads1 with H: left behind and D: scanning, $threads2 after H: again"
check "the second click on H: started no thread" test "$threads2" -le "$threads1"
shot hang-h-does-not-answer

# ---- released, everything left behind ends ------------------------------------------
# Under Wine a listing holds a lock of the process's own, so D:'s scan waits
# for H:'s listing; on Windows it runs at once.
touch "$work/h-control/release"
check "D:'s slot fills with D: (nothing of H:'s worker in it)" wait_slot $slot_d "$colour0 $colour1" 45 315
threads3=""
for _ in $(seq 20); do
  threads3=$(counts threads)
  [ "${threads3:-999}" -le "$threads0" ] && break
  sleep 0.5
done
echo "# threads: $threads0 at start, ${threads3:-?} once H: answers again"
check "the worker left behind ends once H: answers (threads back to their count)" test "${threads3:-999}" -le "$threads0"
open_drive $item_h $slot_h
# H: holds a (2 MiB), slow (1 MiB) and its own file (1 MiB): 180, 90, 90.
check "H: answering again fills its slot" wait_slot $slot_h "$colour0 $colour1 $colour2" 90 225 315

posted_input "once H: answers again" 5
shot hang-released

driver close "$main" >/dev/null 2>&1
check "the main window closed" driver wait-window-gone "$main" 15000
finish
