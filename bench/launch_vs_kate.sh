#!/usr/bin/env bash
# Launch until idle for 1 s, and peak memory, of Lorvane and Kate opening the
# same file with the same harness, alternating runs:
#   bench/launch_vs_kate.sh [FILE] [RUNS]
# Needs xvfb-run and kate (Debian packages xvfb and kate).
set -uo pipefail
BUILD_DIR=${LORVANE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
file=${1:-/tmp/lorvane-100mb.txt}
runs=${2:-3}
[ -f "$file" ] || "$BUILD_DIR/bench_editor" --make-large "$file" || exit 1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
for ((i = 1; i <= runs; i++)); do
  for app in lorvane kate; do
    # A fresh profile each run: no session, no recent files, no caches, and
    # a private temp dir so that no running instance takes the file over.
    rm -rf "${home:?}"/* "${home:?}"/.[!.]* 2>/dev/null
    mkdir -p "$home/run" "$home/tmp" && chmod 700 "$home/run"
    case $app in
      lorvane) cmd=("$BUILD_DIR/lorvane" "$file") ;;
      kate) cmd=(kate -n "$file") ;;
    esac
    echo -n "run $i $app: "
    HOME=$home XDG_RUNTIME_DIR=$home/run TMPDIR=$home/tmp QTWEBENGINE_DISABLE_SANDBOX=1 \
      xvfb-run -a -s '-screen 0 1400x900x24' "$BUILD_DIR/bench_editor" --launch "${cmd[@]}" 2>/dev/null | tail -1
  done
done
