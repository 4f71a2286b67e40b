#!/usr/bin/env bash
# The checking build: the whole program and its tests built with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) in build-asan/, every test run there, and every fuzz target run
# for a few seconds over its seed corpus. Any sanitizer report or fuzz finding fails the run.
# Expects the packages of scripts/setup.sh (clang and its sanitizer runtimes among them).
# With --build-only it only builds build-asan/ (scripts/fuzz.sh uses that).
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


export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
SYMBOLIZER="$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)"
[ -n "$SYMBOLIZER" ] && export ASAN_SYMBOLIZER_PATH="$SYMBOLIZER"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
ctest --test-dir "$BUILD" --output-on-failure -j"$(nproc)"
