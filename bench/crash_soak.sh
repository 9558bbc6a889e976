#!/usr/bin/env bash
# Many more kill-and-restore runs than ctest does: ./bench/crash_soak.sh [RUNS] [GENERATIONS]
set -uo pipefail
BUILD_DIR=${LORVANE_BUILD_DIR:-$(dirname "${BASH_SOURCE[0]}")/../build}
runs=${1:-200}
generations=${2:-3}
failed=0
for ((seed = 1000; seed < 1000 + runs; seed++)); do
  if ! out=$("$BUILD_DIR/lorvane_crash" drive "$seed" "$generations" 2>&1); then
    failed=$((failed + 1))
    echo "seed $seed failed:"
    echo "$out" | sed 's/^/  /'
  fi
done
echo "crash soak: $runs runs x $generations kills, $failed failed"
[ "$failed" -eq 0 ]
