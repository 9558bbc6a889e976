#!/usr/bin/env bash
# Types into the real window under xdotool, kills the editor with SIGKILL
# 1.0–2.0 s after the last key, starts it again and checks that the typed
# text came back. Prints one line per round and the count of losses.
#   DISPLAY=:NN ./bench/kill9_typing.sh [ROUNDS] [LOAD_WRITERS]
# LOAD_WRITERS background writers keep the disk and the CPU busy meanwhile
# (each writes and syncs 8 MB in a loop); they stop with the script.
# KILL_MIN_MS and KILL_SPAN_MS move the kill window (default 1000 and 1000).
set -uo pipefail
# Without them every round would count as lost.
for tool in xdotool xclip xwininfo; do
  command -v "$tool" >/dev/null || { echo "kill9_typing: needs $tool (Debian packages xdotool, xclip, x11-utils)" >&2; exit 2; }
done
BUILD_DIR=${LORVANE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
rounds=${1:-100}
writers=${2:-2}
work=$(mktemp -d /tmp/lorvane-kill9.XXXXXX)
# The editor switches the web engine's sandbox and GPU off itself when run as root.
loaders=()
cleanup() {
  for p in "${loaders[@]}"; do kill "$p" 2>/dev/null; done
  [ -n "${editor:-}" ] && kill -9 "$editor" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
for ((i = 0; i < writers; i++)); do
  (while :; do dd if=/dev/urandom of="$work/load$i" bs=1M count=8 conv=fsync status=none; done) &
  loaders+=($!)
done

# Starts the editor on the round's profile and waits for its window; fails
# when no window came (a loaded machine may refuse the display for a moment).
start() {
  XDG_CONFIG_HOME="$work/r$1/config" XDG_DATA_HOME="$work/r$1/data" XDG_RUNTIME_DIR="$work/r$1/run" \
    "$BUILD_DIR/lorvane" "$work/r$1/note.txt" >>"$work/r$1/log" 2>&1 &
  editor=$!
  win=
  for ((t = 0; t < 600; t++)); do
    for w in $(xdotool search --pid "$editor" 2>/dev/null); do
      xwininfo -id "$w" 2>/dev/null | grep -q "IsViewable" && win=$w
    done
    [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then
    kill -9 "$editor" 2>/dev/null
    wait "$editor" 2>/dev/null
    return 1
  fi
  sleep 2.5  # the session and the editor settle
  # Without a window manager there is no activation; the editor takes the focus itself.
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
  return 0
}

# A start that got no window is tried again; the snapshot waits on disk.
start_again() {
  for ((try = 0; try < 3; try++)); do
    start "$1" && return 0
    sleep 1
  done
  return 1
}

lost=0 skipped=0
for ((r = 1; r <= rounds; r++)); do
  mkdir -p "$work/r$r/run" && chmod 700 "$work/r$r/run"
  printf 'first line\n' >"$work/r$r/note.txt"
  if ! start_again "$r"; then
    skipped=$((skipped + 1))
    cp "$work/r$r/log" "/tmp/lorvane-kill9-start-$r.log" 2>/dev/null
    echo "round $r: skipped (the editor did not start)"
    rm -rf "$work/r$r"
    continue
  fi
  marker="kill${r}x$(printf '%04d' $((RANDOM % 10000)))typedtext"
  marker=${marker:0:24}
  xdotool key --clearmodifiers ctrl+End
  xdotool type --delay 25 "$marker"
  wait_ms=$((${KILL_MIN_MS:-1000} + RANDOM % (${KILL_SPAN_MS:-1000} + 1)))
  sleep "$(printf '%d.%03d' $((wait_ms / 1000)) $((wait_ms % 1000)))"
  kill -9 "$editor"
  wait "$editor" 2>/dev/null
  if ! start_again "$r"; then
    skipped=$((skipped + 1))
    echo "round $r: skipped (the editor did not start again)"
    rm -rf "$work/r$r"
    continue
  fi
  xdotool key --clearmodifiers ctrl+a ctrl+c
  sleep 0.3
  text=$(timeout 2 xclip -o -selection clipboard 2>/dev/null)
  kill -9 "$editor"
  wait "$editor" 2>/dev/null
  editor=
  if [[ "$text" == *"$marker"* ]]; then
    echo "round $r: kept (killed ${wait_ms} ms after the last key)"
  else
    lost=$((lost + 1))
    echo "round $r: LOST (killed ${wait_ms} ms after the last key; restored text: ${text:0:60})"
  fi
  rm -rf "$work/r$r"
done
echo "kill -9 rounds: $((rounds - skipped)) checked ($skipped skipped), losses: $lost"
