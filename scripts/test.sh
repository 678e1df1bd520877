#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
#   scripts/test.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
shift || true
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$build" "$@"
cd "$build"
ctest --output-on-failure -j "${QV_JOBS:-$(nproc)}" --timeout 600
