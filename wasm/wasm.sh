# Sourced after scripts/lib.sh by scripts/test and scripts/demo: the WebAssembly tree and
# the page element's browser tests. Emscripten, its JavaScript parser and Chromium come
# from Debian; zlib, libjpeg-turbo (no SIMD), JBIG-KIT, libwebp and libtiff are built with
# emscripten from Debian's own sources once and kept in the cache like the Windows
# libraries. JBIG and WebP are there because the native tool, on Debian's libtiff,
# shows such pages, and the element is to show every page the native tool shows.
WASM_APT_PACKAGES=(emscripten node-acorn chromium)
WASM_DEPS="$CACHE/deps-wasm"
WEB_DIR="$REPO/web"

# Debian's emscripten runs its JavaScript tools with the machine's node, which does not
# look in Debian's own module folder for acorn unless told.
wasm_env() {
  local d
  for d in /usr/share/nodejs /usr/lib/nodejs; do
    [ -d "$d/acorn" ] && export NODE_PATH="$d${NODE_PATH:+:$NODE_PATH}" && break
  done
  export EM_CACHE=${EM_CACHE:-$CACHE/emscripten-cache}
  if [ ! -d "$EM_CACHE" ] && [ -d /usr/share/emscripten/cache ]; then
    # Start from Debian's prebuilt system libraries; the copy is writable, theirs is not.
    mkdir -p "$CACHE" && cp -a /usr/share/emscripten/cache "$EM_CACHE"
  fi
}

