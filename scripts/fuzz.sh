#!/usr/bin/env bash
# A longer run of the test suite's seeded fuzz tests (the .mo reader, the
# registry readers, the registry-script interpreter) under Wine: the same tests
# with more rounds, or another seed. A crash prints the round it came in.
#
# Usage: scripts/fuzz.sh [rounds per reader, default 100000] [seed, default 1]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export FARLINK_FUZZ_ITERATIONS=${1:-100000} FARLINK_FUZZ_SEED=${2:-1} GTEST_FILTER='*Fuzz*'

"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-session.sh"
run_dir="$root/build/runs/fuzz-$$"
trap 'wine_session_stop; rm -rf "$run_dir"' EXIT
wine_session_start "$run_dir"

status=0
for program in translation_tests detection_tests server_tests; do
  echo "== $program: $FARLINK_FUZZ_ITERATIONS rounds, seed $FARLINK_FUZZ_SEED"
  wine "$root/build/x86_64/bin/$program.exe" || status=1
done
exit $status
