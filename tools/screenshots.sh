#!/usr/bin/env bash
# Renders every dialog of the program with sample contents, and the running program's windows,
# under Xvfb into PNG files:
#   tools/screenshots.sh [--dpi N] [--docs] [BUILD_DIR]     (default build/windows)
# The pictures go to BUILD_DIR/screenshots (BUILD_DIR/screenshots-dpiN with --dpi). --dpi N
# renders on a screen of N dots per inch (144 is 150 per cent) and 1366 x 768 pixels, in a Wine
# prefix of its own; the log notes every window that does not fit that screen's work area.
# --docs refreshes the README's pictures under docs/ from the pictures at 96 dots per inch.
# Builds the Windows tree's screenshot programs first.
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dpi=96
docs=no
while [ $# -gt 0 ]; do
    case $1 in
        --dpi) dpi=$2; shift 2 ;;
        --docs) docs=yes; shift ;;
        *) break ;;
    esac
done
build=$(realpath -m "${1:-$here/../build/windows}")
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset windows -S "$here/.." -B "$build" >/dev/null
fi
cmake --build "$build" --target ferrolin_screenshots ferrolin_app_screenshots
if [ "$dpi" = 96 ]; then
    out="$build/screenshots"
    prefix="$build/wineprefix"
else
    out="$build/screenshots-dpi$dpi"
    prefix="$build/wineprefix-dpi$dpi"
fi
rm -rf "$out"
mkdir -p "$out"
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"
wine_environment "$prefix"
if [ "$dpi" != 96 ] && [ ! -f "$prefix/.ferrolin-dpi" ]; then
    # The screen's scale and a laptop's screen; the desktop takes them at its next start.
    wine_quiet reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1366x768 /f
    touch "$prefix/.ferrolin-dpi"
fi
if [ "$dpi" != 96 ]; then
    # A desktop started afresh at the prefix's size and scale (one left over from another run may
    # not have repainted all of it, and the pictures of the whole screen would show black).
    wine_shutdown "$prefix"
    wine_environment "$prefix"
fi
target='Z:'"${out//\//\\}"
log="$out/screenshots.log"
"$wine_loader" "$build/tests/ui/ferrolin_screenshots.exe" "$target" >"$log" 2>&1 || { cat "$log"; exit 1; }
cat "$log"
# The running program: the desktop with the tray menu open, About, the splash, 135 and 209.
"$wine_loader" "$build/tests/app/ferrolin_app_screenshots.exe" "$target" >"$log" 2>&1 \
    || { cat "$log"; exit 1; }
cat "$log"
for bmp in "$out"/*.bmp; do
    convert "$bmp" "${bmp%.bmp}.png"
    rm -f "$bmp"
done
echo "Screenshots in $out"

if [ "$docs" = yes ]; then
    if [ "$dpi" != 96 ]; then
        echo "--docs takes the pictures at 96 dots per inch" >&2
        exit 1
    fi
    # The README's pictures: the wizard, the settings, a prompt, the progress and the tray menu
    # (the lower right of the desktop, where the menu opens over the notification area).
    docs_dir="$here/../docs"
    mkdir -p "$docs_dir"
    cp "$out/134-wizard-130-sources.png" "$docs_dir/wizard.png"
    cp "$out/101-settings-general.png" "$docs_dir/settings.png"
    cp "$out/160-no-disk.png" "$docs_dir/prompt.png"
    cp "$out/192-progress.png" "$docs_dir/progress.png"
    convert "$out/desktop-tray-menu.png" -gravity SouthEast -crop 200x130+0+0 +repage \
        "$docs_dir/tray-menu.png"
    echo "README pictures in $(realpath "$docs_dir")"
fi
