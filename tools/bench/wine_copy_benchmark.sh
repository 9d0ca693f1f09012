#!/usr/bin/env bash
# The copier over real files under Wine, beside cp -a of the same trees on the same disk:
#   tools/bench/wine_copy_benchmark.sh [WINDOWS-BUILD-DIR] [WORK-DIR]
# Trees: (a) 20,000 files of 4 KB in 200 folders, (b) 4 files of 256 MB. For each: a full copy
# by both (best of two runs), then a second pass over the unchanged tree (for cp: cp -a again,
# which copies everything, and cp -au, which skips files that are not newer). Prints seconds and
# the ratio ours / cp. The page cache holds the sources for both.
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
work=${2:-$build/copy-bench}
exe=$build/tools/bench/copy_benchmark_win32.exe
[ -f "$exe" ] || { echo "build copy_benchmark_win32 in $build first" >&2; exit 2; }
mkdir -p "$work"
work=$(cd "$work" && pwd)

winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
now() { date +%s.%N; }
ours() { # SOURCE DESTINATION: prints the program's own lines
    "$root/tools/wine-run.sh" --prefix "$build/wineprefix" "$exe" "$(winpath "$1")" "$(winpath "$2")"
}
timed() { local start; start=$(now); "$@"; awk -v a="$start" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
seconds_of() { sed -n "s/^$1.* \([0-9.]*\) s (scan.*/\1/p"; }

make_small_tree() {
    python3 - "$1" <<'PY'
import os, sys
root = sys.argv[1]
for folder in range(200):
    path = os.path.join(root, "Folder %03d" % folder)
    os.makedirs(path, exist_ok=True)
    for n in range(100):
        with open(os.path.join(path, "Document %05d.txt" % (folder * 100 + n)), "wb") as f:
            f.write(os.urandom(4096))
PY
}
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
    local best_ours="" best_cp="" out t inc
    for round in 1 2; do
        rm -rf "$work/$name/ours" "$work/$name/cp"
        mkdir -p "$work/$name/ours"
        out=$(ours "$src" "$work/$name/ours")
        t=$(printf '%s\n' "$out" | seconds_of "ours full")
        inc=$(printf '%s\n' "$out" | sed -n 's/^ours incremental: \(.*\)/\1/p')
        [ -z "$best_ours" ] || awk -v a="$t" -v b="$best_ours" 'BEGIN { exit !(a < b) }' && best_ours=$t
        t=$(timed cp -a "$src" "$work/$name/cp")
        [ -z "$best_cp" ] || awk -v a="$t" -v b="$best_cp" 'BEGIN { exit !(a < b) }' && best_cp=$t
    done
    local ours_inc cp_again cp_update
    ours_inc=$(printf '%s' "$inc" | sed -n 's/.*, \([0-9.]*\) s (scan.*/\1/p')
    cp_again=$(timed cp -a "$src/." "$work/$name/cp")
    cp_update=$(timed cp -au "$src/." "$work/$name/cp")
    printf '%s\n' "$out" | sed 's/^/  /'
    awk -v n="$name" -v o="$best_ours" -v c="$best_cp" -v oi="$ours_inc" -v ca="$cp_again" -v cu="$cp_update" 'BEGIN {
        printf "%s full copy:   ours %.3f s, cp -a %.3f s, ours/cp %.2f\n", n, o, c, o / c
        printf "%s second pass: ours %.3f s, cp -a again %.3f s (ratio %.2f), cp -au %.3f s (ratio %.2f)\n",
               n, oi, ca, oi / ca, cu, oi / cu
    }'
    du -sh "$work/$name/ours" "$work/$name/cp" | sed 's/^/  /'
    rm -rf "${work:?}/$name"
}

echo "Wine: $(/usr/lib/wine/wine64 --version 2>/dev/null || echo unknown); work folder $work ($(df -h "$work" | awk 'NR == 2 { print $1 }'))"
run_tree small make_small_tree
run_tree large make_large_tree
