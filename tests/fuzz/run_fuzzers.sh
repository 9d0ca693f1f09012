#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a fixed time from a small seed corpus.
#   tests/fuzz/run_fuzzers.sh BUILD_DIR [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$1
seconds=${2:-30}
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
corpus="$build/retry_log_corpus"
mkdir -p "$corpus"
# Seeds: an empty list, one record, two records.
printf '\0\0\0\0' >"$corpus/empty"
printf '\1\0\0\0\10\0\0\0C:\\a.txt' >"$corpus/one"
printf '\2\0\0\0\10\0\0\0C:\\a.txt\13\0\0\0\\\\srv\\s\\b.x' >"$corpus/two"
"$build/retry_log_fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 "$corpus" \
    >"$build/retry_log_fuzzer.log" 2>&1 || { tail -40 "$build/retry_log_fuzzer.log"; exit 1; }
grep -E 'stat::number_of_executed_units|Done' "$build/retry_log_fuzzer.log" | tail -2
