#!/usr/bin/env bash
# CPU time until the window is shown and memory once idle (the program and
# its child processes, RSS and PSS from smaps_rollup) of a plain-text
# session, and whether the browser engine got mapped, for Lorvane and the
# peers that are installed, alternating runs on one X server:
#   bench/launch_plain_text.sh [FILE] [RUNS] [NAME=PROGRAM]...
# e.g. before=/path/to/an/older/lorvane compares builds. Needs Xvfb and xdotool.
set -uo pipefail
BUILD_DIR=${LORVANE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
file=${1:-}
runs=${2:-5}
shift 2 2>/dev/null || shift $#
work=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; rm -rf "$work"' EXIT
if [ -z "$file" ]; then
  file=$work/plain.txt
  for ((i = 0; i < 200; i++)); do echo "第 $i 行 line $i of plain text"; done >"$file"
fi
apps=("lorvane=$BUILD_DIR/lorvane" "$@")
command -v featherpad >/dev/null && apps+=("featherpad=$(command -v featherpad)")
command -v kate >/dev/null && apps+=("kate=$(command -v kate) -n")
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1400x900x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
hz=$(getconf CLK_TCK)
cpu_ms() { local st; read -ra st <"/proc/$1/stat" && echo $(((st[13] + st[14]) * 1000 / hz)); }
for ((i = 1; i <= runs; i++)); do
  for spec in "${apps[@]}"; do
    name=${spec%%=*}
    read -ra cmd <<<"${spec#*=}"
    # A fresh profile each run: no session, no recent files, no other instance.
    home=$work/home
    rm -rf "$home" && mkdir -p "$home/run" && chmod 700 "$home/run"
    DISPLAY=$display HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
      XDG_CACHE_HOME=$home/cache QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu \
      "${cmd[@]}" "$file" >/dev/null 2>&1 &
    pid=$!
    shown=
    for ((t = 0; t < 3000; t++)); do
      if DISPLAY=$display xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; then
        shown=$(cpu_ms "$pid")
        break
      fi
      sleep 0.01
    done
    sleep 5
    procs=$(pstree -p -T "$pid" | grep -o '([0-9]*)' | tr -d '()')
    rss=0 pss=0
    for p in $procs; do
      rss=$((rss + $(awk '/^Rss:/{print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)))
      pss=$((pss + $(awk '/^Pss:/{print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)))
    done
    engine=$(grep -c libQt6WebEngineCore "/proc/$pid/maps")
    echo "run $i $name: cpu to shown ${shown:-?} ms, cpu after 5 s $(cpu_ms "$pid") ms," \
      "$(echo "$procs" | wc -w) processes, rss $((rss / 1024)) MiB, pss $((pss / 1024)) MiB, engine mapped $engine"
    kill "$pid"
    wait "$pid" 2>/dev/null
  done
done
