// The partition table on the boot environment of an emulated recorder: reading what
// flashsim lays out, records edited by hand, the boot loader version repair, command
// lines too long for the table, and the writes of records and of both boot names at once.
#include <algorithm>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "bootenv.h"
#include "bootenv_fixture.h"
#include "layout.h"
#include "partition_table.h"

namespace {

class PartitionTableTest : public envtest::EnvDeviceTest {
 protected:
  void SetUp() override {
    EnvDeviceTest::SetUp();
    ASSERT_EQ(env_init(), 0);
  }
  // The value the boot loader would read for `name` from flash.
  std::string on_flash(const std::string& name) const {
    std::optional<envtest::Vars> vars = boot_view();
    if (!vars) return "<no environment>";
    for (const std::string& v : *vars)
      if (v.rfind(name + "=", 0) == 0) return v.substr(name.size() + 1);
    return "<none>";
  }
};

TEST_F(PartitionTableTest, ReadsTheTableFlashsimLaysOut) {
  PartitionTable table;
  ASSERT_EQ(get_env_mtd_table(&table), 0);
  flashsim::LayoutOptions options;
  options.small = true;
  const auto parts = flashsim::recorder_partitions(options);
  ASSERT_EQ(parts.size(), kPartitionCount);
  for (size_t i = 0; i < kPartitionCount; ++i) {
    EXPECT_STREQ(table.records[i].name, g_part_str[i]);
    EXPECT_EQ(table.records[i].version, parts[i].version) << i;
    EXPECT_EQ(table.records[i].size, parts[i].content_size ? parts[i].content_size : parts[i].size);
    EXPECT_EQ(table.records[i].date, 0x07E70801u);
  }
  EXPECT_STREQ(table.bootargs, flashsim::layout_bootargs(1).c_str());
  EXPECT_STREQ(table.bootcmd, "nand read 0x1000000 ker1 0x800000;bootm 0x1000000");
}

TEST_F(PartitionTableTest, RecordsEditedByHandAndMissingOnes) {
  ASSERT_EQ(hs_setenv("logo", "name:logo\tver:0x4801zz"), 0);
  ASSERT_EQ(hs_setenv("oem", "garbage"), 0);
  const EnvChange remove[] = {{"cfg", std::nullopt}};
  ASSERT_EQ(hs_setenv_batch(remove), 0);
  PartitionTable table;
  ASSERT_EQ(get_env_mtd_table(&table), 0);
  struct Case {
    size_t index;
    const char* name;
    uint32_t version, size;
  };
  const Case cases[] = {
      {kPartLogo, "logo", 0x4801, 0},  // four hex digits read, then the parse stops
      {9, "oem", 0, 0},                // no readable name: the partition's own
      {8, "cfg", 0, 0},                // missing: the partition's own name, zeros
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(table.records[c.index].name, c.name);
    EXPECT_EQ(table.records[c.index].version, c.version) << c.name;
    EXPECT_EQ(table.records[c.index].size, c.size) << c.name;
    EXPECT_EQ(table.records[c.index].date, 0u) << c.name;
  }
  // A writer can record the missing partition under its name.
  table.records[8].size = 4096;
  ASSERT_EQ(set_env_partition(table.records[8]), 0);
  EXPECT_EQ(on_flash("cfg"), "name:cfg\tver:0x00000000\tsize:4096\tdate:0x00000000 ");
}

TEST_F(PartitionTableTest, BootLoaderVersionRepair) {
  struct Case {
    const char* what;
    const char* uboot_version;  // the record's "ver:" digits
    const char* ver;            // the "ver" variable, nullptr: absent
    uint32_t expected;
    bool written;
    const char* out;
  };
  const Case cases[] = {
      {"repaired", "48000000", "U-Boot 72.1.2.26 (Aug 01 2023)", 0x4801021A, true, ""},
      {"minor byte set", "48010119", "72.1.2.26", 0x48010119, false, ""},
      {"no 72. in the text", "48000000", "U-Boot 2016.11", 0x48000000, false, ""},
      {"no ver variable", "48000000", nullptr, 0x48000000, false, ""},
      {"unreadable text", "48000000", "72.x", 0x48000000, false,
       "uboot version format invalid, eg: xx.xx.xx.xx"},
      {"already right", "48000000", "72.0.0.0", 0x48000000, false, ""},
  };
  for (const Case& c : cases) {
    const std::string record =
        std::string("name:uboot\tver:0x") + c.uboot_version + "\tsize:262144\tdate:0x07e70801 ";
    const EnvChange setup[] = {
        {"uboot", record}, {"ver", c.ver ? std::optional<std::string_view>(c.ver) : std::nullopt}};
    ASSERT_EQ(hs_setenv_batch(setup), 0);
    const std::string dev = device();
    PartitionTable table;
    testing::internal::CaptureStdout();
    EXPECT_EQ(get_env_mtd_table(&table), 0) << c.what;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.out) << c.what;
    EXPECT_EQ(table.records[kPartUboot].version, c.expected) << c.what;
    if (c.written) {
      char expected[128];
      std::snprintf(expected, sizeof expected,
                    "name:uboot\tver:0x%08x\tsize:262144\tdate:0x07e70801 ", c.expected);
      EXPECT_EQ(on_flash("uboot"), expected) << c.what;
    } else {
      EXPECT_EQ(device(), dev) << c.what;
    }
  }
}

