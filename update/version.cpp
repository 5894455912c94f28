// Packed version numbers (see version.h).
#include "version.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

std::string version_text(uint32_t v) {
  char text[20];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", version_platform(v), version_major(v),
                version_minor(v), version_build(v));
  return text;
}

bool parse_version(std::string_view text, uint32_t* out) {
  std::string s(text);
  if (s.empty() || s[0] == '-' || s[0] == '+' || s[0] == ' ') return false;
  unsigned a, b, c, d;
  char extra;
  if (s.find('.') != std::string::npos) {
    if (std::sscanf(s.c_str(), "%3u.%3u.%3u.%3u%c", &a, &b, &c, &d, &extra) != 4) return false;
    if (a > 255 || b > 255 || c > 255 || d > 255) return false;
    *out = a << 24 | b << 16 | c << 8 | d;
    return true;
  }
  errno = 0;
  char* end = nullptr;
  unsigned long long v = std::strtoull(s.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || v > UINT32_MAX) return false;
  *out = static_cast<uint32_t>(v);
  return true;
}
