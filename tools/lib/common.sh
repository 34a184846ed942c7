# Shell helpers shared by ./run and the scripts under tools/ and tests/.
# Source it after setting TV_TAG (the bracketed name each message starts with).

# The source tree this library belongs to.
TV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

say() { printf '\033[1m[%s]\033[0m %s\n' "${TV_TAG:-run}" "$*"; }
warn() { printf '\033[1;33m[%s]\033[0m %s\n' "${TV_TAG:-run}" "$*" >&2; }
die() { printf '\033[1;31m[%s]\033[0m %s\n' "${TV_TAG:-run}" "$*" >&2; exit 1; }

tv_installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# tv_sudo: prints the prefix needed to run apt as root, or fails.
tv_sudo() {
    [ "$(id -u)" -eq 0 ] && return 0
    command -v sudo >/dev/null || return 1
    echo sudo
}

TV_APT_TRIES="${TV_APT_TRIES:-3}"
TV_APT_PAUSE="${TV_APT_PAUSE:-15}"

# tv_apt_update: refreshes the package lists. A mirror in the middle of a
# sync fails single indexes (often one architecture of one suite) while the
# rest are fine, so a failed update is retried and then reported, never
# fatal: whether the packages wanted can be had is for the install to find.
tv_apt_update() {
    local sudo log try
    sudo="$(tv_sudo)" || die "need root or sudo to install packages"
    log="$(mktemp -t tv-apt.XXXXXX)"
    for try in $(seq 1 "$TV_APT_TRIES"); do
        if $sudo apt-get update -qq >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        warn "apt-get update failed (try $try of $TV_APT_TRIES):"
        grep -E '^(E|W):' "$log" | head -n 5 >&2
        [ "$try" -lt "$TV_APT_TRIES" ] && sleep "$TV_APT_PAUSE"
    done
    rm -f "$log"
    warn "going on with the package lists apt has; only the indexes named above are stale"
}

# tv_apt_install PACKAGE...: installs with retries, refreshing the lists
# between tries; fails when the packages still cannot be had.
tv_apt_install() {
    local sudo log try
    sudo="$(tv_sudo)" || die "need root or sudo to install: $*"
    command -v apt-get >/dev/null || die "apt-get not found; install by hand: $*"
    log="$(mktemp -t tv-apt.XXXXXX)"
    for try in $(seq 1 "$TV_APT_TRIES"); do
        if DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" \
            >"$log" 2>&1; then
            rm -f "$log"
            return 0
        fi
        warn "apt-get install $* failed (try $try of $TV_APT_TRIES):"
        tail -n 5 "$log" >&2
        [ "$try" -lt "$TV_APT_TRIES" ] || break
        sleep "$TV_APT_PAUSE"
        tv_apt_update
    done
    rm -f "$log"
    return 1
}

# tv_ensure_packages PACKAGE...: installs those of them that are missing.
tv_ensure_packages() {
    local missing=() p
    for p in "$@"; do tv_installed "$p" || missing+=("$p"); done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing missing Debian packages: ${missing[*]}"
    tv_apt_update
    tv_apt_install "${missing[@]}" || die "could not install: ${missing[*]}"
}

