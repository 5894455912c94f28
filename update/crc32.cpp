// CRC-32 (see crc32.h): slicing by 16, and a carry-less-multiply folding path on x86-64.
#include "crc32.h"

#include <array>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__aarch64__) && defined(__ARM_FEATURE_CRC32)
#include <arm_acle.h>
#endif

namespace {

// Sixteen tables (16 KiB, well inside a first-level cache) fold 16 bytes per step.
constexpr int kSlices = 16;
using Tables = std::array<std::array<uint32_t, 256>, kSlices>;

constexpr Tables make_tables() {
  Tables t{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[0][i] = c;
  }
  // t[k][i]: the checksum of byte i followed by k zero bytes, so that sixteen bytes can
  // be folded with sixteen independent lookups.
  for (uint32_t i = 0; i < 256; ++i)
    for (int k = 1; k < kSlices; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}

// crc32_tab[0] is the byte-wise table of the polynomial.
constexpr Tables crc32_tab = make_tables();

uint32_t load_le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Works on the inverted register (the caller applies the initial and final XOR).
uint32_t slice_raw(uint32_t c, const uint8_t* p, size_t n) {
  const auto& t = crc32_tab;
  while (n >= 16) {
    uint32_t w0 = load_le32(p) ^ c, w1 = load_le32(p + 4), w2 = load_le32(p + 8),
             w3 = load_le32(p + 12);
    c = t[15][w0 & 0xFF] ^ t[14][(w0 >> 8) & 0xFF] ^ t[13][(w0 >> 16) & 0xFF] ^ t[12][w0 >> 24] ^
        t[11][w1 & 0xFF] ^ t[10][(w1 >> 8) & 0xFF] ^ t[9][(w1 >> 16) & 0xFF] ^ t[8][w1 >> 24] ^
        t[7][w2 & 0xFF] ^ t[6][(w2 >> 8) & 0xFF] ^ t[5][(w2 >> 16) & 0xFF] ^ t[4][w2 >> 24] ^
        t[3][w3 & 0xFF] ^ t[2][(w3 >> 8) & 0xFF] ^ t[1][(w3 >> 16) & 0xFF] ^ t[0][w3 >> 24];
    p += 16;
    n -= 16;
  }
  while (n-- > 0) c = t[0][(c ^ *p++) & 0xFF] ^ (c >> 8);
  return c;
}

#if defined(__x86_64__)

// Folding with carry-less multiplication (the bit-reflected method of the published
// PCLMULQDQ CRC paper): four 128-bit lanes are folded 64 bytes at a time, then into one
// lane, then reduced to 32 bits with a Barrett step. Needs n >= 64 and n a multiple of
// 16; works on the inverted register like slice_raw.
#define CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

CLMUL_TARGET inline __m128i load128(const uint8_t* q) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
}

// x * (k.hi, k.lo) folded onto `next`: carries x forward by the distance k stands for.
CLMUL_TARGET inline __m128i fold(__m128i x, __m128i k, __m128i next) {
  __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(hi, lo), next);
}

CLMUL_TARGET uint32_t clmul_raw(uint32_t c, const uint8_t* p, size_t n) {
  // x^(4*128+32) and x^(4*128-32) mod P, x^(128+32) and x^(128-32) mod P, x^64 mod P,
  // and the Barrett pair (P and floor(x^64 / P)), all bit-reflected.
  const __m128i k1k2 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i k3k4 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i k5 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i poly = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  const __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);

  __m128i x1 = _mm_xor_si128(load128(p), _mm_cvtsi32_si128(static_cast<int>(c)));
  __m128i x2 = load128(p + 16), x3 = load128(p + 32), x4 = load128(p + 48);
  p += 64;
  n -= 64;
  while (n >= 64) {
    x1 = fold(x1, k1k2, load128(p));
    x2 = fold(x2, k1k2, load128(p + 16));
    x3 = fold(x3, k1k2, load128(p + 32));
    x4 = fold(x4, k1k2, load128(p + 48));
    p += 64;
    n -= 64;
  }
  x1 = fold(x1, k3k4, x2);
  x1 = fold(x1, k3k4, x3);
  x1 = fold(x1, k3k4, x4);
  while (n >= 16) {
    x1 = fold(x1, k3k4, load128(p));
    p += 16;
    n -= 16;
  }
  // 128 bits to 64.
  __m128i t = _mm_clmulepi64_si128(x1, k3k4, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), t);
  t = _mm_srli_si128(x1, 4);
  x1 = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), k5, 0x00);
  x1 = _mm_xor_si128(x1, t);
  // Barrett reduction to 32 bits.
  t = _mm_clmulepi64_si128(_mm_and_si128(x1, mask32), poly, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, mask32), poly, 0x00);
  x1 = _mm_xor_si128(x1, t);
  return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

bool detect_clmul() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
}

const bool kHaveClmul = detect_clmul();

#else

constexpr bool kHaveClmul = false;

#endif

#if defined(__aarch64__) && defined(__ARM_FEATURE_CRC32)
// The CRC-32 instructions work on the inverted register like slice_raw.
uint32_t arm_raw(uint32_t c, const uint8_t* p, size_t n) {
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    c = __crc32d(c, word);
  }
  for (; n > 0; --n) c = __crc32b(c, *p++);
  return c;
}
#endif

}  // namespace

uint32_t crc32_portable(uint32_t previous, const void* bytes, size_t length) {
  if (length == 0) return previous;
  return ~slice_raw(~previous, static_cast<const uint8_t*>(bytes), length);
}

uint32_t crc32(uint32_t previous, const void* bytes, size_t length) {
  if (length == 0) return previous;
  const auto* p = static_cast<const uint8_t*>(bytes);
  uint32_t c = ~previous;
#if defined(__x86_64__)
  if (kHaveClmul && length >= 64) {
    size_t chunk = length & ~static_cast<size_t>(15);
    c = clmul_raw(c, p, chunk);
    p += chunk;
    length -= chunk;
  }
#endif
#if defined(__aarch64__) && defined(__ARM_FEATURE_CRC32)
  return ~arm_raw(c, p, length);
#else
  return ~slice_raw(c, p, length);
#endif
}

bool crc32_uses_clmul() {
  return kHaveClmul;
}
