# Shared by scripts/test and scripts/demo: installs what the build needs, builds the
# cross-compiled third-party libraries once per architecture, makes the Wine prefixes,
# decides by a real probe whether 32-bit Windows programs can run here, and configures
# the build trees. Every step that fails says what failed and how to retry it.
set -eEuo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Kept outside the work tree so that fresh clones (CI) on the same machine reuse it.
CACHE=${VELLARION_CACHE:-/var/cache/vellarion}
BUILD=${VELLARION_BUILD:-$REPO/build}
export VELLARION_CACHE=$CACHE
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winedbg.exe=d"}
# The two Windows builds: the folder each lands in under $BUILD, its compilers and its
# Wine prefix. 64-bit Wine runs on every x86-64 machine; 32-bit only where the probe says so.
WIN_ARCHES=(i686 x86_64)
declare -A WIN_TREE=([i686]=win32 [x86_64]=win64)
declare -A WIN_TOOLCHAIN=([i686]=mingw-i686-posix [x86_64]=mingw-x86_64-posix)
declare -A WIN_RUNNER=([i686]=wine-run.sh [x86_64]=wine64-run.sh)

log() { printf '== %s\n' "$*" >&2; }

# A failing command names its step and the way to run it again; no silent exits.
STEP="start-up"
step() { STEP=$1; log "$1"; }
on_error() {
  local rc=$? cmd=$1 line=$2
  printf '\nFAILED (exit %s) in step "%s": %s (%s line %s)\n' "$rc" "$STEP" "$cmd" "${BASH_SOURCE[1]##*/}" "$line" >&2
  printf 'Retry with: %s\n' "${RETRY_HINT:-$0}" >&2
  exit "$rc"
}
trap 'on_error "$BASH_COMMAND" "$LINENO"' ERR
die() {
  printf '\nFAILED in step "%s": %s\n' "$STEP" "$1" >&2
  [ -z "${2:-}" ] || printf 'Retry with: %s\n' "$2" >&2
  exit 1
}

APT_PACKAGES=(
  build-essential cmake ninja-build pkg-config dpkg-dev nasm
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  libz-mingw-w64-dev wine wine64 xvfb xauth
  googletest libtiff-dev libpng-dev zlib1g-dev libjpeg62-turbo-dev libtiff-tools
  clang libclang-rt-14-dev clang-format imagemagick python3
  msitools wixl
)
# Needed only to run the 32-bit build; where they cannot be installed, the 32-bit tests
# are reported as not run instead of failing the whole run.
APT_PACKAGES_32=(wine32:i386)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# deb-src entries mirroring the machine's own configured Debian sources (same addresses,
# suites and components), so that no archive address is written here.
add_source_entries() {
  local f out=/etc/apt/sources.list.d/vellarion-src.sources tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && [ "$f" != "$out" ] || continue
    # One stanza per blank-line-separated block; keep those that carry binary packages.
    awk 'function flush() { if (deb && suites) printf "%s\n", buf; buf = ""; deb = suites = 0 }
         /^[ \t]*$/ { flush(); next }
         /^Types:/ { deb = ($0 ~ /[ \t]deb([ \t]|$)/); buf = buf "Types: deb-src\n"; next }
         /^Suites:/ { suites = 1 }
         { buf = buf $0 "\n" }
         END { flush() }' "$f" >>"$tmp"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] && [ "$f" != "${out%.sources}.list" ] || continue
    grep -E '^deb[[:space:]]' "$f" | sed -E 's/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?/deb-src \1/' \
      >>"${out%.sources}.list" || true
  done
  [ -s "${out%.sources}.list" ] || rm -f "${out%.sources}.list"
  if [ -s "$tmp" ]; then mv "$tmp" "$out"; else rm -f "$tmp"; fi
  [ -s "$out" ] || [ -s "${out%.sources}.list" ] ||
    die "no Debian source is configured on this machine (/etc/apt/sources.list{,.d}), so none can be mirrored for deb-src"
}

