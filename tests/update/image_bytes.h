// Image bytes built by hand for the tests of update, independently of the code under
// test: a bitwise CRC-32, little-endian words and the 2048-byte header of given records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline uint32_t reference_crc(const std::string& s) {
  uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : s) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0u - (c & 1)));
  }
  return ~c;
}

// Record contents for tests: bytes that differ per seed, with both 0 and 1 bits.
inline std::string content(size_t size, uint32_t seed) {
  std::string s(size, '\0');
  uint32_t x = seed * 2654435761u + 7;
  for (char& c : s) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    c = static_cast<char>(x);
  }
  return s;
}

inline void put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}
inline uint32_t get32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
  return v;
}

struct Rec {
  size_t index;
  uint32_t offset, size, version, addr, flag, date;
  std::string name;  // up to 52 bytes, no terminator added when it fills the field
  uint32_t crc;
};

inline std::string header_bytes(const std::vector<Rec>& recs) {
  std::string h(2048, '\0');
  for (const Rec& r : recs) {
    size_t at = r.index * 80;
    put32(h, at + 0, r.offset);
    put32(h, at + 4, r.size);
    put32(h, at + 8, r.version);
    put32(h, at + 12, r.addr);
    put32(h, at + 16, r.flag);
    put32(h, at + 20, r.date);
    h.replace(at + 24, r.name.size(), r.name);
    put32(h, at + 76, r.crc);
  }
  return h;
}
