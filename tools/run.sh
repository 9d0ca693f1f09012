#!/usr/bin/env bash
# The README's run command: installs what is missing, builds Ferrolin2.exe and starts it under
# Wine in a prefix of its own, on the X display given by DISPLAY or on a virtual screen. The
# program starts configured: a demo folder as its source, the prefix's emulated removable drive
# F: with its disk as the backup disk, copying on every change. Its first backup runs at once.
#   tools/run.sh              build and start the program (an earlier run is stopped first)
#   tools/run.sh --first-run  the same, but the program starts unconfigured, as after its
#                             installation: the setup wizard leads to the first backup (choose
#                             the drive F:; the documents folder it offers holds demo files)
#   tools/run.sh --stop       end it (and the Wine prefix's processes)
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tools/common.sh
. "$here/common.sh"
# shellcheck source=tools/wine-env.sh
. "$here/wine-env.sh"

run="$repo_root/build/run"
prefix="$run/wineprefix"
first_run=no
case "${1:-}" in
    --stop)
        wine_shutdown "$prefix"
        echo "Corvant Ferrolin 2 and its Wine prefix are stopped."
        exit 0
        ;;
    --first-run) first_run=yes ;;
    "") ;;
    *)
        echo "usage: tools/run.sh [--first-run | --stop]" >&2
        exit 2
        ;;
esac

install_dependencies || exit 1
cd "$repo_root" || exit 1
say "Building Ferrolin2.exe"
cmake --preset windows -S "$repo_root" >/dev/null || exit 1
cmake --build --preset windows --target Ferrolin2 -j "$(nproc)" || exit 1

say "Preparing the Wine prefix, the demo folder and the backup disk"
wine_shutdown "$prefix" # an earlier run ends: this one starts afresh
wine_environment "$prefix" || exit 1
demo="$prefix/drive_c/Ferrolin Demo"
disk="$prefix-media/backup-1"
# What earlier runs copied: the demo folder's backup and, after a first run, the documents'.
rm -rf "$demo" "$disk/Ferrolin Demo" "$disk/users" "$disk/Corvant Ferrolin 2 Revisions"
mkdir -p "$demo/Letters" "$demo/Photos" "$demo/Reports/2024"
printf 'Things to do:\r\n- back up my files\r\n- water the plants\r\n' >"$demo/Notes.txt"
printf 'Liebe Zoë,\r\nviele Grüße aus München!\r\n' >"$demo/Letters/Grüße an Zoë.txt"
printf '買い物: パン、牛乳\r\n' >"$demo/日本語メモ.txt"
printf 'Month,Income,Spending\r\nJanuary,2500,1900\r\nFebruary,2500,2100\r\n' \
    >"$demo/Reports/2024/Budget.csv"
convert -size 320x200 gradient:'#4668e4-#ffffff' "BMP3:$demo/Photos/Sky.bmp" 2>/dev/null \
    || head -c 192054 /dev/zero >"$demo/Photos/Sky.bmp"
: >"$demo/Letters/Empty draft.txt"

options='HKCU\Software\Corvant Ferrolin 2\User Options'
"$wine_loader" reg delete 'HKCU\Software\Corvant Ferrolin 2' /f >/dev/null 2>&1 </dev/null
program="$repo_root/build/windows/app/Ferrolin2.exe"
log="$run/Ferrolin2.log"

if [ "$first_run" = yes ]; then
    # The wizard offers the user's documents folder, which Wine links to the Linux home folder:
    # this prefix gets a documents folder of its own, with the demo files in it, so that a new
    # user who simply clicks Next backs up those and not the home folder.
    documents="$prefix/drive_c/users/${USER:-$(id -un)}/Documents"
    rm -rf "$documents" # the link only, not the folder it points to
    mkdir -p "$documents"
    cp -r "$demo/." "$documents/"
    say "Starting Corvant Ferrolin 2 under Wine for the first time"
    nohup "$wine_loader" "$program" >"$log" 2>&1 </dev/null 9>&- &
    sleep 6 # the splash shows for a second, then the wizard
    shot="$run/first-run-wizard.png"
    import -display "$DISPLAY" -window root "$shot" 2>/dev/null \
        || shot="(no screenshot: imagemagick could not read $DISPLAY)"
    cat <<INFO

