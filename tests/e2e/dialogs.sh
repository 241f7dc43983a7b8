#!/usr/bin/env bash
# End to end: the libraries' dialogs, each opened through its entry by
# ordinal in a host process, with the load and unload traces.
BUILD=${1:?usage: dialogs.sh WIN-BUILD-TREE}
. "$(dirname "$0")/e2e-lib.sh"

run_library() {  # LIBRARY ORDINAL TITLE TRACE-NAME
  local dll=$1 ordinal=$2 title=$3 trace=$4
  WINEDEBUG=+debugstr start_in_desktop "e2e-$dll" "$BUILD/tests/dllhost.exe" "$dll.dll" "$ordinal"
  dialog_round_trip "$title" "$dll-dialog"
  end_program
  local log="$SHOTS/e2e-$dll.log"
  check "$dll: entry $ordinal returned 0" grep -q "result 0" "$log"
  check "$dll: load trace" grep -q "\"$trace.DLL Initializing!\\\\n\"" "$log"
  check "$dll: unload trace" grep -q "\"$trace.DLL Terminating!\\\\n\"" "$log"
}

run_library Parvane 3 "参数信息" PARVANE
run_library Tunara 1 "优化加速" TUNARA

# A stand-in's window, closed by a click on its button.
start_in_desktop e2e-USB "$BUILD/tests/dllhost.exe" USB.dll 1
if driver wait-window "USB功能" 15000 >/dev/null 2>&1; then
  check "USB: click on OK" click_child "USB功能" 1
  check "USB: window gone after the click" driver wait-window-gone "USB功能" 5000
else
  not_ok "USB: window \"USB功能\" opened"
fi
end_program
check "USB: entry 1 returned 0" grep -q "result 0" "$SHOTS/e2e-USB.log"
finish
