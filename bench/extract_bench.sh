#!/usr/bin/env bash
# Extraction speed of the stub, against an NSIS installer of the same payload
# and native zlib, all measured in this run, in one Wine prefix.
#
# Two payloads (bench/make_payloads.py): A, about 200 MB in 150 files (text
# slices and five random 10 MB files); B, 2000 small files of 1 to 20 KB.
# For each:
#   stub    the x86_64 stub on a setup made by mksetup, run with /hide and a
#           trace viewer; its "UnCompressTime: <n> MS" trace line;
#   NSIS    wall time of a zlib NSIS installer (amd64-unicode, silent) with the
#           whole payload, minus that of one with a single small file (the
#           start-up floor); also without NSIS's start-up CRC check;
#   native  bench's inflate_chunks: native zlib inflate of the setup's chunks.
# Each run is repeated REPEAT times (default 5), runs of the two sides
# interleaved; medians are reported. Targets: stub / NSIS at most 0.67 for A
# and at most 1.0 for B.
#
# Usage: bench/extract_bench.sh [BUILD_ROOT]   (default: build)
# Needs the native tree (mksetup, inflate_chunks), the win64 tree (stub.exe,
# trace_viewer.exe, engine_double.exe or trace_probe.exe), makensis (Debian
# package nsis) and about 1 GB of free space.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
root="$(cd "${1:-$src/build}" && pwd)"
repeat="${REPEAT:-5}"

mksetup="$root/native/mksetup"
inflate="$root/native/inflate_chunks"
stub="$root/win64/stub.exe"
viewer="$root/win64/trace_viewer.exe"
engine="$root/win64/engine_double.exe"
[[ -f "$engine" ]] || engine="$root/win64/trace_probe.exe"
for f in "$mksetup" "$inflate" "$stub" "$viewer" "$engine"; do
  [[ -f "$f" ]] || { echo "no $f: build first (scripts/build.sh $root)" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "makensis is missing: apt-get install nsis" >&2; exit 1; }

export BUILD_ROOT="$root"
source "$src/scripts/wine-env.sh"
source "$src/scripts/display.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/extract-bench.XXXXXX")"
viewer_pid=""
nsis_target=""
cleanup() {
  if [[ -n "$viewer_pid" ]]; then
    touch "$work/trace.txt.stop"
    wait "$viewer_pid" 2>/dev/null || true
  fi
  [[ -n "$nsis_target" ]] && rm -rf "$nsis_target"
  "$WINESERVER" -k >/dev/null 2>&1 || true
  stop_display
  rm -rf "$work"
}
trap cleanup EXIT

winpath() { echo "Z:${1//\//\\}"; }
now_ms() { date +%s%3N; }
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

exec 9>"$root/.wineprefix.lock"
flock 9
wine_prepare_prefix
flock -u 9
start_display

# Other work on the machine spreads the runs widely; the load shows how much.
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "== payloads and setup files (in $work)"
python3 "$src/bench/make_payloads.py" --stub "$stub" --engine "$engine" "$work"
echo "small" >"$work/small.txt"
for p in A B; do
  "$mksetup" build -q "$work/$p.json" -o "$work/${p}Setup.exe"
  "$mksetup" verify "$work/${p}Setup.exe" >/dev/null
done

# NSIS installers: the whole payload, and one small file for the start-up
# floor; the same pair without the CRC check NSIS makes at start by default.
nsi() {  # name, folder or file, crc (on|off)
  local name="$1" what="$2" crc="$3" files
  if [[ -d "$what" ]]; then files="File /r \"$what/*\""; else files="File \"$what\""; fi
  cat >"$work/$name.nsi" <<NSI
Unicode true
Target amd64-unicode
SetCompressor zlib
SilentInstall silent
CRCCheck $crc
RequestExecutionLevel user
Name "Extraction bench $name"
OutFile "$work/$name.exe"
InstallDir "C:\\extract-bench"
Section
  SetOutPath "\$INSTDIR"
  $files
SectionEnd
NSI
  makensis -V1 "$work/$name.nsi" >/dev/null
}
for p in A B; do
  nsi "nsis_${p}_full" "$work/$p" on
  nsi "nsis_${p}_nocrc" "$work/$p" off