# tv_configure <build-dir> [cmake options...]: configures the folder when it
# is new or when its options differ from those of its last configure, so
# that a changed -D option is never silently ignored.
tv_configure() {
    local dir="$1"; shift
    local want="$*" stamp="$dir/.tv-configure-options"
    if [ ! -f "$dir/CMakeCache.txt" ] || [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
        say "configuring $dir"
        cmake -S "$TV_ROOT" -B "$dir" "$@" >/dev/null || die "configure failed in $dir"
        printf '%s' "$want" >"$stamp"
    fi
}

# tv_sanitizer_env <ASan options> <LeakSanitizer suppressions>: the options
# of a sanitized run; those the caller's environment already sets are kept.
# UBSan stops at its first report, so that the report fails the run.
tv_sanitizer_env() {
    export ASAN_OPTIONS="${ASAN_OPTIONS:-$1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$2:print_suppressions=0}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
}

# tv_find_tool NAME-OR-PATH...: prints the first of them that is a command
# or an executable file; fails when none is.
tv_find_tool() {
    local t
    for t in "$@"; do
        command -v "$t" 2>/dev/null && return 0
        [ -x "$t" ] && { echo "$t"; return 0; }
    done
    return 1
}

# tv_now_ms: the wall clock in milliseconds, without starting a process.
tv_now_ms() {
    local t="${EPOCHREALTIME/[.,]/}"
    echo $((10#$t / 1000))
}

# tv_wait_for <seconds> <command> [args...]: runs the command every tenth of
# a second until it succeeds, and fails when it has not within the seconds
# given. A slow machine (or a sanitized build) takes its time, a broken one
# fails. What the command prints on success is passed on.
tv_wait_for() {
    local end=$(($(tv_now_ms) + $1 * 1000))
    shift
    until "$@"; do
        [ "$(tv_now_ms)" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# tv_window_id <title-regex>: prints the id of a visible window whose title
# matches; fails when there is none.
tv_window_id() {
    local id
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1)"
    [ -n "$id" ] && echo "$id"
}

# tv_wait_window <title-regex> <seconds>: waits for a visible window whose
# title matches and prints its id.
tv_wait_window() {
    tv_wait_for "$2" tv_window_id "$1"
}

# tv_announced_port <word> <file>: waits up to ten seconds for the line
# "<word> ADDRESS:PORT" that the simulator and the link emulator print once
# they listen, and prints the port (nothing when the line never came).
tv_announced_port() {
    tv_wait_for 10 grep -qs "^$1 " "$2" || true
    sed -n "s/^$1 .*:\([0-9]*\)\$/\1/p" "$2"
}

# tv_start_simulator <recorder-sim> <log file> [options...]: starts the
# recorder simulator on a free loopback port, its standard error in the log,
# and waits until it listens. Sets TV_SIM_PID and TV_SIM_PORT, and
# TV_SIM_P2P_PORT when the options ask for the P2P service; fails when
# either does not come up.
tv_start_simulator() {
    local program="$1" log="$2" out p2p=""
    shift 2
    case " $* " in *" --p2p-listen "*) p2p=1 ;; esac
    out="$(mktemp -t tv-sim.XXXXXX)"
    "$program" --listen 127.0.0.1:0 "$@" >"$out" 2>"$log" &
    TV_SIM_PID=$!
    TV_SIM_PORT="$(tv_announced_port listening "$out")"
    TV_SIM_P2P_PORT=""
    [ -z "$p2p" ] || TV_SIM_P2P_PORT="$(tv_announced_port p2p-listening "$out")"
    rm -f "$out"
    [ -n "$TV_SIM_PORT" ] && { [ -z "$p2p" ] || [ -n "$TV_SIM_P2P_PORT" ]; }
}

# tv_start_xvfb "<server args>": starts a private Xvfb that picks its own
# free display number and never resets when its last client leaves, and
# waits up to ten seconds until it takes connections. Sets DISPLAY and
# TV_XVFB_PID; fails when the server does not come up.
tv_start_xvfb() {
    local number
    number="$(mktemp -t tv-xvfb.XXXXXX)"
    # shellcheck disable=SC2086 # the server arguments are words
    Xvfb -displayfd 3 -noreset -nolisten tcp $1 3>"$number" >/dev/null 2>&1 &
    TV_XVFB_PID=$!
    tv_wait_for 10 tv_xvfb_answered "$number" || true
    if [ ! -s "$number" ]; then
        rm -f "$number"
        warn "Xvfb did not start"
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$number")"
    rm -f "$number"
}

# tv_xvfb_answered <file>: the server wrote its display number there, or
# died trying.
tv_xvfb_answered() {
    [ -s "$1" ] || ! kill -0 "$TV_XVFB_PID" 2>/dev/null
}

# tv_stop_xvfb: stops the server tv_start_xvfb started.
tv_stop_xvfb() {
    [ -n "${TV_XVFB_PID:-}" ] || return 0
    kill "$TV_XVFB_PID" 2>/dev/null || true
    wait "$TV_XVFB_PID" 2>/dev/null || true
    TV_XVFB_PID=""
}
