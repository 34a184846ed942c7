#!/usr/bin/env bash
# One demo run on the current display: the recorder simulator, and the client
# logging into it from the command line (login type, address, serial, port,
# user, password, language). Headless, it also clicks into the picture the
# way a user would and saves what the screen shows before and after.
set -euo pipefail
APP="$1"
SHOTS="$2"
MODE="$3"
LANGUAGE="${TV_DEMO_LANGUAGE:-English}"
cd "$APP"

SIM_OUT="$(mktemp)"
./recorder-sim --listen 127.0.0.1:0 --command-log "$SHOTS/commands.log" >"$SIM_OUT" 2>"$SHOTS/recorder-sim.log" &
SIM=$!
trap 'kill $SIM 2>/dev/null || true; rm -f "$SIM_OUT"' EXIT
for _ in $(seq 100); do
    grep -q '^listening ' "$SIM_OUT" && break
    sleep 0.1
done
PORT="$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$SIM_OUT")"
[ -n "$PORT" ] || { echo "[run] the recorder simulator did not start" >&2; exit 1; }
echo "[run] recorder simulator listening on 127.0.0.1:$PORT"

ARGS=(0 127.0.0.1 "" "$PORT" admin "" "$LANGUAGE")
if [ "$MODE" = interactive ]; then
    ./telvane "${ARGS[@]}"
    exit 0
fi

./telvane "${ARGS[@]}" &
CLIENT=$!
sleep "${TV_DEMO_SECONDS:-4}"
import -window root "$SHOTS/demo.png"
if command -v xdotool >/dev/null; then
    # Right-click in the picture: the recorder opens its context menu.
    xdotool mousemove 700 500 click 3
    sleep 1
    import -window root "$SHOTS/demo-click.png"
fi
kill "$CLIENT" 2>/dev/null || true
wait "$CLIENT" 2>/dev/null || true
