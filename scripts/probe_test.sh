#!/usr/bin/env bash
# The 32-bit decision of scripts/test: forced both ways, refused when misspelt, and
# unforced it gives one of the two answers (which one depends on the machine).
set -u
probe() { VELLARION_WIN32=$1 "$(dirname "$0")/test" --probe 2>&1; }
fail() { echo "FAIL: $*"; exit 1; }
[ "$(probe run)" = "win32 (i686): runs here" ] || fail "forced run gave: $(probe run)"
[ "$(probe skip)" = "win32 (i686): not run — VELLARION_WIN32=skip was set" ] || fail "forced skip gave: $(probe skip)"
out=$(probe maybe) && fail "a misspelt value was accepted: $out"
case $out in *"VELLARION_WIN32 must be run or skip"*) ;; *) fail "misspelt value: $out" ;; esac
out=$(probe "")
case $out in "win32 (i686): runs here" | "win32 (i686): not run — "?*) echo "$out" ;; *) fail "unforced: $out" ;; esac
