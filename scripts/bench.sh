#!/usr/bin/env bash
# Builds the x86_64 tree and runs every benchmark (bin/*_bench.exe) under Wine
# in a fresh prefix, then the status pass with a 64-bit client running, i686
# server against x86_64 server, in a WoW64 prefix (scripts/bench-client64.sh,
# root only). Benchmarks print figures and ratios; they assert nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" i686
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

echo "== status_pass_bench --client64 (WoW64)"
wine_session_stop
trap - EXIT
rm -rf "$run_dir"
"$root/scripts/wow64.sh" "$root/scripts/bench-client64.sh"
