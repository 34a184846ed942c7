# The steps of wine-e2e, sourced by it: the helpers and the three checks.
# Expects: app (the unpacked folder), sim, work, shots, wine64, wineserver,
# DISPLAY; say and fail.

MAIN_TITLE='^Remote Control$'
DIALOG_TITLE='^CLoginDlg$'
NOTICE_TITLE='^Prompt$'
SIM_PORT=""

# start_sim <name> [options...]: a fresh simulator; its port in SIM_PORT.
start_sim() {
    local name="$1"
    shift
    if [ -n "$SIM_PID" ]; then
        kill "$SIM_PID" 2>/dev/null
        wait "$SIM_PID" 2>/dev/null
    fi
    : >"$work/run/$name.commands"
    "$sim" --listen 127.0.0.1:0 --command-log "$work/run/$name.commands" "$@" \
        >"$work/run/$name.out" 2>"$work/run/$name.log" &
    SIM_PID=$!
    for _ in $(seq 100); do
        grep -q '^listening ' "$work/run/$name.out" && break
        sleep 0.1
    done
    SIM_PORT="$(sed -n 's/^listening .*:\([0-9]*\)$/\1/p' "$work/run/$name.out")"
    [ -n "$SIM_PORT" ] || fail "the recorder simulator did not start ($work/run/$name.log)"
}

# start_app [arguments...]: telvane.exe from the unpacked zip, in the background.
start_app() {
    (cd "$app" && exec "$wine64" ./telvane.exe "$@" >>"$work/run/telvane.log" 2>&1) &
}

stop_app() {
    "$wineserver" -k >/dev/null 2>&1
    "$wineserver" -w >/dev/null 2>&1
}

# wait_window <title-regex> <seconds>: prints the id of a visible window.
wait_window() {
    local id end=$((SECONDS + $2))
    while [ $SECONDS -lt $end ]; do
        id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)"
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    return 1
}

# geometry <window>: sets GX GY GW GH.
geometry() {
    eval "$(xdotool getwindowgeometry --shell "$1" | sed -n 's/^\(X\|Y\|WIDTH\|HEIGHT\)=/G&/p' |
        sed 's/^GWIDTH/GW/; s/^GHEIGHT/GH/')"
}

# crop_stat <png> <w> <h> <x> <y>: the grey-level standard deviation (0..1).
crop_stat() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -colorspace gray \
        -format '%[fx:standard_deviation]' info:
}

# The picture: the main window below its title bar, inside its border.
picture_region() {
    geometry "$1"
    PX=$((GX + 8)) PY=$((GY + 60)) PW=$((GW - 16)) PH=$((GH - 68))
}

