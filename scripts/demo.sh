#!/usr/bin/env bash
# The main job: builds the programs and serves the recorder's web API through lighttpd on
# 127.0.0.1, over a private recorder root (./demo-root) with the simulated core daemon
# when it is built. Stop it with Ctrl-C.
#   PORT=8080 ./scripts/demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >/dev/null

port=${PORT:-8080}
root=$(pwd)/demo-root
mkdir -p "$root"/{tmp,mnt/nand/app,mnt/nand2,var/run,dev/shm,opt/app/www,opt/app/lang,usr/bin}
# The programs webcgi runs: the profile tool's recording stand-in, and the host's uptime.
install -m 0755 sim/standins/dvprofile "$root/usr/bin/dvprofile"
# The log pages' texts.
install -m 0644 sim/lang/*.lang "$root/opt/app/lang/"
if command -v uptime >/dev/null; then ln -sf "$(command -v uptime)" "$root/usr/bin/uptime"; fi

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; }
trap cleanup EXIT INT TERM

if [ -x build/bin/nvrdb ] && [ ! -e "$root/mnt/nand/app/dvdb.db" ]; then
  NVR_ROOT=$root build/bin/nvrdb init
fi
if [ -x build/bin/coresim ]; then
  NVR_ROOT=$root build/bin/coresim --root "$root" > "$root/tmp/coresim.log" 2>&1 &
  pids+=($!)
fi
./scripts/webserver.sh "$root" "$port" "$(pwd)/build/bin/webcgi" &
pids+=($!)
for _ in $(seq 50); do curl -s -o /dev/null "http://127.0.0.1:$port/" && break; sleep 0.1; done

cat <<EOT

The recorder's web API is served at http://127.0.0.1:$port/cgi-bin/webcgi/<path>
(recorder root: $root)

Log in as the factory administrator (user "admin", password "admin123"; the page sends the
MD5 of the password), then log out:
  curl -s -H 'Content-Type: application/json' \\
       -d '{"userName":"admin","md5":"'\$(printf admin123 | md5sum | cut -d' ' -f1)'"}' \\
       http://127.0.0.1:$port/cgi-bin/webcgi/1000
  curl -s -b 'userName=admin' -H 'Content-Type: application/json' -d '{}' \\
       http://127.0.0.1:$port/cgi-bin/webcgi/1014

What webcgi sent to the simulated core: $root/var/run/coresim.journal

Press Ctrl-C to stop.
EOT
wait
