#!/usr/bin/env bash
# Builds the x86_64 tree and runs every benchmark (bin/*_bench.exe) under Wine
# in a fresh prefix. Benchmarks print figures and ratios; they assert nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64

source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/bench-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"

bin="$root/build/x86_64/bin"
wine "$bin/FarlinkUI.exe" /RegServer
# The session probe answers from this cache, so no benchmark reaches the cloud check.
wine reg add 'HKCU\Software\Corvane\Farlink' /v Server /t REG_SZ /d Local /f >/dev/null

for exe in "$bin"/*_bench.exe; do
  echo "== $(basename "$exe" .exe)"
  (cd "$bin" && wine "$exe")
done
