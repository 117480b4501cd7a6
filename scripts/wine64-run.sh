#!/bin/sh
# ctest's emulator for the win64 tree: wine-run.sh with the 64-bit prefix and loader.
VL_WINE_ARCH=x86_64 exec "$(dirname "$0")/wine-run.sh" "$@"
