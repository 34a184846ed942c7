#!/usr/bin/env bash
# One demo run on the current display: the client, and once the recorder
# simulator exists, the simulator it logs into.
set -euo pipefail
APP="$1"
SHOTS="$2"
MODE="$3"

cd "$APP"
if [ "$MODE" = interactive ]; then
    exec ./telvane
fi
./telvane &
PID=$!
sleep "${TV_DEMO_SECONDS:-4}"
import -window root "$SHOTS/demo.png"
kill "$PID" 2>/dev/null || true
wait "$PID" 2>/dev/null || true
