#!/usr/bin/env bash
# Sets up, builds and starts Dravon.exe under Wine. On a display it runs until
# you close it; with no DISPLAY it runs on a private Xvfb, saves a screenshot
# to build/screenshots/dravon.png and ends.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
# Wine needs a UTF-8 locale for file names outside ASCII; C.UTF-8 is always there.
export LC_ALL=C.UTF-8
cd "$top"

tools/setup.sh
tools/build.sh win

bin=build/win/bin
wine_run=build/win/wine-run.sh
if [ -n "${DISPLAY:-}" ]; then
  tools/wine/prefix.sh --if-stale "$top/build/win/wineprefix"
  cd "$bin" && exec "$top/$wine_run" explorer /desktop=dravon,1024x768 Dravon.exe
fi

xpid=$(mktemp)
DISPLAY=$(tools/xvfb.sh "$xpid")
export DISPLAY
trap 'WINEPREFIX="$top/build/win/wineprefix" wineserver -k 2>/dev/null; kill "$(cat "$xpid")" 2>/dev/null; rm -f "$xpid"' EXIT
tools/wine/prefix.sh --if-stale "$top/build/win/wineprefix"
mkdir -p build/screenshots
(cd "$bin" && "$top/$wine_run" explorer /desktop=dravon,1024x768 Dravon.exe >/dev/null 2>&1 &)
# The driver waits for the main window and its start-up banner to pass.
"$wine_run" build/win/tools/driver.exe wait-window "Dravon   V1.3" 60000
sleep 1
import -display "$DISPLAY" -window root build/screenshots/dravon.png
echo "Screenshot: build/screenshots/dravon.png"
