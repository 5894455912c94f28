#!/usr/bin/env bash
# Whole-process cost of one waited core request (3504, 256-byte payload, answered at
# once by coresim): the minimal C client against ipcprobe, which runs webcgi's own
# messaging code (connect, send, the 10 ms sleep after the send, wait, answer callback,
# response, close). Also ipcprobe with the send sleep shortened, to show what the
# sleep costs.
#   bench/ipc/run.sh [BUILD_DIR]     (default: build; RUNS=200)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
runs=${RUNS:-200}
bin=$build/bin
for p in coresim ipcprobe ipc_rtt_client spawn_timer; do
  [ -x "$bin/$p" ] || { echo "missing $bin/$p: build first" >&2; exit 1; }
done

root=$(mktemp -d /tmp/nvrbench.XXXXXX)
fifo=$root/ready
mkfifo "$fifo"
"$bin/coresim" --root "$root" > "$fifo" &
core=$!
cleanup() { kill "$core" 2>/dev/null || true; wait "$core" 2>/dev/null || true; rm -rf "$root"; }
trap cleanup EXIT
read -r line < "$fifo"
[ "$line" = ready ] || { echo "coresim did not start" >&2; exit 1; }

export NVR_ROOT=$root
payload=$(printf 'token=abc' | od -An -tx1 | tr -d ' \n')
payload=$payload$(printf '%0494d' 0)

echo "minimal C client:           $("$bin/spawn_timer" "$runs" "$bin/ipc_rtt_client")"
echo "ipcprobe, recorder timing:  $("$bin/spawn_timer" "$runs" "$bin/ipcprobe" --type 3504 --hex "$payload")"
echo "ipcprobe, no send sleep:    $(NVR_IPC_SEND_RETRY_US=0 "$bin/spawn_timer" "$runs" "$bin/ipcprobe" --type 3504 --hex "$payload")"
