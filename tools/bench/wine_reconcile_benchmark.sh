#!/usr/bin/env bash
# The reconciliation over real files under Wine:
#   tools/bench/wine_reconcile_benchmark.sh [WINDOWS-BUILD-DIR] [WORK-DIR]
# Makes a tree of 20,000 files of 1 KB in 200 folders and its backup (cp -a, times kept) where a
# pass puts it, then compares them twice: with nothing missing, and with every tenth file of the
# backup deleted. Beside each, the changed-file scan of the same tree with nothing changed.
# Prints the machine's load average with each figure.
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/windows}" && pwd)
work=${2:-$build/reconcile-bench}
exe=$build/tools/bench/reconcile_benchmark_win32.exe
[ -f "$exe" ] || { echo "build reconcile_benchmark_win32 in $build first" >&2; exit 2; }
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$build/wineprefix
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"; }
wine() { "$root/tools/wine-run.sh" --prefix "$prefix" "$@"; }

source=$work/source
disk=$work/disk
python3 - "$source" <<'PY'
import os, sys
root = sys.argv[1]
for folder in range(200):
    path = os.path.join(root, "Folder %03d" % folder)
    os.makedirs(path, exist_ok=True)
    for n in range(100):
        with open(os.path.join(path, "Document %05d.txt" % (folder * 100 + n)), "wb") as f:
            f.write(os.urandom(1024))
PY
# The backup of Z:\a\b is DISK\a\b.
mkdir -p "$disk$(dirname "$source")"
cp -a "$source" "$disk$(dirname "$source")/"
load() { cut -d' ' -f1-3 /proc/loadavg; }
run() {
    echo "== $1 (load average $(load))"
    wine "$exe" "$(winpath "$source")" "$(winpath "$disk")"
}
run "complete backup, first run (cold Wine server)"
run "complete backup"
find "$disk" -name 'Document *0.txt' -delete
run "a tenth of the backup deleted"
rm -rf "$work"
