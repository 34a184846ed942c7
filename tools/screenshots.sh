#!/usr/bin/env bash
# screenshots.sh <application directory> <out-dir>: the pictures of the real
# program that the README and docs show, taken under a private Xvfb with real
# input, in English, Russian and Brazilian Portuguese:
#   notice-<lang>.png    "Device Disconnect" over the live window, after an
#                        interactive login, when the recorder goes away;
#   refused-<lang>.png   the notice after a refused stream;
#   main-hidpi.png       the live window at 150 %.
# Every step waits for what it needs to see, each within a deadline.
set -euo pipefail
APP="$(cd "$1" && pwd)"
OUT="$(mkdir -p "$2" && cd "$2" && pwd)"
if [ -z "${TV_SHOTS_INNER:-}" ]; then
    TV_SHOTS_INNER=1 exec "$(dirname "$0")/with-xvfb" "$0" "$@"
fi
TV_TAG=screenshots
. "$(dirname "${BASH_SOURCE[0]}")/lib/common.sh"
WORK="$(mktemp -d)"
trap 'pkill -f "^$WORK/" 2>/dev/null || true; rm -rf "$WORK"' EXIT
cp -r "$APP"/{telvane,recorder-sim,libNetSDK.so,libH264Play.so,skin,translations} "$WORK/"

# The windows' titles in the three languages.
MAIN_TITLE='^(Remote Control|Удалённое управление|Controle Remoto)$'
DIALOG_TITLE='^(CLoginDlg|Вход|Entrar)$'
NOTICE_TITLE='^(Prompt|Сообщение|Aviso)$'

start_sim() { # start_sim [options...]: sets SIM and PORT
    tv_start_simulator "$WORK/recorder-sim" "$WORK/sim.err" "$@" ||
        { cat "$WORK/sim.err" >&2; die "no simulator"; }
    SIM="$TV_SIM_PID" PORT="$TV_SIM_PORT"
}

stop_sim() {
    kill "$SIM" 2>/dev/null || true
    wait "$SIM" 2>/dev/null || true
}

config() { # config <language>
    printf '[RemoteCtrlSystem]\nLoginType=0\n[RemoteCtrlDevInfo]\nIP=127.0.0.1\nPort=%s\n[RemoteCtrlTheme]\nSolution=%s\n' \
        "$PORT" "$1" >"$WORK/Config.ini"
}

logged_in() { grep -qs 'login of "admin" (by address) accepted' "$WORK/sim.err"; }
no_client() { ! pgrep -f "^$WORK/telvane" >/dev/null; }

stop_client() {
    pkill -f "^$WORK/telvane" || true
    tv_wait_for 10 no_client || die "the client did not end"
    wait "$CLIENT" 2>/dev/null || true
}

# live <window>: the picture below the window's title bar shows the
# recorder's display, not the black of a frame nothing has drawn into yet.
live() {
    local X Y WIDTH HEIGHT deviation
    eval "$(xdotool getwindowgeometry --shell "$1")"
    deviation="$(import -window root -crop "$((WIDTH - 16))x$((HEIGHT - 120))+$((X + 8))+$((Y + 100))" \
        -colorspace gray -format '%[fx:standard_deviation]' info: 2>/dev/null)" || return 1
    awk -v d="$deviation" 'BEGIN { exit !(d > 0.05) }'
}

# wait_live: the main window is up and its picture live.
wait_live() {
    local id
    id="$(tv_wait_window "$MAIN_TITLE" 30)" || die "no main window"
    tv_wait_for 30 live "$id" || die "the picture did not come"
}

# steady: two grabs of the screen in a row are alike, so whatever just
# opened has painted itself.
steady() {
    import -window root "$WORK/now.png"
    if [ -f "$WORK/last.png" ] &&
        [ "$(compare -metric AE "$WORK/now.png" "$WORK/last.png" null: 2>&1)" = 0 ]; then
        return 0
    fi
    mv "$WORK/now.png" "$WORK/last.png"
    return 1
}

# wait_notice: the notice is open and painted.
wait_notice() {
    tv_wait_window "$NOTICE_TITLE" 30 >/dev/null || die "no notice"
    rm -f "$WORK/last.png"
    tv_wait_for 10 steady || die "the screen did not settle"
}

# shot <file>: the program's largest visible window (the main window, or the
# login dialog), with what lies over it.
shot() {
    import -window root "$WORK/full.png"
    local id best=0 area X Y WIDTH HEIGHT crop=""
    for id in $(xdotool search --onlyvisible --pid "$CLIENT"); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        area=$((WIDTH * HEIGHT))
        [ "$area" -gt "$best" ] && best=$area && crop="${WIDTH}x${HEIGHT}+${X}+${Y}"
    done
    [ -n "$crop" ] || die "no window to take"
    convert "$WORK/full.png" -crop "$crop" +repage "$1"
}

for lang in English Russian "Portugues(Br)"; do
    case "$lang" in English) tag=en ;; Russian) tag=ru ;; *) tag=pt ;; esac
    start_sim
    config "$lang"
    "$WORK/telvane" &
    CLIENT=$!
    tv_wait_window "$DIALOG_TITLE" 30 >/dev/null || die "no login dialog"
    # Return logs in once the dialog has taken the keyboard.
    for _ in 1 2 3; do
        xdotool key Return
        tv_wait_for 10 logged_in && break
    done
    logged_in || die "the login dialog did not log in"
    wait_live
    stop_sim
    wait_notice
    shot "$OUT/notice-$tag.png"
    stop_client

    start_sim --refuse-realplay
    "$WORK/telvane" 0 127.0.0.1 "" "$PORT" admin "" "$lang" &
    CLIENT=$!
    wait_notice
    shot "$OUT/refused-$tag.png"
    stop_client
    stop_sim
done

start_sim
QT_SCALE_FACTOR=1.5 "$WORK/telvane" 0 127.0.0.1 "" "$PORT" admin "" English &
CLIENT=$!
wait_live
shot "$OUT/main-hidpi.png"
