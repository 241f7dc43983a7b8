#!/usr/bin/env bash
# End to end: Parvane's information dialog with recorded devices behind its
# device seam (tests/e2e/ParvaneSeamHost.cpp): the two disk pages of an NVMe
# drive read by a standard user, the CD page of a standard user, and the
# health page of six recorded drives, each checked as the driver reads it
# and photographed (parvane-nvme-disk, its end parvane-nvme-disk-end,
# parvane-nvme-modes, parvane-standard-user-cdrom, parvane-health,
# parvane-health-warnings, parvane-health-failing in the build tree's
# screenshots/).
usage="usage: parvane-seam.sh WIN-BUILD-TREE CONTROLLER-HEX DATA-DIR"
BUILD=${1:?$usage}
BLOCK=${2:?$usage}
DATA=${3:?$usage}
. "$(dirname "$0")/e2e-lib.sh"

title="参数信息"
tab_id=25000
na="不适用(NVMe)"

# Wine maps the Unix root to Z:.
start_in_desktop e2e-parvane-seam "$BUILD/tests/parvane-seam-host.exe" "Z:${BLOCK//\//\\}" "Z:${DATA//\//\\}"
if ! driver wait-window "$title" 15000 >/dev/null 2>&1; then
  not_ok "window \"$title\" opened"
  shot parvane-seam-missing
  finish
  exit
fi
ok "window \"$title\" opened"

show_tab() {  # show_tab INDEX CONTROL NAME
  click_tab "$title" $tab_id "$1"
  if wait_page_at_rest "$title" $tab_id "$2"; then ok "tab $1: page $3 in its place"; else
    not_ok "tab $1: page $3 in its place"; fi
  shot "parvane-$3"
}

show_tab 2 25006 nvme-disk
disk=$(list_rows "$title" 25006)
if [ "$(wc -l <<<"$disk")" -eq 53 ]; then ok "disk: 53 rows"; else not_ok "disk: 53 rows ($(wc -l <<<"$disk"))"; fi
check "disk: the model" row_is "$disk" 0 "硬盘型号:" "THNSN5512GPU7 TOSHIBA"
check "disk: the serial, trimmed" row_is "$disk" 1 "序列号:" "37RSDEADBEEF"
check "disk: an ATA mode row says it does not apply" row_is "$disk" 2 "DMA模式0 (16.7Mb/s)  的支持:" "$na"
check "disk: the size from the disk's extent" row_is "$disk" 15 "总大小:" "512110190592 bytes"
check "disk: the ATA versions do not apply" row_is "$disk" 44 "        ATA/ATAPI-14版本:" "$na"
check "disk: the firmware" row_is "$disk" 45 "固件版本:" "410557LA"
check "disk: the NVMe version" row_is "$disk" 46 "NVMe版本:" "1.0 或更早"
check "disk: the PCI vendor" row_is "$disk" 47 "PCI厂商ID:" "0x1179"
check "disk: the warning temperature" row_is "$disk" 49 "警告温度:" "78 ℃"
check "disk: the unlabelled row last" row_is "$disk" 52 "" ""
# The NVMe rows at the end of the list.
check "disk: scrolled to its last row" driver list-show "$title" 25006 52
sleep 0.5
shot parvane-nvme-disk-end

show_tab 3 25008 nvme-modes
modes=$(list_rows "$title" 25008)
check "modes: row 0 does not apply" row_is "$modes" 0 "当前选定的Ultra DMA模式0:" "$na"
check "modes: row 34 does not apply" row_is "$modes" 34 "是否ATA软启动:" "$na"
check "modes: the unlabelled row stays empty" row_is "$modes" 33 "" ""

show_tab 4 25009 standard-user-cdrom
cd=$(driver control-text "$title" 25009 2>/dev/null)
check "cdrom: a standard user sees the vendor" grep -q "生产厂商:        HL-DT-ST" <<<"$cd"
check "cdrom: and the model" grep -q "光驱型号:            DVDRAM GH24NSD1" <<<"$cd"

# The health page: every drive answered (each on a thread of its own).
show_tab 6 25016 health
health=""
for _ in $(seq 150); do
  health=$(list_rows "$title" 25016)
  grep -q "正在读取" <<<"$health" || break
  sleep 0.1
done
if [ "$(wc -l <<<"$health")" -eq 128 ]; then ok "health: 128 rows"; else not_ok "health: 128 rows ($(wc -l <<<"$health"))"; fi
check "health: the NVMe drive's heading" row_is "$health" 0 "硬盘 0: THNSN5512GPU7 TOSHIBA" "NVMe"
check "health: the NVMe drive is good" row_is "$health" 1 "健康状态:" "良好"
check "health: its temperature" row_is "$health" 2 "温度:" "30 ℃"
check "health: its life left" row_is "$health" 5 "剩余寿命:" "100 %"
check "health: a blank row before the next drive" row_is "$health" 22 "" ""
check "health: the wdc's heading" row_is "$health" 23 "硬盘 1: WDC WD2500JS-75NCB3" "ATA"
check "health: the wdc is good" row_is "$health" 24 "健康状态:" "良好"
check "health: the fujitsu's pending sectors" row_is "$health" 48 "健康状态:" "警告 (3 个待映射扇区，3 个无法校正的扇区)"
check "health: its hours are not made up" row_is "$health" 50 "通电时间:" "单位不明 (原始值 598640)"
check "health: the seagate's old-age attribute" row_is "$health" 70 "健康状态:" "警告 (04 启动/停止次数 已达阈值)"
check "health: a standard user's drive" row_is "$health" 102 "健康状态:" "未知 (需要管理员权限)"
check "health: a failing drive" row_is "$health" 105 "健康状态:" "不良 (硬盘报告即将故障)"
check "health: the unlabelled row last" row_is "$health" 127 "" ""
# A drive's heading at the top: scrolled past it, then back.
show_from() {  # show_from ROW SHOT
  driver list-show "$title" 25016 127 >/dev/null 2>&1
  check "health: scrolled to row $1" driver list-show "$title" 25016 "$1"
  sleep 0.5
  shot "$2"
}
show_from 47 parvane-health-warnings
show_from 101 parvane-health-failing

driver post "$title" 0x0112 0xF060 0 >/dev/null 2>&1
check "the close box closes the dialog" driver wait-window-gone "$title" 10000
finish
