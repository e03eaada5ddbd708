#!/usr/bin/env bash
# Installs everything the build and the tests need, from Debian packages only.
# Idempotent: packages already present are not touched, so a second run costs a
# second or two.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev python3
  googletest libgtest-dev libgmock-dev zlib1g-dev
  libcli11-dev nlohmann-json3-dev libcpp-httplib-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb xauth x11-utils osslsigncode imagemagick curl locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q >/dev/null
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
fi

# mingw's default g++ uses the win32 thread model, which lacks std::mutex; the
# posix variant is what the toolchain files name.
for arch in i686 x86_64; do
  command -v "$arch-w64-mingw32-g++-posix" >/dev/null \
    || { echo "bootstrap: $arch-w64-mingw32-g++-posix missing" >&2; exit 1; }
done
echo "bootstrap: ok"
