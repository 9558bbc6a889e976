#!/usr/bin/env bash
# clang-tidy over our own sources (src/, never third_party or generated code)
# with the checks fixed in .clang-tidy; fails on any finding.
#   tools/run-tidy.sh [BUILD_DIR] [PATH_REGEX]   (BUILD_DIR has compile_commands.json)
#   tools/run-tidy.sh BUILD_DIR --changed-since COMMIT
# The second form checks only what changed in src/ since COMMIT, a commit on
# which the whole of src/ passed: the changed .cpp files and every .cpp that
# includes a changed header. Without that commit in the history (a shallow
# clone) it checks everything.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
filters=("${2:-$PWD/src/}")
label=${filters[0]#$PWD/}
if [ "${2:-}" = "--changed-since" ]; then
  base=${3:?"--changed-since needs a commit"}
  filters=("$PWD/src/")
  label=src/
  if git cat-file -e "$base^{commit}" 2>/dev/null; then
    mapfile -t changed < <(git diff --name-only --diff-filter=AMR "$base" -- src | grep -E '\.(cpp|h)$' || true)
    files=()
    for f in "${changed[@]}"; do
      case $f in
        *.cpp) files+=("$f") ;;
        # A header is checked through the files that include it by name.
        *.h) mapfile -t -O "${#files[@]}" files < <(grep -rlE --include='*.cpp' "#include \"([^\"]*/)?$(basename "$f")\"" src || true) ;;
      esac
    done
    mapfile -t files < <(printf '%s\n' "${files[@]}" | grep . | sort -u || true)
    label="${#files[@]} file(s) of src/ changed since ${base:0:12}"
    if [ "${#files[@]}" -eq 0 ]; then
      echo "clang-tidy: 0 finding(s) in $label"
      exit 0
    fi
    filters=()
    for f in "${files[@]}"; do filters+=("$PWD/$f\$"); done
  else
    echo "clang-tidy: $base is not in this history; checking all of src/"
  fi
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
run-clang-tidy -quiet -j "$(nproc)" -p "$build" "${filters[@]}" >"$log" 2>&1 || status=$?
# Colour codes come even into a file; without them the findings are plain lines.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (warning|error): ' | sort -u || true)
[ -z "$findings" ] || echo "$findings"
count=$(printf '%s' "$findings" | grep -c . || true)
echo "clang-tidy: $count finding(s) in $label"
if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
  cat "$log" >&2   # failed for another reason: show it
fi
exit "$status"
