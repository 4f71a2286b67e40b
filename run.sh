#!/usr/bin/env bash
# Set-up and build of the program and its data (test.sh builds the rest), then start the editor with
# the given files (paths relative to the caller's folder). What the set-up does is told briefly on
# stderr; when everything is built already it says nothing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" --brief --program
exec "$here/build/bin/quillet" "$@"
