#!/usr/bin/env bash
# The copier over real files under Wine, beside Wine's xcopy and cp -a of the same trees on the
# same disk, in one run:
#   tools/bench/wine_copy_benchmark.sh [--trace] [--no-flush] [--small|--large] [WINDOWS-BUILD-DIR]
#                                      [WORK-DIR]
# Trees: (a) 20,000 files of 4 KB in 200 folders, (b) 4 files of 256 MB. For each: a full copy
# by all three (best of two runs each), then a second pass over the unchanged tree (ours from the
# watermark of its first pass; xcopy /D, which copies only newer files; cp -a again, which copies
# everything, and cp -au, which skips files that are not newer). Prints seconds, MB/s and every
# ratio. The page cache holds the sources for all three.
# With --trace it only counts the requests each copier sends to the Wine server for one copy of
# 500 files of 4 KB (wineserver -d1), less a run over an empty tree, per file and by kind.
# --no-flush has ours skip the flush of each new copy (to measure what the flushes cost); --small
# or --large runs only that tree.
set -eu
trace=0
ours_options=()
trees="small large"
while [ $# -gt 0 ]; do
    case $1 in
    --trace) trace=1 ;;
    --no-flush) ours_options+=(--no-flush) ;;
    --small) trees=small ;;
    --large) trees=large ;;
    *) break ;;
    esac
    shift
done
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
work=${2:-$build/copy-bench}
exe=$build/tools/bench/copy_benchmark_win32.exe
[ -f "$exe" ] || { echo "build copy_benchmark_win32 in $build first" >&2; exit 2; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$build/wineprefix

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
now() { date +%s.%N; }
wine() { "$root/tools/wine-run.sh" --prefix "$prefix" "$@"; }
ours() { wine "$exe" "$(winpath "$1")" "$(winpath "$2")" "${ours_options[@]}" "${@:3}"; }
# The switches a user copying a backup by script would give: subfolders, no questions, hidden and
# system files, attributes kept.
xcopy_full() { wine xcopy /E /I /Y /Q /H /K "$(winpath "$1")" "$(winpath "$2")" >/dev/null; }
xcopy_newer() { wine xcopy /E /I /Y /Q /H /K /D "$(winpath "$1")" "$(winpath "$2")" >/dev/null; }
# Each timed copy starts with no dirty pages of an earlier one waiting to be written.
timed() { local start; sync; start=$(now); "$@"; awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
lesser() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }

make_tree() { # ROOT FOLDERS FILES-PER-FOLDER BYTES
    python3 - "$@" <<'PY'
import os, sys
root, folders, files, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
os.makedirs(root, exist_ok=True)
for folder in range(folders):
    path = os.path.join(root, "Folder %03d" % folder)
    os.makedirs(path, exist_ok=True)
    for n in range(files):
        with open(os.path.join(path, "Document %05d.txt" % (folder * files + n)), "wb") as f:
            f.write(os.urandom(size))
PY
}
make_small_tree() { make_tree "$1" 200 100 4096; }
make_large_tree() {
    mkdir -p "$1"
    for n in 1 2 3 4; do
        head -c $((256 << 20)) /dev/urandom >"$1/Video $n.bin"
    done
}

run_tree() { # NAME MAKER
    local name=$1 src=$work/$1/src
    rm -rf "${work:?}/$name"
    mkdir -p "$src"
    "$2" "$src"
    sync
    local mb best_ours="" best_xcopy="" best_cp="" out="" t
    mb=$(du -sm --apparent-size "$src" | cut -f1)
    for round in 1 2; do
        rm -rf "$work/$name/ours" "$work/$name/xcopy" "$work/$name/cp"
        mkdir -p "$work/$name/ours"
        sync
        out=$(ours "$src" "$work/$name/ours")
        t=$(printf '%s\n' "$out" | sed -n 's/^ours full:.* \([0-9.]*\) s (scan.*/\1/p')
        best_ours=$(lesser "$t" "$best_ours")
        best_xcopy=$(lesser "$(timed xcopy_full "$src" "$work/$name/xcopy")" "$best_xcopy")
        best_cp=$(lesser "$(timed cp -a "$src" "$work/$name/cp")" "$best_cp")
    done
    local ours_again xcopy_again cp_again cp_update
    ours_again=$(printf '%s\n' "$out" | sed -n 's/^ours incremental:.*, \([0-9.]*\) s (scan.*/\1/p')
    xcopy_again=$(timed xcopy_newer "$src" "$work/$name/xcopy")
    cp_again=$(timed cp -a "$src/." "$work/$name/cp")
    cp_update=$(timed cp -au "$src/." "$work/$name/cp")
    printf '%s\n' "$out" | sed 's/^/  /'
    awk -v n="$name" -v mb="$mb" -v o="$best_ours" -v x="$best_xcopy" -v c="$best_cp" \
        -v oa="$ours_again" -v xa="$xcopy_again" -v ca="$cp_again" -v cu="$cp_update" 'BEGIN {
        printf "%s full copy (%d MB):\n", n, mb
        printf "  ours %.3f s (%.0f MB/s), xcopy %.3f s (%.0f MB/s), cp -a %.3f s (%.0f MB/s)\n",
               o, mb / o, x, mb / x, c, mb / c
        printf "  ours runs at %.2f x the speed of xcopy and %.2f x the speed of cp -a\n", x / o, c / o
        printf "%s second pass over the unchanged tree:\n", n
        printf "  ours %.3f s, xcopy /D %.3f s, cp -a again %.3f s, cp -au %.3f s\n", oa, xa, ca, cu
        printf "  ours runs at %.2f x the speed of xcopy /D, %.2f x cp -a, %.2f x cp -au\n",
               xa / oa, ca / oa, cu / oa
    }'
    du -sh "$work/$name/ours" "$work/$name/xcopy" "$work/$name/cp" | sed 's/^/  /'
    rm -rf "${work:?}/$name"
}

