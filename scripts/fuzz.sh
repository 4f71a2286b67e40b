#!/usr/bin/env bash
# Long fuzzing: every target (or those named after the seconds) for the given seconds each (default
# 600), over its seed corpus. New inputs go to build-asan/fuzz-scratch/<target>/; a crash is saved in
# fuzz/findings/. Copy a finding into fuzz/corpus/<target>/ once it is mended, as its regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH="${1:-600}"
shift || true
./scripts/check-sanitizers.sh --build-only
mkdir -p fuzz/findings
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for src in fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi
status=0
for t in "${targets[@]}"; do
    mkdir -p "build-asan/fuzz-scratch/$t"
    echo "== $t ($SECONDS_EACH s)"
    build-asan/bin/fuzz_"$t" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=4096 \
        -artifact_prefix="fuzz/findings/$t-" "build-asan/fuzz-scratch/$t" "fuzz/corpus/$t" || status=1
done
exit $status
