#!/usr/bin/env bash
# Set-up and build, then every test; the exit status is ctest's.
set -uo pipefail
cd "$(dirname "$0")"
./scripts/setup.sh || exit 1
ctest --test-dir build --output-on-failure -j"$(nproc)"
