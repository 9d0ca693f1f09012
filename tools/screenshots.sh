#!/usr/bin/env bash
# Renders every dialog of the program with sample contents under Xvfb into PNG files:
#   tools/screenshots.sh [BUILD_DIR]     (default build/windows; PNGs in BUILD_DIR/screenshots)
# Builds the Windows tree's screenshot program first.
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$(realpath -m "${1:-$here/../build/windows}")
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset windows -S "$here/.." -B "$build" >/dev/null
fi
cmake --build "$build" --target ferrolin_screenshots ferrolin_app_screenshots
out="$build/screenshots"
rm -rf "$out"
mkdir -p "$out"
program="$build/tests/ui/ferrolin_screenshots.exe"
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"
wine_environment "$build/wineprefix"
log="$out/screenshots.log"
"$wine_loader" "$program" 'Z:'"${out//\//\\}" >"$log" 2>&1 || { cat "$log"; exit 1; }
cat "$log"
# The running program: the desktop with the tray menu open, About, the splash, 135 and 209.
"$wine_loader" "$build/tests/app/ferrolin_app_screenshots.exe" 'Z:'"${out//\//\\}" >"$log" 2>&1 \
    || { cat "$log"; exit 1; }
cat "$log"
for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm -f "$bmp"
done
echo "Screenshots in $out"
