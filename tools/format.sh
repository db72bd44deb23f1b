#!/usr/bin/env bash
# Formats our C++ sources with clang-format; --check only reports.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
[ ${#files[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "formatting ok (${#files[@]} files)"
else
  clang-format -i "${files[@]}"
fi
