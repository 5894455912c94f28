// Partition record values of the boot environment (see partition_record.h).
#include "partition_record.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

// A reader over a record value that follows the scanning rules of the format: a blank
// in the format matches any run of white space, a field skips white space before it.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text_(text) {}

  void skip_space() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  [[nodiscard]] bool literal(std::string_view word) {
    if (text_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  // At most `width` non-blank characters.
  [[nodiscard]] bool word(size_t width, std::string* out) {
    skip_space();
    size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < width &&
           !std::isspace(static_cast<unsigned char>(text_[pos_])))
      ++pos_;
    *out = std::string(text_.substr(start, pos_ - start));
    return pos_ > start;
  }
  // At most `width` digits of `base`, the value within 32 bits.
  [[nodiscard]] bool number(int base, size_t width, uint32_t* out) {
    skip_space();
    uint64_t value = 0;
    size_t start = pos_;
    while (pos_ < text_.size() && pos_ - start < width) {
      int digit = digit_value(text_[pos_]);
      if (digit < 0 || digit >= base) break;
      value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
      ++pos_;
    }
    if (pos_ == start || value > UINT32_MAX) return false;
    *out = static_cast<uint32_t>(value);
    return true;
  }

 private:
  static int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

std::string format_partition_record(const PartitionRecord& record) {
  char value[128];
  std::snprintf(value, sizeof value, "name:%.*s\tver:0x%08x\tsize:%u\tdate:0x%08x ",
                static_cast<int>(strnlen(record.name, sizeof record.name)), record.name,
                record.version, record.size, record.date);
  return value;
}

PartitionRecord parse_partition_record(std::string_view value) {
  PartitionRecord record{};
  Scanner in(value);
  std::string name;
  if (!in.literal("name:") || !in.word(kPartitionNameSize - 1, &name)) return record;
  std::memcpy(record.name, name.c_str(), name.size() + 1);
  in.skip_space();
  if (!in.literal("ver:0x") || !in.number(16, 8, &record.version)) return record;
  in.skip_space();
  if (!in.literal("size:") || !in.number(10, 10, &record.size)) return record;
  in.skip_space();
  if (!in.literal("date:0x") || !in.number(16, 8, &record.date)) return record;
  return record;
}

bool parse_version_text(std::string_view text, uint32_t* version) {
  Scanner in(text);
  uint32_t packed = 0;
  for (int part = 0; part < 4; ++part) {
    uint32_t value = 0;
    if (part > 0 && !in.literal(".")) return false;
    if (!in.number(10, 2, &value)) return false;
    packed = packed << 8 | value;
  }
  *version = packed;
  return true;
}
