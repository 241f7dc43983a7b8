# Shared by the end-to-end scripts: runs Windows programs of a build tree in
# a Wine virtual desktop on $DISPLAY and checks what the driver reports.
# Source it with BUILD set to the win build tree.
set -uo pipefail
export LANG=C.UTF-8  # Wine passes the Chinese titles on the command line in this locale
export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG="${WINEDEBUG:--all}"
WINE_RUN="$BUILD/wine-run.sh"
SHOTS="$BUILD/screenshots"
# The virtual desktop's size (a script may ask for more room: XVFB_SCREEN
# gives the display's).
E2E_DESKTOP=${E2E_DESKTOP:-1024x768}
mkdir -p "$SHOTS"
failures=0
app_pid=""

if [ -z "${DISPLAY:-}" ]; then
  echo "skipped: no DISPLAY (test.sh starts a private Xvfb)"
  exit 77
fi

# Steps to take when the script ends, however it ends (scripts add theirs
# with on_exit rather than a trap of their own, which would replace these).
exit_steps=()
on_exit() { exit_steps=("$1" "${exit_steps[@]}"); }
run_exit_steps() { local step; for step in "${exit_steps[@]}"; do eval "$step"; done; }
trap run_exit_steps EXIT

# pick_server_folder PREFIX: has PREFIX's server folder chosen before any of
# its programs start. Debian's Wine has the first process of a prefix pick a
# new folder in /tmp for the server and note it in the prefix: two first
# processes at once (the desktop and the driver) can pick two, and the one
# whose note is overwritten dies with "chdir to /tmp/wine-.../server-...: No
# such file or directory". A server started and ended alone leaves the note.
pick_server_folder() { WINEPREFIX="$1" wineserver && WINEPREFIX="$1" wineserver -k; }

# Each script has a display and a prefix of its own, so it can run beside
# the Windows unit tests, which share the tree's prefix and display: no
# window of theirs is found by the driver or photographed here. The prefix
# is the tree's, its files hard-linked (Wine adds files but rewrites none
# there) and its registry copied. E2E_SHARED=1 keeps the caller's display
# and prefix; E2E_FRESH_PREFIX=1 copies no prefix, for a script that makes
# one from nothing.
if [ "${E2E_SHARED:-0}" != 1 ]; then
  if [ "${E2E_FRESH_PREFIX:-0}" != 1 ]; then
    [ -f "$BUILD/wineprefix/system.reg" ] || "$WINE_RUN" wineboot -i >/dev/null 2>&1
    own_prefix="$BUILD/e2e-prefixes/$(basename "$0" .sh)"
    rm -rf "$own_prefix"
    mkdir -p "$own_prefix"
    cp -a "$BUILD/wineprefix/"*.reg "$BUILD/wineprefix/dosdevices" "$own_prefix/"
    cp -a "$BUILD/wineprefix/.update-timestamp" "$own_prefix/" 2>/dev/null
    cp -al "$BUILD/wineprefix/drive_c" "$own_prefix/drive_c"
    export WINEPREFIX="$own_prefix"
    pick_server_folder "$own_prefix"
    on_exit 'WINEPREFIX="$own_prefix" wineserver -k 2>/dev/null; rm -rf "$own_prefix"'
  fi
  xvfb_pid=$(mktemp)
  DISPLAY=$("$(dirname "${BASH_SOURCE[0]}")/../../tools/xvfb.sh" "$xvfb_pid") || {
    echo "not ok - a private X display started"; exit 1; }
  export DISPLAY
  on_exit 'kill "$(cat "$xvfb_pid")" 2>/dev/null; rm -f "$xvfb_pid"'
fi

driver() { "$WINE_RUN" "$BUILD/tools/driver.exe" "$@"; }

ok() { echo "ok - $*"; }
not_ok() { echo "not ok - $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then ok "$what"; else not_ok "$what"; fi
}
# check_soon DESCRIPTION COMMAND...: as check, for what comes a moment after
# the step that causes it (a trace line Wine writes to the log), asked again
# for up to 10 s.
check_soon() {
  local what=$1 _; shift
  for _ in $(seq 40); do "$@" >/dev/null 2>&1 && { ok "$what"; return; }; sleep 0.25; done
  not_ok "$what"
}

# start_in_desktop NAME PROGRAM ARGS...: starts PROGRAM from the bin folder
# (the program finds WAV\ and SKIN\ there) inside the virtual desktop NAME.
start_in_desktop() {
  local desk=$1; shift
  (cd "$BUILD/bin" && exec "$WINE_RUN" explorer "/desktop=$desk,$E2E_DESKTOP" "$@") >"$SHOTS/$desk.log" 2>&1 &
  app_pid=$!
}

