#!/usr/bin/env bash
# Builds everything twice -- plainly and with AddressSanitizer + UndefinedBehaviorSanitizer --
# and runs the whole test suite in both builds. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh

# The tree keeps the project's .clang-format; a file that strays fails the run at once.
if ! git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror 2>/tmp/nvr-format.$$; then
  head -20 /tmp/nvr-format.$$ >&2
  rm -f /tmp/nvr-format.$$
  echo "clang-format: the files above differ from .clang-format (run clang-format -i on them)" >&2
  exit 1
fi
rm -f /tmp/nvr-format.$$

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DNVR_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
   UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$jobs")
echo "All tests passed (plain and sanitizer builds)."
