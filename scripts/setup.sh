#!/usr/bin/env bash
# Installs the Debian packages the build needs (only the missing ones), then configures and builds build/.
# With --brief (run.sh) the tools' own output is kept back: each step is named in one line on stderr,
# the build with a progress count, and nothing at all is said when there is nothing to do. A step
# that fails shows its whole output.
set -euo pipefail
cd "$(dirname "$0")/.."

BRIEF=false
[ "${1:-}" = "--brief" ] && BRIEF=true

PACKAGES=(build-essential cmake ninja-build qt6-base-dev libqscintilla2-qt6-dev libgtest-dev
          libbenchmark-dev fonts-dejavu-core xvfb xauth poppler-utils clang libclang-rt-14-dev llvm-14)

say() { echo "Quillet: $*" >&2; }

# In brief mode runs the command with its output in a log, shown only when the command fails.
quietly() {
    if ! $BRIEF; then
        "$@"
        return
    fi
    local log
    log="$(mktemp)"
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        say "failed: $*"
        return 1
    fi
    rm -f "$log"
}

# Ninja's "[n/N] ..." lines become one progress count on stderr, shown once something is compiled
# or linked (the steps that run on every build, such as copying data/, say nothing). Every other
# line (compiler messages) goes to the log file named by the first argument; the second names a
# file made when the count was shown.
show_build_progress() {
    local log="$1" shown_mark="$2" line step total shown=false tenth last_tenth=-1
    local tty=false
    [ -t 2 ] && tty=true
    while IFS= read -r line; do
        if [[ "$line" =~ ^\[([0-9]+)/([0-9]+)\]\ (.*)$ ]]; then
            step="${BASH_REMATCH[1]}" total="${BASH_REMATCH[2]}"
            case "${BASH_REMATCH[3]}" in
                Building*|Linking*) shown=true ;;
                Re-running\ CMake*) say "configuring the build again" ;;
            esac
            $shown || continue
            if $tty; then
                printf '\rQuillet: building: %s/%s' "$step" "$total" >&2
            else
                tenth=$(( step * 10 / total ))
                if [ "$tenth" -ne "$last_tenth" ]; then
                    say "building: $step/$total"
                    last_tenth=$tenth
                fi
            fi
        else
            echo "$line" >>"$log"
        fi
    done
    if $shown; then
        $tty && echo >&2
        touch "$shown_mark"
    fi
}

build() {
    if ! $BRIEF; then
        cmake --build build -j"$(nproc)"
        return
    fi
    local log status=0
    log="$(mktemp)"
    cmake --build build -j"$(nproc)" 2>&1 | show_build_progress "$log" "$log.shown" || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log" >&2
        say "the build failed"
    elif [ -f "$log.shown" ]; then
        say "build finished"
    fi
    rm -f "$log" "$log.shown"
    return "$status"
}

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    if $BRIEF; then say "installing Debian packages: ${missing[*]}"; else echo "Installing: ${missing[*]}"; fi
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    quietly $SUDO apt-get update
    quietly $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
fi

BUILD_TYPE="${QUILLET_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f build/build.ninja ]; then
    $BRIEF && say "configuring the build in build/"
    quietly cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
fi
build