have_source_entries() {
  grep -rqsE '^Types:.*deb-src' /etc/apt/sources.list.d/ || grep -qsE '^deb-src' /etc/apt/sources.list ||
    grep -qsE '^deb-src' /etc/apt/sources.list.d/*.list
}

# apt-get update that reports a broken index and goes on: the packages may well still install.
apt_update() {
  local out
  if ! out=$(apt-get update 2>&1); then
    log "apt-get update reported errors (going on; a package that then cannot be installed is named):"
    printf '%s\n' "$out" | grep -E '^(E|W|Err):' | sed 's/^/   /' >&2 || true
  elif printf '%s\n' "$out" | grep -qE '^(E|W):'; then
    log "apt-get update warnings (going on):"
    printf '%s\n' "$out" | grep -E '^(E|W):' | sed 's/^/   /' >&2
  fi
  UPDATED=1
}

# Installs the given packages; on failure names each one that cannot be installed.
# Returns non-zero (and leaves the names in APT_FAILED) instead of exiting.
apt_install() {
  APT_FAILED=()
  [ $# -gt 0 ] || return 0
  export DEBIAN_FRONTEND=noninteractive
  if apt-get install -y -qq --no-install-recommends "$@" >"$CACHE/apt-install.log" 2>&1; then return 0; fi
  [ -n "${UPDATED:-}" ] || { apt_update; apt-get install -y -qq --no-install-recommends "$@" >"$CACHE/apt-install.log" 2>&1 && return 0; }
  local p
  for p in "$@"; do
    installed "$p" && continue
    apt-get install -y -qq --no-install-recommends "$p" >>"$CACHE/apt-install.log" 2>&1 || APT_FAILED+=("$p")
  done
  [ ${#APT_FAILED[@]} -eq 0 ]
}

install_packages() {
  step "checking packages"
  mkdir -p "$CACHE"
  local missing=() missing32=() p
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    NEED_UPDATE=1
  fi
  if ! have_source_entries; then
    add_source_entries
    NEED_UPDATE=1
  fi
  for p in "${APT_PACKAGES[@]}"; do installed "$p" || missing+=("$p"); done
  for p in "${APT_PACKAGES_32[@]}"; do installed "$p" || missing32+=("$p"); done
  if [ ${#missing[@]} -gt 0 ] || [ ${#missing32[@]} -gt 0 ] || [ -n "${NEED_UPDATE:-}" ]; then
    step "installing packages: ${missing[*]:-} ${missing32[*]:-}"
    apt_update
    apt_install "${missing[@]}" ||
      die "these packages could not be installed: ${APT_FAILED[*]} (log: $CACHE/apt-install.log)" \
          "apt-get update && apt-get install ${APT_FAILED[*]}; then run $0 again"
    if ! apt_install "${missing32[@]}"; then
      WIN32_INSTALL_PROBLEM="package ${APT_FAILED[*]} could not be installed (see $CACHE/apt-install.log)"
      log "32-bit Wine not installed: $WIN32_INSTALL_PROBLEM; the 32-bit build is still built and checked"
    fi
  fi
}

# libtiff and libjpeg-turbo from Debian's own sources, cross-built as static libraries for
# one Windows architecture (zlib comes from Debian's mingw package).
deps_dir() { printf '%s/deps-%s' "$CACHE" "$1"; }
build_deps() {
  local arch=$1 deps src tc jsrc tsrc simd=ON
  deps=$(deps_dir "$arch")
  [ -f "$deps/.complete" ] && return 0
  step "building $arch libjpeg-turbo and libtiff into $deps"
  src="$CACHE/src-$arch"
  rm -rf "$deps" "$src"
  mkdir -p "$deps/lib" "$deps/include" "$src"
  (cd "$src" && apt-get source -qq libjpeg-turbo tiff >"$src/apt-source.log" 2>&1) ||
    (cd "$src" && apt_update && apt-get source -qq libjpeg-turbo tiff >"$src/apt-source.log" 2>&1) ||
    die "apt-get source libjpeg-turbo tiff failed (log: $src/apt-source.log)" \
        "apt-get update && (cd /tmp && apt-get source libjpeg-turbo tiff); then run $0 again"
  tc="$REPO/cmake/${WIN_TOOLCHAIN[$arch]}.cmake"
  jsrc=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
  tsrc=$(find "$src" -maxdepth 1 -type d -name 'tiff-*' | head -1)
  cmake -S "$jsrc" -B "$src/jpeg-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DENABLE_SHARED=OFF \
    -DENABLE_STATIC=ON -DWITH_JPEG8=ON -DWITH_TURBOJPEG=OFF -DWITH_SIMD=$simd \
    -DCMAKE_SYSTEM_PROCESSOR="$arch" -DCMAKE_POSITION_INDEPENDENT_CODE=OFF >"$src/jpeg.log" 2>&1
  cmake --build "$src/jpeg-build" >>"$src/jpeg.log" 2>&1
  cmake --install "$src/jpeg-build" >>"$src/jpeg.log" 2>&1
  cmake -S "$tsrc" -B "$src/tiff-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Djpeg=ON -Dzlib=ON -Dold-jpeg=ON -Djbig=OFF -Dlzma=OFF -Dzstd=OFF -Dwebp=OFF \
    -Dlerc=OFF -Dlibdeflate=OFF -Djpeg12=OFF -Dpixarlog=ON \
    -DJPEG_INCLUDE_DIR="$deps/include" -DJPEG_LIBRARY="$deps/lib/libjpeg.a" \
    -DCMAKE_FIND_ROOT_PATH="$deps;/usr/$arch-w64-mingw32" >"$src/tiff.log" 2>&1
  cmake --build "$src/tiff-build" >>"$src/tiff.log" 2>&1
  cmake --install "$src/tiff-build" >>"$src/tiff.log" 2>&1
  rm -rf "$src"
  touch "$deps/.complete"
}

# WINEPREFIX/WINEARCH/WINELOADER for one architecture, as the wine-run scripts set them.
wine_env() {
  if [ "$1" = x86_64 ]; then
    export WINEPREFIX=$CACHE/wine64-prefix WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  else
    export WINEPREFIX=$CACHE/wine-prefix WINEARCH=win32 WINELOADER=/usr/lib/wine/wine
  fi
}

# Makes the private prefix of one architecture once; answers non-zero (with the log's
# name in PREFIX_LOG) when Wine cannot start or write to it.
ensure_wine_prefix() {
  local arch=$1
  PREFIX_LOG=$CACHE/wineboot-$arch.log
  (
    wine_env "$arch"
    [ -f "$WINEPREFIX/.ready" ] && exit 0
    step "creating the $WINEARCH Wine prefix $WINEPREFIX"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"; mkdir -p "$(dirname "$WINEPREFIX")"
    timeout 300 "$WINELOADER" wineboot -i </dev/null >"$PREFIX_LOG" 2>&1 || true
    timeout 120 "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >>"$PREFIX_LOG" 2>&1 || exit 1
    timeout 120 "$WINELOADER" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f </dev/null >>"$PREFIX_LOG" 2>&1 || exit 1
    wineserver -w
    touch "$WINEPREFIX/.ready"
  )
}

# Can this machine run the 32-bit build? Decided by running things, not by reading
# versions: a tiny i386 program, the 32-bit Wine loader, then a 32-bit Wine start-up
# (in setup_all). VELLARION_WIN32=run|skip forces the answer (the probe's own test uses
# it). Sets WIN32_RUNS=1|0 and WIN32_WHY.
probe_win32() {
  WIN32_RUNS=0 WIN32_WHY=
  case "${VELLARION_WIN32:-}" in
    run) WIN32_RUNS=1; return 0 ;;
    skip) WIN32_WHY="VELLARION_WIN32=skip was set"; return 0 ;;
    "") ;;
    *) die "VELLARION_WIN32 must be run or skip, not '$VELLARION_WIN32'" ;;
  esac
  local dir out
  dir=$(mktemp -d)
  python3 "$REPO/scripts/i386-probe.py" "$dir/probe"
  if ! out=$("$dir/probe" 2>&1); then
    rm -rf "$dir"
    WIN32_WHY="this machine cannot execute 32-bit programs (${out:-the i386 probe failed})"
    return 0
  fi
  rm -rf "$dir"
  if [ ! -x /usr/lib/wine/wine ]; then
    WIN32_WHY="32-bit Wine is not installed${WIN32_INSTALL_PROBLEM:+: $WIN32_INSTALL_PROBLEM}"
    return 0
  fi
  if ! out=$(/usr/lib/wine/wine --version </dev/null 2>&1); then
    WIN32_WHY="the 32-bit Wine loader does not run here (${out:0:200})"
    return 0
  fi
  WIN32_RUNS=1
}

configure_tree() {
  local name=$1; shift
  # -U: a tree configured before a subsystem was added still builds all of them.
  cmake -S "$REPO" -B "$BUILD/$name" -G Ninja -UVL_SUBSYSTEMS "$@" >"$BUILD/$name-configure.log" 2>&1 ||
    { tail -20 "$BUILD/$name-configure.log" >&2; die "configuring build/$name failed (log: $BUILD/$name-configure.log)" "$0"; }
}

configure_and_build() {
  mkdir -p "$BUILD"
  step "building the native tree"
  configure_tree native -DCMAKE_BUILD_TYPE=Debug -DVL_SANITIZE=ON
  cmake --build "$BUILD/native"
  local arch tree
  for arch in "${WIN_ARCHES[@]}"; do
    tree=${WIN_TREE[$arch]}
    step "building the $tree tree ($arch)"
    configure_tree "$tree" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$REPO/cmake/${WIN_TOOLCHAIN[$arch]}.cmake" -DVL_DEPS="$(deps_dir "$arch")" \
      -DCMAKE_CROSSCOMPILING_EMULATOR="$REPO/scripts/${WIN_RUNNER[$arch]}"
    cmake --build "$BUILD/$tree"
  done
}

setup_all() {
  install_packages
  local arch
  for arch in "${WIN_ARCHES[@]}"; do build_deps "$arch"; done
  ensure_wine_prefix x86_64 ||
    die "64-bit Wine could not start or write to its prefix (log: $PREFIX_LOG)" "rm -rf $CACHE/wine64-prefix; then run $0 again"
  step "probing for 32-bit execution"
  probe_win32
  if [ "$WIN32_RUNS" = 1 ] && ! ensure_wine_prefix i686; then
    WIN32_RUNS=0 WIN32_WHY="32-bit Wine did not start (log: $PREFIX_LOG)"
  fi
  if [ "$WIN32_RUNS" = 1 ]; then log "32-bit programs run here: both Windows builds will be run"
  else log "the 32-bit build will be built and checked but not run: $WIN32_WHY"; fi
}