# shot NAME: the virtual desktop, as a person would see it.
shot() {
  /usr/bin/import -display "$DISPLAY" -window root -crop "$E2E_DESKTOP+0+0" +repage "$SHOTS/$1.png" 2>/dev/null \
    && echo "# screenshot $SHOTS/$1.png"
}

# pixel SHOT X Y: the colour (RRGGBB) at X, Y of screenshot SHOT.
pixel() {
  /usr/bin/convert "$SHOTS/$1.png" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6
}

# end_program: waits for the started program to end by itself (after a
# close), ending the prefix's processes only as the last resort.
end_program() {
  if [ -n "$app_pid" ]; then
    for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    if kill -0 "$app_pid" 2>/dev/null; then
      not_ok "the program ended by itself after its window closed"
      wineserver -k 2>/dev/null
    fi
    wait "$app_pid" 2>/dev/null
    app_pid=""
  fi
}

# finish: ends the program if it still runs, reports, and gives the status.
finish() {
  end_program
  echo "# $failures failure(s)"
  [ "$failures" -eq 0 ]
}

# dialog_round_trip TITLE SHOT: waits for the window TITLE, takes a
# screenshot, and closes it as the user would.
dialog_round_trip() {
  local title=$1 name=$2
  if driver wait-window "$title" 15000 >/dev/null 2>&1; then
    ok "window \"$title\" opened"
    sleep 0.5
    shot "$name"
    driver close "$title" >/dev/null 2>&1
    check "window \"$title\" closed" driver wait-window-gone "$title" 10000
  else
    not_ok "window \"$title\" opened"
    shot "$name-missing"
  fi
}

# shown_child TITLE ID [only]: "X Y W H" of child ID of window TITLE in its
# client area; where pages of a tab control repeat ids, the one on the shown
# page (it and every window above it visible), else the first (nothing
# with "only").
shown_child() {
  driver children "$1" 2>/dev/null | awk -v id="$2" -v only="${3:-}" '
    $1 == "child" {
      depth = (index($0, "child") - 1) / 2
      shown[depth] = $8 == "visible" && (depth == 0 || shown[depth - 1])
      if ($2 != id) next
      if (shown[depth]) { print $4, $5, $6, $7; found = 1; exit }
      if (first == "") first = $4 " " $5 " " $6 " " $7
    }
    END { if (!found && first != "" && only == "") print first }'
}

# on_shown_page TITLE ID: exit 0 when child ID of window TITLE is shown.
on_shown_page() { [ -n "$(shown_child "$1" "$2" only)" ]; }

# click_child TITLE ID: clicks the middle of child ID of window TITLE (the
# shown one, see shown_child), by screen coordinates, as a user would.
click_child() {
  local title=$1 id=$2 origin child
  origin=$(driver window-info "$title" 2>/dev/null | sed -n 's/^client-origin //p')
  child=$(shown_child "$title" "$id")
  [ -n "$origin" ] && [ -n "$child" ] || return 1
  read -r ox oy <<<"$origin"
  read -r cx cy cw ch <<<"$child"
  driver click $((ox + cx + cw / 2)) $((oy + cy + ch / 2)) "$title" >/dev/null 2>&1
}

# open_from_menu MAIN KEY DOWNS TITLE: opens a menu of window MAIN by its
# mnemonic KEY (a character code, as SC_KEYMENU gets it from Alt+KEY), goes
# DOWNS items down from the first, presses Enter; exit 0 once a window
# TITLE is shown.
open_from_menu() {
  local main=$1 key=$2 downs=$3 title=$4
  driver post "$main" 0x0112 0xF100 "$key" >/dev/null 2>&1
  sleep 0.5
  for _ in $(seq "$downs"); do driver post "$main" 0x0100 0x28 0 >/dev/null 2>&1; done
  driver post "$main" 0x0100 0x0D 0 >/dev/null 2>&1
  driver wait-window "$title" 15000 >/dev/null 2>&1
}

# open_in_program DESKTOP MAIN KEY DOWNS TITLE: starts Dravon.exe in the
# virtual desktop DESKTOP, waits for its main window MAIN and opens window
# TITLE, the menu item of that name, from MAIN's menu (open_from_menu). When
# either does not appear, reports it and ends the program and the script.
open_in_program() {
  local desk=$1 main=$2 key=$3 downs=$4 title=$5
  start_in_desktop "$desk" Dravon.exe
  if ! driver wait-window "$main" 60000 >/dev/null 2>&1; then
    not_ok "main window \"$main\" appeared"
    shot "$desk-missing"
    finish
    exit
  fi
  ok "main window \"$main\" appeared"
  if ! open_from_menu "$main" "$key" "$downs" "$title"; then
    not_ok "the menu item $title opens the dialog"
    shot "$desk-dialog-missing"
    driver close "$main" >/dev/null 2>&1
    finish
    exit
  fi
  ok "the menu item $title opens the dialog"
}

