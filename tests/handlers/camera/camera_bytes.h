// Core payload bytes built by hand for the camera tests, independently of the code's
// structs: native little-endian int32 values and NUL-filled fixed text fields.
#pragma once

#include <cstdint>
#include <string>

#include "support/coresim.h"

namespace camtest {

class Bytes {
 public:
  Bytes& i32(int32_t v) {
    for (int i = 0; i < 4; ++i)
      b_.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
    return *this;
  }
  // `t` in a field of `size` bytes, NUL-filled (no terminator when it fills the field).
  Bytes& text(const std::string& t, std::size_t size) {
    std::string f = t.substr(0, size);
    f.resize(size, '\0');
    b_ += f;
    return *this;
  }
  Bytes& zeros(std::size_t n) { return text("", n); }
  std::string hex() const { return nvrtest::to_hex(b_); }
  const std::string& str() const { return b_; }

 private:
  std::string b_;
};

}  // namespace camtest
