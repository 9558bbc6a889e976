#!/usr/bin/env bash
# AddressSanitizer + UndefinedBehaviorSanitizer over the suites that need no
# display: core and formats, command line (the real program), crash restore.
# Line tables only (-g1): reports still name file and line, and it builds faster.
# A build tree of its own with only the targets those suites need; the window
# suites stay out (the browser engine they start does not run under ASan).
#   tools/sanitize.sh [ctest args…]      (LORVANE_ASAN_DIR, default build-asan;
#                                         LORVANE_ASAN_TARGETS, the targets to build)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
dir=${LORVANE_ASAN_DIR:-$PWD/build-asan}
san="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
# Objects are shared between checkouts when ccache is there.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
cache=()
command -v ccache >/dev/null && cache=(-DLORVANE_CCACHE=ON)
if [ ! -f "$dir/build.ninja" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -g1" -DCMAKE_CXX_FLAGS="$san" -DCMAKE_C_FLAGS="$san" \
    -DCMAKE_EXE_LINKER_FLAGS="$san" -DCMAKE_SHARED_LINKER_FLAGS="$san" -DLORVANE_WINDOW_TESTS=OFF "${cache[@]}"
fi
targets=${LORVANE_ASAN_TARGETS:-lorvane lorvane_tests lorvane_cli_tests lorvane_crash}
# shellcheck disable=SC2086
cmake --build "$dir" -j"$(nproc)" --target $targets
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd "$dir"
# Suites whose program was not among the targets show as *_NOT_BUILT.
ctest --output-on-failure -j"$(nproc)" -E '_NOT_BUILT$' "$@"
