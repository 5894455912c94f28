// Core payload bytes built by hand, independently of the code's structs: native
// little-endian integers, NUL-filled fixed text fields, channel lists and masks, and the
// operation log record as it travelled.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "loginfo.h"
#include "support/coresim.h"

namespace nvrtest {

class Bytes {
 public:
  Bytes& i32(int32_t v) { return u32(static_cast<uint32_t>(v)); }
  Bytes& u32(uint32_t v) {
    for (int i = 0; i < 4; ++i) b_.push_back(static_cast<char>(v >> (8 * i)));
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
  // A channel list of the core: 64 int32 channels (unused ones 0), then the count.
  Bytes& channel_list(const std::vector<int>& channels) {
    for (std::size_t i = 0; i < 64; ++i) i32(i < channels.size() ? channels[i] : 0);
    return i32(static_cast<int32_t>(channels.size()));
  }
  // A channel mask: two 32-bit words, low first.
  Bytes& channel_mask(uint64_t mask) {
    return u32(static_cast<uint32_t>(mask)).u32(static_cast<uint32_t>(mask >> 32));
  }
  std::string hex() const { return to_hex(b_); }
  const std::string& str() const { return b_; }
  operator std::string() const { return b_; }

 private:
  std::string b_;
};

// The payload of a journal entry as bytes.
inline std::string bytes_of(const JournalEntry& e) {
  auto b = e.bytes();
  return {b.begin(), b.end()};
}

// The operation log record a 3485 or 3509 message carried (zero when it is shorter).
inline OperationLogRecord log_record(const JournalEntry& e) {
  OperationLogRecord rec{};
  auto b = e.bytes();
  if (b.size() >= sizeof rec) std::memcpy(&rec, b.data(), sizeof rec);
  return rec;
}

}  // namespace nvrtest
