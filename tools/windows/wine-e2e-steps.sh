# The steps of wine-e2e, sourced by it: the helpers and the checks.
# Expects: app (the unpacked folder), zip, setup, newer, cert, sim, linkemu,
# work, shots, wine64, wineserver, DISPLAY; say, fail and the helpers of
# tools/lib/common.sh.

MAIN_TITLE='^Remote Control$'
MAIN_TITLE_RU='^Удалённое управление$'
DIALOG_TITLE='^CLoginDlg$'
NOTICE_TITLE='^Prompt$'
# A folder name that a Western 8-bit code page cannot spell.
FOREIGN="Telvane Пульт 遥控"
SERIAL=7f3a9c2e41b8d605
LOGIN_CODE=7
UNINSTALL_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Telvane'
SIM_PORT=""
SIM_P2P_PORT=""
RUN_DIR=""

# Now and then Wine fails to start a program at all, and its loader hands
# the name to start.exe, which prints this instead of the program's output.
WINE_START_FAILED='ShellExecuteEx failed'

# timed <check>: runs it and says how long it took.
timed() {
    local start=$SECONDS
    "$@"
    say "$1: $((SECONDS - start)) s"
}

# start_sim <name> [options...]: a fresh simulator; its port in SIM_PORT,
# its P2P service's (with --p2p-listen) in SIM_P2P_PORT.
start_sim() {
    local name="$1" started=""
    shift
    if [ -n "$SIM_PID" ]; then
        kill "$SIM_PID" 2>/dev/null
        wait "$SIM_PID" 2>/dev/null
    fi
    : >"$work/run/$name.commands"
    tv_start_simulator "$sim" "$work/run/$name.log" --command-log "$work/run/$name.commands" "$@" &&
        started=1
    SIM_PID="$TV_SIM_PID" SIM_PORT="$TV_SIM_PORT" SIM_P2P_PORT="$TV_SIM_P2P_PORT"
    [ -n "$started" ] || fail "the recorder simulator did not start ($work/run/$name.log)"
}

# start_app [arguments...]: telvane.exe from RUN_DIR (the unpacked zip
# unless set), in the background; app_window waits for its first window.
start_app() {
    START_DIR="${RUN_DIR:-$app}" START_ARGS=("$@")
    launch_app
}

launch_app() {
    START_AT=$(stat -c %s "$work/run/telvane.log" 2>/dev/null || echo 0)
    (cd "$START_DIR" && exec "$wine64" ./telvane.exe "${START_ARGS[@]}" >>"$work/run/telvane.log" 2>&1) &
    disown $!
}

# app_window <title-regex> <seconds>: the id of the window of the program
# start_app started, which is started again if Wine could not start it.
app_window() {
    local end=$((SECONDS + $2)) try=1
    until tv_wait_window "$1" 1; do
        [ $SECONDS -lt $end ] || return 1
        if [ $try -lt 3 ] && tail -c +$((START_AT + 1)) "$work/run/telvane.log" | grep -q "$WINE_START_FAILED"; then
            warn "Wine could not start telvane.exe (try $try)"
            try=$((try + 1))
            launch_app
        fi
    done
}

# wine_try <out> <err> <program> [arguments...]: runs a program to the end,
# its output in the file <out> and its errors in <err> ("-": in <out> too);
# tried again, up to three times, if Wine could not start it.
wine_try() {
    local out="$1" err="$2" try rc
    shift 2
    for try in 1 2 3; do
        rc=0
        if [ "$err" = - ]; then
            "$wine64" "$@" >"$out" 2>&1 || rc=$?
        else
            "$wine64" "$@" >"$out" 2>"$err" || rc=$?
        fi
        grep -q "$WINE_START_FAILED" "$out" || return "$rc"
        warn "Wine could not start $(basename "$1") (try $try)"
        sleep 1
    done
    return "$rc"
}

