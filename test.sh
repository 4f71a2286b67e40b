#!/usr/bin/env bash
# Set-up and build of everything (the program, the tests, the benchmarks; run.sh builds only the
# program), then every test, then the checking build (sanitizers and fuzz smoke runs); the exit
# status is non-zero when any of them fails.
set -uo pipefail
cd "$(dirname "$0")" || exit 1
./scripts/setup.sh || exit 1
ctest --test-dir build --output-on-failure -j"$(nproc)"
status=$?
./scripts/skipped-tests.sh build
[ "$status" -eq 0 ] || exit 1
# The same tests under the address and undefined-behaviour sanitizers, and the fuzz smoke runs.
./scripts/check-sanitizers.sh
