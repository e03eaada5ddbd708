#!/usr/bin/env bash
# Configures and builds the three trees under one build folder:
#   native  (Linux, clang: core, unit tests, mksetup, fuzz targets, e2e harness)
#   win64   (x86_64 mingw: the Windows tests and tools run under Wine here)
#   win32   (i686 mingw: the shipped stub.exe and mksetup.exe)
# Usage: scripts/build.sh [BUILD_ROOT]   (default: build)
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
root="$(mkdir -p "${1:-$src/build}" && cd "${1:-$src/build}" && pwd)"
jobs="${JOBS:-$(nproc)}"

configure() {  # dir, extra cmake args...
  local dir="$1"; shift
  # Configuring an existing tree again only checks the cache: cheap, and it
  # picks up changed settings.
  cmake -S "$src" -B "$root/$dir" -G Ninja "$@" >/dev/null
}
configure win64 -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake"
configure win32 -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake"
configure native -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DWIN64_BUILD_DIR="$root/win64" -DWIN32_BUILD_DIR="$root/win32"
for dir in win64 win32 native; do
  cmake --build "$root/$dir" -j "$jobs"
done