Corvant Ferrolin 2 has started unconfigured, as after its installation: its setup wizard is on
the display. Walk it as a new user would:
  - the drive page: choose the removable drive F: (its disk is labelled FERROLIN1);
  - the source page offers the documents folder (this prefix's own, holding a copy of the
    demo files); "Add/Remove..." opens the folder picker to choose others, such as the demo
    folder C:\\Ferrolin Demo;
  - go on to the end: the first complete copy follows with its progress window, then the
    setup-done dialog, and the program stays in the tray and copies what changes. (The disk
    is a folder of this machine's own disk: when that is three quarters full, the program
    says that the disk is becoming full before the setup-done dialog.)

  Demo folder:    $demo
  Backup disk:    $disk   (the disk in the removable drive F:)
  Display:        $DISPLAY   (look at it with: import -display $DISPLAY -window root shot.png)
  Screenshot:     $shot
  Wine prefix:    $prefix
  Program log:    $log
  Stop it with:   tools/run.sh --stop
INFO
    exit 0
fi

# The settings the setup wizard would store: configured, on, with the tray icon, the demo folder
# as source, F: as destination with its disk's identifier (label FERROLIN1, serial 1234abcd), a
# zero last-sync time (so the first pass copies everything, with its progress), every change.
set_value() { "$wine_loader" reg add "$options" /v "$1" /t "$2" /d "$3" /f >/dev/null 2>&1 </dev/null; }
set_value Destination REG_SZ 'F:\' || { echo "cannot write the program's settings" >&2; exit 1; }
set_value DiskID REG_SZ '1234-ABCD'
set_value Source REG_MULTI_SZ 'C:\Ferrolin Demo'
for name in 'Start Time Low' 'Start Time High' Revisions 'Scheduler TYP' 'Buy Status'; do
    set_value "$name" REG_DWORD 0
done
for name in 'Mirror Status' 'Icon Status' 'Warning Status' 'Progress Status' '2Large Status' \
    'FileError Status' 'FileName Status' 'NotCurrent Status'; do
    set_value "$name" REG_DWORD 1
done

say "Starting Corvant Ferrolin 2 under Wine"
nohup "$wine_loader" "$program" >"$log" 2>&1 </dev/null 9>&- &
# The first backup: wait until every demo file is on the disk (at most a minute).
copied=no
for _ in $(seq 120); do
    if [ -f "$disk/Ferrolin Demo/Reports/2024/Budget.csv" ] \
        && [ -f "$disk/Ferrolin Demo/日本語メモ.txt" ] && [ -f "$disk/Ferrolin Demo/Photos/Sky.bmp" ]; then
        copied=yes
        break
    fi
    sleep 0.5
done
sleep 1
progress_shot="$run/first-backup.png"
import -display "$DISPLAY" -window root "$progress_shot" 2>/dev/null \
    || progress_shot="(no screenshot: imagemagick could not read $DISPLAY)"
sleep 7 # the progress window closes a few seconds after the copy
shot="$run/desktop.png"
import -display "$DISPLAY" -window root "$shot" 2>/dev/null \
    || shot="(no screenshot: imagemagick could not read $DISPLAY)"

if [ "$copied" = yes ]; then
    result="The first backup is done: every file of the demo folder is on the backup disk."
else
    result="The first backup has not finished yet (see the program log and the screenshots)."
fi
cat <<INFO

Corvant Ferrolin 2 is running under Wine, in the background with its icon in the tray.
$result

  Source folder:  $demo
                  (C:\\Ferrolin Demo for the program)
  Backup disk:    $disk
                  (the disk in the removable drive F:; the copy is in its "Ferrolin Demo" folder)
  Display:        $DISPLAY   (look at it with: import -display $DISPLAY -window root shot.png)
  Screenshots:    $progress_shot   (during the first backup)
                  $shot   (afterwards)
  Wine prefix:    $prefix
  Program log:    $log
  Stop it with:   tools/run.sh --stop

Try it: change or add a file in the source folder; about five seconds after the last change the
program copies it to the backup disk, with the same name, contents and dates.
INFO
