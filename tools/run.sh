#!/usr/bin/env bash
# The README's run command: installs what is missing, builds Ferrolin2.exe and starts it under
# Wine in a prefix of its own, on the X display given by DISPLAY or on a virtual screen.
#   tools/run.sh          build and start the program
#   tools/run.sh --stop   end it (and the Wine prefix's processes)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tools/common.sh
. "$here/common.sh"
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"

prefix="$repo_root/build/run/wineprefix"
if [ "${1:-}" = "--stop" ]; then
    wine_shutdown "$prefix"
    echo "Corvant Ferrolin 2 and its Wine prefix are stopped."
    exit 0
fi

install_dependencies || exit 1
cd "$repo_root" || exit 1
say "Building Ferrolin2.exe"
cmake --preset windows -S "$repo_root" >/dev/null || exit 1
cmake --build --preset windows --target Ferrolin2 -j "$(nproc)" || exit 1

say "Starting Corvant Ferrolin 2 under Wine"
wine_environment "$prefix" || exit 1
program="$repo_root/build/windows/app/Ferrolin2.exe"
log="$repo_root/build/run/Ferrolin2.log"
mkdir -p "$(dirname "$log")"
nohup "$wine_loader" "$program" >"$log" 2>&1 </dev/null &
sleep 3
mkdir -p "$repo_root/build/run"
shot="$repo_root/build/run/desktop.png"
import -display "$DISPLAY" -window root "$shot" 2>/dev/null || shot="(no screenshot: imagemagick could not read $DISPLAY)"

cat <<INFO

Corvant Ferrolin 2 is running under Wine.
  Display:        $DISPLAY   (look at it with: import -display $DISPLAY -window root shot.png)
  Screenshot:     $shot
  Wine prefix:    $prefix
  Program log:    $log
  Backup drive:   F: is an emulated removable drive; its disk is the folder
                  $prefix-media/backup-1
  Stop it with:   tools/run.sh --stop
The program has no visible window yet: it runs hidden in the background.
INFO
