#!/usr/bin/env bash
# Our own C++ (never third_party) is as .clang-format writes it.
#   tools/check-format.sh        lists the files that differ and fails
#   tools/check-format.sh --fix  rewrites them
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' \
  'fuzz/*.cpp' 'fuzz/*.h' 'tools/*.cpp')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}" >&2
  echo "clang-format: ${#bad[@]} of ${#files[@]} files differ (tools/check-format.sh --fix)" >&2
  exit 1
fi
echo "clang-format: all ${#files[@]} files formatted"