# wine_out <program> [arguments...]: a Windows console program's output,
# without the carriage returns.
wine_out() {
    local rc=0
    wine_try "$work/run/wine.out" /dev/null "$@" || rc=$?
    tr -d '\r' <"$work/run/wine.out"
    return "$rc"
}

# wine_run <log> <program> [arguments...]: runs a program to the end, its
# output appended to <log>.
wine_run() {
    local log="$1" rc=0
    shift
    wine_try "$work/run/wine.last" - "$@" || rc=$?
    cat "$work/run/wine.last" >>"$log"
    return "$rc"
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
    tv_wait_window '^telvane$' "$1"
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

# wait_live <window> <start-ns> <what>: waits for the first live picture in
# the window (the frame stops being flat), then checks that it moves.
# Leaves the last screenshot in LIVE_SHOT and says how long it took from
# <start-ns>; FIRST_PICTURE_MS holds that time.
wait_live() {
    local id="$1" start_ns="$2" what="$3" shot="$work/run/live.png" stat="0" end=$((SECONDS + 60))
    picture_region "$id"
    while [ $SECONDS -lt $end ]; do
        import -window root "$shot"
        stat="$(crop_stat "$shot" "$PW" "$PH" "$PX" "$PY")"
        awk -v s="$stat" 'BEGIN { exit !(s > 0.05) }' && break
        sleep 0.2
    done
    awk -v s="$stat" 'BEGIN { exit !(s > 0.05) }' || fail "$what: the video frame stayed flat (deviation $stat)"
    FIRST_PICTURE_MS=$((($(date +%s%N) - start_ns) / 1000000))
    say "$what: first live picture $FIRST_PICTURE_MS ms after the start (deviation $stat)"
    # Live: the recorder's clock and scenes move.
    sleep 1.5
    LIVE_SHOT="$work/run/live2.png"
    import -window root "$LIVE_SHOT"
    local changed
    convert "$shot" -crop "${PW}x${PH}+${PX}+${PY}" +repage "$work/run/a.png"
    convert "$LIVE_SHOT" -crop "${PW}x${PH}+${PX}+${PY}" +repage "$work/run/b.png"
    changed="$(compare -metric AE -fuzz 3% "$work/run/a.png" "$work/run/b.png" null: 2>&1)"
    [ "${changed%% *}" != 0 ] || fail "$what: the picture did not change in 1.5 s"
    say "$what: the picture is live, $changed pixels changed in 1.5 s"
}

# The build's version in the program and both DLLs, the package's in the
# installer.
check_version_info() {
    local version file pe="$(dirname "${BASH_SOURCE[0]}")/pe-version.py"
    version="$(basename "$zip" | sed -n 's/^Telvane-\(.*\)-win64\.zip$/\1/p')"
    for file in telvane.exe NetSDK.dll H264Play.dll; do
        python3 "$pe" "$app/$file" ProductName=Telvane "ProductVersion=$version" \
            "FileVersion=$version" "OriginalFilename=$file" || fail "$file: wrong version information"
    done
    python3 "$pe" "$setup" "ProductVersion=$version" || fail "the installer: wrong version information"
    say "the program, both SDK DLLs and the installer carry version $version"
}

check_code_page() {
    local acp
    acp="$(wine_out reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP |
        sed -n 's/.*REG_SZ *//p')"
    [ "$acp" = 1252 ] || fail "Wine's 8-bit code page is \"$acp\", not the Western 1252"
    say "Wine's 8-bit code page is 1252: it cannot spell \"$FOREIGN\""
}

