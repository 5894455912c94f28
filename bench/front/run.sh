#!/usr/bin/env bash
# Start-up cost of webcgi: whole-process time and peak memory for an unknown path,
# beside a minimal C CGI program that only writes a header, in one run.
#   bench/front/run.sh [build dir, default build] [runs, default 500]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${2:-500}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/tmp" "$root/mnt/nand"
env=(REQUEST_METHOD=GET PATH_INFO=/9998 QUERY_STRING=a=1 NVR_ROOT="$root")
"$build/bin/proc_bench" "$runs" "$build/bin/minimal_cgi" "${env[@]}"
"$build/bin/proc_bench" "$runs" "$build/bin/webcgi" "${env[@]}"
"$build/bin/proc_bench" "$runs" "$build/bin/minimal_cgi" "${env[@]}"
"$build/bin/proc_bench" "$runs" "$build/bin/webcgi" "${env[@]}"
