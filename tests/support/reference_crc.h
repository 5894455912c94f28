// CRC-32 (IEEE 802.3) computed the slow, obvious way, for tests that check checksums of
// images and environment blocks without the code under test.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace nvrtest {

inline uint32_t reference_crc(const uint8_t* p, size_t n) {
  // A byte-wise table built bit by bit: environment copies are checked thousands of times.
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0u - (c & 1)));
      t[i] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) c = (c >> 8) ^ table[(c ^ p[i]) & 0xFF];
  return ~c;
}

}  // namespace nvrtest