# From the folder with the foreign name, in Russian: the SDKs, the skin, the
# translation and Config.ini all come from that folder.
check_silent_login() {
    local dir="$work/$FOREIGN" start_ns id
    say "silent login with seven arguments, in Russian, from \"$FOREIGN\""
    rm -rf "$dir" && cp -r "$app" "$dir" || fail "cannot copy the program to $dir"
    start_sim silent
    start_ns=$(date +%s%N)
    RUN_DIR="$dir" start_app 0 127.0.0.1 "" "$SIM_PORT" admin "" Russian
    id="$(app_window "$MAIN_TITLE_RU" 120)" ||
        fail "no main window titled in Russian (telvane.log: $work/run/telvane.log)"
    wait_live "$id" "$start_ns" "from \"$FOREIGN\""
    grep -q 'login of "admin" (by address) accepted' "$work/run/silent.log" ||
        fail "the simulator saw no login"
    # The skin's title bar is dark; without the style sheet it would be the
    # light grey of the native style.
    local title
    title="$(convert "$LIVE_SHOT" -crop "100x16+$((GX + GW / 2 - 50))+$((GY + 14))" +repage \
        -colorspace gray -format '%[fx:mean]' info:)"
    awk -v m="$title" 'BEGIN { exit !(m < 0.3) }' || fail "the skin is not on (title bar brightness $title)"
    cp "$LIVE_SHOT" "$shots/windows-foreign-folder.png"
    check_click "$id" "$LIVE_SHOT" silent
    grep -q '^AutoLogin=0' "$dir/Config.ini" 2>/dev/null ||
        fail "the login wrote no Config.ini into \"$FOREIGN\""
    say "from \"$FOREIGN\": the SDKs, the skin, the Russian texts and Config.ini all worked"
    stop_app
}

