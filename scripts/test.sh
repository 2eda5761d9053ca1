#!/usr/bin/env bash
# Everything from a bare Debian 12 machine to a finished test run: installs what
# is missing, builds both targets, then runs every test under 64-bit Wine in a
# fresh prefix with its own X display.
# Extra arguments go to ctest (e.g. -R Registration).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/setup.sh"
"$root/scripts/build.sh" all

source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/test-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"

# Test programs refuse any HTTP origin but 127.0.0.1, whatever they are told.
export FARLINK_TEST_LOOPBACK_ONLY=1

cd "$root/build/x86_64"
ctest --output-on-failure --no-tests=error "$@"
