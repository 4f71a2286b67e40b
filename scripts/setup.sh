#!/usr/bin/env bash
# Installs the Debian packages the build needs (only the missing ones), then configures and builds build/.
#   scripts/setup.sh [--brief] [--program]
# With --program (run.sh) only the program and its data are built; without it everything is: the
# tests, the benchmarks and the fuzz targets too (test.sh).
# With --brief (run.sh) the tools' own output is kept back: each step is named in one line on stderr,
# the package install and the build with a progress count, and nothing at all is said when there is
# nothing to do. A step that fails shows its whole output.
set -euo pipefail
cd "$(dirname "$0")/.."

BRIEF=false
TARGETS=()
for arg in "$@"; do
    case "$arg" in
        --brief) BRIEF=true ;;
        --program) TARGETS=(--target quillet) ;;   # the executable; it depends on the copy of data/
        *) echo "scripts/setup.sh: unknown option \"$arg\" (known: --brief, --program)" >&2; exit 2 ;;
    esac
done

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

# "Quillet: <what>: step/total" on stderr: on a terminal one line that is rewritten, else a line at
# every tenth of the way. progress_done ends the count.
PROGRESS_TENTH=-1
progress() {
    local what="$1" step="$2" total="$3" tenth
    [ "$total" -ge "$step" ] || total="$step"
    if [ -t 2 ]; then
        printf '\rQuillet: %s: %s/%s' "$what" "$step" "$total" >&2
    else
        tenth=$(( step * 10 / total ))
        if [ "$tenth" -ne "$PROGRESS_TENTH" ]; then
            say "$what: $step/$total"
            PROGRESS_TENTH=$tenth
        fi
    fi
}
progress_done() {
    if [ -t 2 ]; then echo >&2; fi
    PROGRESS_TENTH=-1
}

# Ninja's "[n/N] ..." lines become one progress count, shown once something is compiled or linked
# (the steps that run on every build, such as copying data/, say nothing). Every other line
# (compiler messages) goes to the log file named by the first argument; the second names a file
# made when the count was shown.
show_build_progress() {
    local log="$1" shown_mark="$2" line shown=false
    while IFS= read -r line; do
        if [[ "$line" =~ ^\[([0-9]+)/([0-9]+)\]\ (.*)$ ]]; then
            case "${BASH_REMATCH[3]}" in
                Building*|Linking*) shown=true ;;
                Re-running\ CMake*) say "configuring the build again" ;;
            esac
            if $shown; then progress building "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}"; fi
        else
            echo "$line" >>"$log"
        fi
    done
    if $shown; then
        progress_done
        touch "$shown_mark"
    fi
}

build() {
    if ! $BRIEF; then
        cmake --build build -j"$(nproc)" "${TARGETS[@]}"
        return
    fi
    local log status=0
    log="$(mktemp)"
    cmake --build build -j"$(nproc)" "${TARGETS[@]}" 2>&1 | show_build_progress "$log" "$log.shown" || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log" >&2
        say "the build failed"
    elif [ -f "$log.shown" ]; then
        say "build finished"
    fi
    rm -f "$log" "$log.shown"
    return "$status"
}

# apt-get's lines become counts of the packages downloaded and set up, out of the number it said it
# would install; every line goes to the log file named by the argument.
show_install_progress() {
    local log="$1" line total=0 set_up=0 phase=""
    while IFS= read -r line; do
        echo "$line" >>"$log"
        if [[ "$line" =~ ^([0-9]+)\ upgraded,\ ([0-9]+)\ newly\ installed ]]; then
            total=$(( BASH_REMATCH[1] + BASH_REMATCH[2] ))
            say "$total packages to install, with the ones they need"
        elif [[ "$line" =~ ^Get:([0-9]+)\  ]]; then
            [ "$phase" = downloading ] || { [ -z "$phase" ] || progress_done; phase=downloading; }
            progress downloading "${BASH_REMATCH[1]}" "$total"
        elif [[ "$line" == "Setting up "* ]]; then
            [ "$phase" = "setting up" ] || { [ -z "$phase" ] || progress_done; phase="setting up"; }
            set_up=$(( set_up + 1 ))
            progress "setting up" "$set_up" "$total"
        fi
    done
    [ -z "$phase" ] || progress_done
}

install_packages() {
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    if ! $BRIEF; then
        echo "Installing: $*"
        "${sudo[@]}" apt-get update
        "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "$@"
        return
    fi
    say "installing Debian packages: $*"
    say "updating the package lists"
    quietly "${sudo[@]}" apt-get update
    local log status=0
    log="$(mktemp)"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "$@" 2>&1 |
        show_install_progress "$log" || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log" >&2
        say "the package install failed"
    else
        say "packages installed"
    fi
    rm -f "$log"
    return "$status"
}

# One question to dpkg for all the packages; a name it does not know counts as missing.
declare -A installed=()
while read -r name status; do
    [ "$status" = installed ] && installed[$name]=1
done < <(dpkg-query -W -f='${Package} ${db:Status-Status}\n' "${PACKAGES[@]}" 2>/dev/null || true)
missing=()
for p in "${PACKAGES[@]}"; do
    [ -n "${installed[$p]:-}" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || install_packages "${missing[@]}"

BUILD_TYPE="${QUILLET_BUILD_TYPE:-RelWithDebInfo}"
if [ ! -f build/build.ninja ]; then
    $BRIEF && say "configuring the build in build/"
    quietly cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE"
fi
build
