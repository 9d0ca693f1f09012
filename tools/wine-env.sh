# Wine set-up shared by tools/wine-run.sh and the README's commands. Source it.
# wine_environment PREFIX: exports WINEPREFIX, WINEDEBUG and DISPLAY, creates the prefix when it is
# missing and starts the display and a persistent wineserver when they are not running.

wine_loader=/usr/lib/wine/wine64
wine_server=/usr/lib/wine/wineserver
ferrolin_display=${FERROLIN_DISPLAY:-:87}

# Wine's services outlive the call: they must not inherit the prefix lock (fd 9) or a pipe.
wine_quiet() { "$wine_loader" "$@" >>"$WINEPREFIX.log" 2>&1 </dev/null 9>&-; }

# The virtual desktop puts every process of the prefix on one desktop with a taskbar and a
# notification area: the tray icon shows, and windows of different processes find each other.
wine_configure_prefix() {
    wine_quiet reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f
    wine_quiet reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1024x768 /f
    wine_quiet reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    # F: is a removable drive whose medium is the folder the symlink points to.
    local media="$WINEPREFIX-media"
    mkdir -p "$media/backup-1"
    [ -f "$media/backup-1/.windows-label" ] || printf 'FERROLIN1' >"$media/backup-1/.windows-label"
    [ -f "$media/backup-1/.windows-serial" ] || printf '1234abcd' >"$media/backup-1/.windows-serial"
    ln -sfn "$media/backup-1" "$WINEPREFIX/dosdevices/f:"
    wine_quiet reg add 'HKLM\Software\Wine\Drives' /v 'f:' /d floppy /f
}

wine_start_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${FERROLIN_DISPLAY:-}" ]; then
        return 0 # a real or already chosen display
    fi
    export DISPLAY=$ferrolin_display
    local number=${DISPLAY#:}
    if [ -e "/tmp/.X$number-lock" ] && kill -0 "$(tr -d ' ' <"/tmp/.X$number-lock")" 2>/dev/null; then
        return 0
    fi
    rm -f "/tmp/.X$number-lock" "/tmp/.X11-unix/X$number"
    # Room for the largest virtual desktop of a prefix (1366 x 768 for the high-DPI pictures).
    nohup Xvfb "$DISPLAY" -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
    local tries
    for tries in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$number" ] && return 0
        sleep 0.1
    done
    echo "wine-env: Xvfb did not start on $DISPLAY" >&2
    return 1
}

wine_environment() {
    export WINEPREFIX
    WINEPREFIX=$(realpath -m "$1")
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono or Gecko prompts; no menu entries on the host for the shortcuts that installs create.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}
    export WINEARCH=win64
    mkdir -p "$(dirname "$WINEPREFIX")"
    wine_start_display || return 1
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.ferrolin-ready" ]; then
            rm -rf "$WINEPREFIX"
            wine_quiet wineboot -i || exit 1
            wine_configure_prefix
            "$wine_server" -k 2>/dev/null 9>&-
            "$wine_server" -w 2>/dev/null 9>&-
            touch "$WINEPREFIX/.ferrolin-ready"
        fi
        # A persistent server makes each start cost milliseconds instead of seconds; it ends
        # itself a minute after the last Wine process.
        "$wine_server" -p60 >/dev/null 2>&1 </dev/null 9>&- || true
    ) 9>"$WINEPREFIX.lock"
}

# Stops the wineserver of the prefix (and with it every Wine process of the prefix).
wine_shutdown() {
    WINEPREFIX=$1 "$wine_server" -k 2>/dev/null || true
}
