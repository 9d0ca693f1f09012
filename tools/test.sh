#!/usr/bin/env bash
# The README's test command: installs what is missing, builds the native tree with
# AddressSanitizer+UndefinedBehaviorSanitizer and with ThreadSanitizer, builds the Windows tree,
# and runs every test (the Windows ones under Wine). Exits non-zero when anything fails.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tools/common.sh
. "$here/common.sh"
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"

install_dependencies || exit 1
cd "$repo_root" || exit 1

started=$(date +%s)
failures=()

run_tree() {
    local preset=$1
    if ! configure_and_build "$preset"; then
        failures+=("building $preset")
        return
    fi
    say "Testing the $preset tree"
    # The Windows tests share one X display and one keyboard focus: two windows of two tests at
    # once take the focus from each other, so they run one at a time.
    local jobs
    jobs=$(nproc)
    [ "$preset" = windows ] && jobs=1
    ctest --preset "$preset" -j "$jobs" || failures+=("tests of $preset")
}

run_tree native-asan
run_tree native-tsan

say "Fuzzing the readers of untrusted files"
tests/fuzz/run_fuzzers.sh "$repo_root/build/fuzz" 20 || failures+=("fuzzing")

# The Windows tests run in the build's own Wine prefix on a display of their own.
display_was_running=0
number=${ferrolin_display#:}
if [ -e "/tmp/.X$number-lock" ] && kill -0 "$(tr -d ' ' <"/tmp/.X$number-lock")" 2>/dev/null; then
    display_was_running=1
fi
export FERROLIN_DISPLAY=$ferrolin_display
run_tree windows
wine_shutdown "$repo_root/build/windows/wineprefix"
if [ $display_was_running -eq 0 ] && [ -e "/tmp/.X$number-lock" ]; then
    kill "$(tr -d ' ' <"/tmp/.X$number-lock")" 2>/dev/null || true
fi

say "Finished in $(( $(date +%s) - started )) s"
if [ ${#failures[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${failures[@]}"
    exit 1
fi
echo "All tests passed."
