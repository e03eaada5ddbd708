#!/usr/bin/env bash
# The main job: install what is missing, build, make a small sample setup file
# with mksetup and start it under Wine with a trace viewer; prints what the
# stub traced and its exit code.   Usage: scripts/main_job.sh [BUILD_ROOT]
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
root="$(mkdir -p "${1:-$src/build}" && cd "${1:-$src/build}" && pwd)"

"$src/scripts/bootstrap.sh"
"$src/scripts/build.sh" "$root"

export BUILD_ROOT="$root"
source "$src/scripts/wine-env.sh"
source "$src/scripts/display.sh"
viewer_pid=""
cleanup() {
  [[ -n "$viewer_pid" ]] && kill "$viewer_pid" 2>/dev/null || true
  "$WINESERVER" -k >/dev/null 2>&1 || true
  stop_display
}
trap cleanup EXIT
wine_prepare_prefix
start_display

winpath() { echo "Z:${1//\//\\}"; }

out="$root/sample"
rm -rf "$out"
mkdir -p "$out/payload"
printf 'Sample payload\r\n' >"$out/payload/readme.txt"
engine="$root/win64/engine_double.exe"
[[ -f "$engine" ]] || engine="$root/win64/trace_probe.exe"
# The stub that runs here is the x86_64 build; ship the i686 one (build/win32).
cat >"$out/sample.json" <<JSON
{
  "stub": "$root/win64/stub.exe",
  "engine": {"path": "$engine"},
  "files": [{"path": "payload/readme.txt"}],
  "strings": [{"language": "English", "Charset": "0", "FontSize": "8", "FontName": "Tahoma",
               "keys": {"s0": "Sample Setup", "s1": "Unpacking the sample..."}}],
  "options": {"project_token": "SAMPLE-TOKEN"}
}
JSON
"$root/native/mksetup" build "$out/sample.json" -o "$out/SampleSetup.exe"
"$root/native/mksetup" verify "$out/SampleSetup.exe"
"$root/native/mksetup" inspect "$out/SampleSetup.exe" | head -n 40

capture="$out/trace.txt"
"$WINE" "$root/win64/trace_viewer.exe" "$(winpath "$capture")" >/dev/null 2>&1 &
viewer_pid=$!
for _ in $(seq 1 600); do [[ -f "$capture.ready" ]] && break; sleep 0.1; done
[[ -f "$capture.ready" ]] || { echo "main job: the trace viewer did not start" >&2; exit 1; }

echo "== running $(winpath "$out/SampleSetup.exe") under Wine"
status=0
(cd "$out" && timeout 300 "$WINE" "$out/SampleSetup.exe") || status=$?
sleep 1
touch "$capture.stop"
wait "$viewer_pid" 2>/dev/null || true
viewer_pid=""
echo "== trace captured by the viewer:"
cat "$capture"
echo "== setup exit code: $status"
