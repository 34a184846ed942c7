#!/usr/bin/env bash
# screenshots.sh <application directory> <out-dir>: the pictures of the real
# program that the README and docs show, taken under a private Xvfb with real
# input, in English, Russian and Brazilian Portuguese:
#   notice-<lang>.png    "Device Disconnect" over the live window, after an
#                        interactive login, when the recorder goes away;
#   refused-<lang>.png   the notice after a refused stream;
#   main-hidpi.png       the live window at 150 %.
set -euo pipefail
APP="$(cd "$1" && pwd)"
OUT="$(mkdir -p "$2" && cd "$2" && pwd)"
if [ -z "${TV_SHOTS_INNER:-}" ]; then
    TV_SHOTS_INNER=1 exec "$(dirname "$0")/with-xvfb" "$0" "$@"
fi
WORK="$(mktemp -d)"
trap 'pkill -f "^$WORK/" 2>/dev/null || true; rm -rf "$WORK"' EXIT
cp -r "$APP"/{telvane,recorder-sim,libNetSDK.so,libH264Play.so,skin,translations} "$WORK/"

start_sim() { # start_sim [options...]: sets SIM and PORT
    rm -f "$WORK/sim.out" # the last simulator's line must not be read as this one's
    "$WORK/recorder-sim" --listen 127.0.0.1:0 "$@" >"$WORK/sim.out" 2>"$WORK/sim.err" &
    SIM=$!
    for _ in $(seq 100); do grep -qs '^listening ' "$WORK/sim.out" && break; sleep 0.1; done
    PORT="$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$WORK/sim.out")"
    [ -n "$PORT" ] || { cat "$WORK/sim.err" >&2; echo "screenshots: no simulator" >&2; exit 1; }
}

config() { # config <language>
    printf '[RemoteCtrlSystem]\nLoginType=0\n[RemoteCtrlDevInfo]\nIP=127.0.0.1\nPort=%s\n[RemoteCtrlTheme]\nSolution=%s\n' \
        "$PORT" "$1" >"$WORK/Config.ini"
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
    [ -n "$crop" ] || { echo "screenshots: no window to take" >&2; exit 1; }
    convert "$WORK/full.png" -crop "$crop" +repage "$1"
}

for lang in English Russian "Portugues(Br)"; do
    case "$lang" in English) tag=en ;; Russian) tag=ru ;; *) tag=pt ;; esac
    start_sim
    config "$lang"
    "$WORK/telvane" &
    CLIENT=$!
    sleep 2
    xdotool key Return # the login dialog logs in
    sleep 4
    kill "$SIM"
    sleep 2
    shot "$OUT/notice-$tag.png"
    pkill -f "^$WORK/telvane" || true
    sleep 1

    start_sim --refuse-realplay
    "$WORK/telvane" 0 127.0.0.1 "" "$PORT" admin "" "$lang" &
    CLIENT=$!
    sleep 3
    shot "$OUT/refused-$tag.png"
    pkill -f "^$WORK/telvane" || true
    kill "$SIM"
    sleep 1
done

start_sim
QT_SCALE_FACTOR=1.5 "$WORK/telvane" 0 127.0.0.1 "" "$PORT" admin "" English &
CLIENT=$!
sleep 4
shot "$OUT/main-hidpi.png"
