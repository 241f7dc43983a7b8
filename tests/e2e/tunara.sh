#!/usr/bin/env bash
# End to end: Tunara's optimisation dialog in the running program, unskinned.
# Opened from the 功能 menu by keyboard (its mnemonic, Down to the second
# item, Enter); each of the four tabs chosen with a click on it; on each page
# one check box clicked with button messages, the registry read back in the
# prefix (type and bytes) and the box's mark and status label compared with
# what the tweak table says; each page photographed after its click. The
# values the clicks write are removed before and after, as a fresh prefix
# has them. Then three rows are changed once more and "恢复原始设置" puts them
# back: a DWORD and a text that were there, and a value that was not, read
# back from the registry. Then the dialog is opened and closed 50 times,
# the program's GDI and USER objects counted before and after. Screenshots
# go to the build tree's screenshots/.
BUILD=${1:?usage: tunara.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
title="优化加速"
command=32777  # the menu item's command
tab_id=29000

lsa='SYSTEM\CurrentControlSet\Control\Lsa'
memory='SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management'
winlogon='SOFTWARE\Microsoft\Windows NT\CurrentVersion\Winlogon'
filesystem='SYSTEM\CurrentControlSet\Control\FileSystem'

# The boxes, one a page: tab, page name, box, status label, key, value, mark
# and label before the click, mark and label after it, type and bytes
# written ("-": the write fails and nothing is stored).
#  - disk: "forceguest" missing counts as 0, so the box starts checked; the
#    click unchecks it and writes DWORD 1.
#  - memory: "LargeSystemCache" starts off; the click writes DWORD 1.
#  - cdrom: "allocatecdroms" starts with its own off text; the click writes
#    the text "1" without a terminator.
#  - ntfs: a Wine prefix has no FileSystem key, and the box's row does not
#    create it: the click shows the error, and the mark stays as the
#    registry has it (unchecked).
if driver reg-key-exists HKLM "$filesystem"; then
  ntfs_after="1|不保存上次更新的时间|REG_DWORD|01000000"
else
  ntfs_after="0|优化错误!|-|-"
fi
boxes=(
  "0|disk|29012|29013|$lsa|forceguest|1|已优化|0|未优化|REG_DWORD|01000000"
  "1|memory|29004|29005|$memory|LargeSystemCache|0|未优化|1|已优化|REG_DWORD|01000000"
  "2|cdrom|29006|29011|$winlogon|allocatecdroms|0|可以被域中的所理员所使用|1|仅本地登录用户访问权限|REG_SZ|31"
  "3|ntfs|29002|29005|$filesystem|NtfsDisableLastAccessUpdate|0|保存上次更新的时间|$ntfs_after"
)
restore() {
  local entry
  for entry in "${boxes[@]}"; do
    IFS='|' read -r _ _ _ _ key value _ <<<"$entry"
    driver reg-delete-value HKLM "$key" "$value" >/dev/null 2>&1
  done
}

# No skin: the program's keys as at a first start; the boxes' values as in
# a fresh prefix.
driver reg-delete-key HKLM 'SOFTWARE\Tarvik' >/dev/null 2>&1
restore

# 功能(&F) by its mnemonic (the menu opens on its first item, 参数信息),
# Down to 优化加速, Enter.
open_in_program e2e-tunara "$main" 0x66 1 "$title"

check_tabs "$title" $tab_id 0 "   优化" "   加速" "   CDROM" "   NTFS"

# until_true COMMAND...: COMMAND succeeds within 5 s.
until_true() { for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done; return 1; }
mark_is() { [ "$(driver button-check "$title" "$1" 2>/dev/null)" = "$2" ]; }
label_of() { driver control-text "$title" "$1" 2>/dev/null; }

for entry in "${boxes[@]}"; do
  IFS='|' read -r index name box status key value mark0 text0 mark1 text1 type bytes <<<"$entry"
  # The first page is shown at the start; a click on its tab changes nothing.
  click_tab "$title" $tab_id "$index"
  if until_true on_shown_page "$title" "$box"; then ok "tab $index: a click shows page $name"; else
    not_ok "tab $index: a click shows page $name"; fi
  check "tab $index is the selected tab" grep -qP "^tab\t$index\t1\t" <<<"$(driver tab-items "$title" $tab_id 2>/dev/null)"
  if mark_is "$box" "$mark0" && [ "$(label_of "$status")" = "$text0" ]; then
    ok "$name: box $box starts at $mark0, \"$text0\""; else
    not_ok "$name: box $box starts at $mark0, \"$text0\" ($(driver button-check "$title" "$box" 2>/dev/null), \"$(label_of "$status")\")"; fi
  click_child "$title" "$box"
  if until_true mark_is "$box" "$mark1"; then ok "$name: after a click box $box is $mark1"; else
    not_ok "$name: after a click box $box is $mark1"; fi
  label=$(label_of "$status")
  if [ "$label" = "$text1" ]; then ok "$name: its label reads \"$text1\""; else
    not_ok "$name: its label reads \"$text1\" (\"$label\")"; fi
  stored=$(driver reg-query HKLM "$key" "$value" 2>/dev/null | tr '\n' ' ')
  if [ "$type" = "-" ]; then
    if ! driver reg-key-exists HKLM "$key"; then ok "$name: the failed write created no key"; else
      not_ok "$name: the failed write created no key"; fi
  elif [ "$stored" = "type $type length $((${#bytes} / 2)) bytes $bytes " ]; then
    ok "$name: $value is $type $bytes"; else
    not_ok "$name: $value is $type $bytes ($stored)"; fi
  shot "tunara-$name"
done
restore

# The way back: three rows changed, then "恢复原始设置" puts the registry
# back as it was. First a restore of what the clicks above changed, so that
# nothing of theirs is left on record; then values that are there (a DWORD,
# a text with its terminator) and one that is not.
restore_id=29050
result_id=29051
reg_state() { driver reg-query HKLM "$1" "$2" 2>/dev/null | tr -d '\r' | tr '\n' ' '; }
state_is_not() { [ "$(reg_state "$1" "$2")" != "$3" ]; }
result_starts() { case "$(label_of $result_id)" in "$1"*) return 0 ;; esac; return 1; }
click_child "$title" $restore_id
check "restore: the clicks above are undone first" until_true result_starts "已恢复"
"$WINE_RUN" reg add "HKLM\\$lsa" /v forceguest /t REG_DWORD /d 5 /f >/dev/null 2>&1
"$WINE_RUN" reg add "HKLM\\$winlogon" /v allocatecdroms /t REG_SZ /d 0 /f >/dev/null 2>&1
"$WINE_RUN" reg delete "HKLM\\$memory" /v LargeSystemCache /f >/dev/null 2>&1
changed=(
  "0|29012|$lsa|forceguest"
  "1|29004|$memory|LargeSystemCache"
  "2|29006|$winlogon|allocatecdroms"
)
declare -A before
for entry in "${changed[@]}"; do
  IFS='|' read -r index box key value <<<"$entry"
  before[$value]=$(reg_state "$key" "$value")
  click_tab "$title" $tab_id "$index"
  until_true on_shown_page "$title" "$box"
  click_child "$title" "$box"
  until_true state_is_not "$key" "$value" "${before[$value]}"
  if [ "$(reg_state "$key" "$value")" != "${before[$value]}" ]; then ok "restore: a click changed $value"; else
    not_ok "restore: a click changed $value"; fi
