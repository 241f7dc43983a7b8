#!/usr/bin/env bash
# End to end: the real Dravon.exe in a Wine virtual desktop. Checks the main
# window, its menu, the keys made at start-up, the skin command's registry
# value, and that the library commands reach their dialogs; ends the program
# with WM_CLOSE. Screenshots go to the build tree's screenshots/.
BUILD=${1:?usage: dravon.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
tarvik='SOFTWARE\Tarvik'

# A first start: none of the program's keys yet.
driver reg-delete-key HKLM "$tarvik" >/dev/null 2>&1

WINEDEBUG=+debugstr start_in_desktop e2e-dravon Dravon.exe
log="$SHOTS/e2e-dravon.log"
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "main window \"$main\" appeared"
  shot dravon-missing
  finish
  exit
fi
ok "main window \"$main\" appeared"
sleep 1
shot dravon-main

info=$(driver window-info "$main" 2>&1)
check "main window measures 700 x 500" grep -qx "size 700 500" <<<"$info"
style=$(sed -n 's/^style //p' <<<"$info")
if [ -n "$style" ] && (( (style & 0x10000) == 0 )); then ok "main window has no maximise box"; else
  not_ok "main window has no maximise box ($style)"; fi
expected_menu='menu popup "窗口 (&V)"
  menu item 32786 "窗口至顶  Ctrl+E"
  menu item 32772 "最大化      Ctrl+O"
  menu item 32773 "最小化      Ctrl+P"
  menu item 32774 "隐藏          Ctrl+U"
  menu item 57665 "退出(&X)"
menu popup "功能(&F)"
  menu separator
  menu item 32776 "参数信息        Ctrl+A"
  menu item 32777 "优化加速        Ctrl+S"
  menu item 32778 "USB功能          Ctrl+D"
  menu item 32779 "系统扫描        Ctrl+F"
menu popup "工具(&E)"
  menu separator
  menu item 32780 "注销"
  menu item 32781 "重启"
  menu item 32782 "关机"
menu popup "换肤"
  menu item 32787 "皮肤一"
  menu item 32788 "皮肤二"
menu popup "帮助(&H)"
  menu item 57664 "关于 Dravon"
  menu item 32790 "检测更新"'
menu=$(grep -E '^ *menu ' <<<"$info" | sed 's/ grayed$//')
if [ "$menu" = "$expected_menu" ]; then ok "menu texts and identifiers"; else
  not_ok "menu texts and identifiers"
  diff <(echo "$expected_menu") <(echo "$menu") | sed 's/^/#   /'
fi

for key in HD CD CDROM; do
  check "key HKLM\\$tarvik\\$key made at start-up" driver reg-key-exists HKLM "$tarvik\\$key"
done

# Skin one: "Skin" = "1", REG_SZ of one character without a terminator.
driver post-command "$main" 32787 >/dev/null 2>&1
skin=""
for _ in $(seq 20); do
  skin=$(driver reg-query HKLM "$tarvik\\SKIN" Skin 2>/dev/null) && break
  sleep 0.25
done
if [ "$skin" = $'type REG_SZ\nlength 1\nbytes 31' ]; then ok "command 32787 stores Skin = \"1\" (REG_SZ, length 1)"; else
  not_ok "command 32787 stores Skin = \"1\" (REG_SZ, length 1)"
  sed 's/^/#   /' <<<"$skin"
fi

check "skin one started the skin engine with SKIN\\BluePinna.urf" grep -q 'AppFace: skin BluePinna on' "$log"
check "Parvane loaded with the program" grep -q '"PARVANE.DLL Initializing!\\n"' "$log"
check "Tunara loaded with the program" grep -q '"TUNARA.DLL Initializing!\\n"' "$log"

# The library commands reach the libraries and come back to the frame.
for pair in "32776 参数信息 parvane" "32777 优化加速 tunara" "32778 USB功能 usb" "32779 系统扫描 scavra"; do
  read -r id title name <<<"$pair"
  driver post-command "$main" "$id" >/dev/null 2>&1
  dialog_round_trip "$title" "dravon-$name"
done
# About, from the application object.
driver post-command "$main" 57664 >/dev/null 2>&1
dialog_round_trip "关于 Dravon" dravon-about
check "main window still there after the dialogs" driver wait-window "$main" 5000

driver close "$main" >/dev/null 2>&1
check "main window closed by WM_CLOSE" driver wait-window-gone "$main" 15000
end_program
check "Parvane unloaded at the end" grep -q '"PARVANE.DLL Terminating!\\n"' "$log"
check "Tunara unloaded at the end" grep -q '"TUNARA.DLL Terminating!\\n"' "$log"
finish
