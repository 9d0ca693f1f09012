#!/usr/bin/env bash
# Emulated removable drives of a build tree's Wine prefix: make media, put them into a drive,
# take them out.
#   tools/wine-drive.sh [--build DIR] medium FOLDER LABEL SERIAL   make a medium (8 hex digits)
#   tools/wine-drive.sh [--build DIR] insert LETTER FOLDER         the folder becomes the disk
#   tools/wine-drive.sh [--build DIR] eject LETTER                 the drive stays, without a disk
#   tools/wine-drive.sh [--build DIR] remove LETTER                the drive goes
#   tools/wine-drive.sh [--build DIR] show LETTER                  where the drive points
# DIR is the Windows build tree (default build/windows); its prefix is DIR/wineprefix.
#
# A drive is a symlink $WINEPREFIX/dosdevices/<letter>: to the medium's folder. Wine's mount
# manager reads the label and serial number of a drive once and keeps them while the prefix
# runs, so insert, eject and remove go through the tree's wine_drive tool, which asks the mount
# manager to define the drive again (it re-points the symlink itself). Without the tool the
# symlink is re-pointed directly, which takes effect at the prefix's next start.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
build=$here/../build/windows
if [ "${1:-}" = "--build" ]; then
    build=$2
    shift 2
fi
build=$(realpath -m "$build")
prefix=$build/wineprefix
tool=$build/tests/drivekit/wine_drive.exe

usage() {
    sed -n '4,8p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

letter_of() {
    local letter
    letter=$(printf '%s' "$1" | tr 'A-Z' 'a-z')
    case $letter in
        [a-z]) printf '%s' "$letter" ;;
        *) echo "wine-drive: '$1' is not a drive letter" >&2; exit 2 ;;
    esac
}

# Runs the tool when it is built; returns 127 when it is not.
run_tool() {
    [ -f "$tool" ] || return 127
    "$here/wine-run.sh" --prefix "$prefix" "$tool" "$@"
}

fall_back() {
    echo "wine-drive: $tool is not built; re-pointing the symlink only (a running prefix keeps" \
         "the old disk's label and serial until 'wineserver -k')" >&2
}

command=${1:-}
[ -n "$command" ] || usage
shift
case $command in
    medium)
        [ $# -eq 3 ] || usage
        case $3 in
            [0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F][0-9a-fA-F]) ;;
            *) echo "wine-drive: the serial number must be 8 hex digits" >&2; exit 2 ;;
        esac
        mkdir -p "$1" || exit 1
        printf '%s' "$2" >"$1/.windows-label" && printf '%s' "$3" >"$1/.windows-serial"
        ;;
    insert)
        [ $# -eq 2 ] || usage
        letter=$(letter_of "$1")
        folder=$(realpath -m "$2")
        [ -d "$folder" ] || { echo "wine-drive: $folder is not a folder" >&2; exit 1; }
        run_tool insert "$letter" "$folder"
        status=$?
        if [ $status -eq 127 ]; then
            fall_back
            ln -sfn "$folder" "$prefix/dosdevices/$letter:"
            status=$?
        fi
        exit $status
        ;;
    eject)
        [ $# -eq 1 ] || usage
        letter=$(letter_of "$1")
        run_tool eject "$letter"
        status=$?
        if [ $status -eq 127 ]; then
            fall_back
            ln -sfn /nonexistent/ferrolin-no-medium-in-drive "$prefix/dosdevices/$letter:"
            status=$?
        fi
        exit $status
        ;;
    remove)
        [ $# -eq 1 ] || usage
        letter=$(letter_of "$1")
        run_tool remove "$letter"
        status=$?
        if [ $status -eq 127 ]; then
            fall_back
            rm -f "$prefix/dosdevices/$letter:"
            status=$?
        fi
        exit $status
        ;;
    show)
        [ $# -eq 1 ] || usage
        letter=$(letter_of "$1")
        readlink "$prefix/dosdevices/$letter:" || { echo "wine-drive: no drive $letter:" >&2; exit 1; }
        ;;
    *)
        usage
        ;;
esac