done
if driver reg-key-exists HKLM 'SOFTWARE\Tarvik\Original'; then ok "restore: the originals are on record"; else
  not_ok "restore: the originals are on record"; fi
click_child "$title" $restore_id
if until_true result_starts "已恢复 3 项设置" && [ "$(label_of $result_id)" = "已恢复 3 项设置" ]; then ok "restore: the line reads \"已恢复 3 项设置\""; else
  not_ok "restore: the line reads \"已恢复 3 项设置\" (\"$(label_of $result_id)\")"; fi
shot "tunara-restored"
for entry in "${changed[@]}"; do
  IFS='|' read -r _ _ key value <<<"$entry"
  now=$(reg_state "$key" "$value")
  if [ "$now" = "${before[$value]}" ]; then ok "restore: $value is back (${before[$value]:-absent})"; else
    not_ok "restore: $value is back (${before[$value]:-absent}; now ${now:-absent})"; fi
done
if ! driver reg-key-exists HKLM 'SOFTWARE\Tarvik\Original'; then ok "restore: nothing is left on record"; else
  not_ok "restore: nothing is left on record"; fi
# The page shows the registry again: 提高系统缓存 is unchecked, as "absent" reads.
check "restore: the memory page reads the registry again" mark_is 29004 0
"$WINE_RUN" reg delete "HKLM\\$lsa" /v forceguest /f >/dev/null 2>&1
"$WINE_RUN" reg delete "HKLM\\$winlogon" /v allocatecdroms /f >/dev/null 2>&1

# The caption's close box.
driver post "$title" 0x0112 0xF060 0 >/dev/null 2>&1
check "the close box closes the dialog" driver wait-window-gone "$title" 10000
check "the main window is there and enabled again" grep -q '^style 0x.[0-7]' <<<"$(driver window-info "$main" 2>/dev/null)"

# Opened and closed 50 times, leaving nothing behind.
check_no_leaks "$main" $command "$title"

driver close "$main" >/dev/null 2>&1
finish
