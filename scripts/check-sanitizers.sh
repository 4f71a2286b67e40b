#!/usr/bin/env bash
# The checking build: the whole program and its tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) in build-asan/, every test run there, and every fuzz target run
# for a few seconds over its seed corpus. Any sanitizer report or fuzz finding fails the run.
# Expects the packages of scripts/setup.sh (clang and its sanitizer runtimes among them).
# With --build-only it only builds build-asan/ (scripts/fuzz.sh uses that). The exerciser runs here for
# about a minute (its ctest entry sets QUILLET_EXERCISE_SECONDS in this build); scripts/exercise.sh
# runs it longer or replays a seed.
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD=build-asan
if [ ! -f "$BUILD/build.ninja" ]; then
    cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER="$CMAKE_CXX_COMPILER_LAUNCHER"} \
        -DQUILLET_SANITIZE=ON -DQUILLET_FUZZ=ON
fi
cmake --build "$BUILD" -j"$(nproc)"
[ "${1:-}" = "--build-only" ] && exit 0


source scripts/sanitizer-env.sh
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)"
