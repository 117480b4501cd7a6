#!/usr/bin/env bash
# Fails when a C/C++ file of the product, its tests or its tools differs from what
# clang-format makes of it with the checked-in .clang-format; names each such file.
#   scripts/check_format.sh          check every tracked C/C++ file
#   scripts/check_format.sh FILE...  check only these
# Files under a third_party/ folder are someone else's and are left as they are.
set -euo pipefail
cd "$(dirname "$0")/.."
CLANG_FORMAT=${CLANG_FORMAT:-$(command -v clang-format-14 || command -v clang-format)}
if [ $# -gt 0 ]; then
  files=("$@")
else
  mapfile -t files < <(git ls-files -- '*.c' '*.cpp' '*.h' ':!:**/third_party/**')
fi
bad=0
for f in "${files[@]}"; do
  "$CLANG_FORMAT" --style=file --dry-run --Werror "$f" >/dev/null 2>&1 || { echo "needs formatting: $f"; bad=$((bad + 1)); }
done
echo "${#files[@]} files checked, $bad need formatting"
[ "$bad" -eq 0 ]
