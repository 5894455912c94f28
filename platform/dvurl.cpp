// URL encoding of the platform's utility library: download paths travel URL-encoded.
#include <cstring>

#include "dvstd.h"

namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int get_url_decode(char* text) {
  if (text == nullptr) return -1;
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    int hi = in[0] == '%' ? hex_value(in[1]) : -1;
    int lo = hi >= 0 ? hex_value(in[2]) : -1;
    if (lo >= 0) {
      *out++ = static_cast<char>(hi * 16 + lo);
      in += 2;
    } else {
      *out++ = *in == '+' ? ' ' : *in;
    }
  }
  *out = '\0';
  return static_cast<int>(out - text);
}

int get_url_encode(const char* text, char* out, int size) {
  if (text == nullptr || out == nullptr || size < 1) return -1;
  static const char kHex[] = "0123456789ABCDEF";
  int n = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
    bool plain = (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
                 std::strchr("-_.~/", *p) != nullptr;
    int need = plain ? 1 : 3;
    if (n + need >= size) break;
    if (plain) {
      out[n++] = static_cast<char>(*p);
    } else {
      out[n++] = '%';
      out[n++] = kHex[*p >> 4];
      out[n++] = kHex[*p & 15];
    }
  }
  out[n] = '\0';
  return n;
}
