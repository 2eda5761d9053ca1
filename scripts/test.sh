#!/usr/bin/env bash
# Everything from a bare Debian 12 machine to a finished test run: installs
# what is missing, builds the shipped i686 product and both test trees, then
#   1. every test program, built for i686, against the shipped files as users
#      run them: 32-bit processes on 64-bit Windows (scripts/wow64.sh), and
#      beside it the same programs built for x86_64 under 64-bit Wine, each
#      suite in its own prefix and display;
#   2. the release check of the shipped files (scripts/test-i686.sh).
# Needs root for the 32-bit run (binfmt_misc, a private mount namespace).
#
# Usage: scripts/test.sh [--fast] [ctest arguments...]
#   --fast   the inner loop: no package check, only the x86_64 tree, no 32-bit run
#   e.g.     scripts/test.sh --fast -R detection
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = "--fast" ]; then
  shift
  "$root/scripts/build.sh" x86_64
  exec "$root/scripts/run-suite.sh" "$root/build/x86_64" "$@"
fi

"$root/scripts/setup.sh"
"$root/scripts/build.sh" all

# The suites spend most of their time waiting on servers and dialogs, so the
# two share the machine; the 32-bit one reports when the 64-bit one is done.
mkdir -p "$root/build/runs"
i686_log="$root/build/runs/i686-suite.log"
start=$SECONDS
"$root/scripts/wow64.sh" "$root/scripts/run-suite.sh" "$root/build/i686-tests" "$@" > "$i686_log" 2>&1 &
i686=$!
trap 'kill $i686 2>/dev/null || true' EXIT
x86_64_status=0
echo "=== x86_64 build under 64-bit Wine"
"$root/scripts/run-suite.sh" "$root/build/x86_64" "$@" || x86_64_status=$?
echo "=== x86_64 suite: $((SECONDS - start)) s"
i686_status=0
wait $i686 || i686_status=$?
trap - EXIT
echo "=== i686 build as a 32-bit process on 64-bit Windows"
cat "$i686_log"
echo "=== i686 suite: $((SECONDS - start)) s"
[ "$x86_64_status" = 0 ] && [ "$i686_status" = 0 ] || exit 1

echo "=== the release check of the shipped files"
start=$SECONDS
"$root/scripts/test-i686.sh"
echo "=== release check: $((SECONDS - start)) s"
