#!/usr/bin/env bash
# Builds the shipped i686 files twice, from clean trees in two different
# folders, and compares them byte for byte. Exit code 0: identical.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1 2; do
  cmake -S "$root" -B "$work/build-$n" -DCMAKE_BUILD_TYPE=MinSizeRel \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" -DFARLINK_TESTS=OFF >/dev/null
  cmake --build "$work/build-$n" -j "$(nproc)" --target FarlinkUI farlinkctl Lingua lingua_catalogues \
    farlink_scan64 >/dev/null
done

status=0
for file in FarlinkUI.exe farlinkctl.exe FarlinkScan64.exe Lingua.dll Locale/deu/lc_messages/FarlinkUI.mo \
            Locale/fra/lc_messages/FarlinkUI.mo; do
  if cmp -s "$work/build-1/bin/$file" "$work/build-2/bin/$file"; then
    echo "same:    $file ($(stat -c %s "$work/build-1/bin/$file") bytes)"
  else
    echo "differs: $file"
    status=1
  fi
done
exit $status
