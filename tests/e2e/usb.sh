#!/usr/bin/env bash
# End to end: USB write protection in the running program. The dialog opened
# by the program's command 32778 ("USB功能"); "开启写保护" and then
# "关闭写保护" clicked with button messages, each time the value read back
# from the prefix's registry (type and bytes), the state line and the
# message compared; "关闭" closes it. Then the dialog is opened and closed
# 50 times, the program's GDI and USER objects counted before and after.
# Then with a group policy that denies writes: the state it makes, named,
# and a switch that says the policy decides. Last, the dialog of a standard
# user with recorded USB drives (usb-seam-host.exe): the drives by letter
# and model, and a click that only says administrator rights are needed. The policy key is removed
# before and after, as a fresh prefix has none. Screenshots go to the
# build tree's screenshots/.
BUILD=${1:?usage: usb.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
title="U盘读写保护"
command=32778  # 功能 > USB功能, and the toolbar's third button
# Control ids, from res/usb/resource.h.
id_of() { awk -v n="$1" '$1 == "#define" && $2 == n { print $3 }' "$(dirname "$0")/../../res/usb/resource.h"; }
state=$(id_of IDC_USB_STATE) drives=$(id_of IDC_USB_DRIVES) message=$(id_of IDC_USB_MESSAGE)
on=$(id_of IDC_USB_PROTECT_ON) off=$(id_of IDC_USB_PROTECT_OFF) close_id=2
policy='SYSTEM\CurrentControlSet\Control\StorageDevicePolicies'

writable="当前状态：可读写"
read_only="当前状态：只读（写保护已开启）"
done_text="设置成功。请拔出并重新插入U盘，设置才会生效。"

until_true() { for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done; return 1; }
text_is() { [ "$(driver control-text "$title" "$1" 2>/dev/null)" = "$2" ]; }
stored() { driver reg-query HKLM "$policy" WriteProtect 2>/dev/null | tr '\n' ' '; }

driver reg-delete-key HKLM "$policy" >/dev/null 2>&1

start_in_desktop e2e-usb Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "main window \"$main\" appeared"
  shot e2e-usb-missing
  finish
  exit
fi
ok "main window \"$main\" appeared"
driver post-command "$main" $command >/dev/null 2>&1
if ! driver wait-window "$title" 15000 >/dev/null 2>&1; then
  not_ok "command $command opens \"$title\""
  shot usb-missing
  driver close "$main" >/dev/null 2>&1
  finish
  exit
fi
ok "command $command opens \"$title\""
sleep 0.5
check "the state line reads \"$writable\" with no key" text_is "$state" "$writable"
check "a prefix has no USB drive: \"没有U盘\"" text_is "$drives" "没有U盘"
check "the main window is disabled while it runs" grep -q '^style 0x.[89A-F]' <<<"$(driver window-info "$main" 2>/dev/null)"
shot usb-writable

# switch ID STATE BYTES NAME: a click on button ID; the state line, the
# message and the stored value follow.
switch() {
  local id=$1 want=$2 bytes=$3 name=$4
  click_child "$title" "$id"
  if until_true text_is "$state" "$want"; then ok "$name: the state line reads \"$want\""; else
    not_ok "$name: the state line reads \"$want\" (\"$(driver control-text "$title" "$state" 2>/dev/null)\")"; fi
  check "$name: the dialog says \"$done_text\"" text_is "$message" "$done_text"
  local value
  value=$(stored)
  if [ "$value" = "type REG_DWORD length 4 bytes $bytes " ]; then ok "$name: WriteProtect is REG_DWORD $bytes"; else
    not_ok "$name: WriteProtect is REG_DWORD $bytes ($value)"; fi
  sleep 0.3
  shot "usb-$name"
}
switch "$on" "$read_only" 01000000 on
switch "$off" "$writable" 00000000 off

check "关闭 closes the dialog" click_child "$title" $close_id
check "the dialog is gone" driver wait-window-gone "$title" 10000
check "the main window is enabled again" grep -q '^style 0x.[0-7]' <<<"$(driver window-info "$main" 2>/dev/null)"
driver reg-delete-key HKLM "$policy" >/dev/null 2>&1

check_no_leaks "$main" $command "$title"

# A group policy that denies writing to removable disks decides over the
# switch: the state line says so and names it, a switch still writes only
# WriteProtect and says the policy decides, and the policy stays as it was.
disks='SOFTWARE\Policies\Microsoft\Windows\RemovableStorageDevices\{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}'
"$WINE_RUN" reg add "HKLM\\$disks" /v Deny_Write /t REG_DWORD /d 1 /f >/dev/null 2>&1
driver post-command "$main" $command >/dev/null 2>&1
if driver wait-window "$title" 15000 >/dev/null 2>&1; then
  policy_note="组策略“可移动磁盘: 拒绝写入权限”优先于写保护开关。"
  check "with Deny_Write the state line reads \"当前状态：只读（由组策略设置）\"" \
    until_true text_is "$state" "当前状态：只读（由组策略设置）"
  check "and the policy is named" text_is "$message" "$policy_note"
  click_child "$title" "$on"
  check "a switch says the policy decides" \
    until_true text_is "$message" "设置成功，但组策略“可移动磁盘: 拒绝写入权限”优先，状态不变。"
  if [ "$(stored)" = "type REG_DWORD length 4 bytes 01000000 " ]; then ok "and writes WriteProtect alone"; else
    not_ok "and writes WriteProtect alone ($(stored))"; fi
  policy_value=$(driver reg-query HKLM "$disks" Deny_Write 2>/dev/null | tr '\n' ' ')
  if [ "$policy_value" = "type REG_DWORD length 4 bytes 01000000 " ]; then ok "the policy stays as it was"; else
    not_ok "the policy stays as it was ($policy_value)"; fi
  sleep 0.3
  shot usb-policy
  driver close "$title" >/dev/null 2>&1
  check "the dialog closed" driver wait-window-gone "$title" 10000
else
  not_ok "command $command opens \"$title\" with a policy set"
fi
driver reg-delete-key HKLM 'SOFTWARE\Policies\Microsoft\Windows\RemovableStorageDevices' >/dev/null 2>&1
driver reg-delete-key HKLM "$policy" >/dev/null 2>&1
driver close "$main" >/dev/null 2>&1
end_program

# A standard user, with two USB drives and a card reader recorded.
DRAVON_AS_STANDARD_USER=1 start_in_desktop e2e-usb-seam "$BUILD/tests/usb-seam-host.exe"
if driver wait-window "$title" 15000 >/dev/null 2>&1; then
  sleep 0.5
  list=$(driver control-text "$title" "$drives" 2>/dev/null)
  if [ "$list" = $'E:  Kingston DataTraveler 3.0\r\nG:  SanDisk Cruzer Blade' ]; then
    ok "the USB drives by letter and model, the card reader left out"; else
    not_ok "the USB drives by letter and model, the card reader left out ($list)"; fi
  click_child "$title" "$on"
  check "a standard user's click explains what is missing" until_true text_is "$message" "需要管理员权限才能更改U盘写保护。"
  if driver reg-key-exists HKLM "$policy"; then not_ok "and writes nothing"; else ok "and writes nothing"; fi
  sleep 0.3
  shot usb-standard-user
  driver close "$title" >/dev/null 2>&1
  check "the dialog closed" driver wait-window-gone "$title" 10000
else
  not_ok "window \"$title\" opened over recorded drives"
fi
end_program
driver reg-delete-key HKLM "$policy" >/dev/null 2>&1
finish
