#!/bin/sh
# ctest's emulator for the win32 tree (wine64-run.sh for win64): the project's private
# prefix of that architecture, with the wineserver started on /dev/null so it does not
# hold ctest's output pipe open (that costs ~3 s per test otherwise). The loader is
# named by its full path: Debian's `wine` wrapper picks the 32-bit loader whenever it is
# installed, even for a 64-bit prefix.
: "${VELLARION_CACHE:=/var/cache/vellarion}"
if [ "${VL_WINE_ARCH:-i686}" = x86_64 ]; then
  : "${WINEPREFIX:=$VELLARION_CACHE/wine64-prefix}"
  WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
else
  : "${WINEPREFIX:=$VELLARION_CACHE/wine-prefix}"
  WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
fi
export WINEPREFIX WINEARCH WINELOADER WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
if wineserver -p </dev/null >/dev/null 2>&1; then "$WINELOADER" cmd /c exit </dev/null >/dev/null 2>&1; fi
exec "$WINELOADER" "$@"
