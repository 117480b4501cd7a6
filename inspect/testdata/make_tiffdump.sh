#!/bin/sh
# Regenerates tiffdump_corpus.txt: what tiffdump (Debian's libtiff-tools) prints
# for every sample in the shared corpus. The agreement test compares our
# directory walk with it; the file is that tool's output, not ours.
set -eu
corpus=${1:-$(dirname "$0")/../../../shared/corpus}
out=$(dirname "$0")/tiffdump_corpus.txt
err=$(mktemp)
trap 'rm -f "$err"' EXIT
{
  echo "# tiffdump from libtiff-tools $(dpkg-query -W -f='${Version}' libtiff-tools 2>/dev/null || echo unknown)"
  for f in "$corpus"/*.tif "$corpus"/*.tiff "$corpus"/barcodes/*.tif; do
    echo "==> ${f#"$corpus"/} <=="
    # Its complaints follow the dump, marked, so the two streams never interleave.
    (cd "$(dirname "$f")" && tiffdump "$(basename "$f")" 2>"$err") || true
    sed 's/^/stderr: /' "$err"
  done
} >"$out"
