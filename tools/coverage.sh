#!/usr/bin/env bash
# Line and branch coverage of engine/, settings/ and drivekit/ by the native tests: builds the
# coverage tree (gcov instrumentation, no sanitizers), runs its tests and prints the figures per
# folder with gcovr, leaving out the branches of exceptions and the ones the compiler proved
# unreachable. An HTML report with each uncovered branch goes to build/coverage/report/.
#   tools/coverage.sh [ctest -R pattern]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tools/common.sh
. "$here/common.sh"
cd "$repo_root" || exit 1

if ! command -v gcovr >/dev/null; then
    if [ "$(id -u)" -eq 0 ]; then
        apt-get install -y -q gcovr >/dev/null || exit 1
    else
        echo "gcovr is missing (apt-get install gcovr)" >&2
        exit 1
    fi
fi

build="$repo_root/build/coverage"
configure_and_build coverage || exit 1
find "$build" -name '*.gcda' -delete
say "Running the native tests"
ctest --preset coverage -j "$(nproc)" ${1:+-R "$1"} || echo "(some tests failed; figures below are still what ran)"

# The coverage tree is the only place searched for coverage data: searching the whole clone would
# also walk the Windows tree's Wine prefix, whose z: drive leads to the machine's root folder.
options=(--root "$repo_root" --object-directory "$build" --exclude-throw-branches
         --exclude-unreachable-branches --exclude '.*/win32/.*' -j "$(nproc)")
say "Coverage"
printf '%-12s %8s %10s\n' folder lines branches
for folder in engine settings drivekit; do
    summary=$(gcovr "${options[@]}" --filter "$repo_root/$folder/" --print-summary --txt "$build/coverage-summary.txt" "$build" 2>/dev/null)
    lines=$(sed -n 's/^lines: *\([0-9.]*%\).*/\1/p' <<<"$summary")
    branches=$(sed -n 's/^branches: *\([0-9.]*%\).*/\1/p' <<<"$summary")
    printf '%-12s %8s %10s\n' "$folder/" "$lines" "$branches"
done
mkdir -p "$build/report"
gcovr "${options[@]}" --filter "$repo_root/engine/" --filter "$repo_root/settings/" \
    --filter "$repo_root/drivekit/" --html-details "$build/report/index.html" "$build" >/dev/null 2>&1
echo "Per-line report: $build/report/index.html"
