#!/usr/bin/env bash
# Set-up and build, then start the editor with the given files (paths relative to the caller's folder).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" >/dev/null
exec "$here/build/bin/quillet" "$@"
