#!/usr/bin/env bash
# Runs the installer tests in a Wine prefix made afresh, as a new Windows user account would be:
#   run_installer_test.sh PREFIX installer_test.exe [arguments...]
set -u
prefix=$1
shift
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tools="$here/../../tools"
# shellcheck source=tools/wine-env.sh
. "$tools/wine-env.sh"
wine_shutdown "$prefix"
rm -rf "$prefix" "$prefix-media" "$prefix.log"
exec "$tools/wine-run.sh" --prefix "$prefix" "$@"
