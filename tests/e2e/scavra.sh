#!/usr/bin/env bash
# End to end: Scavra's junk scan and clean-up from the running program, in a
# private prefix of its own (tests/win/outside/scavra-prefix.sh: its profile,
# temp and ProgramData folders copied, not shared) with prepared junk of
# known sizes in every category's folders, old enough to count, beside files
# that are not junk. "系统扫描" is opened by its command; the rows must show
# the prepared figures exactly; "清理" and the confirmation's "是" are
# clicked with button messages; the summary line must be exact; a hashed
# listing of the prefix's drive C: before and after must differ by the
# prepared junk alone. The two Unix links in temp point outside it: they are
# counted, skipped, and their targets stay. Then 50 openings with the GDI
# and USER counts flat. The recycle bins are Wine's: a trash folder of the
# test's own (XDG_DATA_HOME) holding one item; their row, unchecked at
# first, is checked with a click on its box. Screenshots go to the build
# tree's screenshots/.
BUILD=${1:?usage: scavra.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
title="系统扫描与垃圾清理"
confirm="清理"
command=32779
list=1000 clean=1002 summary=1004 yes=6
work="$BUILD/e2e-scavra"
prefix="$work/prefix"

cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null
}
on_exit cleanup
rm -rf "$work"
mkdir -p "$work/xdg/Trash/files" "$work/xdg/Trash/info"
head -c 1234 /dev/urandom >"$work/xdg/Trash/files/thrown.txt"
printf '[Trash Info]\nPath=/tmp/thrown.txt\nDeletionDate=2026-01-01T10:00:00\n' \
  >"$work/xdg/Trash/info/thrown.txt.trashinfo"
export XDG_DATA_HOME="$work/xdg"
bash "$(dirname "$0")/../win/outside/scavra-prefix.sh" "$BUILD" "$prefix" || { not_ok "the private prefix is made"; finish; exit; }
export WINEPREFIX="$prefix"

# ---- the junk ------------------------------------------------------------------
c="$prefix/drive_c"
user=$(whoami)
temp="$c/users/$user/Temp" wintemp="$c/windows/temp"
local_app="$c/users/$user/AppData/Local" wer="$c/ProgramData/Microsoft/Windows/WER"
# The copied temp folders start empty but for the prepared links, whatever
# the tree's prefix left there.
find "$temp" -mindepth 1 -maxdepth 1 ! -name scavra-links -exec rm -rf {} +
find "$wintemp" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
old=$(date -d '3 days ago' '+%Y%m%d%H%M.%S')
junk=()
# prepare FILE BYTES [new]: a file of BYTES bytes, three days old unless "new".
prepare() {
  mkdir -p "$(dirname "$1")"
  head -c "$2" /dev/urandom >"$1"
  if [ "${3:-}" = new ]; then return; fi
  touch -t "$old" "$1"
  junk+=("${1#"$c"/}")
}
prepare "$temp/junk-a.tmp" 1000
prepare "$temp/sub/junk-b.log" 2048
prepare "$temp/名字-ß.tmp" 300
prepare "$temp/readonly.tmp" 100
chmod 444 "$temp/readonly.tmp"
prepare "$temp/fresh.tmp" 500 new
touch -t "$old" "$c/scavra-outside/keep.txt" "$c/scavra-outside/dir/inner.txt" "$c/scavra-outside/dir"
prepare "$wintemp/sys-a.tmp" 3000
prepare "$wintemp/sys-b.tmp" 1000
prepare "$local_app/Microsoft/Windows/Explorer/thumbcache_32.db" 4096
prepare "$local_app/Microsoft/Windows/Explorer/iconcache_idx.db" 1024
prepare "$local_app/Microsoft/Windows/Explorer/other.db" 77 new
touch -t "$old" "$local_app/Microsoft/Windows/Explorer/other.db"
prepare "$local_app/CrashDumps/app.exe.42.dmp" 10000
prepare "$wer/ReportQueue/AppCrash_x/Report.wer" 500
prepare "$wer/ReportArchive/AppCrash_y/Report.wer" 700
# Folders that held only junk go with it.
gone_folders=("users/$user/Temp/sub" "ProgramData/Microsoft/Windows/WER/ReportQueue/AppCrash_x"
              "ProgramData/Microsoft/Windows/WER/ReportArchive/AppCrash_y")

# listing: every entry of drive C: (type, path, link target) and every
# file's hash, links not followed.
listing() {
  (cd "$c" && { find . -printf '%y %p %l\n'; find . -type f -print0 | xargs -0 sha256sum; } |
     LC_ALL=C sort)
}
listing >"$work/before.txt"

# ---- the program ---------------------------------------------------------------
"$WINE_RUN" cmd /c exit >/dev/null 2>&1 </dev/null
start_in_desktop e2e-scavra Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "the program started"
  finish
  exit
fi
ok "the program started"

