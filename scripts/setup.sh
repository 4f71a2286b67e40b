#!/usr/bin/env bash
# Installs the Debian packages the build needs (only the missing ones), then configures and builds build/.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(build-essential cmake ninja-build qt6-base-dev libqscintilla2-qt6-dev libgtest-dev
          libbenchmark-dev fonts-dejavu-core xvfb xauth poppler-utils clang libclang-rt-14-dev llvm-14)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi

BUILD_TYPE="${QUILLET_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
fi
cmake --build build -j"$(nproc)"
