#!/usr/bin/env bash
# Checks that third_party/qscintilla is Debian's unmodified QScintilla
# 2.13.3 subset plus the patches in its patches/ folder, nothing else:
# the patches are taken off a copy in reverse order (exact context) and what
# is left must match pristine.sha256 file by file; putting them back must
# give the tree again.
#   tools/check-qscintilla.sh                 check the tree
#   tools/check-qscintilla.sh --orig TARBALL  also check pristine.sha256
#                                             against Debian's orig tarball
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
tree=third_party/qscintilla
list=$tree/pristine.sha256
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-qscintilla: $*" >&2; exit 1; }

engine_files() {  # the engine's files under $1, without our own bookkeeping
  (cd "$1" && find . -type f ! -path ./README.md ! -path './patches/*' ! -path ./pristine.sha256 |
    sed 's|^\./||' | LC_ALL=C sort)
}

mkdir "$work/copy"
engine_files "$tree" | while read -r f; do
  mkdir -p "$work/copy/$(dirname "$f")"
  cp "$tree/$f" "$work/copy/$f"
done

mapfile -t patches < <(find "$tree/patches" -name '*.patch' | LC_ALL=C sort)
for ((i = ${#patches[@]} - 1; i >= 0; i--)); do
  (cd "$work/copy" && git apply -R "$OLDPWD/${patches[$i]}") > "$work/log" 2>&1 ||
    fail "$(basename "${patches[$i]}") does not come off the tree cleanly: $(cat "$work/log")"
done

(cd "$work/copy" && engine_files . | xargs sha256sum) > "$work/pristine.sha256"
diff -u "$list" "$work/pristine.sha256" > "$work/diff" ||
  fail "with the patches taken off, the tree is not the pristine import:
$(cat "$work/diff")"

for p in "${patches[@]}"; do
  (cd "$work/copy" && git apply "$OLDPWD/$p") > /dev/null 2>&1 ||
    fail "$(basename "$p") does not apply to the pristine import"
done
for f in $(engine_files "$tree"); do
  cmp -s "$tree/$f" "$work/copy/$f" || fail "$f differs from pristine + patches"
done

if [ "${1:-}" = --orig ]; then
  [ -f "${2:-}" ] || fail "no tarball: ${2:-}"
  mkdir "$work/orig"
  tar -xzf "$2" -C "$work/orig" --strip-components=1
  (cd "$work/orig" && sha256sum -c --quiet "$OLDPWD/$list") ||
    fail "pristine.sha256 does not match $2"
fi
echo "check-qscintilla: pristine + ${#patches[@]} patches = tree"
