#!/usr/bin/env bash
# The status pass with a 64-bit client running, the x86_64 server against the
# shipped i686 one, in one run and one WoW64 prefix. Run by scripts/bench.sh
# through scripts/wow64.sh, which makes 32-bit programs run here.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/bench-client64-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"

bin="$root/build/x86_64/bin"
(cd "$bin" && wine status_pass_bench.exe --client64 "$(winepath -w "$root/build/i686/bin/FarlinkUI.exe")")
