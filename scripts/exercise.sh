#!/usr/bin/env bash
# Runs the exerciser of the checking build (address and undefined-behaviour sanitizers, build-asan/)
# for the given seconds from the given seed: scripts/exercise.sh [seconds] [seed]
# (defaults: 60 seconds, seed 1). A failure prints the seed of its round and the last steps; that
# seed given here replays the round step by step. QUILLET_EXERCISE_TRACE=1 prints every step.
# With a display ($DISPLAY set) the windows are shown on it, else they run offscreen (DISPLAY= before
# the command keeps them offscreen). Builds build-asan/ first when it is not there.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_TO_RUN="${1:-60}"
SEED="${2:-1}"
BUILD=build-asan

if [ ! -f "$BUILD/build.ninja" ]; then
    ./scripts/check-sanitizers.sh --build-only
else
    cmake --build "$BUILD" --target test_exerciser
fi

source scripts/sanitizer-env.sh
export QUILLET_EXERCISE_SECONDS="$SECONDS_TO_RUN" QUILLET_EXERCISE_SEED="$SEED"
if [ -n "${DISPLAY:-}" ]; then
    echo "exercise.sh: the windows are shown on the display $DISPLAY" >&2
    export QUILLET_TEST_PLATFORM=xcb
fi
exec "$BUILD/bin/test_exerciser"
