#!/usr/bin/env bash
# shell-helpers-check: the waiting helpers of tools/lib/common.sh keep their
# deadlines: a condition met late still passes, what it prints is passed
# on, and one never met fails after its deadline, not before.
set -euo pipefail
TV_TAG=shell-helpers
. "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib/common.sh"
dir="$(mktemp -d)"
trap 'rm -rf "$dir"' EXIT

(sleep 0.5 && echo "listening 127.0.0.1:4567" >"$dir/out") &
[ "$(tv_announced_port listening "$dir/out")" = 4567 ] || die "a port announced late was missed"
[ "$(tv_wait_for 1 echo found)" = found ] || die "the condition's output was lost"

start=$(tv_now_ms)
if tv_wait_for 1 false; then die "a condition never met passed"; fi
took=$(($(tv_now_ms) - start))
[ "$took" -ge 1000 ] && [ "$took" -lt 10000 ] || die "a 1 s deadline took $took ms"
say "the waiting helpers keep their deadlines"
