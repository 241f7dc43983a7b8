# Shared by the release tests. Source it with BUILD (the win build tree), DIST
# (the release's folder) and VERSION set: it brings e2e-lib.sh's checks, a
# fresh Wine prefix per test, the files a release folder holds, and helpers
# for windows, the registry, the notification area and the release's package
# manifests.
# Each test makes its prefix from nothing (fresh_prefix).
E2E_FRESH_PREFIX=1
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/e2e-lib.sh"
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

NAME=Dravon-$VERSION
ZIP=$DIST/$NAME-win64.zip
SETUP=$DIST/$NAME-setup.exe
MANIFESTS=$(dirname "${BASH_SOURCE[0]}")/manifests.py
# manifest_field NAME KEY... [-- KEY...]...: values of a package manifest of
# the release (version, installer, zh-CN, en-US, scoop), one a line (see
# manifests.py).
manifest_field() { /usr/bin/python3 "$MANIFESTS" field "$DIST" "$@"; }
PROBE=$BUILD/tests/release_probe.exe
MAIN_TITLE="Dravon   V1.3"
TRAY_ID=128
# The release folder, file by file (C order).
RELEASE_FILES="AppFace.dll
Dravon.exe
Parvane.dll
README.txt
SKIN/BluePinna.urf
Scavra.dll
Tunara.dll
USB.dll
WAV/Windows XP.wav
WAV/start.wav"

# require_file FILE: ends the test, failed, when the release lacks FILE.
require_file() {
  [ -f "$1" ] && return 0
  not_ok "$1 exists"
  finish
  exit
}

# Plain wine in the test's own prefix: not wine-run.sh, whose search path
# holds the build tree's binaries; no Linux menu entries for the shortcuts.
WINE_RUN=wine
unset WINEPATH
probe() { wine "$PROBE" "$@"; }

# fresh_prefix NAME: a new prefix under the build tree, used from here on;
# its processes end with the test, and the prefix (700 MB) goes unless a
# check failed.
fresh_prefix() {
  export WINEPREFIX="$BUILD/release-tests/$1"
  rm -rf "$WINEPREFIX"
  "$TOP/tools/wine/prefix.sh" "$WINEPREFIX"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  on_exit 'wineserver -k 2>/dev/null; [ "$failures" -eq 0 ] && rm -rf "$WINEPREFIX"'
}

# in_desktop DESKTOP DIR PROGRAM ARGS...: starts PROGRAM from DIR (a Unix
# path), as a double-click in Explorer does, in the virtual desktop DESKTOP,
# with the program's debug output in $SHOTS/DESKTOP.log.
in_desktop() {
  local desk=$1 dir=$2; shift 2
  (cd "$dir" && WINEDEBUG=+debugstr exec wine explorer "/desktop=$desk,1024x768" "$@") >"$SHOTS/$desk.log" 2>&1 &
  app_pid=$!
}

# window_handle TITLE: the handle of the top-level window TITLE, as hex.
window_handle() {
  driver list-windows 2>/dev/null | grep -F "\"$1\"" | head -1 | cut -d' ' -f1
}

# reg_query ARGS...: `reg query ARGS` in the prefix, its output on stdout;
# exit 0 when reg.exe found the key (or value), 1 when it said it is not
# there. A Wine process now and then ends at its start without a word
# (test.sh), and such a silence is no "not there": the query is asked
# again, and after three silent tries the exit is 2, neither answer.
reg_query() {
  local out err
  for _ in 1 2 3; do
    if out=$(wine reg query "$@" 2>&1); then
      printf '%s\n' "$out"
      return 0
    fi
    grep -q "Unable to find the specified registry" <<<"$out" && return 1
  done
  return 2
}
# reg_value KEY NAME: the value's text as reg.exe shows it (REG_DWORD as 0x...).
reg_value() {
  reg_query "$1" /v "$2" | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
reg_key_exists() { reg_query "$1" >/dev/null; }
# reg_key_gone KEY: reg.exe said KEY is not there.
reg_key_gone() { reg_query "$1" >/dev/null; [ $? -eq 1 ]; }

# check_value KEY NAME EXPECTED
check_value() {
  local got
  got=$(reg_value "$1" "$2")
  if [ "$got" = "$3" ]; then ok "$2 = \"$3\""; else not_ok "$2 = \"$3\" (got \"$got\")"; fi
}

# wait_for SECONDS COMMAND...: exit 0 once COMMAND succeeds.
wait_for() {
  local limit=$1; shift
  for _ in $(seq $((limit * 4))); do "$@" && return 0; sleep 0.25; done
  return 1
}
