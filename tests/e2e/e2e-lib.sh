# Shared by the end-to-end scripts: runs Windows programs of a build tree in
# a Wine virtual desktop on $DISPLAY and checks what the driver reports.
# Source it with BUILD set to the win build tree.
set -uo pipefail
export LANG=C.UTF-8  # Wine passes the Chinese titles on the command line in this locale
export WINEPREFIX="$BUILD/wineprefix" WINEDEBUG="${WINEDEBUG:--all}"
WINE_RUN="$BUILD/wine-run.sh"
SHOTS="$BUILD/screenshots"
mkdir -p "$SHOTS"
failures=0
app_pid=""

if [ -z "${DISPLAY:-}" ]; then
  echo "skipped: no DISPLAY (test.sh starts a private Xvfb)"
  exit 77
fi

driver() { "$WINE_RUN" "$BUILD/tools/driver.exe" "$@"; }

ok() { echo "ok - $*"; }
not_ok() { echo "not ok - $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@" >/dev/null 2>&1; then ok "$what"; else not_ok "$what"; fi
}

# start_in_desktop NAME PROGRAM ARGS...: starts PROGRAM from the bin folder
# (the program finds WAV\ and SKIN\ there) inside the virtual desktop NAME.
start_in_desktop() {
  local desk=$1; shift
  (cd "$BUILD/bin" && exec "$WINE_RUN" explorer "/desktop=$desk,1024x768" "$@") >"$SHOTS/$desk.log" 2>&1 &
  app_pid=$!
}

# shot NAME: the virtual desktop, as a person would see it.
shot() {
  /usr/bin/import -display "$DISPLAY" -window root -crop 1024x768+0+0 +repage "$SHOTS/$1.png" 2>/dev/null \
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

# click_child TITLE ID: clicks the middle of child ID of window TITLE, by
# screen coordinates, as a user would.
click_child() {
  local title=$1 id=$2 origin child
  origin=$(driver window-info "$title" 2>/dev/null | sed -n 's/^client-origin //p')
  child=$(driver children "$title" 2>/dev/null | awk -v id="$id" '$1 == "child" && $2 == id { print $4, $5, $6, $7; exit }')
  [ -n "$origin" ] && [ -n "$child" ] || return 1
  read -r ox oy <<<"$origin"
  read -r cx cy cw ch <<<"$child"
  driver click $((ox + cx + cw / 2)) $((oy + cy + ch / 2)) >/dev/null 2>&1
}
