#!/usr/bin/env bash
# Fetches IBM Plex Sans and Mono (SIL OFL) from npm and converts the faces
# the application uses to TrueType in resources/Fonts. Quick when done.
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
OUT=$HERE/Fonts
CACHE=${LORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lorvane}/npm-fonts

FACES=(
  "plex-sans IBMPlexSans-Regular"
  "plex-sans IBMPlexSans-Medium"
  "plex-sans IBMPlexSans-SemiBold"
  "plex-mono IBMPlexMono-Regular"
  "plex-mono IBMPlexMono-Medium"
)

missing=0
for f in "${FACES[@]}"; do
  set -- $f
  [ -s "$OUT/$2.ttf" ] || missing=1
done
[ "$missing" -eq 0 ] && exit 0

command -v npm >/dev/null || { echo "fetch-fonts: npm is required (install Node.js)" >&2; exit 1; }
command -v woff2_decompress >/dev/null || { echo "fetch-fonts: woff2_decompress is required (apt install woff2)" >&2; exit 1; }

mkdir -p "$CACHE" "$OUT"
for pkg in plex-sans plex-mono; do
  dir=$CACHE/$pkg
  if [ ! -d "$dir/package" ]; then
    rm -rf "$dir"; mkdir -p "$dir"
    tgz=$(cd "$dir" && npm pack --silent "@ibm/$pkg" | tail -n1)
    tar -xzf "$dir/$tgz" -C "$dir"
  fi
done

for f in "${FACES[@]}"; do
  set -- $f
  [ -s "$OUT/$2.ttf" ] && continue
  src=$(find "$CACHE/$1/package" -name "$2.woff2" -path '*complete*' | head -n1)
  [ -n "$src" ] || src=$(find "$CACHE/$1/package" -name "$2.woff2" | head -n1)
  [ -n "$src" ] || { echo "fetch-fonts: $2.woff2 not found in @ibm/$1" >&2; exit 1; }
  tmp=$(mktemp -d)
  cp "$src" "$tmp/"
  woff2_decompress "$tmp/$2.woff2" >/dev/null
  mv "$tmp/$2.ttf" "$OUT/$2.ttf"
  rm -rf "$tmp"
done
echo "fetch-fonts: fonts ready in $OUT"
