#!/usr/bin/env bash
# ./run fuzz SECONDS: builds the libFuzzer targets with clang (address and
# undefined-behaviour sanitizers, coverage everywhere) in build-fuzz and runs
# each for SECONDS, TV_FUZZ_JOBS (default 2) at a time. Corpora grow in
# build-fuzz/corpus (seeded from tests/fuzz/corpus); findings land in
# build-fuzz/artifacts; build-fuzz/fuzz-summary.txt gets the runs per target.
# Exits non-zero when any target finds something; for fuzz_remotectrl an
# input that takes a second or more counts too (the parser runs on the
# simulator's one network thread, so slowness there is a fault).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
TV_TAG=fuzz
. "$ROOT/tools/lib/common.sh"
SECONDS_EACH="${1:-60}"
shift || true
DIR="${TV_FUZZ_DIR:-$ROOT/build-fuzz}"
JOBS="${TV_FUZZ_JOBS:-2}"

command -v clang++ >/dev/null || die "clang++ is needed (Debian package clang)"
SAN="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
CC=clang CXX=clang++ tv_configure "$DIR" -DTV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_FLAGS="$SAN" -DCMAKE_CXX_FLAGS="$SAN" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
# Every target, as tests/fuzz/CMakeLists.txt lists them, unless some are named.
TARGETS=("$@")
[ ${#TARGETS[@]} -gt 0 ] || mapfile -t TARGETS <"$DIR/fuzz-targets.txt"
say "building the fuzz targets"
cmake --build "$DIR" --target "${TARGETS[@]}" H264Play -j "${TV_JOBS:-$(nproc)}" >/dev/null \
    || die "fuzz build failed in $DIR"

export QT_QPA_PLATFORM=offscreen
# The leak suppressions are the fuzz targets' own, whatever a caller set for
# its test suite.
unset LSAN_OPTIONS
tv_sanitizer_env detect_leaks=1:abort_on_error=1 "$ROOT/tests/fuzz/lsan.supp"

# What each target needs beyond the defaults: longest input, dictionary,
# and for the remote-control parser slow inputs reported (as slow-unit-*).
# The simulator session logs every event on stderr, which is closed for it
# (libFuzzer keeps its own reports); its leaks are checked when the run
# ends, not after each input, since every session leaves Qt timers behind
# for seconds and the check after each input would cost 40 ms.
target_options() {
    case "$1" in
        fuzz_h264play) echo "-max_len=65536" ;;
        fuzz_remotectrl) echo "-max_len=65536 -dict=$ROOT/tests/fuzz/dict/remotectrl.dict -report_slow_units=1" ;;
        fuzz_simsession) echo "-max_len=16384 -dict=$ROOT/tests/fuzz/dict/simsession.dict -close_fd_mask=2 -detect_leaks=0" ;;
        fuzz_netsdksession) echo "-max_len=16384" ;;
    esac
}

run_one() {
    local t="$1" corpus="$DIR/corpus/$1" art="$DIR/artifacts/$1/" log="$DIR/logs/$1.log" rc=0 slow
    mkdir -p "$corpus" "$art" "$DIR/logs"
    touch "$DIR/logs/$t.start"
    cp -n "$ROOT/tests/fuzz/corpus/${t#fuzz_}/"* "$corpus/" 2>/dev/null || true
    # shellcheck disable=SC2046 # the options are words
    (cd "$DIR" && "./$t" -max_total_time="$SECONDS_EACH" -timeout=60 -rss_limit_mb=4096 \
        $(target_options "$t") -print_final_stats=1 -artifact_prefix="$art" "$corpus" >"$log" 2>&1) || rc=$?
    slow=$(find "$art" -name 'slow-unit-*' -newer "$DIR/logs/$t.start" | wc -l)
    if [ "$rc" -eq 0 ] && [ "$slow" -gt 0 ]; then
        echo "slow units (a second or more each): $slow, in $art" >>"$log"
        rc=3
    fi
    return "$rc"
}

say "running ${TARGETS[*]} for ${SECONDS_EACH}s each, $JOBS at a time"
declare -A PIDS=()
for t in "${TARGETS[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$JOBS" ]; do sleep 1; done
    run_one "$t" & PIDS[$t]=$!
done
status=0
summary="$DIR/fuzz-summary.txt"
: >"$summary"
for t in "${TARGETS[@]}"; do
    rc=0; wait "${PIDS[$t]}" || rc=$?
    runs=$(grep -ao 'stat::number_of_executed_units: *[0-9]*' "$DIR/logs/$t.log" | head -1 | grep -o '[0-9]*$' || echo "?")
    cov=$(grep -ao 'cov: [0-9]*' "$DIR/logs/$t.log" | tail -1 || true)
    if [ "$rc" -eq 0 ]; then verdict=clean; else verdict="FINDING (rc $rc, see $DIR/logs/$t.log)"; status=1; fi
    line="$t: ${SECONDS_EACH}s, ${runs} executions, ${cov:-cov ?}, corpus $(ls "$DIR/corpus/$t" | wc -l) files: $verdict"
    echo "$line" | tee -a "$summary"
    # The report itself, so that a finding in CI can be read where CI is.
    [ "$rc" -eq 0 ] || grep -av -e '^#[0-9]' -e '^INFO:' -e '^ *"' "$DIR/logs/$t.log" | tail -n 60 >&2
done
exit $status