done
nsi nsis_floor "$work/small.txt" on
nsi nsis_floor_nocrc "$work/small.txt" off
ls -l "$work"/*.exe | awk '{ printf "  %-28s %12d bytes\n", $NF, $5 }' | sed "s|$work/||"

# One trace viewer for all stub runs; each run's lines are those it added.
capture="$work/trace.txt"
"$WINE" "$viewer" "$(winpath "$capture")" >/dev/null 2>&1 &
viewer_pid=$!
for _ in $(seq 1 600); do [[ -f "$capture.ready" ]] && break; sleep 0.1; done
[[ -f "$capture.ready" ]] || { echo "the trace viewer did not start" >&2; exit 1; }

temp_unix="$("$WINE" winepath -u "$("$WINE" cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)"
temp_unix="${temp_unix%/}"
[[ -d "$temp_unix" ]] || { echo "cannot find Wine's temporary folder ($temp_unix)" >&2; exit 1; }
nsis_target="$WINEPREFIX/drive_c/extract-bench"
rm -rf "$nsis_target"

# The payload's file count and bytes, to check what each run extracted.
count_bytes() { find "$1" -type f -printf '%s\n' | awk '{ n++; s += $1 } END { print n + 0, s + 0 }'; }

run_stub() {  # payload, run -> sets stub_ms, stub_wall_ms
  local p="$1" r="$2" setup="$work/${1}Setup.exe" before after lines status=0 t0 t1
  local report="$work/engine_${p}_$r.txt"
  ls -d "$temp_unix"/SETUP_* 2>/dev/null | sort >"$work/setup_dirs.before" || true
  lines=$(wc -l <"$capture")
  sync
  t0=$(now_ms)
  (cd "$work" && ENGINE_DOUBLE_REPORT="$(winpath "$report")" timeout 900 "$WINE" "$setup" /hide) ||
    status=$?
  t1=$(now_ms)
  stub_wall_ms=$((t1 - t0))
  stub_ms=$(tail -n +"$((lines + 1))" "$capture" | grep -ao 'UnCompressTime: [0-9]*' |
            awk '{ print $2 }' | tail -n 1 || true)
  if [[ -z "$stub_ms" ]]; then
    echo "stub run $p/$r (exit $status) traced no UnCompressTime; its trace:" >&2
    tail -n +"$((lines + 1))" "$capture" >&2
    exit 1
  fi
  # engine_double lists the files it finds beside itself: they must be the
  # payload (plus the engine).
  if [[ "$engine" == */engine_double.exe ]]; then
    [[ -f "$report" ]] || { echo "stub run $p/$r: the engine did not run" >&2; exit 1; }
    read -r n bytes < <(grep -a '^file=' "$report" | tr -d '\r' |
      awk -F'|' '{ n++; s += $2 } END { print n + 0, s + 0 }')
    read -r want_n want_bytes < <(count_bytes "$work/$p")
    want_n=$((want_n + 1)); want_bytes=$((want_bytes + $(stat -c %s "$engine")))
    if [[ "$n $bytes" != "$want_n $want_bytes" ]]; then
      echo "stub run $p/$r: the engine found $n files, $bytes bytes; expected $want_n, $want_bytes" >&2
      exit 1
    fi
  fi
  # The stub removes its work folder once the engine has ended.
  ls -d "$temp_unix"/SETUP_* 2>/dev/null | sort >"$work/setup_dirs.after" || true
  local left
  left="$(comm -13 "$work/setup_dirs.before" "$work/setup_dirs.after")"
  if [[ -n "$left" ]]; then
    echo "  note: the stub left its work folder $left (removed)" >&2
    rm -rf $left
  fi
}

