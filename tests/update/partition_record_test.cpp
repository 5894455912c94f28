// Partition record values: the exact text written, and reading values that were edited
// by hand in the boot loader, field by field with bounded widths.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "partition_record.h"

namespace {

PartitionRecord record(const char* name, uint32_t size, uint32_t version, uint32_t date) {
  PartitionRecord r{};
  std::strcpy(r.name, name);
  r.size = size;
  r.version = version;
  r.date = date;
  return r;
}

TEST(PartitionRecord, FormatIsTheBootLoadersText) {
  EXPECT_EQ(format_partition_record(record("fs1", 41943040, 0x48090012, 0x07E70801)),
            "name:fs1\tver:0x48090012\tsize:41943040\tdate:0x07e70801 ");
  EXPECT_EQ(format_partition_record(record("", 0, 0, 0)),
            "name:\tver:0x00000000\tsize:0\tdate:0x00000000 ");
  // The longest name still fits the 127 characters of a value.
  PartitionRecord longest = record("", UINT32_MAX, UINT32_MAX, UINT32_MAX);
  std::memset(longest.name, 'n', sizeof longest.name);  // even without a terminator
  EXPECT_EQ(format_partition_record(longest),
            "name:" + std::string(32, 'n') + "\tver:0xffffffff\tsize:4294967295\tdate:0xffffffff ");
}

TEST(PartitionRecord, ParsesWhatItCanAndLeavesTheRestZero) {
  struct Case {
    std::string value;
    std::string name;
    uint32_t size, version, date;
  };
  const Case cases[] = {
      {"name:ker1\tver:0x48010009\tsize:262144\tdate:0x07e70801 ", "ker1", 262144, 0x48010009,
       0x07E70801},
      {"name:ker1 ver:0x48010009  size:1 date:0x1", "ker1", 1, 0x48010009, 1},  // any blanks
      {"name:ker1\tver:0x4801000", "ker1", 0, 0x4801000, 0},
      {"name:ker1\tver:zz\tsize:5", "ker1", 0, 0, 0},
      {"name:ker1\tsize:5", "ker1", 0, 0, 0},
      {"garbage", "", 0, 0, 0},
      {"", "", 0, 0, 0},
      {"name:", "", 0, 0, 0},
      // Nine hex digits: eight are read, the ninth stops the parse.
      {"name:a\tver:0x123456789\tsize:5\tdate:0x1", "a", 0, 0x12345678, 0},
      // A size above 32 bits stops the parse rather than wrapping.
      {"name:a\tver:0x1\tsize:4294967296\tdate:0x1", "a", 0, 1, 0},
      {"name:a\tver:0x1\tsize:4294967295\tdate:0x1", "a", UINT32_MAX, 1, 1},
      {"name:a\tver:0x1\tsize:-5\tdate:0x1", "a", 0, 1, 0},
      // A name longer than the field: 31 characters, and nothing after it matches.
      {"name:" + std::string(40, 'n') + "\tver:0x1\tsize:1\tdate:0x1", std::string(31, 'n'), 0, 0,
       0},
  };
  for (const Case& c : cases) {
    PartitionRecord r = parse_partition_record(c.value);
    EXPECT_EQ(std::string(r.name), c.name) << c.value;
    EXPECT_EQ(r.size, c.size) << c.value;
    EXPECT_EQ(r.version, c.version) << c.value;
    EXPECT_EQ(r.date, c.date) << c.value;
  }
}

TEST(PartitionRecord, FormatAndParseAgree) {
  PartitionRecord r = record("baseparam", 8192, 0x48010001, 0x07E7090C);
  PartitionRecord back = parse_partition_record(format_partition_record(r));
  EXPECT_STREQ(back.name, "baseparam");
  EXPECT_EQ(back.size, r.size);
  EXPECT_EQ(back.version, r.version);
  EXPECT_EQ(back.date, r.date);
}

TEST(PartitionRecord, BootLoaderVersionText) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t version;
  };
  const Case cases[] = {
      {"72.1.2.26", true, 0x4801021A},
      {"72.1.2.26 (Aug 1 2023)", true, 0x4801021A},
      {"72.01.02.26", true, 0x4801021A},
      {"72.1.2", false, 0},
      {"72.1.2.", false, 0},
      {"72.123.1.1", false, 0},  // two digits at most
      {"72.-1.2.3", false, 0},
      {"x72.1.2.3", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t v = 0;
    EXPECT_EQ(parse_version_text(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.version) << c.text;
    }
  }
}

}  // namespace
