#!/usr/bin/env bash
# Starts a private Xvfb on a free display and prints its name. The server
# picks the display itself (-displayfd), so scripts starting at the same time
# never share one. The caller kills it by the pid written to $1.
# XVFB_SCREEN gives another screen (WIDTHxHEIGHTxDEPTH).
set -euo pipefail
pidfile=${1:?usage: xvfb.sh PIDFILE}
numfile=$(mktemp)
trap 'rm -f "$numfile"' EXIT
Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
echo $! > "$pidfile"
for _ in $(seq 100); do
  n=$(tr -dc 0-9 <"$numfile")
  if [ -n "$n" ] && grep -q $'\n' "$numfile"; then echo ":$n"; exit 0; fi
  kill -0 "$(cat "$pidfile")" 2>/dev/null || break
  sleep 0.1
done
kill "$(cat "$pidfile")" 2>/dev/null || true
echo "no free X display" >&2
exit 1
