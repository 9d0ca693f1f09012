#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a fixed time from a small seed corpus;
# prints each target's executions per second. Findings (crash-*, timeout-*) stay in BUILD_DIR.
#   tests/fuzz/run_fuzzers.sh BUILD_DIR [SECONDS_EACH]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(mkdir -p "$1" && cd "$1" && pwd)
seconds=${2:-30}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

seed() {  # seed TARGET NAME BYTES(printf format)
    mkdir -p "$build/$1_corpus"
    # shellcheck disable=SC2059
    printf "$3" >"$build/$1_corpus/$2"
}
# The retry list: an empty list, one record, two records.
seed retry_log empty '\0\0\0\0'
seed retry_log one '\1\0\0\0\10\0\0\0C:\\a.txt'
seed retry_log two '\2\0\0\0\10\0\0\0C:\\a.txt\13\0\0\0\\\\srv\\s\\b.x'
# Settings: records of name index, type index, length (two bytes), data.
seed settings_values source '\1\5\20\0C:\\Data\0D:\\Work\0\0'
seed settings_values strings '\0\1\3\0E:\\\4\1\4\0abc\0'
seed settings_values numbers '\3\4\4\0\5\0\0\0\27\4\4\0\1\0\0\0\30\4\4\0\2\0\0\0'
seed settings_values times '\5\4\4\0\1\2\3\4\6\4\4\0\0\0\300\1\27\4\4\0\0\200\10\1\30\4\4\0\1\2\3\4'
# Paths: a flag byte, then the path.
seed paths plain '\0C:\\Data\\Sub\\a.txt'
seed paths odd '\1\\\\?\\C:\\a. \\CON\\..\\b/c'
seed paths share '\2\\\\srv\\share\\..\\..\\x\\*.*'
# Patterns: pattern NUL name.
seed wildcard star '*.*\0readme'
seed wildcard dots 'a?c.(*).txt\0abc.(12).txt'
seed wildcard bare '*.\0noext'

status=0
for target in retry_log settings_values paths wildcard; do
    log="$build/${target}_fuzzer.log"
    if ! (cd "$build" && "./${target}_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
            -print_final_stats=1 "${target}_corpus" >"$log" 2>&1); then
        echo "${target}_fuzzer FOUND A FAULT:"
        tail -40 "$log"
        status=1
        continue
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "${target}_fuzzer: $runs runs in ${seconds} s, $((runs / seconds)) a second"
done
exit $status