# check_click <window> <screenshot> <sim-name>: a left click in the middle
# of the picture arrives as a press and a release at the same place, in
# JsonCpp's styled layout, byte for byte.
check_click() {
    local id="$1" png="$2" log="$work/run/$3.commands" top cx cy
    geometry "$id"
    top="$(picture_top "$png")"
    cx=$((GX + GW / 2)) cy=$((top + (GY + GH - top) / 2))
    press "$cx" "$cy"
    local end=$((SECONDS + 10))
    while [ $SECONDS -lt $end ]; do
        grep -q '"msg" : "0x20009"' "$log" 2>/dev/null && break
        sleep 0.1
    done
    python3 "$(dirname "${BASH_SOURCE[0]}")/check-click.py" "$log" \
        "$((cx - GX))" "$((cy - top))" "$GW" "$((GY + GH - top))" 1920 1080 ||
        fail "the click did not arrive as the exact documents (log: $log)"
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
    dlg="$(app_window "$DIALOG_TITLE" 120)" || fail "the login dialog did not appear"
    sleep 1
    import -window root "$shots/windows-login.png"
    geometry "$dlg"
    local dx=$GX dy=$GY
    press $((dx + LOGIN_AT[0])) $((dy + LOGIN_AT[1]))
    tv_wait_window "$NOTICE_TITLE" 30 >/dev/null || fail "no \"Prompt\" notice after a wrong password"
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
    main="$(tv_wait_window "$MAIN_TITLE" 60)" || fail "the right password did not open the main window"
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

# dark_share <png> <x> <y>: the share (0..1) of nearly black pixels in the
# 90 x 100 box at x, y: the recorder's menus are panels of that black, its
# scenes have almost none.
dark_share() {
    convert "$1" -crop "90x100+$2+$3" +repage -colorspace gray -threshold 15% \
        -format '%[fx:1-mean]' info:
}

# Through a slow path Winsock's sends and receives meet back-pressure; a
# right click must still open the recorder's menu under the pointer.
check_slow_link() {
    say "through the link emulator at 1.5 Mbit/s and 40 ms: a right click is answered"
    start_sim slow
    rm -f "$work/run/link.in" && mkfifo "$work/run/link.in"
    "$linkemu" --to "$SIM_PORT" --link 1.5M/40 <"$work/run/link.in" >"$work/run/link.out" 2>&1 &
    LINK_PID=$!
    exec 8>"$work/run/link.in" # it runs until its standard input closes
    local port="" start_ns id top cx cy before after=0 t0 end shot="$work/run/menu.png"
    port="$(tv_announced_port listening "$work/run/link.out")"
    [ -n "$port" ] || fail "the link emulator did not start ($work/run/link.out)"
    start_ns=$(date +%s%N)
    start_app 0 127.0.0.1 "" "$port" admin "" English
    id="$(app_window "$MAIN_TITLE" 120)" || fail "the main window did not appear"
    wait_live "$id" "$start_ns" "at 1.5 Mbit/s"
    # In the first tile, where the menu has room to open down and right.
    top="$(picture_top "$LIVE_SHOT")"
    cx=$((GX + GW / 4)) cy=$((top + (GY + GH - top) / 4))
    before="$(dark_share "$LIVE_SHOT" $((cx + 6)) $((cy + 6)))"
    awk -v d="$before" 'BEGIN { exit !(d < 0.3) }' || fail "the box is dark before the click ($before)"
    xdotool mousemove "$cx" "$cy"
    sleep 0.2
    t0=$(date +%s%N)
    xdotool mousedown 3 && sleep 0.15 && xdotool mouseup 3
    end=$((SECONDS + 15))
    while [ $SECONDS -lt $end ] && awk -v d="$after" 'BEGIN { exit !(d <= 0.6) }'; do
        import -window root "$shot"
        after="$(dark_share "$shot" $((cx + 6)) $((cy + 6)))"
    done
    awk -v d="$after" 'BEGIN { exit !(d > 0.6) }' && grep -q '"P1" : "0x2"' "$work/run/slow.commands" ||
        fail "no menu under the pointer 15 s after the right click (dark share $before, then $after)"
    cp "$shot" "$shots/windows-slow-link.png"
    say "the menu was on the screen $((($(date +%s%N) - t0) / 1000000)) ms after the right click" \
        "(dark share of the box $before, then $after)"
    stop_app
    exec 8>&-
    wait "$LINK_PID" 2>/dev/null
    LINK_PID=""
}

# --- the installer ------------------------------------------------------------

# reg_value <name>: a value of the program's entry in the installed programs.
reg_value() {
    wine_out reg query "$UNINSTALL_KEY" /v "$1" | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

# unix_path <windows path, %VARIABLES% allowed>. (A path with a blank
# reaches cmd's echo quoted, and comes back so.)
unix_path() {
    local path
    path="$(wine_out winepath -u "$(wine_out cmd /c echo "$1" | tr -d '"')")"
    [ "${path#/}" != "$path" ] && [ "$(wc -l <<<"$path")" = 1 ] || return 1
    printf '%s\n' "$path"
}

# installed_paths: where the installer puts the program and its shortcut,
# in INSTALLED and SHORTCUT.
installed_paths() {
    INSTALLED="$(unix_path '%LOCALAPPDATA%\Programs\Telvane')" &&
        SHORTCUT="$(unix_path '%APPDATA%\Microsoft\Windows\Start Menu\Programs\Telvane.lnk')" ||
        fail "Wine did not name the install folder (\"$INSTALLED\") or the shortcut (\"$SHORTCUT\")"
}

# same_files <package folder> <installed folder>: the package's files, byte
# for byte, and besides them only Uninstall.exe and Config.ini.
same_files() {
    local f
    [ "$( (cd "$1" && find . -type f ! -name Config.ini && printf './Uninstall.exe\n./Config.ini\n') |
        sort)" = "$( (cd "$2" && find . -type f) | sort)" ] || fail "other files installed than packaged"
    while IFS= read -r f; do
        cmp -s "$1/$f" "$2/$f" || fail "$f installed is not the package's"
    done < <(cd "$1" && find . -type f ! -name Config.ini)
}

check_install() {
    local version location size real before rc=0 start_ns id
    version="$(basename "$setup" | sed -n 's/^Telvane-\(.*\)-win64-setup\.exe$/\1/p')"
    say "installing $(basename "$setup") silently, with the P2P server and the login code"
    # From a clean slate: a check that failed half-way may have left one.
    installed_paths
    wine_out reg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1
    rm -rf "$INSTALLED" "$SHORTCUT"
    start_sim cloud --p2p-listen 127.0.0.1:0 --require-login-code "$LOGIN_CODE"
    wine_run "$work/run/setup.log" "$setup" /S "/SEVERIP=127.0.0.1:$SIM_P2P_PORT" /ENCRYPT=1 \
        "/ENCRYPTCODE=$LOGIN_CODE" || fail "the silent install failed"
    location="$(reg_value InstallLocation)"
    [ "$(unix_path "$location")" = "$INSTALLED" ] || fail "installed in \"$location\", not in the user's programs"
    same_files "$app" "$INSTALLED"
    size=$(($(reg_value EstimatedSize))) real="$(du -sk "$INSTALLED" | cut -f1)"
    [ "$(reg_value DisplayName)" = Telvane ] && [ "$(reg_value DisplayVersion)" = "$version" ] &&
        [ -n "$(reg_value Publisher)" ] && [ "$(reg_value DisplayIcon)" = "$location\telvane.exe,0" ] &&
        [ "$(reg_value QuietUninstallString)" = "\"$location\Uninstall.exe\" /S" ] &&
        [ $((size * 10)) -gt $((real * 8)) ] && [ $((size * 10)) -lt $((real * 12)) ] ||
        fail "a wrong entry in the installed programs: $(wine_out reg query "$UNINSTALL_KEY" | tr -s ' \n' ' ')"
    grep -aqF "$location\telvane.exe" "$SHORTCUT" || fail "no Start-menu shortcut to the program"
    [ "$(cat "$INSTALLED/Config.ini")" = "$(printf '[SeverSet]\r\nSeverIp=127.0.0.1:%s\r\n[RemoteCtrlDevInfo]\r\nEncrypt=1\r\nEncryptCode=%s\r' \
        "$SIM_P2P_PORT" "$LOGIN_CODE")" ] || fail "Config.ini does not hold exactly what was given"
    say "files, shortcut, entry (version $version, $size KB) and Config.ini are in place"
    # A value the program would misread: refused, and nothing changes.
    before="$(md5sum <"$INSTALLED/Config.ini")"
    wine_run "$work/run/setup.log" "$setup" /S /ENCRYPTCODE=0x7 || rc=$?
    [ "$rc" = 2 ] && [ "$(md5sum <"$INSTALLED/Config.ini")" = "$before" ] ||
        fail "/ENCRYPTCODE=0x7 was not refused unchanged (exit $rc)"
    # The shortcut starts the program: with no login saved, the dialog.
    "$wine64" start /unix "$SHORTCUT" >>"$work/run/telvane.log" 2>&1
    tv_wait_window "$DIALOG_TITLE" 60 >/dev/null || fail "the Start-menu shortcut did not start the program"
    stop_app
    # By cloud serial, which needs the P2P server and the login code given.
    start_ns=$(date +%s%N)
    RUN_DIR="$INSTALLED" start_app 1 "" "$SERIAL" 0 admin "" English
    id="$(app_window "$MAIN_TITLE" 120)" || fail "the installed program did not log in by cloud serial"
    wait_live "$id" "$start_ns" "installed, by cloud serial"
    grep -q 'login of "admin" (cloud) accepted' "$work/run/cloud.log" || fail "no cloud login seen"
    cp "$LIVE_SHOT" "$shots/windows-main.png"
    stop_app
}

check_upgrade() {
    local version stage before dlg file start_ns id end
    version="$(basename "$newer" | sed -n 's/^Telvane-\(.*\)-win64-setup\.exe$/\1/p')"
    stage="${newer%-setup.exe}"
    say "upgrading to $version through the installer's window, Config.ini changed by the user"
    # The user ticked auto-login by cloud serial.
    printf '[SeverSet]\r\nSeverIp=127.0.0.1:%s\r\n[RemoteCtrlDevInfo]\r\nEncrypt=1\r\nEncryptCode=%s\r\nCloud=%s\r\nUserName=admin\r\n[RemoteCtrlSystem]\r\nLoginType=1\r\nSaveInfo=1\r\nAutoLogin=1\r\n' \
        "$SIM_P2P_PORT" "$LOGIN_CODE" "$SERIAL" >"$INSTALLED/Config.ini"
    before="$(md5sum <"$INSTALLED/Config.ini")"
    (cd "$(dirname "$newer")" && exec "$wine64" "./$(basename "$newer")" >>"$work/run/setup.log" 2>&1) &
    # The modern UI's title ends in a blank.
    dlg="$(tv_wait_window "^Telvane ${version//./\\.} Setup *\$" 60)" || fail "the installer's window did not open"
    sleep 1
    import -window root "$shots/windows-installer.png"
    # Its folder page proposes the installed folder; Return installs.
    geometry "$dlg"
    press $((GX + GW / 2)) $((GY + 30)) && xdotool key Return
    end=$((SECONDS + 60))
    while [ $SECONDS -lt $end ] && [ "$(reg_value DisplayVersion)" != "$version" ]; do sleep 0.5; done
    # Before the last page's Finish starts the program, which writes
    # Config.ini once logged in.
    [ "$(unix_path "$(reg_value InstallLocation)")" = "$INSTALLED" ] || fail "the upgrade did not install in place"
    [ "$(md5sum <"$INSTALLED/Config.ini")" = "$before" ] || fail "the upgrade changed the user's Config.ini"
    same_files "$stage" "$INSTALLED"
    for file in telvane.exe NetSDK.dll H264Play.dll Uninstall.exe; do
        osslsigncode verify -in "$INSTALLED/$file" -CAfile "$cert" -ignore-cdp >"$work/run/verify.log" 2>&1 ||
            fail "the installed $file is not signed by the test's certificate ($work/run/verify.log)"
    done
    say "in place, Config.ini as the user left it; program, SDKs and uninstaller signed"
    sleep 2
    press $((GX + GW / 2)) $((GY + 30)) && xdotool key Return
    start_ns=$(date +%s%N)
    id="$(tv_wait_window "$MAIN_TITLE" 120)" || fail "the program the installer started did not log in by itself"
    wait_live "$id" "$start_ns" "upgraded, started by the installer"
    [ "$(grep -c 'login of "admin" (cloud) accepted' "$work/run/cloud.log")" = 2 ] || fail "no second cloud login"
    cp "$LIVE_SHOT" "$shots/windows-upgraded.png"
    stop_app
}

check_uninstall() {
    say "uninstalling silently, as the installed programs' entry says"
    local quiet program before
    quiet="$(reg_value QuietUninstallString)"
    program="${quiet#\"}"
    program="${program%%\"*}"
    before="$(md5sum <"$INSTALLED/Config.ini")"
    wine_run "$work/run/setup.log" "$program" /S || fail "the uninstaller failed"
    # It runs on from a copy of itself, so that it can delete the original.
    timeout 60 "$wineserver" -w
    [ "$(cd "$INSTALLED" && find . -mindepth 1)" = ./Config.ini ] ||
        fail "the uninstall left: $(cd "$INSTALLED" && find . -mindepth 1 | head -n 5 | tr '\n' ' ')"
    [ "$(md5sum <"$INSTALLED/Config.ini")" = "$before" ] || fail "the uninstall changed Config.ini"
    [ ! -e "$SHORTCUT" ] || fail "the Start-menu shortcut is still there"
    wine_out reg query "$UNINSTALL_KEY" >/dev/null && fail "the entry in the installed programs is still there"
    say "the uninstall removed the program, its shortcut and its entry, and kept Config.ini"
}

# --- the recorder maker's SDK DLLs ----------------------------------------------

# foreign_dlls <folder>: stands in for the maker's DLLs, files the installer
# did not write: the stand-ins with bytes of their own appended.
foreign_dlls() {
    local dll
    for dll in NetSDK.dll H264Play.dll; do
        cp "$app/$dll" "$1/$dll" && printf 'the maker %s\n' "$dll" >>"$1/$dll" || fail "cannot place a foreign $dll"
    done
    (cd "$1" && md5sum NetSDK.dll H264Play.dll) >"$work/run/foreign.md5"
}

foreign_kept() {
    (cd "$INSTALLED" && md5sum -c --quiet "$work/run/foreign.md5") >/dev/null 2>&1 ||
        fail "$1: the user's SDK DLLs were not kept"
}

# Install, the user puts the maker's DLLs in place, upgrade, uninstall: the
# user's DLLs stay each time, and only they are left with Config.ini.
check_foreign_sdk() {
    local upgrade="${newer:-$setup}"
    say "the user's SDK DLLs through an upgrade and the uninstall"
    installed_paths
    wine_out reg delete "$UNINSTALL_KEY" /f >/dev/null 2>&1
    rm -rf "$INSTALLED"
    # An option, so that Config.ini is there as same_files expects.
    wine_run "$work/run/setup.log" "$setup" /S /ENCRYPT=0 || fail "the silent install failed"
    same_files "$app" "$INSTALLED"
    foreign_dlls "$INSTALLED"
    wine_run "$work/run/setup.log" "$upgrade" /S || fail "the silent upgrade failed"
    timeout 60 "$wineserver" -w
    foreign_kept "the upgrade"
    [ -f "$INSTALLED/telvane.exe" ] && [ -f "$INSTALLED/Uninstall.exe" ] || fail "the upgrade left no program"
    wine_run "$work/run/setup.log" "$INSTALLED/Uninstall.exe" /S || fail "the uninstaller failed"
    timeout 60 "$wineserver" -w
    foreign_kept "the uninstall"
    [ "$( (cd "$INSTALLED" && find . -mindepth 1 ! -name Config.ini) | sort | tr '\n' ' ')" = \
        "./H264Play.dll ./NetSDK.dll " ] ||
        fail "the uninstall left: $(cd "$INSTALLED" && find . -mindepth 1 | head -n 5 | tr '\n' ' ')"
    say "the user's NetSDK.dll and H264Play.dll survived the upgrade and the uninstall"
    rm -rf "$INSTALLED"
}

# The SDK check beside the program: all well with the stand-ins, and a
# plain "missing ordinal" with a device SDK that lacks one.
check_sdkcheck() {
    local dir="$work/run/sdkcheck" out rc=0
    say "the SDK check against the stand-ins and against a DLL lacking ordinal 92"
    wine_run "$work/run/sdkcheck-ok.log" "$app/telvane-sdkcheck.exe" ||
        fail "the SDK check fails the stand-ins: $(tr -d '\r' <"$work/run/sdkcheck-ok.log" | tail -n 5)"
    grep -q "All well" "$work/run/sdkcheck-ok.log" || fail "the SDK check did not say all is well"
    # The binding check's device SDK double without ordinal 92.
    "$HERE/build-check" x64 "$work/run/binding" >"$work/run/build-check.log" 2>&1 ||
        fail "cannot build a DLL lacking ordinal 92 ($work/run/build-check.log)"
    rm -rf "$dir" && mkdir -p "$dir" && cp "$app"/*.exe "$app"/*.dll "$dir/" &&
        cp "$work/run/binding/missing/NetSDK.dll" "$dir/" || fail "cannot prepare $dir"
    wine_run "$work/run/sdkcheck-missing.log" "$dir/telvane-sdkcheck.exe" || rc=$?
    out="$(tr -d '\r' <"$work/run/sdkcheck-missing.log")"
    [ "$rc" = 1 ] && grep -q "MISSING ORDINALS: 92" <<<"$out" ||
        fail "the SDK check did not name ordinal 92 as missing (exit $rc): $out"
    say "the SDK check passes the stand-ins and names the missing ordinal"
}
