#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
ROOT=$PWD
SECONDS_EACH=${1:-60}
OUT=${LORVANE_FUZZ_DIR:-$ROOT/build-fuzz}
CXX_BIN=$(command -v clang++-14 || command -v clang++ || true)
if [ -z "$CXX_BIN" ]; then
  echo "clang++ not found: install clang-14 (./lorvane.sh setup)" >&2
  exit 1
fi
if [ ! -f "$OUT/build.ninja" ]; then
  CXX=$CXX_BIN cmake -S "$ROOT/fuzz" -B "$OUT" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$OUT" -j"$(nproc)"
status=0
for name in ${LORVANE_FUZZ_TARGETS:-json yaml toml csv markdown math sequence sanitizer svg}; do
  work="$OUT/corpus-$name"
  mkdir -p "$work"
  echo "== fuzz_$name (${SECONDS_EACH}s)"
  # New inputs go to the work corpus; the checked-in seeds stay untouched.
  if ! "$OUT/fuzz_$name" -max_total_time="$SECONDS_EACH" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$OUT/crash-$name-" "$work" "$ROOT/fuzz/corpus/$name"; then
    status=1
  fi
done
exit $status
