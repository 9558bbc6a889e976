#!/usr/bin/env bash
# Build, launch and test Lorvane on Debian 12.
#   ./lorvane.sh setup          install the build's Debian packages (only the missing ones)
#   ./lorvane.sh run [FILE…]    set up, build and launch the editor
#   ./lorvane.sh test           set up, build and run every test
#   ./lorvane.sh bench          set up, build and run the benchmarks
#   ./lorvane.sh package        set up, build and make build/lorvane_VERSION_ARCH.deb
#   ./lorvane.sh fuzz [SECONDS] build the libFuzzer targets with clang and run each that long
# Arguments starting with -D right after the command go to CMake when it
# first configures the build folder, e.g. ./lorvane.sh run -DCMAKE_BUILD_TYPE=Debug
# (LORVANE_TESTS, LORVANE_BENCH, LORVANE_ASSET_DIR, LORVANE_SYSTEM_QSCINTILLA:
# see README). LORVANE_ASSET_DIR in the environment takes the fonts from that
# folder instead of fetching them.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
ROOT=$PWD
BUILD_DIR=${LORVANE_BUILD_DIR:-$ROOT/build}

# Timestamps in resources and in the package come from the last commit, so
# two builds of one commit give the same package.
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git -C "$ROOT" rev-parse --git-dir >/dev/null 2>&1; then
  SOURCE_DATE_EPOCH=$(git -C "$ROOT" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-0}
# Objects are shared between build folders and checkouts when ccache is there:
# paths are taken relative to the checkout, and the folder a compiler runs in is
# left out (debug paths are mapped to the checkout by -ffile-prefix-map, and the
# package is stripped). The package's folder sits beside build/, at the same
# depth, so that its relative paths are the development build's.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$ROOT}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}

PACKAGES=(
  g++ cmake ninja-build ccache pkg-config ca-certificates
  dpkg-dev   # dpkg-buildflags: Debian's hardening flags for every build
  qt6-base-dev libgl-dev libicu-dev libgtest-dev
  qt6-declarative-dev   # QJSEngine runs highlight.js and KaTeX for the preview
  woff2 fonts-noto-cjk   # editor fonts, converted from the npm packages
  qt6-webengine-dev qt6-svg-dev   # window: preview and icons
  qt6-translations-l10n   # Qt's own dialogs in Chinese
  plantuml graphviz default-jre-headless   # diagram previews through the real renderer
  bubblewrap   # the renderer runs without network or disk access
  libcmark-gfm-dev libcmark-gfm-extensions-dev   # Markdown parser
  libgumbo-dev   # HTML5 parser: raw HTML is sanitised as a browser reads it
  poppler-utils   # the PDF export's tests read the text back out of the PDF
  xvfb xauth   # window tests that need a real X server
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
  # Fonts come from pinned npm packages unless a folder holds them already.
  if [ -z "${LORVANE_ASSET_DIR:-}" ]; then
    "$ROOT/resources/fetch-assets.sh"
  fi
}

# Debian's hardening flags, all of them (bindnow included).
buildflags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }

CMAKE_ARGS=()
# DIR [CMAKE ARGUMENTS…], only when DIR has no build yet. The development and
# the package builds use the same flags, so ccache serves one from the other.
configure() {
  local dir=$1; shift
  [ -f "$dir/build.ninja" ] && return 0
  local args=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
  command -v ccache >/dev/null && args+=(-DLORVANE_CCACHE=ON)
  [ -n "${LORVANE_ASSET_DIR:-}" ] && args+=("-DLORVANE_ASSET_DIR=$LORVANE_ASSET_DIR")
  (
    cd "$ROOT"   # dpkg-buildflags maps this folder's path away
    export CFLAGS="$(buildflags CFLAGS) $(buildflags CPPFLAGS)"
    export CXXFLAGS="$(buildflags CXXFLAGS) $(buildflags CPPFLAGS)"
    export LDFLAGS="$(buildflags LDFLAGS)"
    cmake -S "$ROOT" -B "$dir" "${args[@]}" "$@" "${CMAKE_ARGS[@]}"
  )
}

build() {
  configure "$BUILD_DIR"
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}

# The package is built apart from the development build, without tests or
# benchmarks: nothing but the program.
package() {
  local dir=${LORVANE_PACKAGE_DIR:-$BUILD_DIR-package}
  configure "$dir" -DLORVANE_TESTS=OFF -DLORVANE_BENCH=OFF
  cmake --build "$dir" -j"$(nproc)"
  (cd "$dir" && cpack -G DEB -B "$BUILD_DIR" >/dev/null)
  rm -rf "$BUILD_DIR/_CPack_Packages"
  ls "$BUILD_DIR"/lorvane_*.deb
}

cmd=${1:-run}
shift || true
while [ $# -gt 0 ] && [[ $1 == -D* ]]; do
  CMAKE_ARGS+=("$1"); shift
done
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
    PACKAGES+=(file appstream desktop-file-utils lintian)   # Depends from dpkg-shlibdeps; validators
    setup; package
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
