#!/usr/bin/env bash
# Starts the program on the display, or on a virtual screen (Xvfb) when there is none.
# Usage: scripts/run.sh PROGRAM
set -euo pipefail
program=$1
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then exec "$program"; fi

tmp=$(mktemp -d)
# Xvfb gets a session of its own so that Ctrl+C reaches only the program, which then closes as
# through its exit button and saves; the virtual screen goes when the program has ended.
setsid Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -rf "$tmp"' EXIT
for _ in $(seq 200); do [ -s "$tmp/display" ] && break; sleep 0.05; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"
echo "No display: Velmora runs on a virtual screen ($DISPLAY); press Ctrl+C to close it (your library is saved)."
"$program"
