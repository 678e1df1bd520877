#!/usr/bin/env bash
# Configures and builds Quorvane into a build folder.
#   scripts/build.sh [BUILD_DIR] [extra cmake options...]
# Environment: QV_WERROR=1 makes warnings errors; QV_JOBS sets the parallel job count;
# QV_TARGETS (space-separated) builds only those targets instead of everything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
jobs=${QV_JOBS:-$(nproc)}
# ccache (when present) shares objects between clones and work trees: paths count from the root,
# and the build folder's own path stays out of the hash (debug info then names the first builder's).
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root}
export CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
gen=()
command -v ninja >/dev/null && gen=(-G Ninja)
cmake -S "$root" -B "$build" "${gen[@]}" -DQV_WERROR="${QV_WERROR:-0}" "$@" >/dev/null
targets=()
for target in ${QV_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j "$jobs" "${targets[@]}"
