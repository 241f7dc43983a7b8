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
run_library USB 1 "U盘读写保护" USB
finish
