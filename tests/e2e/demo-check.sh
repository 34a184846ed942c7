#!/usr/bin/env bash
# demo-check <application directory>: the headless demo in a private copy of
# the application directory (its own Config.ini): the client logs in, logs
# out, and the client that logout relaunched must log into the demo's
# simulator again.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
app="$(mktemp -d)"
trap 'rm -rf "$app"' EXIT
cp -r "$1"/{telvane,recorder-sim,libNetSDK.so,libH264Play.so,skin,translations} "$app/"
mkdir "$app/shots"
TV_DEMO_SECONDS=3 "$ROOT/tools/with-xvfb" "$ROOT/tools/demo-session.sh" "$app" "$app/shots" headless
