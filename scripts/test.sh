#!/usr/bin/env bash
# Everything from a bare Debian 12 machine to a finished test run: installs what
# is missing, builds both targets, then runs every test under 64-bit Wine in a
# fresh prefix with its own X display.
#
# Usage: scripts/test.sh [--fast] [ctest arguments...]
#   --fast   the inner loop: no package check, only the x86_64 tree is built
#   e.g.     scripts/test.sh --fast -R detection
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

fast=0
if [ "${1:-}" = "--fast" ]; then fast=1; shift; fi

if [ "$fast" = 1 ]; then
  "$root/scripts/build.sh" x86_64
else
  "$root/scripts/setup.sh"
  "$root/scripts/build.sh" all
fi

source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/test-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"

cd "$root/build/x86_64"
ctest --output-on-failure --no-tests=error "$@"
