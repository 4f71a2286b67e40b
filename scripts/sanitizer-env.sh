# shellcheck shell=bash
# The sanitizers' run-time options of the checking build; sourced by the scripts that run its programs
# and by a user who starts the checking build's program by hand.
SANITIZER_SCRIPTS="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:suppressions=$SANITIZER_SCRIPTS/asan.supp"
SYMBOLIZER="$(command -v llvm-symbolizer || command -v llvm-symbolizer-14 || true)"
[ -n "$SYMBOLIZER" ] && export ASAN_SYMBOLIZER_PATH="$SYMBOLIZER"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$SANITIZER_SCRIPTS/lsan.supp:print_suppressions=0"
