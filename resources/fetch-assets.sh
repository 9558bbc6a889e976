#!/usr/bin/env bash
# Fetches the pinned npm packages the build embeds (IBM Plex fonts, SIL OFL;
# Lucide icons, ISC; mermaid, MIT; highlight.js, BSD-3-Clause; KaTeX, MIT),
# checks each archive against its pinned SHA-256, and fills resources/Fonts
# (TrueType) and resources/Scripts (the diagram script; highlight.js as one
# script for the preview's colouring; KaTeX's script, style sheet and fonts
# for its formulas). The icons (only the mapped ones) and the
# licences are kept in the source tree; they are refreshed from the same
# packages when the icon map names one that is missing. Quick when
# everything is in place; a build with -DLORVANE_ASSET_DIR=DIR runs none of it.
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$HERE")
CACHE=${LORVANE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/lorvane}/npm
ICON_MAP=$ROOT/src/views/icons/IconMap.inc

# name@version sha256-of-the-npm-archive
PACKAGES=(
  "@ibm/plex-sans@1.1.0 c3818979c2a2c82927ea3e7c485e389a18de0b7462887dd4f7acc9a525568962"
  "@ibm/plex-mono@2.5.0 55b5ffcfcd5e9db36ef2070b2b07a573434ca02c6f3be2b921c0b88fff29acad"
  "lucide-static@0.460.0 24ec818481591e6795c48cd5d8466d1632c02050aa317801c207f91de9747ae4"
  "mermaid@12.4.0 025eb705f4cc52ea94e5e8ad606f0ad2ff4057f9e5d371044cd620088a17f515"
  "highlight.js@11.12.0 accbfaaab745088609b4eea2bdca2ad62f1f1dd27304e0f8df65cfe0fe042143"
  "katex@0.19.1 24da5a599eb2fcede2e270b99a6ff48bca816beecc95feeb84e8cccbd1bb34fd"
)
FACES=(
  "plex-sans IBMPlexSans-Regular"
  "plex-sans IBMPlexSans-Medium"
  "plex-sans IBMPlexSans-SemiBold"
  "plex-mono IBMPlexMono-Regular"
  "plex-mono IBMPlexMono-Medium"
)

icons() { sed -n 's/^ICON("[^"]*", *"\([^"]*\)").*/\1/p' "$ICON_MAP" | sort -u; }

complete() {
  local f
  for f in "${FACES[@]}"; do set -- $f; [ -s "$HERE/Fonts/$2.ttf" ] || return 1; done
  for f in $(icons); do [ -s "$HERE/icons/$f.svg" ] || return 1; done
  for f in plex-sans plex-mono lucide-static mermaid highlight.js katex; do [ -s "$HERE/licenses/$f.txt" ] || return 1; done
  [ -s "$HERE/Scripts/mermaid.min.js" ] || return 1
  for f in highlight.js katex.js katex.css katex-fonts/KaTeX_Main-Regular.woff2; do
    [ -s "$HERE/Scripts/$f" ] || return 1
  done
}

# highlight.js as one script for the engine: its CommonJS files, each wrapped
# so that module.exports becomes a value; the core, then its common languages.
bundle_highlight() {
  local pkg=$1 out=$2 tmp lang
  tmp=$(mktemp)
  {
    echo "var hljs = (function () { var module = { exports: {} }, exports = module.exports;"
    cat "$pkg/lib/core.js"
    echo "; return module.exports; })();"
    for lang in $(sed -n "s/^hljs.registerLanguage('\([^']*\)'.*/\1/p" "$pkg/lib/common.js"); do
      echo "hljs.registerLanguage('$lang', (function () { var module = { exports: {} }, exports = module.exports;"
      cat "$pkg/lib/languages/$lang.js"
      echo "; return module.exports; })());"
    done
  } >"$tmp"
  chmod 644 "$tmp"
  mv "$tmp" "$out"
}
complete && exit 0

