# Sourced by the scripts that run Windows programs. Sets one Wine prefix per
# build folder and the variables every Wine run here needs.
#
# The test programs are x86_64 builds run by wine64: the kernels of our build
# machines do not execute 32-bit ELF programs, which Wine's 32-bit side is.
# The shipped stub.exe is the i686 build of the same sources.
: "${BUILD_ROOT:?BUILD_ROOT must name the build folder}"
export WINEPREFIX="${WINEPREFIX:-$BUILD_ROOT/wineprefix}"
export WINEDEBUG=-all
# Mono and Gecko cannot be downloaded here; without this a new prefix asks.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINELOADER=/usr/lib/wine/wine64
export WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
# WinINet honours proxy variables; the tests talk to loopback only.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY

wine_prepare_prefix() {
  if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # Without a window manager, a managed window waits about 2 s each time it
    # is shown; unmanaged windows draw their own frames and appear at once.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    "$WINESERVER" -w
  fi
}
