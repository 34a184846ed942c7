#!/usr/bin/env bash
# The demo: starts the client in the application directory, under Xvfb when
# there is no display, saves a screenshot and ends it.
set -euo pipefail
APP="$(cd "$1" && pwd)"
ROOT="$(cd "$APP/.." && pwd)"
SHOTS="$ROOT/shots"
TV_TAG=run
. "$ROOT/tools/lib/common.sh"
mkdir -p "$SHOTS"

if [ -n "${DISPLAY:-}" ] && [ -z "${TV_DEMO_HEADLESS:-}" ]; then
    exec "$ROOT/tools/demo-session.sh" "$APP" "$SHOTS" interactive
fi
"$ROOT/tools/with-xvfb" "$ROOT/tools/demo-session.sh" "$APP" "$SHOTS" headless
say "screenshots saved in $SHOTS"
