#!/usr/bin/env bash
# Parse time of the multipart intake per MB of body: an ordinary upload beside bodies made
# to defeat the delimiter search (runs of dashes under a boundary of dashes), in one run.
#   bench/multipart/run.sh [build dir, default build] [MB per body, default 8] [rounds, default 5]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
mb=${2:-8}
rounds=${3:-5}
[ -x "$build/bin/multipart_bench" ] || {
  echo "missing $build/bin/multipart_bench: build it first" >&2
  exit 1
}
root=$(mktemp -d /tmp/nvrbench.XXXXXX)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/tmp"
NVR_ROOT=$root "$build/bin/multipart_bench" "$mb" "$rounds"
