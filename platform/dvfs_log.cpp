// The detail packing of the log library (see dvfs_log.h for the encoding).
#include "dvfs_log.h"

#include <cstdint>
#include <cstring>

#include "loginfo.h"

namespace {

void store_le32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t load_le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

int dvfs_log_pack_detail(OperationLogRecord* record, int kind, const void* detail, int length) {
  if (record == nullptr || (detail == nullptr && length > 0) || length < 0 ||
      static_cast<std::size_t>(length) > kLogDetailCapacity)
    return -1;
  std::memset(record->detail, 0, sizeof record->detail);
  store_le32(record->detail, static_cast<uint32_t>(kind));
  store_le32(record->detail + 4, static_cast<uint32_t>(length));
  if (length > 0) std::memcpy(record->detail + 8, detail, static_cast<std::size_t>(length));
  return 0;
}

int dvfs_log_unpack_detail(const unsigned char (&field)[512], int* kind, void* out,
                           std::size_t capacity) {
  uint32_t length = load_le32(field + 4);
  if (length > kLogDetailCapacity) return -1;
  if (kind != nullptr) *kind = static_cast<int>(load_le32(field));
  if (out != nullptr) {
    std::size_t n = length < capacity ? length : capacity;
    std::memcpy(out, field + 8, n);
  }
  return static_cast<int>(length);
}
