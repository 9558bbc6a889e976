#!/usr/bin/env bash
# clang-tidy over our own sources (src/, never third_party or generated code)
# with the checks fixed in .clang-tidy; fails on any finding.
#   tools/run-tidy.sh [BUILD_DIR] [PATH_REGEX]   (BUILD_DIR has compile_commands.json)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=${1:-build}
filter=${2:-$PWD/src/}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
run-clang-tidy -quiet -j "$(nproc)" -p "$build" "$filter" >"$log" 2>&1 || status=$?
# Colour codes come even into a file; without them the findings are plain lines.
findings=$(sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -E '^/.*: (warning|error): ' | sort -u || true)
[ -z "$findings" ] || echo "$findings"
count=$(printf '%s' "$findings" | grep -c . || true)
echo "clang-tidy: $count finding(s) in ${filter#$PWD/}"
if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
  cat "$log" >&2   # failed for another reason: show it
fi
exit "$status"