# Requests to the Wine server of the copying program's threads (those that open files of the
# traced trees; not the prefix's services): one reply line per request in the server's trace
# ("0024: create_file() = 0 { handle=0004 }"), counted by kind.
count_requests() { # LOG
    awk '
        FNR == NR { if ($0 ~ /^[0-9a-f]+: create_file\(.*\/trace\//) { split($0, a, ":"); mine[a[1]] = 1 } next }
        match($0, /^[0-9a-f]+: [a-z_]+\(\) = /) {
            split($0, a, ":"); if (!(a[1] in mine)) next
            kind = substr($0, length(a[1]) + 3); sub(/\(.*/, "", kind); count[kind]++
        }
        END { for (k in count) print k, count[k] }' "$1" "$1"
}

# The requests of one copy of the traced tree, less those of a copy of an empty tree. The server
# writes the trace, so it runs anew for each copy with the trace on (and the prefix's services
# start with it in both runs alike).
traced_run() { # LOG COMMAND...
    local log=$1
    shift
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -w 2>/dev/null || true
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -f -d1 -p2 2>"$log" </dev/null &
    local server=$!
    sleep 0.5
    "$@" >/dev/null 2>&1 || true
    wait $server || true
}
trace_one() { # NAME COMMAND...
    local name=$1
    shift
    local empty=$work/trace/empty full=$work/trace/src
    rm -rf "$work/trace/to-empty" "$work/trace/to-full"
    mkdir -p "$empty" "$work/trace/to-empty" "$work/trace/to-full"
    traced_run "$work/trace/$name-empty.log" "$@" "$empty" "$work/trace/to-empty"
    traced_run "$work/trace/$name-full.log" "$@" "$full" "$work/trace/to-full"
    count_requests "$work/trace/$name-empty.log" >"$work/trace/$name-empty.count"
    count_requests "$work/trace/$name-full.log" >"$work/trace/$name-full.count"
    join -a 2 -e 0 -o 2.1,1.2,2.2 <(sort "$work/trace/$name-empty.count") \
        <(sort "$work/trace/$name-full.count") |
        awk -v n="$name" -v files="$files" '{ d = ($3 - $2) / files; if (d >= 0.05) { printf "  %-8s %-24s %6.2f\n", n, $1, d; total += d } }
            END { printf "  %-8s %-24s %6.2f\n", n, "all requests", total }'
}

echo "Wine: $(/usr/lib/wine/wine64 --version 2>/dev/null || echo unknown); work folder $work ($(df -h "$work" | awk 'NR == 2 { print $1 }'))"
if [ $trace -eq 1 ]; then
    files=500
    rm -rf "$work/trace"
    make_tree "$work/trace/src" 5 100 4096
    # wine-run.sh prints what the program and the loader wrote, the trace among it.
    ours_once() { ours "$1" "$2" --once; }
    xcopy_once() { wine xcopy /E /I /Y /Q /H /K "$(winpath "$1")" "$(winpath "$2")"; }
    echo "Wine server requests per file copied (500 files of 4 KB, less an empty tree):"
    trace_one ours ours_once
    trace_one xcopy xcopy_once
    rm -rf "$work/trace"
    exit 0
fi
for tree in $trees; do
    run_tree "$tree" "make_${tree}_tree"
done
