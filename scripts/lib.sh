# Shared by scripts/test and scripts/demo: installs what the build needs, builds the
# cross-compiled third-party libraries once, and configures both build trees.
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Kept outside the work tree so that fresh clones (CI) on the same machine reuse it.
CACHE=${VELLARION_CACHE:-/var/cache/vellarion}
BUILD=${VELLARION_BUILD:-$REPO/build}
DEPS=$CACHE/deps-i686
export WINEPREFIX=${WINEPREFIX:-$CACHE/wine-prefix}
export WINEARCH=win32 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winedbg.exe=d"}

log() { printf '== %s\n' "$*" >&2; }

APT_PACKAGES=(
  build-essential cmake ninja-build pkg-config dpkg-dev nasm
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  mingw-w64-i686-dev libz-mingw-w64-dev
  wine wine32:i386 xvfb xauth
  googletest libtiff-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev libtiff-tools
  clang libclang-rt-14-dev imagemagick python3
)

install_packages() {
  local missing=()
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    NEED_UPDATE=1
  fi
  if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src' /etc/apt/sources.list; then
    cat > /etc/apt/sources.list.d/vellarion-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    NEED_UPDATE=1
  fi
  for p in "${APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
    log "installing: ${missing[*]:-(package lists only)}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    [ ${#missing[@]} -eq 0 ] || apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
}

# libtiff and libjpeg-turbo from Debian's own sources, cross-built as static i686 libraries.
build_deps() {
  [ -f "$DEPS/.complete" ] && return 0
  log "building i686 libjpeg-turbo and libtiff into $DEPS"
  rm -rf "$DEPS" "$CACHE/src"
  mkdir -p "$DEPS/lib" "$DEPS/include" "$CACHE/src"
  (cd "$CACHE/src" && apt-get source -qq libjpeg-turbo tiff >/dev/null 2>&1) || {
    (cd "$CACHE/src" && apt-get update -qq && apt-get source -qq libjpeg-turbo tiff) ; }
  local tc="$REPO/cmake/mingw-i686-posix.cmake" jsrc tsrc
  jsrc=$(find "$CACHE/src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
  tsrc=$(find "$CACHE/src" -maxdepth 1 -type d -name 'tiff-*' | head -1)
  cmake -S "$jsrc" -B "$CACHE/src/jpeg-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$DEPS" -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_JPEG8=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=ON \
    -DCMAKE_SYSTEM_PROCESSOR=i686 -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >/dev/null
  cmake --build "$CACHE/src/jpeg-build" >/dev/null
  cmake --install "$CACHE/src/jpeg-build" >/dev/null
  cmake -S "$tsrc" -B "$CACHE/src/tiff-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$DEPS" -DBUILD_SHARED_LIBS=OFF \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Djpeg=ON -Dzlib=ON -Dold-jpeg=ON -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -Dlerc=OFF -Dlibdeflate=OFF -Djpeg12=OFF -Dpixarlog=ON \
    -DJPEG_INCLUDE_DIR="$DEPS/include" -DJPEG_LIBRARY="$DEPS/lib/libjpeg.a" \
    -DCMAKE_FIND_ROOT_PATH="$DEPS;/usr/i686-w64-mingw32" >/dev/null
  cmake --build "$CACHE/src/tiff-build" >/dev/null
  cmake --install "$CACHE/src/tiff-build" >/dev/null
  rm -rf "$CACHE/src"
  touch "$DEPS/.complete"
}

ensure_wine_prefix() {
  [ -f "$WINEPREFIX/.ready" ] && return 0
  log "creating the Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"; mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i </dev/null >/dev/null 2>&1 || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.ready"
}

configure_and_build() {
  log "building the native tree"
  cmake -S "$REPO" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVL_SANITIZE=ON >/dev/null
  cmake --build "$BUILD/native"
  log "building the win32 tree"
  cmake -S "$REPO" -B "$BUILD/win32" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/mingw-i686-posix.cmake" -DVL_DEPS="$DEPS" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$REPO/scripts/wine-run.sh" >/dev/null
  cmake --build "$BUILD/win32"
}

setup_all() {
  install_packages
  mkdir -p "$CACHE"
  build_deps
  ensure_wine_prefix
}
