#!/usr/bin/env bash
# Peak memory of the stub while it extracts one 2 GiB file held in one chunk:
# the stub reads, inflates and writes in bounded pieces, so its peak must not
# follow the size of a chunk. Target: below 64 MiB resident (VmHWM of the Wine
# process running the x86_64 stub.exe, which includes Wine's own share).
# Also prints the size of the shipped i686 stub.exe (target: under 150 KiB).
#
# Usage: bench/stub_memory.sh [BUILD_ROOT]   (default: build)
# Needs the native tree (mksetup), the win64 tree (stub.exe, trace_viewer.exe,
# engine_double.exe or trace_probe.exe), the i686 stub.exe for its size, and
# about 8 GB of free space (under ${TMPDIR:-/tmp} and in the Wine prefix).
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
root="$(cd "${1:-$src/build}" && pwd)"
size=$((2 * 1024 * 1024 * 1024))

mksetup="$root/native/mksetup"
stub="$root/win64/stub.exe"
viewer="$root/win64/trace_viewer.exe"
engine="$root/win64/engine_double.exe"
[[ -f "$engine" ]] || engine="$root/win64/trace_probe.exe"
for f in "$mksetup" "$stub" "$viewer" "$engine"; do
  [[ -f "$f" ]] || { echo "no $f: build first (scripts/build.sh $root)" >&2; exit 1; }
done

export BUILD_ROOT="$root"
source "$src/scripts/wine-env.sh"
source "$src/scripts/display.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/stub-memory.XXXXXX")"
viewer_pid=""
cleanup() {
  if [[ -n "$viewer_pid" ]]; then
    touch "$work/trace.txt.stop"
    wait "$viewer_pid" 2>/dev/null || true
  fi
  "$WINESERVER" -k >/dev/null 2>&1 || true
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT
winpath() { echo "Z:${1//\//\\}"; }

shipped="$root/win32/stub.exe"
if [[ -f "$shipped" ]]; then
  awk -v b="$(stat -c %s "$shipped")" 'BEGIN {
    printf "shipped stub (win32/stub.exe): %d bytes, %.1f KiB; target under 150 KiB: %s\n",
           b, b / 1024, (b < 150 * 1024) ? "met" : "MISSED" }'
else
  echo "no $shipped: its size is not reported (build the win32 tree)"
fi

# The file: base64 lines of seeded random bytes, written as a stream. It
# deflates to about 3/4, so its chunk stays below 2^31 bytes (a chunk length
# is a signed 32-bit number) while zlib has real work to do.
echo "== writing a $((size >> 20)) MiB file (in $work)"
mkdir -p "$work/payload"
python3 - "$work/payload/huge.txt" "$size" <<'PY'
import base64, random, sys
path, size = sys.argv[1], int(sys.argv[2])
rng = random.Random(2024)
piece = 57 * 1024 * 16  # whole base64 lines of 76 characters
with open(path, "wb") as f:
    left = size
    while left > 0:
        data = base64.encodebytes(rng.randbytes(piece))
        f.write(data[:left])
        left -= min(left, len(data))
PY

# mksetup puts at most 1 GiB of a file in one chunk, so the file is built in
# two chunks and those are then joined into one: the bytes before the first,
# one zlib stream of the same head and all the file's bytes, the bytes after
# the last (the trailer, which counts files, not chunks).
cat >"$work/huge.json" <<JSON
{"stub": "$stub", "engine": {"path": "$engine", "stamp": "2024-05-01 12:00:00"},
 "files": [{"path": "payload/huge.txt", "stamp": "2024-05-01 12:00:00"}],
 "level": 1, "chunk_size": 1073741824}