# The first row below the title bar that belongs to the picture, found by
# walking down the middle of the window from the bar's plain background.
picture_top() {
    local png="$1" x=$((GX + GW / 2)) row
    row="$(convert "$png" -crop "1x80+$x+$((GY + 4))" +repage -depth 8 txt:- |
        awk -F'[ :,]+' 'NR == 2 { first = $0; sub(/^[^#]*/, "", first) }
                        NR > 2 { c = $0; sub(/^[^#]*/, "", c); if (c != first) { print $2; exit } }')"
    echo $((GY + 4 + ${row:-40}))
}

check_silent_login() {
    say "silent login with seven arguments"
    start_sim silent
    local t0=$SECONDS start_ns id
    start_ns=$(date +%s%N)
    start_app 0 127.0.0.1 "" "$SIM_PORT" admin "" English
    id="$(wait_window "$MAIN_TITLE" 120)" || fail "the main window did not appear"
    picture_region "$id"
    # The first live picture: the frame stops being flat.
    local shot="$work/run/live.png" stat="0" end=$((SECONDS + 60))
    while [ $SECONDS -lt $end ]; do
        import -window root "$shot"
        stat="$(crop_stat "$shot" "$PW" "$PH" "$PX" "$PY")"
        awk -v s="$stat" 'BEGIN { exit !(s > 0.05) }' && break
        sleep 0.2
    done
    awk -v s="$stat" 'BEGIN { exit !(s > 0.05) }' || fail "the video frame stayed flat (deviation $stat)"
    FIRST_PICTURE_MS=$((($(date +%s%N) - start_ns) / 1000000))
    say "first live picture $FIRST_PICTURE_MS ms after starting telvane.exe (deviation $stat)"
    grep -q 'login of "admin" (by address) accepted' "$work/run/silent.log" ||
        fail "the simulator saw no login"
    # Live: the recorder's clock and scenes move.
    sleep 1.5
    import -window root "$work/run/live2.png"
    local changed
    changed="$(compare -metric AE -fuzz 3% \
        <(convert "$shot" -crop "${PW}x${PH}+${PX}+${PY}" +repage png:-) \
        <(convert "$work/run/live2.png" -crop "${PW}x${PH}+${PX}+${PY}" +repage png:-) null: 2>&1)"
    [ "${changed%% *}" != 0 ] || fail "the picture did not change in 1.5 s"
    say "the picture is live: $changed pixels changed in 1.5 s"
    cp "$work/run/live2.png" "$shots/windows-main.png"
    check_click "$id" "$work/run/live2.png"
    stop_app
    : $t0
}

# A left click in the middle of the picture: a press and a release at the
# same place, in JsonCpp's styled layout, byte for byte.
check_click() {
    local id="$1" png="$2" top cx cy
    geometry "$id"
    top="$(picture_top "$png")"
    cx=$((GX + GW / 2)) cy=$((top + (GY + GH - top) / 2))
    xdotool mousemove "$cx" "$cy"
    sleep 0.3
    : >"$work/run/silent.commands.before"
    cp "$work/run/silent.commands" "$work/run/silent.commands.before"
    xdotool click 1
    local end=$((SECONDS + 10))
    while [ $SECONDS -lt $end ]; do
        grep -q '"msg" : "0x20009"' "$work/run/silent.commands" 2>/dev/null && break
        sleep 0.1
    done
    python3 "$(dirname "${BASH_SOURCE[0]}")/check-click.py" "$work/run/silent.commands" \
        "$((cx - GX))" "$((cy - top))" "$GW" "$((GY + GH - top))" 1920 1080 ||
        fail "the click did not arrive as the exact documents (log: $work/run/silent.commands)"
    say "a real click over the picture arrived as the exact press and release documents"
}

check_login_dialog() {
    say "login dialog: wrong password, then the right one"
    start_sim dialog --user admin:secret
    rm -f "$app/Config.ini"
    printf '[RemoteCtrlSystem]\r\nLoginType=0\r\nSaveInfo=1\r\nAutoLogin=0\r\n[RemoteCtrlDevInfo]\r\nIP=127.0.0.1\r\nPort=%s\r\nUserName=admin\r\nPassword=wrong\r\n[RemoteCtrlTheme]\r\nSolution=English\r\n' \
        "$SIM_PORT" >"$app/Config.ini"
    start_app
    local dlg notice main
    dlg="$(wait_window "$DIALOG_TITLE" 120)" || fail "the login dialog did not appear"
    sleep 1
    import -window root "$shots/windows-login.png"
    xdotool windowfocus --sync "$dlg" key Return
    notice="$(wait_window "$NOTICE_TITLE" 30)" || fail "no \"Prompt\" notice after a wrong password"
    sleep 0.5
    import -window root "$shots/windows-wrong-password.png"
    xdotool windowfocus --sync "$notice" key Return
    local end=$((SECONDS + 10))
    while [ $SECONDS -lt $end ] && xdotool search --onlyvisible --name "$NOTICE_TITLE" >/dev/null; do
        sleep 0.2
    done
    # The password field has the focus after a failed login: replace its text.
    xdotool windowfocus --sync "$dlg" key ctrl+a type secret
    xdotool key Return
    main="$(wait_window "$MAIN_TITLE" 60)" || fail "the right password did not open the main window"
    grep -q 'login of "admin" (by address) accepted' "$work/run/dialog.log" ||
        fail "the simulator saw no accepted login"
    say "a wrong password gave the notice; the right one opened the main window"
    MAIN_ID="$main"
}

check_logout_relaunch() {
    say "logout starts a new instance with the login dialog"
    local id="$MAIN_ID" confirm dlg
    geometry "$id"
    # The title bar's buttons, right to left: close, maximise, minimise,
    # logout, refresh; 25 px wide.
    sleep 1
    xdotool mousemove $((GX + GW - 12 - 3 * 30 - 12)) $((GY + 24)) click 1
    confirm="$(wait_window "$NOTICE_TITLE" 15)" || fail "logout asked for no confirmation"
    xdotool windowfocus --sync "$confirm" key Return
    local end=$((SECONDS + 60))
    dlg=""
    while [ $SECONDS -lt $end ]; do
        if ! xdotool search --onlyvisible --name "$MAIN_TITLE" >/dev/null; then
            dlg="$(wait_window "$DIALOG_TITLE" 1)" && break
        fi
        sleep 0.3
    done
    [ -n "$dlg" ] || fail "no new instance with the login dialog after logout"
    sleep 1
    import -window root "$shots/windows-relaunch.png"
    grep -q 'logout\|closed' "$work/run/dialog.log" || say "(the simulator logged no logout)"
    say "logout started a new instance showing the login dialog"
    stop_app
}
