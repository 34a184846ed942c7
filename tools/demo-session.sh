#!/usr/bin/env bash
# One demo run on the current display: the recorder simulator, and the client
# logging into it from the command line (login type, address, serial, port,
# user, password, language). The simulator runs while any client of this
# folder does, and Config.ini offers its address, so that a client that
# logout relaunched logs into it again. Headless, it also clicks into the
# picture, logs out and in again the way a user would, and saves what the
# screen shows; it fails when the relaunched client does not get back in.
set -euo pipefail
APP="$1"
SHOTS="$2"
MODE="$3"
LANGUAGE="${TV_DEMO_LANGUAGE:-English}"
TV_TAG=run
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
cd "$APP"

trap 'kill "${TV_SIM_PID:-}" 2>/dev/null || true' EXIT
tv_start_simulator ./recorder-sim "$SHOTS/recorder-sim.log" --command-log "$SHOTS/commands.log" ||
    die "the recorder simulator did not start"
PORT="$TV_SIM_PORT"
say "recorder simulator listening on 127.0.0.1:$PORT"

# ini_set <section> <key> <value>: sets one value in Config.ini, keeping the rest.
ini_set() {
    local file="$APP/Config.ini" tmp
    tmp="$(mktemp)"
    touch "$file"
    awk -v s="[$1]" -v k="$2" -v v="$3" '
        function put() { if (!done) { print k "=" v; done = 1 } }
        $0 == s { print; insec = 1; next }
        /^\[/ { if (insec) put(); insec = 0 }
        insec && index($0, k "=") == 1 { put(); next }
        { print }
        END { if (!done) { if (!insec) print s; put() } }' "$file" >"$tmp"
    mv "$tmp" "$file"
}
ini_set RemoteCtrlSystem LoginType 0
ini_set RemoteCtrlDevInfo IP 127.0.0.1
ini_set RemoteCtrlDevInfo Port "$PORT"

clients_running() { pgrep -f "^$APP/telvane( |\$)" >/dev/null; }

ARGS=(0 127.0.0.1 "" "$PORT" admin "" "$LANGUAGE")
if [ "$MODE" = interactive ]; then
    "$APP/telvane" "${ARGS[@]}" || true
    # Logout and a change of language start a new client as this one ends.
    while clients_running; do sleep 1; done
    exit 0
fi

logins() { grep -c 'login of "admin" (by address) accepted' "$SHOTS/recorder-sim.log" || true; }

logged_in() { [ "$(logins)" -ge "$1" ]; }

"$APP/telvane" "${ARGS[@]}" &
tv_wait_for 30 logged_in 1 || die "the client did not log in"
MAIN="$(tv_wait_window '^Remote Control$' 30)" || die "the main window did not show"
# The client paints with the raster engine and loads no GL driver for it.
client="$(pgrep -f "^$APP/telvane( |\$)" | head -n 1)"
! grep -qE 'xcbglintegrations|libGLX_mesa|_dri\.so' "/proc/$client/maps" ||
    die "the client loaded a GL driver"
sleep "${TV_DEMO_SECONDS:-4}"
import -window root "$SHOTS/demo.png"
# Right-click in the picture: the recorder opens its context menu.
xdotool mousemove 700 500 click 3
sleep 1
import -window root "$SHOTS/demo-click.png"
# Logout from the title bar, "Yes" with Return; the relaunched client shows
# the login dialog, where Return logs in again.
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
xdotool mousemove $((X + WIDTH - 118)) $((Y + 22)) click 1
tv_wait_window '^Prompt$' 15 >/dev/null || die "logout asked nothing"
# The box can be on the screen a moment before the keyboard reaches it (a
# sanitized client on a busy machine took seconds): Return again while the
# question is still open.
prompt_closed() { ! tv_window_id '^Prompt$' >/dev/null; }
for try in 1 2 3; do
    xdotool key Return
    tv_wait_for 5 prompt_closed && break
    say "the question is still open 5 s after Return ($try)"
done
tv_wait_window '^CLoginDlg$' 30 >/dev/null || die "logout did not bring the login dialog back"
sleep 1
import -window root "$SHOTS/demo-relaunch.png"
# Return again if the dialog had not taken the keyboard yet.
for _ in 1 2 3; do
    xdotool key Return
    tv_wait_for 10 logged_in 2 && break
done
logged_in 2 || die "the relaunched client did not log in again"
sleep 2
import -window root "$SHOTS/demo-again.png"
pkill -f "^$APP/telvane( |\$)" || true
