#!/usr/bin/env bash
# Build, launch and test Lorvane on Debian 12.
#   ./lorvane.sh setup          install the build's Debian packages (only the missing ones)
#   ./lorvane.sh run [FILE…]    set up, build and launch the editor
#   ./lorvane.sh test           set up, build and run every test
#   ./lorvane.sh bench          set up, build and run the benchmarks
#   ./lorvane.sh package        set up, build and make build/lorvane_VERSION_ARCH.deb
#   ./lorvane.sh fuzz [SECONDS] build the libFuzzer targets with clang and run each that long
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
BUILD_DIR=${LORVANE_BUILD_DIR:-$ROOT/build}

PACKAGES=(
  g++ cmake ninja-build ccache pkg-config ca-certificates
  qt6-base-dev libgl-dev libicu-dev libgtest-dev
  woff2 fonts-noto-cjk   # editor fonts, converted from the npm packages
  qt6-webengine-dev qt6-svg-dev   # window: preview and icons
  qt6-translations-l10n   # Qt's own dialogs in Chinese
  plantuml graphviz default-jre-headless   # diagram previews through the real renderer
  bubblewrap   # the renderer runs without network or disk access
  libcmark-gfm-dev libcmark-gfm-extensions-dev   # Markdown parser
)
# A Node.js from elsewhere is kept; Debian's npm only when there is none.
command -v npm >/dev/null || PACKAGES+=(npm)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

setup() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
  # Fonts and icons come from pinned npm packages, never from git.
  "$ROOT/resources/fetch-assets.sh"
}

build() {
  if [ ! -f "$BUILD_DIR/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}

cmd=${1:-run}
shift || true
case "$cmd" in
  setup) setup ;;
  build) setup; build ;;
  run)
    setup; build
    exec "$BUILD_DIR/lorvane" "$@"
    ;;
  test)
    setup; build
    cd "$BUILD_DIR"
    ctest --output-on-failure -j"$(nproc)" "$@"
    ;;
  bench)
    PACKAGES+=(cmark-gfm)   # the peer the Markdown benchmark compares with
    setup; build
    for b in "$BUILD_DIR"/bench_*; do
      [ -x "$b" ] || continue
      echo "== $(basename "$b")"
      "$b" "$@"
    done
    ;;
  package)
    PACKAGES+=(dpkg-dev file appstream desktop-file-utils)   # Depends from dpkg-shlibdeps; validators
    setup; build
    cd "$BUILD_DIR"
    cpack -G DEB
    ;;
  fuzz)
    PACKAGES+=(clang-14)   # libFuzzer lives in clang; only this command needs it
    setup
    exec "$ROOT/fuzz/run.sh" "$@"
    ;;
  *)
    echo "usage: $0 {run [FILE…]|test|setup|build|bench|package|fuzz [SECONDS]}" >&2
    exit 2
    ;;
esac
