#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   ./scripts/fuzz.sh [seconds per target, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DNVR_FUZZ=ON -DNVR_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j "$(nproc)"
for target in build-fuzz/bin/*_fuzz; do
  name=$(basename "$target" _fuzz)
  corpus=fuzz/corpus/$name
  work=build-fuzz/corpus-$name
  mkdir -p "$work"
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 "$work" "$corpus"
done