# The unpacked package folder of one pinned archive, fetched when missing.
unpacked() {
  local spec=$1 sum=$2 dir tgz
  dir=$CACHE/$(echo "$spec" | tr '/@' '__')
  if [ ! -f "$dir/.verified" ]; then
    command -v npm >/dev/null || { echo "fetch-assets: npm is required (apt install npm)" >&2; exit 1; }
    rm -rf "$dir"; mkdir -p "$dir"
    # Older npm prints nothing with --silent: look for the archive instead.
    if ! (cd "$dir" && npm pack --silent "$spec" >/dev/null); then
      echo "fetch-assets: npm could not fetch $spec" >&2
      rm -rf "$dir"; exit 1
    fi
    tgz=$(find "$dir" -maxdepth 1 -name '*.tgz' | head -n1)
    if [ -z "$tgz" ] || ! echo "$sum  $tgz" | sha256sum -c --status; then
      echo "fetch-assets: $spec does not match its pinned SHA-256; refusing it" >&2
      rm -rf "$dir"; exit 1
    fi
    tar -xzf "$tgz" -C "$dir"
    touch "$dir/.verified"
  fi
  echo "$dir/package"
}

declare -A DIRS
for p in "${PACKAGES[@]}"; do
  set -- $p
  name=${1%@*}; name=${name#@ibm/}
  DIRS[$name]=$(unpacked "$1" "$2")
done

mkdir -p "$HERE/Fonts" "$HERE/icons" "$HERE/licenses" "$HERE/Scripts/katex-fonts"
command -v woff2_decompress >/dev/null || { echo "fetch-assets: woff2_decompress is required (apt install woff2)" >&2; exit 1; }
for f in "${FACES[@]}"; do
  set -- $f
  [ -s "$HERE/Fonts/$2.ttf" ] && continue
  src=$(find "${DIRS[$1]}" -name "$2.woff2" -path '*complete*' | head -n1)
  [ -n "$src" ] || src=$(find "${DIRS[$1]}" -name "$2.woff2" | head -n1)
  [ -n "$src" ] || { echo "fetch-assets: $2.woff2 not found in $1" >&2; exit 1; }
  tmp=$(mktemp -d)
  cp "$src" "$tmp/"
  woff2_decompress "$tmp/$2.woff2" >/dev/null
  mv "$tmp/$2.ttf" "$HERE/Fonts/$2.ttf"
  rm -rf "$tmp"
done

# Only the icons the program maps; stale ones from an older map go.
find "$HERE/icons" -name '*.svg' -delete
for i in $(icons); do
  src=${DIRS[lucide-static]}/icons/$i.svg
  [ -f "$src" ] || { echo "fetch-assets: icon $i is not in lucide-static" >&2; exit 1; }
  cp "$src" "$HERE/icons/"
done

cp "${DIRS[plex-sans]}/LICENSE.txt" "$HERE/licenses/plex-sans.txt"
cp "${DIRS[plex-mono]}/LICENSE.txt" "$HERE/licenses/plex-mono.txt"
cp "${DIRS[lucide-static]}/LICENSE" "$HERE/licenses/lucide-static.txt"
cp "${DIRS[mermaid]}/dist/mermaid.min.js" "$HERE/Scripts/mermaid.min.js"
cp "${DIRS[mermaid]}/LICENSE" "$HERE/licenses/mermaid.txt"
bundle_highlight "${DIRS[highlight.js]}" "$HERE/Scripts/highlight.js"
cp "${DIRS[highlight.js]}/LICENSE" "$HERE/licenses/highlight.js.txt"
# KaTeX as published; the page embeds the fonts (WOFF2 only) in place of the sheet's relative URLs.
cp "${DIRS[katex]}/dist/katex.min.js" "$HERE/Scripts/katex.js"
cp "${DIRS[katex]}/dist/katex.min.css" "$HERE/Scripts/katex.css"
rm -f "$HERE/Scripts/katex-fonts/"*.woff2
cp "${DIRS[katex]}/dist/fonts/"*.woff2 "$HERE/Scripts/katex-fonts/"
cp "${DIRS[katex]}/LICENSE" "$HERE/licenses/katex.txt"
echo "fetch-assets: fonts, $(icons | wc -l) icons, the diagram, colouring and formula scripts and licences ready in $HERE"
