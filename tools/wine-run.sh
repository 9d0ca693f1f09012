#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix and returns its exit code.
#   tools/wine-run.sh [--prefix DIR] program.exe [arguments...]
# The first call creates the prefix (virtual desktop with a notification area, no crash dialog,
# an emulated removable drive F:); every call makes sure that a persistent wineserver and an X
# display are up, so that a program starts in milliseconds and can open windows.
# The program's output goes to a file first and is printed when it ends: Wine's background
# services inherit pipes and would keep a reader waiting.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=${FERROLIN_WINEPREFIX:-$here/../build/windows/wineprefix}
if [ "${1:-}" = "--prefix" ]; then
    prefix=$2
    shift 2
fi
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"
wine_environment "$prefix" || exit 125

log=$(mktemp "${TMPDIR:-/tmp}/ferrolin-wine-run.XXXXXX")
"$wine_loader" "$@" >"$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
exit $status
