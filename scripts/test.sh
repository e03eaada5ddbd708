#!/usr/bin/env bash
# The whole test command: installs what is missing, builds the three trees and
# runs every test (native unit, fuzz, Windows under Wine, end to end) in one
# ctest run.   Usage: scripts/test.sh [BUILD_ROOT]   (default: build)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
root="$(mkdir -p "${1:-$src/build}" && cd "${1:-$src/build}" && pwd)"
start=$(date +%s)

"$src/scripts/bootstrap.sh"
"$src/scripts/build.sh" "$root"

export BUILD_ROOT="$root"
source "$src/scripts/wine-env.sh"
source "$src/scripts/display.sh"

cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  stop_display
}
trap cleanup EXIT

wine_prepare_prefix
start_display
# A persistent wineserver saves its start-up on every Wine run. It inherits our
# output, so it must not hold the pipe CI reads.
"$WINESERVER" -p >/dev/null 2>&1 </dev/null &
# The first program of a server session starts Wine's services, which live as
# long as the server and keep the output of whoever started them: start them
# here, away from the pipes ctest waits on.
"$WINE" wineboot >/dev/null 2>&1 </dev/null || true

status=0
ctest --test-dir "$root/native" --output-on-failure -j "$(nproc)" || status=$?
echo "test command wall time: $(( $(date +%s) - start )) s"
exit $status
