#!/usr/bin/env bash
# End to end: a standard user's Dravon (DRAVON_AS_STANDARD_USER=1 on a prefix
# that runs elevated). The program's keys under HKLM\SOFTWARE\Tarvik are not
# made at start-up; the 功能 menu shows the shield beside 优化加速, USB功能
# and 系统扫描 (photographed); 优化加速 first asks whether to restart with
# administrator rights: Cancel does nothing, No opens the optimisation dialog
# as before, where a click on a box the registry holds checked is denied,
# leaves the mark as the registry has it and shows "优化错误!"; Yes starts
# the program again with the "runas" verb (under Wine: simply started, with
# the rights), and this instance ends. The new instance makes the keys and
# shows no shield; it is closed at the end. Screenshots go to screenshots/.
BUILD=${1:?usage: uac.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

main="Dravon   V1.3"
title="优化加速"
question_caption="工具"
question="此功能需要管理员权限。是否以管理员身份重新启动 Dravon？"
memory='SYSTEM\CurrentControlSet\Control\Session Manager\Memory Management'
tarvik='SOFTWARE\Tarvik'

# The main windows' handles, one a line.
main_windows() { driver list-windows 2>/dev/null | awk -v t="\"$main\"" 'index($0, t) == length($0) - length(t) + 1 { print $1 }'; }
until_true() { for _ in $(seq 50); do "$@" && return 0; sleep 0.1; done; return 1; }
no_window() { ! driver wait-window "$1" 0 >/dev/null 2>&1; }
# ask: the question for 优化加速, and a look at it.
ask() {
  driver post-command "$main" 32777 >/dev/null 2>&1
  driver wait-window "$question_caption" 15000 >/dev/null 2>&1
}
# pointer_to X Y: moves the pointer there in a few steps (a move, not a
# jump), as a user's mouse would; tool tips follow the pointer.
pointer_to() {
  local dx
  for dx in 2 1 0; do driver pointer $(($1 + dx)) "$2" >/dev/null 2>&1; done
}
# The tool tip of toolbar button INDEX (gripper 8 pixels, buttons 55 wide):
# the pointer rests on it, the desktop is photographed as SHOT.
tool_tip_shot() {
  local l t r b
  read -r l t r b <<<"$(driver child-rect "$main" '#59392' 0 2>/dev/null | sed -n 's/^rect //p')"
  [ -n "$b" ] || return 1
  pointer_to $((l + 8 + 55 * $1 + 27)) $(((t + b) / 2))
  sleep 2
  shot "$2"
  pointer_to 1000 700
}
restore() {
  driver reg-delete-value HKLM "$memory" LargeSystemCache >/dev/null 2>&1
  driver reg-delete-key HKLM "$tarvik" >/dev/null 2>&1
}

# A first start without the rights: no program keys yet. "提高系统缓存" is
# on in the registry (DWORD 1).
restore
"$WINE_RUN" reg add "HKLM\\$memory" /v LargeSystemCache /t REG_DWORD /d 1 /f >/dev/null 2>&1
DRAVON_AS_STANDARD_USER=1 start_in_desktop e2e-uac Dravon.exe
if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
  not_ok "main window \"$main\" appeared"
  shot uac-missing
  restore
  finish
  exit
fi
ok "main window \"$main\" appeared"
first=$(main_windows)
sleep 1

if ! driver reg-key-exists HKLM "$tarvik\\HD" && ! driver reg-key-exists HKLM "$tarvik\\CD"; then
  ok "without the rights the start-up makes no program key"; else not_ok "without the rights the start-up makes no program key"; fi

# The 功能 menu by its mnemonic, photographed open, then closed.
driver post "$main" 0x0112 0xF100 0x66 >/dev/null 2>&1
sleep 1
shot uac-menu-shields
driver post "$main" 0x0100 0x1B 0 >/dev/null 2>&1
driver post "$main" 0x0100 0x1B 0 >/dev/null 2>&1
sleep 0.5
# The tool tip of 优化加速 (the second button), and of 参数信息 beside it.
tool_tip_shot 1 uac-tooltip-shield
tool_tip_shot 0 uac-tooltip-plain

# Cancel: nothing happens.
if ask; then ok "优化加速 asks first"; else not_ok "优化加速 asks first"; fi
sleep 0.5
shot uac-question
if driver children "$question_caption" 2>/dev/null | grep -qF "$question"; then
  ok "the question reads \"$question\""; else not_ok "the question reads \"$question\""; fi
for button in 6 7 2; do
  check "the question offers button $button" until_true on_shown_page "$question_caption" $button
done
click_child "$question_caption" 2
check "Cancel closes the question" driver wait-window-gone "$question_caption" 10000
sleep 1
check "after Cancel no dialog opens" no_window "$title"
check "after Cancel the program runs on" driver ping "$main" 5000

# No: the dialog opens as always; a denied write shows the registry's state.
ask
click_child "$question_caption" 7
if driver wait-window "$title" 15000 >/dev/null 2>&1; then ok "No opens $title"; else not_ok "No opens $title"; fi
click_tab "$title" 29000 1
until_true on_shown_page "$title" 29004
mark_is() { [ "$(driver button-check "$title" "$1" 2>/dev/null)" = "$2" ]; }
check "提高系统缓存 starts checked, as the registry holds it" mark_is 29004 1
click_child "$title" 29004
sleep 0.5
check "the denied write leaves the mark as the registry has it" mark_is 29004 1
label=$(driver control-text "$title" 29005 2>/dev/null)
if [ "$label" = "优化错误!" ]; then ok "its label reads \"优化错误!\""; else not_ok "its label reads \"优化错误!\" (\"$label\")"; fi
stored=$(driver reg-query HKLM "$memory" LargeSystemCache 2>/dev/null | tr '\n' ' ')
if [ "$stored" = "type REG_DWORD length 4 bytes 01000000 " ]; then ok "LargeSystemCache is still DWORD 1"; else
  not_ok "LargeSystemCache is still DWORD 1 ($stored)"; fi
shot uac-denied-write
driver post "$title" 0x0112 0xF060 0 >/dev/null 2>&1
check "the dialog closes" driver wait-window-gone "$title" 10000

# Yes: a new instance with the rights, and this one ends.
ask
click_child "$question_caption" 6
gone() { ! main_windows | grep -qx "$first"; }
if until_true gone; then ok "Yes ends this instance"; else not_ok "Yes ends this instance"; fi
second=""
new_main() { second=$(main_windows | grep -vx "$first" | head -1); [ -n "$second" ]; }
for _ in $(seq 6); do new_main && break; sleep 5; done
if [ -n "$second" ]; then ok "Yes starts a new instance"; else not_ok "Yes starts a new instance"; fi
keys() { driver reg-key-exists HKLM "$tarvik\\HD" && driver reg-key-exists HKLM "$tarvik\\CD" && driver reg-key-exists HKLM "$tarvik\\CDROM"; }
check "the instance with the rights makes the program keys" until_true keys
sleep 1
driver post "$main" 0x0112 0xF100 0x66 >/dev/null 2>&1
sleep 1
shot uac-menu-elevated
driver post "$main" 0x0100 0x1B 0 >/dev/null 2>&1
driver post "$main" 0x0100 0x1B 0 >/dev/null 2>&1
# With the rights nothing is asked.
driver post-command "$main" 32777 >/dev/null 2>&1
if driver wait-window "$title" 15000 >/dev/null 2>&1; then ok "with the rights $title opens at once"; else
  not_ok "with the rights $title opens at once"; fi
check "and no question was asked" no_window "$question_caption"
driver close "$title" >/dev/null 2>&1
driver wait-window-gone "$title" 10000 >/dev/null 2>&1
driver close "$main" >/dev/null 2>&1
check "the new instance closes" driver wait-window-gone "$main" 15000
restore
finish
