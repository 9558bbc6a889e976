#!/usr/bin/env bash
# Line coverage of src/ by every suite: a build tree of its own compiled with
# gcc's --coverage, all tests run, then gcovr's summary of src/ (Debian
# package gcovr). The window suites need a display or run offscreen, as in
# ./lorvane.sh test.
#   tools/coverage.sh [ctest args…]      (LORVANE_COVERAGE_DIR, default build-coverage)
# Prints the summary and writes DIR/coverage.txt (per file) and
# DIR/coverage.json (gcovr's summary) for comparing two trees.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
dir=${LORVANE_COVERAGE_DIR:-$PWD/build-coverage}
command -v gcovr >/dev/null || { echo "coverage: needs gcovr (apt-get install gcovr)" >&2; exit 2; }
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O0 -g" \
    -DCMAKE_C_FLAGS_DEBUG="-O0 -g" -DCMAKE_CXX_FLAGS=--coverage -DCMAKE_C_FLAGS=--coverage \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DCMAKE_SHARED_LINKER_FLAGS=--coverage -DLORVANE_BENCH=OFF
fi
cmake --build "$dir" -j"$(nproc)"
find "$dir" -name '*.gcda' -delete
(cd "$dir" && ctest -j"$(nproc)" "$@") || echo "coverage: some tests failed; coverage counted anyway" >&2
# Threads racing on a counter can leave it negative; gcovr would stop at that line.
gcovr --root . --filter 'src/' --object-directory "$dir" --gcov-ignore-parse-errors --print-summary \
  --txt "$dir/coverage.txt" --json-summary "$dir/coverage.json" >/dev/null
tail -3 "$dir/coverage.txt"
