#!/usr/bin/env bash
# Starts the client in the application directory, under Xvfb when there is no
# display, saves a screenshot and ends it.
set -euo pipefail
APP="$1"
SHOTS="$(cd "$APP/.." && pwd)/shots"
mkdir -p "$SHOTS"

run_client() {
    "$APP/telvane" "$@" &
    local pid=$!
    sleep "${TV_DEMO_SECONDS:-4}"
    import -window root "$SHOTS/demo.png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

if [ -n "${DISPLAY:-}" ] && [ -z "${TV_DEMO_HEADLESS:-}" ]; then
    exec "$APP/telvane"
fi
export -f run_client
export APP SHOTS
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c run_client
echo "[run] screenshot saved to $SHOTS/demo.png"