TEST_F(PartitionTableTest, CommandLinesTooLongForTheTableAreKeptNotCut) {
  const std::string args(600, 'a');
  ASSERT_EQ(set_ptb_cmdline(args.c_str()), 0);
  PartitionTable table;
  testing::internal::CaptureStderr();
  EXPECT_EQ(get_env_mtd_table(&table), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: \"bootargs\" is longer than 511 characters\n");
  EXPECT_STREQ(table.bootargs, "");
  EXPECT_STREQ(table.bootcmd, "nand read 0x1000000 ker1 0x800000;bootm 0x1000000");
  EXPECT_STREQ(table.records[kPartFs1].name, "fs1");
  EXPECT_EQ(hs_getenv("bootargs"), args);
  EXPECT_EQ(on_flash("bootargs"), args);

  // 511 characters still fit.
  ASSERT_EQ(set_ptb_cmdline(args.substr(0, 511).c_str()), 0);
  EXPECT_EQ(get_env_mtd_table(&table), 0);
  EXPECT_EQ(std::strlen(table.bootargs), 511u);

  // A table whose text fills its field has no terminator: refused, nothing written.
  std::memset(table.bootcmd, 'c', sizeof table.bootcmd);
  const std::string dev = device();
  EXPECT_EQ(set_env_cmdline(table), -1);
  EXPECT_EQ(device(), dev);
}

TEST_F(PartitionTableTest, BootNamesFlipInOneWrite) {
  PartitionTable table;
  ASSERT_EQ(get_env_mtd_table(&table), 0);
  std::strstr(table.bootargs, "=fs1")[3] = '2';
  std::strstr(table.bootcmd, "ker1")[3] = '2';
  const uint8_t generation = copy(0).generation;
  ASSERT_EQ(set_env_cmdline(table), 0);
  EXPECT_EQ(copy(0).generation, static_cast<uint8_t>(generation + 2));  // one write
  EXPECT_EQ(on_flash("bootargs"), flashsim::layout_bootargs(2));
  EXPECT_EQ(on_flash("bootcmd"), "nand read 0x1000000 ker2 0x800000;bootm 0x1000000");

  // Empty texts: nothing to write.
  table.bootargs[0] = table.bootcmd[0] = '\0';
  const std::string dev = device();
  EXPECT_EQ(set_env_cmdline(table), 0);
  EXPECT_EQ(device(), dev);
}

TEST_F(PartitionTableTest, WritesRecordsUnderTheirOwnNamesInOneWrite) {
  PartitionTable table;
  ASSERT_EQ(get_env_mtd_table(&table), 0);
  table.records[kPartKer2].version = 0x4801000A;
  table.records[kPartKer2].size = 5000;
  std::snprintf(table.records[kPartFs2].name, kPartitionNameSize, "%s", "other");
  table.records[kPartFs2].version = 0x48090099;
  const uint8_t generation = copy(0).generation;
  ASSERT_EQ(set_env_mtd_table(table), 0);
  EXPECT_EQ(copy(0).generation, static_cast<uint8_t>(generation + 2));
  EXPECT_EQ(on_flash("ker2"), "name:ker2\tver:0x4801000a\tsize:5000\tdate:0x07e70801 ");
  EXPECT_EQ(on_flash("fs2").find("0x48090099"), std::string::npos);  // not its own name
  EXPECT_EQ(on_flash("other"), "<none>");

  // One record under the name it holds.
  ASSERT_EQ(set_env_partition(table.records[kPartFs2]), 0);
  EXPECT_EQ(on_flash("other"), "name:other\tver:0x48090099\tsize:1048576\tdate:0x07e70801 ");
}

TEST_F(PartitionTableTest, PartitionNames) {
  char name[kPartitionNameSize];
  for (size_t i = 0; i < kPartitionCount; ++i) {
    ASSERT_EQ(get_part_name(i, name), 0);
    EXPECT_STREQ(name, g_part_str[i]);
  }
  EXPECT_EQ(get_part_name(11, name), -1);
  EXPECT_EQ(get_part_name(static_cast<size_t>(-1), name), -1);
}

TEST_F(PartitionTableTest, BootLoaderVersionFromTheCommandLine) {
  ASSERT_EQ(set_ptb_uboot_version("72.1.2.27"), 0);
  EXPECT_EQ(on_flash("uboot"), "name:uboot\tver:0x4801021b\tsize:262144\tdate:0x07e70801 ");
  const std::string dev = device();
  for (const char* bad : {"72.1.2", "version", ""}) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(set_ptb_uboot_version(bad), -1) << bad;
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "uboot version format invalid, eg: xx.xx.xx.xx");
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ(set_ptb_uboot_version(nullptr), -1);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(device(), dev);
}

}  // namespace
