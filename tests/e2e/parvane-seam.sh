#!/usr/bin/env bash
# End to end: Parvane's information dialog with recorded devices behind its
# device seam (tests/e2e/ParvaneSeamHost.cpp): the two disk pages of an NVMe
# drive read by a standard user, and the CD page of a standard user, each
# checked as the driver reads it and photographed (parvane-nvme-disk, its
# end parvane-nvme-disk-end, parvane-nvme-modes, parvane-standard-user-cdrom
# in the build tree's screenshots/).
BUILD=${1:?usage: parvane-seam.sh WIN-BUILD-TREE CONTROLLER-HEX}
BLOCK=${2:?usage: parvane-seam.sh WIN-BUILD-TREE CONTROLLER-HEX}
. "$(dirname "$0")/e2e-lib.sh"

title="参数信息"
tab_id=25000
na="不适用(NVMe)"

# Wine maps the Unix root to Z:.
start_in_desktop e2e-parvane-seam "$BUILD/tests/parvane-seam-host.exe" "Z:${BLOCK//\//\\}"
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

driver post "$title" 0x0112 0xF060 0 >/dev/null 2>&1
check "the close box closes the dialog" driver wait-window-gone "$title" 10000
finish
