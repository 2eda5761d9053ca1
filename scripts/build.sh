#!/usr/bin/env bash
# Builds the Windows targets from the same sources:
#   build/i686        the product as it ships (FarlinkUI.exe, Lingua.dll, catalogues,
#                     farlinkctl.exe, the MSI), win32 thread model
#   build/i686-tests  the tests and doubles for i686 (posix thread model, which
#                     GoogleTest needs); they run build/i686's files, copied in
#   build/x86_64      the same product plus tests and benchmarks, for 64-bit Wine
# Usage: scripts/build.sh [i686|i686-tests|x86_64|all]   (default all)
#   i686-tests builds build/i686 first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
which=${1:-all}
jobs=$(nproc)

configure_and_build() {  # tree toolchain tests [cmake arguments...]
  local dir="$root/build/$1"
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$2.cmake" -DFARLINK_TESTS="$3" "${@:4}" >/dev/null
  cmake --build "$dir" -j "$jobs"
}
product() { configure_and_build i686 i686 OFF; }
i686_tests() {
  configure_and_build i686-tests i686-tests ON -DFARLINK_PRODUCT_DIR="$root/build/i686/bin"
}
x86_64() { configure_and_build x86_64 x86_64 ON; }

case "$which" in
  i686)       product ;;
  i686-tests) product; i686_tests ;;
  x86_64)     x86_64 ;;
  all)        product; i686_tests; x86_64 ;;
  *) echo "usage: $0 [i686|i686-tests|x86_64|all]" >&2; exit 2 ;;
esac