wasm_install_packages() {
  local missing=() p
  for p in "${WASM_APT_PACKAGES[@]}"; do installed "$p" || missing+=("$p"); done
  [ ${#missing[@]} -eq 0 ] && return 0
  step "installing packages for the WebAssembly build: ${missing[*]}"
  apt_install "${missing[@]}" ||
    die "these packages could not be installed: ${APT_FAILED[*]} (log: $CACHE/apt-install.log)" \
        "apt-get update && apt-get install ${APT_FAILED[*]}; then run $0 again"
}

# zlib, libjpeg-turbo and libtiff as static WebAssembly libraries, configured as the
# Windows builds configure them.
wasm_build_deps() {
  [ -f "$WASM_DEPS/.complete" ] && return 0
  step "building WebAssembly zlib, libjpeg-turbo and libtiff into $WASM_DEPS"
  local src="$CACHE/src-wasm" zsrc jsrc tsrc bsrc wsrc
  rm -rf "$WASM_DEPS" "$src"
  mkdir -p "$WASM_DEPS/lib" "$WASM_DEPS/include" "$src"
  (cd "$src" && apt-get source -qq libjpeg-turbo tiff zlib jbigkit libwebp >"$src/apt-source.log" 2>&1) ||
    (cd "$src" && apt_update && apt-get source -qq libjpeg-turbo tiff zlib jbigkit libwebp >"$src/apt-source.log" 2>&1) ||
    die "apt-get source libjpeg-turbo tiff zlib failed (log: $src/apt-source.log)" \
        "apt-get update && (cd /tmp && apt-get source libjpeg-turbo tiff zlib jbigkit libwebp); then run $0 again"
  zsrc=$(find "$src" -maxdepth 1 -type d -name 'zlib-*' | head -1)
  jsrc=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -1)
  tsrc=$(find "$src" -maxdepth 1 -type d -name 'tiff-*' | head -1)
  bsrc=$(find "$src" -maxdepth 1 -type d -name 'jbigkit-*' | head -1)
  wsrc=$(find "$src" -maxdepth 1 -type d -name 'libwebp-*' | head -1)
  # JBIG-KIT's decoder is two files; its Makefile would build the tools as well.
  (cd "$bsrc/libjbig" && emcc -O2 -c jbig.c jbig_ar.c && emar rc "$WASM_DEPS/lib/libjbig.a" jbig.o jbig_ar.o) \
    >"$src/jbig.log" 2>&1
  cp "$bsrc/libjbig/jbig.h" "$bsrc/libjbig/jbig_ar.h" "$WASM_DEPS/include/"
  emcmake cmake -S "$wsrc" -B "$src/webp-build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DWEBP_ENABLE_SIMD=OFF \
    -DWEBP_USE_THREAD=OFF -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF -DWEBP_BUILD_WEBPINFO=OFF \
    -DWEBP_BUILD_LIBWEBPMUX=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF >"$src/webp.log" 2>&1
  cmake --build "$src/webp-build" -j2 --target webp >>"$src/webp.log" 2>&1
  cp "$src/webp-build/libwebp.a" "$WASM_DEPS/lib/"
  mkdir -p "$WASM_DEPS/include/webp"
  cp "$wsrc"/src/webp/*.h "$WASM_DEPS/include/webp/"
  # zlib's own Makefile needs no configure-time probing that emscripten would trip on.
  (cd "$zsrc" && emmake make -f Makefile.in CC=emcc AR=emar ARFLAGS=rc RANLIB=emranlib \
     CFLAGS="-O2 -DHAVE_UNISTD_H -DHAVE_STDARG_H" libz.a) >"$src/zlib.log" 2>&1
  cp "$zsrc/libz.a" "$WASM_DEPS/lib/"
  cp "$zsrc/zlib.h" "$zsrc/zconf.h" "$WASM_DEPS/include/"
  # CMake's type-size probe misreads emscripten's objects: the sizes of wasm32 are given.
  emcmake cmake -S "$jsrc" -B "$src/jpeg-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$WASM_DEPS" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_JPEG8=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=OFF \
    -DHAVE_SIZE_T=TRUE -DSIZE_T=4 -DHAVE_UNSIGNED_LONG=TRUE -DUNSIGNED_LONG=4 >"$src/jpeg.log" 2>&1
  # Only the library: the codec's tools would double the build for nothing.
  cmake --build "$src/jpeg-build" -j2 --target jpeg-static >>"$src/jpeg.log" 2>&1
  cp "$src/jpeg-build/libjpeg.a" "$WASM_DEPS/lib/"
  cp "$src/jpeg-build/jconfig.h" "$jsrc/jpeglib.h" "$jsrc/jmorecfg.h" "$jsrc/jerror.h" "$WASM_DEPS/include/"
  emcmake cmake -S "$tsrc" -B "$src/tiff-build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$WASM_DEPS" -DBUILD_SHARED_LIBS=OFF \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Djpeg=ON -Dzlib=ON -Dold-jpeg=ON -Djbig=ON -Dlzma=OFF -Dzstd=OFF -Dwebp=ON \
    -Dlerc=OFF -Dlibdeflate=OFF -Djpeg12=OFF -Dpixarlog=ON \
    -DJPEG_INCLUDE_DIR="$WASM_DEPS/include" -DJPEG_LIBRARY="$WASM_DEPS/lib/libjpeg.a" \
    -DJBIG_INCLUDE_DIR="$WASM_DEPS/include" -DJBIG_LIBRARY_RELEASE="$WASM_DEPS/lib/libjbig.a" \
    -DWebP_INCLUDE_DIR="$WASM_DEPS/include" -DWebP_LIBRARY_RELEASE="$WASM_DEPS/lib/libwebp.a" \
    -DZLIB_INCLUDE_DIR="$WASM_DEPS/include" -DZLIB_LIBRARY="$WASM_DEPS/lib/libz.a" \
    -DCMAKE_FIND_ROOT_PATH="$WASM_DEPS" -DHAVE_SIZEOF_SIZE_T=TRUE -DSIZEOF_SIZE_T=4 >"$src/tiff.log" 2>&1
  cmake --build "$src/tiff-build" -j2 --target tiff >>"$src/tiff.log" 2>&1
  cp "$src/tiff-build/libtiff/libtiff.a" "$WASM_DEPS/lib/"
  cp "$tsrc/libtiff/tiff.h" "$tsrc/libtiff/tiffio.h" "$tsrc/libtiff/tiffvers.h" \
     "$src/tiff-build/libtiff/tiffconf.h" "$WASM_DEPS/include/"
  rm -rf "$src"
  touch "$WASM_DEPS/.complete"
}

# build/wasm: the core as one module; build/web/vellarion: what a site serves (the
# element's scripts beside the module).
wasm_build_tree() {
  step "building the WebAssembly tree"
  mkdir -p "$BUILD"
  emcmake cmake -S "$REPO/wasm" -B "$BUILD/wasm" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVL_DEPS="$WASM_DEPS" \
    >"$BUILD/wasm-configure.log" 2>&1 ||
    { tail -20 "$BUILD/wasm-configure.log" >&2; die "configuring build/wasm failed (log: $BUILD/wasm-configure.log)" "$0"; }
  cmake --build "$BUILD/wasm" -j2
  local dist="$BUILD/web/vellarion"
  rm -rf "$dist" && mkdir -p "$dist"
  cp "$WEB_DIR"/*.js "$BUILD/wasm/vellarion_core.js" "$dist/"
}

# The test packages, exactly as locked; reinstalled only when the lock changes.
web_install_packages() {
  local stamp="$WEB_DIR/node_modules/.lock-copy"
  cmp -s "$WEB_DIR/package-lock.json" "$stamp" 2>/dev/null && return 0
  step "installing the browser test packages (npm ci)"
  (cd "$WEB_DIR" && npm ci --no-audit --no-fund >"$BUILD/web-npm.log" 2>&1) ||
    die "npm ci in web/ failed (log: $BUILD/web-npm.log)" "(cd web && npm ci); then run $0 again"
  cp "$WEB_DIR/package-lock.json" "$stamp"
}

# Runs node's test runner over web/test against the native tool and the corpus;
# leaves the counts in WEB_PASSED and WEB_FAILED and the log in build/web-tests.log.
web_run_tests() {
  step "running the WebAssembly and browser cases"
  local fixtures="$BUILD/web/fixtures" log="$BUILD/web-tests.log" rc=0
  mkdir -p "$fixtures"
  "$BUILD/native/make_sample" "$fixtures/sample.tif" >/dev/null
  VL_CORE="$BUILD/wasm/vellarion_core.js" VL_DIST="$BUILD/web/vellarion" VL_NATIVE="$BUILD/native/vellarion" \
  VL_CORPUS="$(cd "$REPO/.." && pwd)/shared/corpus" VL_FIXTURES="$fixtures" VL_SHOTS="$BUILD/web" \
    timeout 900 node --test --test-concurrency=1 "$WEB_DIR"/test/*.test.js >"$log" 2>&1 || rc=$?
  WEB_PASSED=$(sed -n 's/^# pass //p' "$log" | tail -1)
  WEB_FAILED=$(sed -n 's/^# fail //p' "$log" | tail -1)
  WEB_PASSED=${WEB_PASSED:-0} WEB_FAILED=${WEB_FAILED:-0}
  [ "$rc" -eq 0 ] || [ "$WEB_FAILED" -ne 0 ] || WEB_FAILED=1
  return 0
}

# Everything the WebAssembly tree and its cases need, then the tree itself.
wasm_setup_and_build() {
  wasm_install_packages
  wasm_env
  wasm_build_deps
  wasm_build_tree
  web_install_packages
}
