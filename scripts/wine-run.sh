#!/bin/sh
# ctest's emulator for the win32 tree: the project's private prefix, with the
# wineserver started on /dev/null so it does not hold ctest's output pipe open
# (that costs ~3 s per test otherwise).
: "${WINEPREFIX:=/var/cache/vellarion/wine-prefix}"
export WINEPREFIX WINEARCH=win32 WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
if wineserver -p </dev/null >/dev/null 2>&1; then wine cmd /c exit </dev/null >/dev/null 2>&1; fi
exec wine "$@"
