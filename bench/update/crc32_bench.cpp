// CRC-32 throughput: update's checksum (the path chosen at run time, and the table
// path alone) against zlib's crc32 on 64 MiB, the size of a filesystem record. Prints MB/s
// (10^6 bytes per second), the best of several rounds, and checks that all agree.
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "crc32.h"

namespace {

constexpr size_t kSize = 64u << 20;
constexpr int kRounds = 5;

template <typename F>
double best_mb_per_s(F&& run, uint32_t* result) {
  double best = 0;
  for (int i = 0; i < kRounds; ++i) {
    auto start = std::chrono::steady_clock::now();
    *result = run();
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::max(best, static_cast<double>(kSize) / took.count() / 1e6);
  }
  return best;
}

}  // namespace

int main() {
  std::vector<uint8_t> data(kSize);
  std::mt19937_64 rng(1);
  for (size_t i = 0; i < kSize; i += 8) {
    uint64_t v = rng();
    for (int k = 0; k < 8; ++k)
      data[i + static_cast<size_t>(k)] = static_cast<uint8_t>(v >> (8 * k));
  }
  uint32_t ours = 0, slice = 0, theirs = 0;
  double ours_rate = best_mb_per_s(
      [&] { return crc32(0u, static_cast<const void*>(data.data()), data.size()); }, &ours);
  double slice_rate =
      best_mb_per_s([&] { return crc32_portable(0, data.data(), data.size()); }, &slice);
  double zlib_rate = best_mb_per_s(
      [&] {
        // zlib's function shares the name: call it with its own parameter types.
        uLong c = ::crc32(uLong{0}, static_cast<const Bytef*>(nullptr), uInt{0});
        return static_cast<uint32_t>(
            ::crc32(c, static_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
      },
      &theirs);
  std::printf("crc32 over %zu MiB, best of %d rounds\n", kSize >> 20, kRounds);
  std::printf(
      "%-36s %8.0f MB/s\n",
      crc32_uses_clmul() ? "update crc32 (carry-less multiply):" : "update crc32 (slicing by 16):",
      ours_rate);
  std::printf("%-36s %8.0f MB/s\n", "update crc32, slicing by 16 alone:", slice_rate);
  std::printf("%-36s %8.0f MB/s\n", "zlib " ZLIB_VERSION " crc32:", zlib_rate);
  if (ours != theirs || slice != theirs) {
    std::fprintf(stderr, "checksums differ: %08x %08x %08x\n", ours, slice, theirs);
    return 1;
  }
  return 0;
}
