#!/usr/bin/env bash
# Starts a private Xvfb on the first free display and prints its name.
# The caller kills it by the pid written to $1.
set -euo pipefail
pidfile=${1:?usage: xvfb.sh PIDFILE}
for n in $(seq 91 140); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  echo $! > "$pidfile"
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && { echo ":$n"; exit 0; }
    sleep 0.1
  done
  kill "$(cat "$pidfile")" 2>/dev/null || true
done
echo "no free X display" >&2
exit 1
