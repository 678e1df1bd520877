#!/usr/bin/env bash
# Installs what is missing, builds the runner and the packer (nothing else) and plays the demo game.
# On a machine without a display the game runs a fixed number of steps headless and the
# last frame is written to a PNG, whose path is printed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QV_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
QV_TARGETS="quorvane qvpack" "$root/scripts/build.sh" "$build"
# The demo project (examples/demo) becomes a runner with the game appended.
"$build/qvpack" build "$root/examples/demo" -o "$build/demo-game"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy QUORVANE_HEADLESS=1
  export QUORVANE_STEPS=${QUORVANE_STEPS:-300}
  export QUORVANE_SCREENSHOT=${QUORVANE_SCREENSHOT:-$build/demo-last-frame.png}
  export QUORVANE_SCREENSHOT_STEP=${QUORVANE_SCREENSHOT_STEP:-$QUORVANE_STEPS}
  # The player walks right, up to the row of coins and along it (37 left, 38 up, 39 right, 40 down).
  export QUORVANE_INPUT=${QUORVANE_INPUT:-"1:keydown:39;51:keyup:39;51:keydown:38;70:keyup:38;70:keydown:39;160:keyup:39"}
  echo "No display: running ${QUORVANE_STEPS} steps headless; the last frame goes to $QUORVANE_SCREENSHOT"
fi
exec "$build/quorvane" "$build/demo-game"
