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
    disown $!
}

# press <x> <y>: a left click as a hand makes it. Wine drops a press and
# release that come in the same instant.
press() {
    xdotool mousemove "$1" "$2"
    sleep 0.2
    xdotool mousedown 1
    sleep 0.15
    xdotool mouseup 1
}

# The message box is a window of its own (the veil under it is another,
# titled like the box): prints the id of the box, the visible window whose
# name is the program's.
wait_box() {
    wait_window '^telvane$' "$1"
}

# press_box_button <box> <offset>: a button of the box, <offset> pixels
# from its middle, on the button row.
press_box_button() {
    geometry "$1"
    press $((GX + GW / 2 + $2)) $((GY + GH - 25))
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

# The first row of the picture: the sharpest change of brightness going
# down the middle of the window's top, where the title bar (a gradient)
# meets the picture.
picture_top() {
    local png="$1" x=$((GX + GW / 2)) row
    row="$(convert "$png" -crop "1x80+$x+$GY" +repage -colorspace gray -depth 8 txt:- |
        awk -F'[(,)]' 'NR > 1 { v = $3 + 0; if (NR > 2) { d = v - prev; if (d < 0) d = -d;
                                 if (d > best) { best = d; at = NR - 2 } } prev = v }
                       END { print at }')"
    echo $((GY + ${row:-40}))
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
    convert "$shot" -crop "${PW}x${PH}+${PX}+${PY}" +repage "$work/run/a.png"
    convert "$work/run/live2.png" -crop "${PW}x${PH}+${PX}+${PY}" +repage "$work/run/b.png"
    changed="$(compare -metric AE -fuzz 3% "$work/run/a.png" "$work/run/b.png" null: 2>&1)"
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
    press "$cx" "$cy"
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

# The login dialog's fields and buttons, from its top left corner: the
# dialog has a fixed size of 550 x 420.
PASSWORD_AT=(313 287)
LOGIN_AT=(239 364)

check_login_dialog() {
    say "login dialog: wrong password, then the right one"
    start_sim dialog --user admin:secret
    rm -f "$app/Config.ini"
    printf '[RemoteCtrlSystem]\r\nLoginType=0\r\nSaveInfo=1\r\nAutoLogin=0\r\n[RemoteCtrlDevInfo]\r\nIP=127.0.0.1\r\nPort=%s\r\nUserName=admin\r\nPassword=wrong\r\n[RemoteCtrlTheme]\r\nSolution=English\r\n' \
        "$SIM_PORT" >"$app/Config.ini"
    start_app
    local dlg box main
    dlg="$(wait_window "$DIALOG_TITLE" 120)" || fail "the login dialog did not appear"
    sleep 1
    import -window root "$shots/windows-login.png"
    geometry "$dlg"
    local dx=$GX dy=$GY
    press $((dx + LOGIN_AT[0])) $((dy + LOGIN_AT[1]))
    wait_window "$NOTICE_TITLE" 30 >/dev/null || fail "no \"Prompt\" notice after a wrong password"
    box="$(wait_box 10)" || fail "the notice has no box"
    sleep 0.5
    import -window root "$shots/windows-wrong-password.png"
    grep -q 'login of .* refused' "$work/run/dialog.log" ||
        fail "the simulator saw no refused login"
    press_box_button "$box" 0
    local end=$((SECONDS + 10))
    while [ $SECONDS -lt $end ] && xdotool search --onlyvisible --name "$NOTICE_TITLE" >/dev/null; do
        sleep 0.2
    done
    press $((dx + PASSWORD_AT[0])) $((dy + PASSWORD_AT[1]))
    xdotool key ctrl+a
    xdotool type --delay 40 secret
    press $((dx + LOGIN_AT[0])) $((dy + LOGIN_AT[1]))
    main="$(wait_window "$MAIN_TITLE" 60)" || fail "the right password did not open the main window"
    grep -q 'login of "admin" (by address) accepted' "$work/run/dialog.log" ||
        fail "the simulator saw no accepted login"
    say "a wrong password gave the \"Prompt\" notice; the right one opened the main window"
    MAIN_ID="$main"
}

check_logout_relaunch() {
    say "logout starts a new instance with the login dialog"
    local id="$MAIN_ID" box dlg
    sleep 1
    geometry "$id"
    # The title bar's buttons, right to left: close, maximise, minimise,
    # logout, refresh, 31 px apart.
    press $((GX + GW - 22 - 3 * 31)) $((GY + 24))
    box="$(wait_box 15)" || fail "logout asked for no confirmation"
    sleep 0.5
    import -window root "$shots/windows-logout.png"
    # "Yes" is the left one of the two buttons.
    press_box_button "$box" -38
    local end=$((SECONDS + 60))
    dlg=""
    while [ $SECONDS -lt $end ]; do
        dlg="$(xdotool search --onlyvisible --name "$DIALOG_TITLE" 2>/dev/null | head -n 1)"
        [ -n "$dlg" ] && ! xdotool search --onlyvisible --name "$MAIN_TITLE" >/dev/null && break
        dlg=""
        sleep 0.3
    done
    [ -n "$dlg" ] || fail "no new instance with the login dialog after logout"
    sleep 1
    import -window root "$shots/windows-relaunch.png"
    say "logout started a new instance showing the login dialog"
    stop_app
}
