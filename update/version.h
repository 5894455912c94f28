// Packed version numbers of images and partition records: platform code, major, minor
// and build, one byte each from the most significant, written "72.9.0.19"; and the
// packed dates that go with them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

inline constexpr unsigned version_platform(uint32_t v) {
  return v >> 24;
}
inline constexpr unsigned version_major(uint32_t v) {
  return (v >> 16) & 0xFF;
}
inline constexpr unsigned version_minor(uint32_t v) {
  return (v >> 8) & 0xFF;
}
inline constexpr unsigned version_build(uint32_t v) {
  return v & 0xFF;
}

// Packed dates: year in bits 31-16, month in 15-8, day in 7-0.
inline constexpr int date_year(uint32_t d) {
  return static_cast<int>(d >> 16);
}
inline constexpr int date_month(uint32_t d) {
  return static_cast<int>((d >> 8) & 0xFF);
}
inline constexpr int date_day(uint32_t d) {
  return static_cast<int>(d & 0xFF);
}

// "72.9.0.19" for 0x48090013.
std::string version_text(uint32_t v);

// Parses four dotted bytes ("72.9.0.19") or one number in C notation ("0x48090013").
// False for anything else, a part above 255 or a number above 32 bits.
[[nodiscard]] bool parse_version(std::string_view text, uint32_t* out);
