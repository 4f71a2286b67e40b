#!/usr/bin/env bash
# Lists the tests of the last ctest run in the build folder (default build/) that skipped
# themselves, each with the reason it gave; ctest itself names them without the reason.
set -euo pipefail
log="${1:-build}/Testing/Temporary/LastTest.log"
[ -f "$log" ] || exit 0
awk '
    /^[0-9]+\/[0-9]+ Test: / { name = $3; next }
    /: Skipped$/ { inSkip = 1; reason = ""; next }
    inSkip && /^\[  SKIPPED \]/ {
        found[++n] = name ": " (reason == "" ? "(no reason given)" : reason)
        inSkip = 0
        next
    }
    inSkip { reason = reason (reason == "" ? "" : " ") $0 }
    END {
        if (n == 0) exit
        print "Tests that did not run, and why:"
        for (i = 1; i <= n; ++i) print "    " found[i]
    }
' "$log"
