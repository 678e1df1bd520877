#!/usr/bin/env bash
# Runs each benchmark program with qvscript and its Lua 5.4 twin, side by side, and prints the
# time of each and the ratio (qvscript / Lua). Builds nothing.
#   bench/script/run.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run.sh BUILD_DIR}
qvscript="$build/qvscript"
[ -x "$qvscript" ] || { echo "no qvscript in $build" >&2; exit 2; }
command -v lua5.4 >/dev/null || { echo "lua5.4 is not installed" >&2; exit 2; }

# Best of three wall-clock runs, in seconds.
best_time() {
  local best="" t0 t1 t
  for _ in 1 2 3; do
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || return 1
    t1=$(date +%s.%N)
    t=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

printf '%-15s %10s %10s %8s\n' program qvscript lua5.4 ratio
for src in "$here"/*.qvs; do
  name=$(basename "$src" .qvs)
  case "$name" in *.script) continue ;; esac
  scripts=()
  for s in "$here"/*.script.qvs; do
    [ -e "$s" ] && [ "$(basename "$s" .script.qvs)" = "$name" ] && scripts+=("$s")
  done
  # A program that fails (for example while a built-in family it calls is not merged yet) is
  # listed as such rather than timed.
  if ! "$qvscript" "$src" "${scripts[@]}" >/dev/null 2>"/tmp/qvbench.$$.err" || [ -s "/tmp/qvbench.$$.err" ]; then
    printf '%-15s %10s %10s %8s  (%s)\n' "$name" failed - - "$(head -c 80 "/tmp/qvbench.$$.err" | tr '\r\n' '  ')"
    continue
  fi
  q=$(best_time "$qvscript" "$src" "${scripts[@]}")
  l=$(best_time lua5.4 "$here/$name.lua")
  printf '%-15s %10.3f %10.3f %8.2f\n' "$name" "$q" "$l" "$(echo "$q / $l" | bc -l)"
done
rm -f "/tmp/qvbench.$$.err"