run_nsis() {  # installer, payload folder or "" -> sets nsis_ms
  local exe="$work/$1.exe" want="$2" status=0 t0 t1
  rm -rf "$nsis_target"
  sync
  t0=$(now_ms)
  timeout 900 "$WINE" "$exe" /S '/D=C:\extract-bench' || status=$?
  t1=$(now_ms)
  nsis_ms=$((t1 - t0))
  [[ $status == 0 ]] || { echo "$1 exited with $status" >&2; exit 1; }
  if [[ -n "$want" && "$(count_bytes "$nsis_target")" != "$(count_bytes "$want")" ]]; then
    echo "$1 did not extract the whole payload into $nsis_target" >&2
    exit 1
  fi
  rm -rf "$nsis_target"
}

# A first Wine start pays for loading; not measured.
run_nsis nsis_floor ""

declare -A stub_runs stub_walls full_runs floor_runs nocrc_runs floor_nocrc_runs
for r in $(seq 1 "$repeat"); do
  for p in A B; do
    run_stub "$p" "$r"; stub_runs[$p]+="$stub_ms "; stub_walls[$p]+="$stub_wall_ms "
    run_nsis "nsis_${p}_full" "$work/$p"; full_runs[$p]+="$nsis_ms "
    run_nsis nsis_floor ""; floor_runs[$p]+="$nsis_ms "
    run_nsis "nsis_${p}_nocrc" "$work/$p"; nocrc_runs[$p]+="$nsis_ms "
    run_nsis nsis_floor_nocrc ""; floor_nocrc_runs[$p]+="$nsis_ms "
  done
  echo "  run $r of $repeat done"
done

echo
echo "== results (median of $repeat runs; milliseconds; load average now $(cut -d' ' -f1-3 /proc/loadavg))"
for p in A B; do
  read -r files bytes < <(count_bytes "$work/$p")
  read -r native_line < <("$inflate" "$work/${p}Setup.exe" "$repeat")
  native_ms=$(sed 's/.* inflate_ms=\([0-9.]*\).*/\1/' <<<"$native_line")
  native_extract_ms=$(sed 's/.* extract_ms=\([0-9.]*\).*/\1/' <<<"$native_line")
  s=$(median ${stub_runs[$p]}); sw=$(median ${stub_walls[$p]})
  full=$(median ${full_runs[$p]}); floor=$(median ${floor_runs[$p]})
  nocrc=$(median ${nocrc_runs[$p]}); floor_nocrc=$(median ${floor_nocrc_runs[$p]})
  target=$([[ $p == A ]] && echo 0.67 || echo 1.0)
  awk -v p="$p" -v files="$files" -v bytes="$bytes" -v setup="$(stat -c %s "$work/${p}Setup.exe")" \
      -v s="$s" -v sw="$sw" -v runs="${stub_runs[$p]}" -v walls="${stub_walls[$p]}" \
      -v native="$native_ms" -v nextract="$native_extract_ms" \
      -v full="$full" -v floor="$floor" -v fruns="${full_runs[$p]}" -v flruns="${floor_runs[$p]}" \
      -v nocrc="$nocrc" -v floor_nocrc="$floor_nocrc" -v target="$target" 'BEGIN {
    nsis = full - floor; nsis2 = nocrc - floor_nocrc
    printf "payload %s: %d files, %.1f MB; setup file %.1f MB\n", p, files, bytes / 1e6, setup / 1e6
    printf "  stub UnCompressTime      %8.0f   (runs: %s; whole stub run %.0f, runs: %s)\n", s, runs, sw, walls
    printf "  native zlib inflate      %8.1f   (Extract() into a discarding target: %.1f)\n", native, nextract
    printf "  NSIS full - floor        %8.0f   (full %.0f, floor %.0f; runs full: %s floor: %s)\n", nsis, full, floor, fruns, flruns
    printf "  NSIS without CRC check   %8.0f   (full %.0f, floor %.0f)\n", nsis2, nocrc, floor_nocrc
    ratio = (nsis > 0) ? s / nsis : -1
    ratio2 = (nsis2 > 0) ? s / nsis2 : -1
    ratio3 = (native > 0) ? s / native : -1
    printf "  stub / NSIS              %8.2f   target at most %s: %s\n", ratio, target,
           (ratio >= 0 && ratio <= target) ? "met" : "MISSED"
    printf "  stub / NSIS without CRC  %8.2f\n", ratio2
    printf "  stub / native inflate    %8.2f\n", ratio3
  }'
done
