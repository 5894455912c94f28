// The partition records of the boot environment: one variable per flash partition,
// named after it, whose value tells the installed image's name, version, size and date
// ("name:fs1\tver:0x48090012\tsize:41943040\tdate:0x07e70801 "). The store on flash
// (partition_table.h) and the flash emulation's factory layout share this format.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

inline constexpr size_t kPartitionCount = 11;
inline constexpr size_t kPartitionNameSize = 32;  // terminator included

// The partitions in the order of their records (index = record index = mtd number).
inline constexpr std::array<const char*, kPartitionCount> g_part_str = {
    "uboot", "env", "baseparam", "logo", "ker1", "ker2", "fs1", "fs2", "cfg", "oem", "rsd"};

// Index of a partition name in g_part_str, or -1.
inline int partition_index(std::string_view name) {
  for (size_t i = 0; i < kPartitionCount; ++i)
    if (name == g_part_str[i]) return static_cast<int>(i);
  return -1;
}

// Indexes of the records that the update run and the repair of the boot loader version use.
inline constexpr size_t kPartUboot = 0, kPartBaseparam = 2, kPartLogo = 3;
inline constexpr size_t kPartKer1 = 4, kPartKer2 = 5, kPartFs1 = 6, kPartFs2 = 7;

struct PartitionRecord {
  char name[kPartitionNameSize];  // NUL-terminated
  uint32_t size;                  // bytes
  uint32_t version;               // packed (see version.h)
  uint32_t date;                  // year << 16 | month << 8 | day
};
static_assert(std::is_trivially_copyable_v<PartitionRecord>);

// The value of a record's variable; the format keeps it under 128 characters.
std::string format_partition_record(const PartitionRecord& record);

// Reads a record's value field by field as the format gives them; a field that does not
// match, and every field after it, stays 0 (the name: empty). The name takes at most 31
// characters; a longer one, a number with too many digits or above 32 bits ends the
// parse there.
PartitionRecord parse_partition_record(std::string_view value);

// The boot loader's version text "72.1.2.26" (four dotted parts of one or two digits;
// text after them is ignored) as a packed version. False when it does not read so.
[[nodiscard]] bool parse_version_text(std::string_view text, uint32_t* version);
