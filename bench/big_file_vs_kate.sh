#!/usr/bin/env bash
# Opening a large plain text, Lorvane against Kate: seconds from launch until
# the program (and its children) has been idle for 1 s, and the peak memory
# (VmHWM, children added) and CPU time,, alternating the programs in each round; then the
# median of each and the median ratios to Kate:
#   bench/big_file_vs_kate.sh [FILE] [RUNS] [NAME=PROGRAM]...
# Without FILE it writes the 100 MB / 1.75 M line sample (Chinese and ASCII
# on each line). NAME=PROGRAM adds another Lorvane build, e.g.
# before=/tmp/lorvane-old. Needs xvfb-run and kate (Debian packages xvfb, kate).
set -uo pipefail
BUILD_DIR=${LORVANE_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}
file=${1:-/tmp/lorvane-100mb.txt}
runs=${2:-3}
shift 2 2>/dev/null || shift $#
[ -f "$file" ] || "$BUILD_DIR/bench_editor" --make-large "$file" || exit 1
apps=("lorvane=$BUILD_DIR/lorvane" "$@" "kate=kate -n")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ((i = 1; i <= runs; i++)); do
  for app in "${apps[@]}"; do
    name=${app%%=*}
    read -ra cmd <<<"${app#*=}"
    line=$("$(dirname "$0")/launch_fresh.sh" "${cmd[@]}" "$file")
    echo "run $i $name: $line"
    ms=$(sed -n 's/.*busy until \([0-9]*\) ms.*/\1/p' <<<"$line")
    mb=$(sed -n 's/.*peak RSS \([0-9]*\) MB.*/\1/p' <<<"$line")
    cpu=$(sed -n 's/.*CPU \([0-9]*\) ms.*/\1/p' <<<"$line")
    echo "$name ${ms:-0} ${mb:-0} ${cpu:-0}" >>"$work/results"
  done
done
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
kate_s=$(awk '$1 == "kate" {print $2}' "$work/results" | median)
kate_mb=$(awk '$1 == "kate" {print $3}' "$work/results" | median)
kate_cpu=$(awk '$1 == "kate" {print $4}' "$work/results" | median)
for app in "${apps[@]}"; do
  name=${app%%=*}
  s=$(awk -v n="$name" '$1 == n {print $2}' "$work/results" | median)
  mb=$(awk -v n="$name" '$1 == n {print $3}' "$work/results" | median)
  cpu=$(awk -v n="$name" '$1 == n {print $4}' "$work/results" | median)
  awk -v n="$name" -v s="$s" -v mb="$mb" -v c="$cpu" -v ks="$kate_s" -v kmb="$kate_mb" -v kc="$kate_cpu" 'BEGIN {
    printf "%s: median open to idle %.2f s, CPU %.2f s, peak %d MB", n, s / 1000, c / 1000, mb
    if (n != "kate" && ks > 0 && kmb > 0 && kc > 0)
      printf "; against kate: time %.2fx, CPU %.2fx, memory %.2fx", s / ks, c / kc, mb / kmb
    printf "\n" }'
done
