#!/usr/bin/env bash
# End to end: Parvane's information dialog in the running program, unskinned.
# Opened from the 功能 menu by keyboard, each tab chosen with a click, each
# page checked once it has slid into place (its rows or text, as the driver
# reads them) and photographed; closed with the caption's close box. Then
# opened and closed 50 times, the program's GDI and USER objects counted
# before and after. Screenshots go to the build tree's screenshots/.
BUILD=${1:?usage: parvane.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
title="参数信息"
tab_id=25000

# No skin: the program's keys as at a first start.
driver reg-delete-key HKLM 'SOFTWARE\Tarvik' >/dev/null 2>&1

# 功能(&F) by its mnemonic, then Enter on its first item, 参数信息.
open_in_program e2e-parvane "$main" 0x66 0 "$title"

check_tabs "$title" $tab_id 5 "  系统" "  信息" "  硬盘" "  信息" "  CDROM" "  USB" "  健康"

wait_at_rest() { wait_page_at_rest "$title" $tab_id "$1"; }

check "the USB page is shown at its place" wait_at_rest 25015
usb=$(driver control-text "$title" 25015 2>/dev/null)
if grep -q $'\r\n没有U盘\r\n$' <<<"$usb" || grep -q $'\r\n 正在使用U盘:      [A-Z]*盘$' <<<"$usb"; then
  ok "the USB page ends with its drive-letter line"; else not_ok "the USB page ends with its drive-letter line"; fi
shot parvane-usb

rows() { list_rows "$title" "$1"; }

for entry in "0 25001 system 16" "1 25004 folders 15" "2 25006 disk 46" "3 25008 modes 35" "4 25009 cdrom -" "5 25015 usb -" "6 25016 health -"; do
  read -r index control name count <<<"$entry"
  click_tab "$title" $tab_id "$index"
  if wait_at_rest "$control"; then ok "tab $index: a click slides page $name into its place"; else
    not_ok "tab $index: a click slides page $name into its place"; fi
  check "tab $index is the selected tab" grep -qP "^tab\t$index\t1\t" <<<"$(driver tab-items "$title" $tab_id 2>/dev/null)"
  shot "parvane-$name"
  if [ "$count" != "-" ]; then
    list=$(rows "$control")
    if [ "$(wc -l <<<"$list")" -eq "$count" ]; then ok "page $name lists $count rows"; else
      not_ok "page $name lists $count rows ($(wc -l <<<"$list"))"; fi
  fi
  case $name in
    system)
      # A fresh Wine prefix is Windows 7 (6.1.7601): named, not "Windows XP ...".
      check "system: row 2 names Windows 7" row_is "$list" 2 "操作系统平台:" "Windows 7 Professional"
      check "system: row 3 runs version and build together" row_is "$list" 3 "当前版本:" "6.17601"
      check "system: the unlabelled row is last" row_is "$list" 15 "" "" ;;
    folders)
      check "folders: row 0 is the NT edition" row_is "$list" 0 "NT平台：" "Windows NT Workstation"
      check "folders: row 8 is the expanded TMP" grep -qP '^row\t8\t9\t用户变量：\tTMP = ' <<<"$list" ;;
    disk)
      check "disk: row 0 is the model" row_is "$list" 0 "硬盘型号:"
      check "disk: row 44 is ATA/ATAPI-14" row_is "$list" 44 "        ATA/ATAPI-14版本:" ;;
    modes)
      check "modes: row 33 is the unlabelled row" row_is "$list" 33 "" ""
      check "modes: row 34 comes after it" row_is "$list" 34 "是否ATA软启动:" ;;
    health)
      # Wine has no disk interfaces: no drive to ask.
      list=$(rows 25016)
      if row_is "$list" 0 "硬盘:" "未找到硬盘"; then ok "health: no drive found"; else
        not_ok "health: no drive found ($(tr '\t\n' '|;' <<<"$list"))"; fi
      check "health: the unlabelled row last" row_is "$list" 1 "" "" ;;
  esac
done

# The caption's close box.
driver post "$title" 0x0112 0xF060 0 >/dev/null 2>&1
check "the close box closes the dialog" driver wait-window-gone "$title" 10000
check "the main window is there and enabled again" grep -q '^style 0x.[0-7]' <<<"$(driver window-info "$main" 2>/dev/null)"

# Opened and closed 50 times, leaving nothing behind.
check_no_leaks "$main" 32776 "$title"

driver close "$main" >/dev/null 2>&1
finish
