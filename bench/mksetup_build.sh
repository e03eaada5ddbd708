#!/usr/bin/env bash
# Builds a setup from a 1 GiB payload and reports mksetup's peak memory and
# throughput next to `gzip -6` of the same data, all measured in this run.
# Peak memory is also measured for a 64 MiB payload: it must not grow with
# the size of the payload.
#
# Usage: bench/mksetup_build.sh [BUILD_ROOT] [SIZE_MIB]   (defaults: build, 1024)
# Needs about three times SIZE_MIB of free space under ${TMPDIR:-/tmp}.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
root="${1:-$src/build}"
size_mib="${2:-1024}"
mksetup="$root/native/mksetup"
[[ -x "$mksetup" ]] || { echo "no $mksetup: build first (scripts/build.sh $root)" >&2; exit 1; }
work="$(mktemp -d "${TMPDIR:-/tmp}/mksetup-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# The payload: half text-like (base64 of random bytes, compresses to about
# 3/4), half random (does not compress), in files of 64 MiB.
make_payload() {  # folder, MiB
  local dir="$1" mib="$2" i=0 made=0
  mkdir -p "$dir"
  while (( made < mib )); do
    local part=$(( mib - made < 64 ? mib - made : 64 ))
    if (( i % 2 == 0 )); then
      # base64 with line ends runs a little longer than wanted: cut it (the
      # cut ends base64 with SIGPIPE, which is expected here).
      (set +o pipefail; head -c $(( part * 1024 * 1024 * 3 / 4 )) /dev/urandom | base64 -w 76 |
        head -c $(( part * 1024 * 1024 ))) >"$dir/part$i.txt"
    else
      head -c $(( part * 1024 * 1024 )) /dev/urandom >"$dir/part$i.bin"
    fi
    made=$(( made + part )); i=$(( i + 1 ))
  done
}

manifest() {  # folder -> manifest on stdout
  local dir="$1"
  printf '{"stub": "%s/stub.bin", "engine": {"path": "%s/stub.bin", "stamp": 0}, "files": [' "$work" "$work"
  local first=1
  for f in "$dir"/*; do
    (( first )) || printf ','
    printf '{"path": "%s", "stamp": 0}' "$f"
    first=0
  done
  printf ']}\n'
}

# A stub image: "MZ", "PE" at 0x100, 64 KiB.
python3 - "$work/stub.bin" <<'PY'
import sys
b = bytearray(65536); b[0:2] = b"MZ"; b[0x100:0x102] = b"PE"
open(sys.argv[1], "wb").write(b)
PY

measure() {  # command... -> "seconds peak_kib"
  local out="$work/time.txt"
  /usr/bin/time -f "%e %M" -o "$out" "$@" >/dev/null
  cat "$out"
}

echo "payload: ${size_mib} MiB (half base64 text, half random) in 64 MiB files"
make_payload "$work/small" 64
make_payload "$work/big" "$size_mib"
manifest "$work/small" >"$work/small.json"
manifest "$work/big" >"$work/big.json"
sync

read -r small_s small_kib < <(measure "$mksetup" build -q "$work/small.json" -o "$work/small.exe")
rm -f "$work/small.exe"
read -r big_s big_kib < <(measure "$mksetup" build -q "$work/big.json" -o "$work/big.exe")
out_bytes=$(stat -c %s "$work/big.exe")
"$mksetup" verify "$work/big.exe" >/dev/null
rm -f "$work/big.exe"
read -r gzip_s gzip_kib < <(measure sh -c "cat '$work'/big/* | gzip -6 >'$work/big.gz'")
gz_bytes=$(stat -c %s "$work/big.gz")

awk -v mib="$size_mib" -v bs="$big_s" -v gs="$gzip_s" -v sk="$small_kib" -v bk="$big_kib" \
    -v ob="$out_bytes" -v gb="$gz_bytes" 'BEGIN {
  printf "mksetup build: %.1f s, %.1f MiB/s, output %.1f%% of input, peak RSS %.1f MiB\n",
         bs, mib / bs, 100 * ob / (mib * 1048576), bk / 1024
  printf "gzip -6:       %.1f s, %.1f MiB/s, output %.1f%% of input\n",
         gs, mib / gs, 100 * gb / (mib * 1048576)
  printf "throughput mksetup / gzip -6: %.2f\n", gs / bs
  printf "peak RSS: %.1f MiB for 64 MiB, %.1f MiB for %d MiB (ratio %.2f)\n",
         sk / 1024, bk / 1024, mib, bk / sk
}'
