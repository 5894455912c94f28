#!/usr/bin/env bash
# Whole-process time of one store read: store_probe (a request process reading one
# account through our store) beside sqlite_probe (the same row in the fewest SQLite
# calls) and empty_probe (starting a process at all). Each is started RUNS times in a
# row after a warm-up; the figures are the wall time of each whole process.
#
# Usage: bench/store/run.sh [BUILD_DIR] [RUNS]    (defaults: build, 200)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-200}
bin=$build/bin
for p in nvrdb store_probe sqlite_probe empty_probe spawn_timer; do
  [ -x "$bin/$p" ] || { echo "missing $bin/$p: build first (cmake --build $build)" >&2; exit 1; }
done

root=$(mktemp -d /tmp/nvrbench.XXXXXX)
trap 'rm -rf "$root"' EXIT
export NVR_ROOT=$root
"$bin/nvrdb" init

for p in empty_probe sqlite_probe store_probe; do
  "$bin/spawn_timer" 20 "$bin/$p" >/dev/null   # warm the page cache
  printf '%-13s ' "$p"
  "$bin/spawn_timer" "$runs" "$bin/$p"
done
