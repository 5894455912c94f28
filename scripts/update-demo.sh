#!/usr/bin/env bash
# The main job's second half: the firmware installer on an emulated recorder. Builds the
# programs, lays out a factory-fresh recorder in ./demo-update (flash partitions as files,
# never the host's devices), builds a firmware image with mkupfw, installs it with
# `update -u`, shows the result with `update --show` and switches back to the first copies
# with `update --system 1`, which reboots the emulated recorder.
#   ./scripts/update-demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" >/dev/null
bin=$(pwd)/$build/bin

root=$(pwd)/demo-update
rm -rf "$root"
step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "A factory-fresh recorder in $root: it runs kernel ker1 with filesystem fs1"
"$bin/flashsim" create "$root" --small
cat "$root/proc/cmdline"

step "A firmware image: a kernel, a root filesystem (version 72.9.0.20) and the tool itself"
# Stand-ins for a kernel and a filesystem; the installer checks and writes any content.
head -c 300000 < <(yes 'kernel image') > "$root/tmp/uImage"
head -c 900000 < <(yes 'root filesystem') > "$root/tmp/rootfs.ubifs"
"$bin/mkupfw" -o "$root/dev/shm/updateFM.bin" ker="$root/tmp/uImage" \
  fs="$root/tmp/rootfs.ubifs",72.9.0.20 cmd="$bin/update"
export NVR_ROOT=$root
"$bin/update" -l

step "update -u: verify the image, write ker2 and fs2, then name both in one environment write"
"$bin/update" -u
echo "result file /mnt/nand/upfw.log:"
cat "$root/mnt/nand/upfw.log"

step "update --show: the new copies are the ones the boot loader starts next"
"$bin/update" --show

step "update --system 1: back to ker1 and fs1, and reboot (the emulated recorder starts again)"
"$bin/update" --system 1
echo "programs run: $(tr '\n' ' ' < "$root/flashsim/calls.log")"
echo "kernel command line now: $(cat "$root/proc/cmdline")"
"$bin/update" --version

cat <<EOT

Try more against the same recorder:
  export NVR_ROOT=$root
  $build/bin/update --help
  $build/bin/update -u          # installs into the copies not running (ker2, fs2) again
  $build/bin/update -u          # refused: fs1 would be overwritten, yet it is mounted until the reboot
EOT
