#!/usr/bin/env bash
# Builds both Windows targets from the same sources:
#   build/i686    the product (FarlinkUI.exe, Lingua.dll, catalogues, farlinkctl.exe)
#   build/x86_64  the same plus tests and benchmarks, which run under 64-bit Wine
# Usage: scripts/build.sh [i686|x86_64|all]   (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
jobs=$(nproc)

configure_and_build() {
  local arch=$1 tests=$2
  local dir="$root/build/$arch"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
    -DFARLINK_TESTS="$tests" >/dev/null
  cmake --build "$dir" -j "$jobs"
}

case "$which" in
  i686)   configure_and_build i686 OFF ;;
  x86_64) configure_and_build x86_64 ON ;;
  all)    configure_and_build i686 OFF; configure_and_build x86_64 ON ;;
  *) echo "usage: $0 [i686|x86_64|all]" >&2; exit 2 ;;
esac
