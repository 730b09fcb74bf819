#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets of tests/fuzz (clang-14, AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz and runs each for as long as asked, one after the
# other, starting from the committed seeds. New inputs collect in build-fuzz/fuzz-corpus/, logs
# in build-fuzz/fuzz-logs/, inputs that crash in build-fuzz/fuzz-artifacts/.
#
#   tools/fuzz.sh [--seconds S] [TARGET...]    (default: 20 s each; every target)
#   targets: dispatcher chunk events process statefile
#
# Prints executions and coverage per target; exits 1 when a target found a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lib/checks.sh
require_fuzzing

seconds=20
targets=()
while (($# > 0)); do
    case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --seconds=*) seconds=${1#*=}; shift ;;
    -h | --help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
    esac
done
((${#targets[@]} > 0)) || targets=(dispatcher chunk events process statefile)
[[ $seconds =~ ^[0-9]+$ && $seconds -gt 0 ]] || { echo "fuzz.sh: --seconds takes whole seconds" >&2; exit 2; }

build=${QT_FUZZ_BUILD:-build-fuzz}
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQT_FUZZ=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzzers

failed=0
for target in "${targets[@]}"; do
    program=$build/fuzz/fuzz_$target
    [[ -x $program ]] || { echo "fuzz.sh: no target $target" >&2; exit 2; }
    mkdir -p "$build/fuzz-corpus/$target" "$build/fuzz-artifacts/$target" "$build/fuzz-logs"
    log=$build/fuzz-logs/$target.log
    status=0
    "$program" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/fuzz-artifacts/$target/" \
        "$build/fuzz-corpus/$target" "tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1 || true)
    coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -n 1 || true)
    if ((status != 0)); then
        failed=1
        echo "fuzz $target: FAULT after ${executions:-?} executions ($coverage); log $log:"
        grep -E 'ERROR|runtime error|fuzz:|SUMMARY|Test unit written' "$log" | head -n 20 || true
    else
        echo "fuzz $target: ${executions:-?} executions in ${seconds} s, $coverage"
    fi
done
exit "$failed"
