// CRC-32 (IEEE 802.3): the standard check value, known texts, chaining, and the fast
// paths against a bitwise reference over lengths and alignments that exercise every
// tail and fold.
#include "crc32.h"

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

uint32_t reference_crc(uint32_t previous, const uint8_t* p, size_t n) {
  uint32_t c = ~previous;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0u - (c & 1)));
  }
  return ~c;
}

TEST(Crc32, KnownValues) {
  struct Case {
    const char* text;
    uint32_t crc;
  };
  const Case cases[] = {
      {"", 0x00000000},
      {"a", 0xE8B7BE43},
      {"abc", 0x352441C2},
      {"123456789", 0xCBF43926},  // the standard check value
      {"The quick brown fox jumps over the lazy dog", 0x414FA339},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(crc32(0, c.text, std::strlen(c.text)), c.crc) << c.text;
    EXPECT_EQ(crc32_portable(0, c.text, std::strlen(c.text)), c.crc) << c.text;
  }
  std::vector<uint8_t> ff(2048, 0xFF), zero(4096, 0);
  EXPECT_EQ(crc32(0, ff.data(), ff.size()), reference_crc(0, ff.data(), ff.size()));
  EXPECT_EQ(crc32(0, zero.data(), zero.size()), reference_crc(0, zero.data(), zero.size()));
}

TEST(Crc32, ChainingEqualsOneCallAtEverySplit) {
  std::vector<uint8_t> data(300);
  std::mt19937 rng(7);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  const uint32_t whole = reference_crc(0, data.data(), data.size());
  for (size_t split = 0; split <= data.size(); ++split) {
    uint32_t c = crc32(0, data.data(), split);
    EXPECT_EQ(crc32(c, data.data() + split, data.size() - split), whole) << split;
  }
}

TEST(Crc32, FastPathsMatchTheReferenceOverLengthsAndAlignments) {
  std::vector<uint8_t> data(70000);
  std::mt19937 rng(11);
  for (auto& b : data) b = static_cast<uint8_t>(rng());
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 260; ++n) lengths.push_back(n);
  for (size_t n : {1023u, 1024u, 1025u, 4096u, 65535u, 65536u, 69990u}) lengths.push_back(n);
  for (size_t align = 0; align < 8; ++align)
    for (size_t n : lengths) {
      const uint8_t* p = data.data() + align;
      uint32_t expected = reference_crc(0x12345678, p, n);
      ASSERT_EQ(crc32(0x12345678, p, n), expected) << "len " << n << " align " << align;
      ASSERT_EQ(crc32_portable(0x12345678, p, n), expected) << "len " << n << " align " << align;
    }
}

}  // namespace
