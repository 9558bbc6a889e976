#!/usr/bin/env bash
# One `bench_editor --launch` of a program on an X server of its own, with a
# fresh profile (no session, no recent files, no caches, a private temp dir
# so that no running instance takes the file over); prints its report line:
#   bench/launch_fresh.sh PROGRAM [ARGS]...
set -uo pipefail
BUILD_DIR=${LORVANE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
# A display number of its own: another xvfb-run starting at the same moment
# can take the one -a found free, and the program dies at once; tried again.
for attempt in 1 2 3; do
  rm -rf "${home:?}"/* && mkdir -p "$home/run" "$home/tmp" && chmod 700 "$home/run"
  line=$(HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
    XDG_CACHE_HOME=$home/cache TMPDIR=$home/tmp QTWEBENGINE_DISABLE_SANDBOX=1 \
    QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu xvfb-run -a -n $((200 + RANDOM % 600)) -s '-screen 0 1400x900x24' \
    "$BUILD_DIR/bench_editor" --launch "$@" 2>/dev/null | tail -1)
  grep -q 'window visible -1 ms' <<<"$line" || break
done
echo "$line"
