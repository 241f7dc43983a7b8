#!/usr/bin/env bash
# End to end: the real Dravon.exe in a Wine virtual desktop. Checks the main
# window, its menu, the keys made at start-up, the skin commands (their
# registry value and the look: unskinned, skinned at once by skin one and at
# the next start, skinned still after skin two, unskinned at the start after),
# and that the library commands reach their dialogs; ends the program with
# WM_CLOSE. Screenshots go to the build tree's screenshots/.
BUILD=${1:?usage: dravon.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
tarvik='SOFTWARE\Tarvik'

# Colours of SKIN\BluePinna.urf that the checks below look for.
skin_border=123A69 skin_face=DCE8F5 skin_menu=EEF4FB skin_highlight=2C77C4

# look SHOT TITLE: takes screenshot SHOT and sets the colours of window
# TITLE's frame (border), of its client area's lower right (face) and, for
# the main window, of its menu bar's right end (menubar).
look() {
  local name=$1 title=$2 info rect origin client
  sleep 1
  shot "$name"
  info=$(driver window-info "$title" 2>/dev/null)
  read -r _ left top _ bottom <<<"$(grep '^rect ' <<<"$info")"
  read -r _ ox oy <<<"$(grep '^client-origin ' <<<"$info")"
  read -r _ cw ch <<<"$(grep '^client ' <<<"$info")"
  border=$(pixel "$name" $((left + 1)) $(((top + bottom) / 2)))
  face=$(pixel "$name" $((ox + cw - 30)) $((oy + ch - 60)))
  menubar=$(pixel "$name" $((ox + cw - 30)) $((oy - 8)))
}

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
look dravon-main "$main"
unskinned_border=$border unskinned_face=$face
if [ -n "$border" ] && [ "$border" != "$skin_border" ] && [ "$face" != "$skin_face" ]; then
  ok "no skin at the first start (border #$border)"; else not_ok "no skin at the first start (border #$border, face #$face)"; fi

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

check_soon "skin one started the skin engine with SKIN\\BluePinna.urf" grep -q 'AppFace: skin BluePinna on' "$log"
look dravon-skin-one "$main"
if [ "$border" = "$skin_border" ] && [ "$face" = "$skin_face" ] && [ "$menubar" = "$skin_menu" ]; then
  ok "skin one skins the main window at once"; else
  not_ok "skin one skins the main window at once (border #$border, view #$face, menu bar #$menubar)"; fi
# The first menu, opened by its mnemonic as Alt+V would (SC_KEYMENU 'v').
driver post "$main" 0x0112 0xF100 0x76 >/dev/null 2>&1
sleep 1
shot dravon-skin-menu
info=$(driver window-info "$main" 2>/dev/null)
read -r _ ox oy <<<"$(grep '^client-origin ' <<<"$info")"
item=$(pixel dravon-skin-menu $((ox + 60)) $((oy + 12)))
if [ "$item" = "$skin_menu" ] || [ "$item" = "$skin_highlight" ]; then ok "its menu opens by mnemonic in the skin's colours"; else
  not_ok "its menu opens by mnemonic in the skin's colours (#$item)"; fi
driver post "$main" 0x0100 0x1B 0 >/dev/null 2>&1
driver post "$main" 0x0100 0x1B 0 >/dev/null 2>&1
sleep 0.5
check_soon "Parvane loaded with the program" grep -q '"PARVANE.DLL Initializing!\\n"' "$log"
check_soon "Tunara loaded with the program" grep -q '"TUNARA.DLL Initializing!\\n"' "$log"

# The library commands reach the libraries and come back to the frame.
for pair in "32776 参数信息 parvane" "32777 优化加速 tunara" "32778 U盘读写保护 usb" "32779 系统扫描与垃圾清理 scavra"; do
  read -r id title name <<<"$pair"
  driver post-command "$main" "$id" >/dev/null 2>&1
  dialog_round_trip "$title" "dravon-$name"
done
# Window commands: hide and show again, then always on top.
visible_is() { driver window-info "$main" 2>/dev/null | grep -qx "visible $1"; }
wait_visible_is() { for _ in $(seq 20); do visible_is "$1" && return 0; sleep 0.25; done; return 1; }
driver post-command "$main" 32774 >/dev/null 2>&1
check "command 32774 hides the main window" wait_visible_is 0
driver post-command "$main" 32772 >/dev/null 2>&1
check "command 32772 shows it again" wait_visible_is 1
driver send-command "$main" 32786 >/dev/null 2>&1
topmost() { driver window-info "$main" 2>/dev/null | grep -qx "topmost 1"; }
check "command 32786 puts it on top" topmost
info=$(driver window-info "$main" 2>&1)
check "and it still measures 700 x 500" grep -qx "size 700 500" <<<"$info"

# About, from the application object, in the skin.
driver post-command "$main" 57664 >/dev/null 2>&1
if driver wait-window "关于 Dravon" 15000 >/dev/null 2>&1; then
  look dravon-about "关于 Dravon"
  if [ "$border" = "$skin_border" ] && [ "$face" = "$skin_face" ]; then ok "the About box is skinned"; else
    not_ok "the About box is skinned (border #$border, face #$face)"; fi
  driver close "关于 Dravon" >/dev/null 2>&1
  check "window \"关于 Dravon\" closed" driver wait-window-gone "关于 Dravon" 10000
else
  not_ok "window \"关于 Dravon\" opened"
fi
check "main window still there after the dialogs" driver wait-window "$main" 5000

driver close "$main" >/dev/null 2>&1
check "main window closed by WM_CLOSE" driver wait-window-gone "$main" 15000
end_program
check "Parvane unloaded at the end" grep -q '"PARVANE.DLL Terminating!\\n"' "$log"
check "Tunara unloaded at the end" grep -q '"TUNARA.DLL Terminating!\\n"' "$log"

# A second start with "Skin" = "1" applies the skin at start-up; skin two
# stores "0" for the next start.
WINEDEBUG=+debugstr start_in_desktop e2e-dravon2 Dravon.exe
log="$SHOTS/e2e-dravon2.log"
if driver wait-window "$main" 60000 >/dev/null 2>&1; then
  check_soon "start-up with Skin = 1 starts the skin engine" grep -q 'AppFace: skin BluePinna on' "$log"
  look dravon-skin-start "$main"
  if [ "$border" = "$skin_border" ] && [ "$face" = "$skin_face" ]; then ok "the stored skin applies at start-up"; else
    not_ok "the stored skin applies at start-up (border #$border, view #$face)"; fi
  driver post-command "$main" 32788 >/dev/null 2>&1
  skin=""
  for _ in $(seq 20); do
    skin=$(driver reg-query HKLM "$tarvik\\SKIN" Skin 2>/dev/null)
    [ "$skin" = $'type REG_SZ\nlength 1\nbytes 30' ] && break
    sleep 0.25
  done
  if [ "$skin" = $'type REG_SZ\nlength 1\nbytes 30' ]; then ok "command 32788 stores Skin = \"0\" (REG_SZ, length 1)"; else
    not_ok "command 32788 stores Skin = \"0\" (REG_SZ, length 1)"
    sed 's/^/#   /' <<<"$skin"
  fi
  look dravon-skin-two "$main"
  if [ "$border" = "$skin_border" ]; then ok "skin two keeps the running look"; else
    not_ok "skin two keeps the running look (border #$border)"; fi
  driver close "$main" >/dev/null 2>&1
  check "second run closed by WM_CLOSE" driver wait-window-gone "$main" 15000
else
  not_ok "main window appeared on the second start"
fi
end_program

# A third start, after skin two: the plain look again.
start_in_desktop e2e-dravon3 Dravon.exe
if driver wait-window "$main" 60000 >/dev/null 2>&1; then
  look dravon-unskinned "$main"
  if [ "$border" = "$unskinned_border" ] && [ "$face" = "$unskinned_face" ]; then
    ok "no skin at the start after skin two"; else
    not_ok "no skin at the start after skin two (border #$border, view #$face)"; fi
  driver close "$main" >/dev/null 2>&1
  check "third run closed by WM_CLOSE" driver wait-window-gone "$main" 15000
else
  not_ok "main window appeared on the third start"
fi
finish
