#!/usr/bin/env bash
# Start-up cost of webcgi: whole-process time and peak memory for an unknown path, beside
# a minimal C CGI program that only writes a header, taking turns in one run.
#   bench/front/run.sh [build dir, default build] [runs, default 500]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-500}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/tmp" "$root/mnt/nand"
export REQUEST_METHOD=GET PATH_INFO=/9998 QUERY_STRING=a=1 NVR_ROOT="$root"
"$build/bin/spawn_timer" 20 "$build/bin/minimal_cgi" :: "$build/bin/webcgi" >/dev/null
"$build/bin/spawn_timer" "$runs" "$build/bin/minimal_cgi" :: "$build/bin/webcgi"
