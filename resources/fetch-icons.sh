#!/usr/bin/env bash
# Fetches the lucide-static icon set from npm into resources/icons (gitignored).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dest="$here/icons"
[ -f "$dest/.done" ] && exit 0
command -v npm >/dev/null || { echo "fetch-icons: npm not found; install Node.js/npm first" >&2; exit 1; }
tmp="$(mktemp -d)"; trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && npm pack --silent lucide-static@0.460.0 >/dev/null && tar xzf lucide-static-*.tgz)
mkdir -p "$dest"
cp "$tmp"/package/icons/*.svg "$dest"/
touch "$dest/.done"
echo "fetch-icons: $(ls "$dest" | wc -l) icons in $dest"
