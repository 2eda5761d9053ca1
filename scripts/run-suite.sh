#!/usr/bin/env bash
# One build tree's tests in a fresh Wine prefix with its own X display and
# wineserver: scripts/run-suite.sh TREE [ctest arguments...]
# Under scripts/wow64.sh the prefix is a WoW64 one, where the i686 tree's
# programs run as 32-bit processes on 64-bit Windows.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$(cd "$1" && pwd)
shift
source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/test-$(basename "$tree")-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"
cd "$tree"
ctest --output-on-failure --no-tests=error "$@"
