#!/usr/bin/env bash
# Whole-process time of one store read: store_probe (a request process reading one
# account through our store) beside sqlite_probe (a C program reading the same row in the
# fewest SQLite calls), the two without their read (runtime_probe: store_probe's libraries
# loaded; sqlite_load_probe: SQLite loaded) and empty_probe (starting a process at all).
# store_probe minus runtime_probe is what our read costs; sqlite_probe minus
# sqlite_load_probe is what the fewest SQLite calls cost. Each is started RUNS times, all
# taking turns, after a warm-up; the figures are the wall time and the CPU time of each whole
# process (the CPU time suffers less when other work shares the machine).
#
# Usage: bench/store/run.sh [BUILD_DIR] [RUNS]    (defaults: build, 200)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-200}
bin=$build/bin
for p in nvrdb store_probe sqlite_probe runtime_probe sqlite_load_probe empty_probe spawn_timer; do
  [ -x "$bin/$p" ] || { echo "missing $bin/$p: build first (cmake --build $build)" >&2; exit 1; }
done

root=$(mktemp -d /tmp/nvrbench.XXXXXX)
trap 'rm -rf "$root"' EXIT
export NVR_ROOT=$root
"$bin/nvrdb" init

probes=("$bin/empty_probe" :: "$bin/sqlite_load_probe" :: "$bin/sqlite_probe" :: "$bin/runtime_probe"
        :: "$bin/store_probe")
"$bin/spawn_timer" 20 "${probes[@]}" >/dev/null   # warm the page cache
"$bin/spawn_timer" "$runs" "${probes[@]}"
