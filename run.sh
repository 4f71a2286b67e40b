#!/usr/bin/env bash
# Set-up and build, then start the editor with the given files (paths relative to the caller's folder).
# What the set-up does is told briefly on stderr; when everything is built already it says nothing.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh" --brief
exec "$here/build/bin/quillet" "$@"
