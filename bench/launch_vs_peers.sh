#!/usr/bin/env bash
# Launching with a small file, Lorvane beside the Linux editors that are
# installed (FeatherPad, mousepad, gedit, Kate): milliseconds from launch until
# the window is visible and until the program and its children have been idle
# for 1 s, and their memory (peak VmHWM summed, and PSS once idle), each run on
# its own X server with a fresh profile, the programs alternating in each
# round; then the medians and the ratios to FeatherPad and Kate:
#   bench/launch_vs_peers.sh [RUNS] [NAME=PROGRAM]...
# Lorvane runs twice: with a two-line .txt (no preview) and a two-line .md
# (its preview starts the browser engine). NAME=PROGRAM adds another build,
# e.g. before=/tmp/lorvane-old; PEERS=no leaves the other editors out. Needs
# xvfb-run and xdotool.
set -uo pipefail
BUILD_DIR=${LORVANE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
runs=${1:-5}
shift 1 2>/dev/null || shift $#
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '第一行 first line\nsecond line 第二行\n' >"$work/two.txt"
printf '# 标题\n\nsecond line 第二行\n' >"$work/two.md"
apps=("lorvane-txt=$BUILD_DIR/lorvane @txt" "lorvane-md=$BUILD_DIR/lorvane @md")
for extra in "$@"; do apps+=("${extra%%=*}-txt=${extra#*=} @txt" "${extra%%=*}-md=${extra#*=} @md"); done
if [ "${PEERS:-yes}" != no ]; then
  command -v featherpad >/dev/null && apps+=("featherpad=featherpad @txt")
  command -v mousepad >/dev/null && apps+=("mousepad=mousepad @txt")
  command -v gedit >/dev/null && apps+=("gedit=gedit @txt")
  command -v kate >/dev/null && apps+=("kate=kate -n @txt")
fi
for ((i = 1; i <= runs; i++)); do
  for app in "${apps[@]}"; do
    name=${app%%=*}
    cmdline=${app#*=}
    cmdline=${cmdline/@txt/$work/two.txt}
    cmdline=${cmdline/@md/$work/two.md}
    read -ra cmd <<<"$cmdline"
    line=$("$(dirname "$0")/launch_fresh.sh" "${cmd[@]}")
    echo "run $i $name: ${line#*: }"
    vis=$(sed -n 's/.*window visible \(-\?[0-9]*\) ms.*/\1/p' <<<"$line")
    busy=$(sed -n 's/.*busy until \([0-9]*\) ms.*/\1/p' <<<"$line")
    peak=$(sed -n 's/.*peak RSS \([0-9]*\) MB.*/\1/p' <<<"$line")
    pss=$(sed -n 's/.*PSS when idle \([0-9]*\) MB.*/\1/p' <<<"$line")
    echo "$name ${vis:-0} ${busy:-0} ${peak:-0} ${pss:-0}" >>"$work/results"
  done
done
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
col() { awk -v n="$1" -v c="$2" '$1 == n {print $c}' "$work/results" | median; }
printf '\n%-14s %10s %10s %9s %9s %18s %18s\n' program visible/ms busy/ms peak/MB pss/MB "vs featherpad" "vs kate"
for app in "${apps[@]}"; do
  name=${app%%=*}
  awk -v n="$name" -v v="$(col "$name" 2)" -v b="$(col "$name" 3)" -v pk="$(col "$name" 4)" -v ps="$(col "$name" 5)" \
    -v fv="$(col featherpad 2)" -v fb="$(col featherpad 3)" -v kps="$(col kate 5)" -v kpk="$(col kate 4)" 'BEGIN {
    f = (fv > 0 && fb > 0) ? sprintf("vis %.2fx busy %.2fx", v / fv, b / fb) : "-"
    k = (kps > 0) ? sprintf("pss %.2fx peak %.2fx", ps / kps, pk / kpk) : "-"
    printf "%-14s %10d %10d %9d %9d %18s %18s\n", n, v, b, pk, ps, f, k }'
done