# check_tabs TITLE TAB-ID SELECTED CAPTION...: tab control TAB-ID of window
# TITLE carries the CAPTIONs in this order, and tab SELECTED is selected.
check_tabs() {
  local title=$1 id=$2 selected=$3 tabs captions want
  shift 3
  tabs=$(driver tab-items "$title" "$id" 2>/dev/null)
  captions=$(cut -f8 <<<"$tabs" | tr '\n' '|')
  want=$(printf '%s|' "$@")
  if [ "$captions" = "$want" ]; then ok "$# tabs in order"; else not_ok "$# tabs in order ($captions)"; fi
  check "tab $selected is the selected tab" grep -qP "^tab\t$selected\t1\t" <<<"$tabs"
}

# click_tab TITLE TAB-ID INDEX: a click on the middle of tab INDEX of tab
# control TAB-ID in window TITLE.
click_tab() {
  local l t r b
  read -r l t r b <<<"$(driver tab-items "$1" "$2" 2>/dev/null | awk -F'\t' -v i="$3" '$2 == i { print $4, $5, $6, $7 }')"
  [ -n "$b" ] && driver click $(((l + r) / 2)) $(((t + b) / 2)) "$1" >/dev/null 2>&1
}

# page_at_rest TITLE TAB-ID ID: the page of control ID of window TITLE is
# shown and stands at the page origin, 4 pixels into tab control TAB-ID.
page_at_rest() {
  local kids tab_x page_x
  kids=$(driver children "$1" 2>/dev/null)
  tab_x=$(awk -v id="$2" '$1 == "child" && $2 == id { print $4; exit }' <<<"$kids")
  page_x=$(awk -v id="$3" '
    $1 == "child" && $3 == "\"#32770\"" { x = $4; shown = ($8 == "visible") }
    $1 == "child" && $2 == id { if (shown) print x; exit }' <<<"$kids")
  [ -n "$tab_x" ] && [ -n "$page_x" ] && [ "$page_x" -eq $((tab_x + 4)) ]
}
# wait_page_at_rest TITLE TAB-ID ID: page_at_rest within five seconds.
wait_page_at_rest() { for _ in $(seq 50); do page_at_rest "$@" && return 0; sleep 0.1; done; return 1; }

# list_rows TITLE ID: the rows of list ID of window TITLE, tab-separated:
# row, index, image, label, value.
list_rows() { driver list-rows "$1" "$2" 2>/dev/null; }
# row_is ROWS INDEX LABEL [VALUE]: row INDEX of ROWS has LABEL (and VALUE).
row_is() {
  local line
  line=$(awk -F'\t' -v i="$2" '$2 == i' <<<"$1")
  [ "$(cut -f4 <<<"$line")" = "$3" ] && { [ $# -lt 4 ] || [ "$(cut -f5 <<<"$line")" = "$4" ]; }
}

# check_no_leaks MAIN COMMAND TITLE: opens window TITLE by command COMMAND
# of window MAIN and closes it, 50 times; MAIN's process must end with its
# USER objects where they were and its GDI objects within the slack of
# objects Wine may still cache once (tests/win/common/GuiResources.h),
# counted after two rounds that fill the caches made once. Each dialog's
# own tests open it 200 times; in the whole program a leak of one object
# an opening is still 25 times the slack, and each opening costs a quarter
# of a second or more under Wine.
check_no_leaks() {
  local main=$1 command=$2 title=$3 slack=2 times=50 before after cycles gdi0 gdi1 user0 user1
  driver repeat-dialog "$main" "$command" "$title" 2 >/dev/null 2>&1
  before=$(driver gui-counts "$main" 2>/dev/null | tr '\n' ' ')
  cycles=$(driver repeat-dialog "$main" "$command" "$title" $times 2>&1)
  after=$(driver gui-counts "$main" 2>/dev/null | tr '\n' ' ')
  echo "# $times openings: $cycles; before: $before; after: $after"
  read -r _ gdi0 _ user0 <<<"$before"
  read -r _ gdi1 _ user1 <<<"$after"
  if grep -q "^cycles $times " <<<"$cycles"; then ok "opened and closed $times times"; else
    not_ok "opened and closed $times times"; fi
  if [ -n "$gdi0" ] && [ -n "$gdi1" ] && [ $((gdi1 - gdi0)) -le "$slack" ] && [ $((gdi0 - gdi1)) -le "$slack" ]; then
    ok "GDI objects back to where they were ($gdi0, $gdi1)"; else not_ok "GDI objects back to where they were ($gdi0, $gdi1)"; fi
  if [ -n "$user0" ] && [ "$user0" = "$user1" ]; then ok "USER objects back to where they were ($user0)"; else
    not_ok "USER objects back to where they were ($user0, $user1)"; fi
}

# make_prefix PREFIX LETTER=DIR...: a private prefix made from the tree's own:
# its files shared read-only by hard links (the program writes nothing
# there), its registry copied, C: and Y: (the build tree, where the programs
# are) and the given drives, and no Z:, which would offer the whole host to
# a click.
make_prefix() {
  local prefix=$1 drive; shift
  rm -rf "$prefix"
  mkdir -p "$prefix/dosdevices"
  [ -f "$BUILD/wineprefix/system.reg" ] || WINEPREFIX="$BUILD/wineprefix" "$WINE_RUN" wineboot -i >/dev/null 2>&1
  cp -a "$BUILD/wineprefix/"*.reg "$prefix/"
  cp -a "$BUILD/wineprefix/.update-timestamp" "$prefix/" 2>/dev/null
  cp -al "$BUILD/wineprefix/drive_c" "$prefix/drive_c"
  ln -s ../drive_c "$prefix/dosdevices/c:"
  for drive in "$@"; do ln -s "${drive#*=}" "$prefix/dosdevices/${drive%%=*}:"; done
  ln -s "$BUILD" "$prefix/dosdevices/y:"
  pick_server_folder "$prefix"
}

# ---- the disk overview's slots, read from screenshots -------------------------
# Palette colours (RRGGBB) of slices 0, 1 and 2, and the empty square.
colour0=FF0080 colour1=0000FF colour2=FF8000 square=0096DD

# The pie charts' screen rects, slot 1 to 5 (PIE_CHART_CTRL 0 to 4) of
# window $main, asked once: the layout does not change.
declare -A pie
read_pie_rects() {
  for slot in 1 2 3 4 5; do
    pie[$slot]=$(driver child-rect "$main" PIE_CHART_CTRL $((slot - 1)) 2>/dev/null | sed -n 's/^rect //p')
  done
}

# pie_point SLOT DEGREES: the screen point at DEGREES (0 at 12 o'clock,
# clockwise) at 85 % of the disc's radius, clear of the share texts.
pie_point() {
  local l t r b
  read -r l t r b <<<"${pie[$1]}"
  [ -n "$b" ] || return 1
  awk -v l="$l" -v t="$t" -v w=$((r - l)) -v h=$((b - t)) -v a="$2" 'BEGIN {
    s = (w < h ? w : h); c = s / 2; rad = 0.85 * (s / 2 - 1); th = a * 3.14159265 / 180
    printf "%d %d\n", l + c + rad * sin(th), t + c - rad * cos(th) }'
}

# slot_colours SHOT SLOT DEGREES...: the colours at those angles, joined by
# spaces (one reading of the screenshot).
slot_colours() {
  local shot=$1 slot=$2 format="" x y; shift 2
  for a in "$@"; do
    read -r x y <<<"$(pie_point "$slot" "$a")" || return 1
    format="$format %[hex:p{$x,$y}]"
  done
  /usr/bin/convert "$SHOTS/$shot.png" -format "${format# }" info: 2>/dev/null | sed 's/\([0-9A-F]\{6\}\)[0-9A-F]*/\1/g'
}

# wait_slot SLOT EXPECTED DEGREES...: screenshots (slot-poll) until the slot
# shows the colours EXPECTED at those angles (30 s at most).
wait_slot() {
  local slot=$1 want=$2 end=$((SECONDS + 30)); shift 2
  while [ "$SECONDS" -lt "$end" ]; do
    shot slot-poll >/dev/null
    [ "$(slot_colours slot-poll "$slot" "$@")" = "$want" ] && return 0
    sleep 0.2
  done
  echo "# slot $slot shows $(slot_colours slot-poll "$slot" "$@"), not $want"
  return 1
}

# The shortcut bar is the splitter's first pane: the second window of id
# 0xE900 (the splitter itself is the first). Its items stand 76 pixels
# apart, the first icon's middle 43 below the bar's top (large icons with
# captions in the default GUI font).
bar_first_icon=43 bar_item_step=76
# bar_item_point INDEX: the middle of the icon of shortcut bar item INDEX.
bar_item_point() {
  local l t r b
  read -r l t r b <<<"$(driver child-rect "$main" '#59648' 1 2>/dev/null | sed -n 's/^rect //p')"
  [ -n "$b" ] || return 1
  echo $(((l + r) / 2)) $((t + bar_first_icon + $1 * bar_item_step))
}

# counts KEY: "threads" or "handles" of $main's process. Threads leave out
# the system's sound player (a click's sound has a thread of its own, which
# comes and goes as it pleases).
counts() { driver process-counts "$main" 2>/dev/null | tr -d '\r' | awk -v k="$1" '$1 == k { print $2 }'; }
