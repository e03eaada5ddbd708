#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's prefix:
#   BUILD_ROOT=build scripts/wine-run.sh prog.exe [args...]
# Exit code: the program's.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export BUILD_ROOT="${BUILD_ROOT:-$here/../build}"
source "$here/wine-env.sh"
exec 9>"$BUILD_ROOT/.wineprefix.lock"
flock 9
wine_prepare_prefix
flock -u 9
exec "$WINE" "$@"