JSON
echo "== building the setup"
"$mksetup" build -q "$work/huge.json" -o "$work/split.exe"
"$mksetup" inspect --json "$work/split.exe" >"$work/split.json"
python3 - "$work/split.exe" "$work/split.json" "$work/payload/huge.txt" "$work/HugeSetup.exe" <<'PY'
import json, struct, sys, zlib
split, report, data_path, out_path = sys.argv[1:]
chunks = [c for c in json.load(open(report))["chunks"] if c["name"].endswith("#huge.txt")]
assert len(chunks) >= 2, "expected the file in several chunks"
first, last = chunks[0], chunks[-1]
step = 1 << 20
with open(split, "rb") as src:
    # The head as the first chunk holds it: everything up to its NUL.
    src.seek(first["offset"] + 4)
    head = zlib.decompressobj().decompress(src.read(step))
    head = head[:head.index(b"\0") + 1]
    with open(out_path, "wb") as out:
        src.seek(0)
        left = first["offset"]
        while left:
            left -= out.write(src.read(min(step, left)))
        at = out.tell()
        out.write(b"\0\0\0\0")
        z = zlib.compressobj(1)
        length = out.write(z.compress(head))
        with open(data_path, "rb") as data:
            while True:
                piece = data.read(step)
                if not piece:
                    break
                length += out.write(z.compress(piece))
        length += out.write(z.flush())
        assert length < 2 ** 31, "the chunk does not fit a signed 32-bit length"
        src.seek(last["offset"] + 4 + last["stored_size"])
        while True:
            piece = src.read(step)
            if not piece:
                break
            out.write(piece)
        out.seek(at)
        out.write(struct.pack("<i", length))
print("one chunk of %d bytes" % length)
PY
rm -f "$work/split.exe"
"$mksetup" verify "$work/HugeSetup.exe" >/dev/null
rm -f "$work/payload/huge.txt"

exec 9>"$root/.wineprefix.lock"
flock 9
wine_prepare_prefix
flock -u 9
start_display
capture="$work/trace.txt"
"$WINE" "$viewer" "$(winpath "$capture")" >/dev/null 2>&1 &
viewer_pid=$!
for _ in $(seq 1 600); do [[ -f "$capture.ready" ]] && break; sleep 0.1; done
[[ -f "$capture.ready" ]] || { echo "the trace viewer did not start" >&2; exit 1; }

echo "== running the stub on it under Wine"
report="$work/engine_report.txt"
sync
t0=$(date +%s%3N)
(cd "$work" && ENGINE_DOUBLE_REPORT="$(winpath "$report")" exec timeout 1800 "$WINE" "$work/HugeSetup.exe" /hide) &
run_pid=$!
# VmHWM is the kernel's own high-water mark of resident memory: polled until
# the process ends, it gives its peak. The Linux process running the stub is
# the Wine process whose program (first or second argument) is the setup
# file; the engine names the setup file further on in its command line.
is_stub() {  # pid
  local args=()
  mapfile -d '' -t args <"/proc/$1/cmdline" 2>/dev/null || return 1
  [[ "$(readlink "/proc/$1/exe" 2>/dev/null)" == *wine* ]] || return 1
  [[ "${args[0]:-}" == *HugeSetup.exe || "${args[1]:-}" == *HugeSetup.exe ]]
}
peak_kib=0
pids_seen=""
while kill -0 "$run_pid" 2>/dev/null; do
  for pid in $(pgrep -f "HugeSetup\.exe" || true); do
    is_stub "$pid" || continue
    hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    [[ -n "$hwm" ]] || continue
    [[ " $pids_seen " == *" $pid "* ]] || pids_seen+=" $pid"
    (( hwm > peak_kib )) && peak_kib=$hwm
  done
  sleep 0.1
done
status=0
wait "$run_pid" || status=$?
t1=$(date +%s%3N)
uncompress=$(grep -ao 'UnCompressTime: [0-9]*' "$capture" | awk '{ print $2 }' | tail -n 1 || true)
# Stored as "00000#huge.txt": a payload file's name carries its number.
extracted=$(grep -a '^file=[0-9]*#huge.txt|' "$report" 2>/dev/null | tr -d '\r' | cut -d'|' -f2 || true)

echo "stub exit code $status; whole run $((t1 - t0)) ms; UnCompressTime ${uncompress:-none} ms"
if [[ "$engine" == */engine_double.exe ]]; then
  echo "the engine found huge.txt with ${extracted:-no} bytes (expected $size)"
fi
[[ -n "$pids_seen" ]] || { echo "the stub's process was never seen" >&2; exit 1; }
awk -v k="$peak_kib" -v pids="$pids_seen" 'BEGIN {
  printf "stub peak resident memory (VmHWM, process%s): %.1f MiB; target below 64 MiB: %s\n",
         pids, k / 1024, (k < 64 * 1024) ? "met" : "MISSED" }'
[[ -z "$extracted" || "$extracted" == "$size" ]] || { echo "the extracted file has the wrong size" >&2; exit 1; }