# rows_are EXPECTED: the list's rows (label, count, size; one a line) once
# the scan has filled them, within 20 s (each driver call starts a Wine
# process: the wait is counted in seconds, not calls).
rows_now() { driver list-rows "$title" "$list" 2>/dev/null | cut -f4- | tr -d '\r'; }
rows_are() {
  local until=$((SECONDS + 20))
  while [ $SECONDS -lt $until ]; do
    [ "$(rows_now)" = "$1" ] && return 0
    sleep 0.2
  done
  echo "# rows: $(rows_now | tr '\t\n' '|;')"
  return 1
}
tab=$'\t'
# Wine's listing shows file-link as its 8-byte target and dir-link as a link
# of its own (0 bytes); both are counted, and skipped by the clean-up, as
# their final paths lie outside temp.
scanned="用户临时文件${tab}6${tab}3.38 Kb
系统临时文件${tab}2${tab}3.91 Kb
回收站${tab}1${tab}1.21 Kb
缩略图缓存${tab}2${tab}5.00 Kb
错误报告与内存转储${tab}3${tab}10.94 Kb"
after_clean="用户临时文件${tab}2${tab}8 byte
系统临时文件${tab}0${tab}0 byte
回收站${tab}0${tab}0 byte
缩略图缓存${tab}0${tab}0 byte
错误报告与内存转储${tab}0${tab}0 byte"

driver post-command "$main" "$command" >/dev/null 2>&1
if ! driver wait-window "$title" 15000 >/dev/null 2>&1; then
  not_ok "command $command opens \"$title\""
  shot scavra-missing
  finish
  exit
fi
ok "command $command opens \"$title\""
if rows_are "$scanned"; then ok "the scan shows the prepared figures exactly"; else
  not_ok "the scan shows the prepared figures exactly"; fi
sleep 0.3
shot scavra-scanned

# The bins' row (row 2) by a click on its box: the list's rows are 15
# pixels high under a 25-pixel header and frame, the box 10 pixels in.
read -r lx ly _ <<<"$(driver child-rect "$title" "#$list" 0 2>/dev/null | sed -n 's/^rect //p')"
[ -n "$ly" ] && driver click $((lx + 10)) $((ly + 25 + 2 * 15 + 7)) "$title" >/dev/null 2>&1
sleep 0.3
click_child "$title" "$clean"
if driver wait-window "$confirm" 10000 >/dev/null 2>&1; then
  ok "\"清理\" asks first"
  question=$(driver children "$confirm" 2>/dev/null | grep -o '确定要删除[^"]*')
  if [ "$question" = "确定要删除选中的 14 个文件（24.42 Kb）吗？" ]; then ok "the question names 14 files and 24.42 Kb"; else
    not_ok "the question names 14 files and 24.42 Kb ($question)"; fi
  shot scavra-confirm
  click_child "$confirm" "$yes"
  check "the question is answered" driver wait-window-gone "$confirm" 10000
else
  not_ok "\"清理\" asks first"
fi
summary_now() { driver control-text "$title" "$summary" 2>/dev/null | tr -d '\r'; }
expected_summary="已清理 24.42 Kb，12 个文件；2 个文件正在使用，已跳过。"
until=$((SECONDS + 20))
while [ $SECONDS -lt $until ] && [ "$(summary_now)" != "$expected_summary" ]; do sleep 0.2; done
if [ "$(summary_now)" = "$expected_summary" ]; then ok "the summary is exact"; else
  not_ok "the summary is exact ($(summary_now))"; fi
if rows_are "$after_clean"; then ok "the rescan after it finds only the links"; else
  not_ok "the rescan after it finds only the links"; fi
sleep 0.3
shot scavra-summary

# ---- what the clean-up touched ---------------------------------------------------
listing >"$work/after.txt"
LC_ALL=C comm -23 "$work/before.txt" "$work/after.txt" >"$work/removed.txt"
LC_ALL=C comm -13 "$work/before.txt" "$work/after.txt" >"$work/added.txt"
expected=$( {
  for f in "${junk[@]}"; do echo "f ./$f "; done
  for d in "${gone_folders[@]}"; do echo "d ./$d "; done
} | LC_ALL=C sort)
removed_entries=$(grep -v '^[0-9a-f]\{64\} ' "$work/removed.txt")
if [ "$removed_entries" = "$expected" ]; then ok "exactly the prepared junk and its folders are gone (${#junk[@]} files)"; else
  not_ok "exactly the prepared junk and its folders are gone"; diff <(echo "$expected") <(echo "$removed_entries") | head -20; fi
hashes_gone=$(grep -c '^[0-9a-f]\{64\} ' "$work/removed.txt")
if [ "$hashes_gone" = "${#junk[@]}" ]; then ok "every other file of drive C: is byte for byte in place"; else
  not_ok "every other file of drive C: is byte for byte in place ($hashes_gone hashes gone)"; fi
if [ ! -s "$work/added.txt" ]; then ok "nothing was added or changed"; else
  not_ok "nothing was added or changed"; head -20 "$work/added.txt"; fi
check "the links' targets stay" grep -qx "keep me" "$c/scavra-outside/keep.txt"
check "and what the folder link points at" grep -qx "keep me too" "$c/scavra-outside/dir/inner.txt"
check "the recycle bins are empty" test -z "$(ls -A "$work/xdg/Trash/files")"

# ---- 50 openings ---------------------------------------------------------------
driver close "$title" >/dev/null 2>&1
check "\"$title\" closed" driver wait-window-gone "$title" 10000
check_no_leaks "$main" "$command" "$title"

driver close "$main" >/dev/null 2>&1
finish
