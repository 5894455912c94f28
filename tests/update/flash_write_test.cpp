// The flash writers on the emulated flash: what ends up in the partition (read back
// around its bad blocks), the exact messages, what is refused before anything is erased,
// bad blocks met, grown and too many, the CRC-32 proof of the written bytes, power cuts,
// and that only a complete write is recorded (the boot environment device is never
// touched by a writer). Also the device lookup and the cache flush.
#include "flash_write.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "capture.h"
#include "flash_model.h"
#include "image_bytes.h"
#include "nvr_root.h"
#include "recorder_fixture.h"

namespace {

constexpr uint32_t kBlock = 128 * 1024, kPage = 2048;
constexpr uint32_t kNorBlock = 64 * 1024;
constexpr uint32_t kVersion = 0x4801000B, kDate = 0x07E80102;

std::string hex8(uint32_t v) {
  char text[11];
  std::snprintf(text, sizeof text, "0x%08x", v);
  return text;
}

class FlashWriteTest : public RecorderTest {
 protected:
  // An image file whose only content is `record` at offset 2048.
  std::string image(const std::string& record) {
    root_.write("/dev/shm/w.img", std::string(2048, '\0') + record);
    return root_.at("/dev/shm/w.img");
  }

  static WritePlanEntry entry(const char* device, const char* name, const std::string& record,
                              int pad = 1) {
    WritePlanEntry e{};
    std::snprintf(e.device, sizeof e.device, "%s", device);
    std::snprintf(e.name, sizeof e.name, "%s", name);
    ImageRecord r{};
    r.offset = 2048;
    r.size = static_cast<uint32_t>(record.size());
    r.version = kVersion;
    r.date = kDate;
    r.flag = 1;
    r.crc32 = reference_crc(record);
    fill_plan_entry(r, &e);
    e.pad = pad;
    return e;
  }

  void add_flash_settings(const std::string& device, const std::string& lines) {
    root_.write(device + ".flash", root_.read(device + ".flash") + lines);
  }

  std::set<uint64_t> bad_blocks(const std::string& device) {
    flashsim::SideFile side;
    std::string error;
    EXPECT_TRUE(flashsim::load_side_file(root_.at(device + ".flash"), &side, &error)) << error;
    return side.bad;
  }

  // The partition's bytes in its good blocks, in order: what a reader that skips bad
  // blocks sees.
  std::string good_blocks(const std::string& device) {
    std::string raw = root_.read(device), out;
    std::set<uint64_t> bad = bad_blocks(device);
    for (uint64_t b = 0; b * kBlock < raw.size(); ++b)
      if (bad.count(b) == 0) out += raw.substr(b * kBlock, kBlock);
    return out;
  }

  Outcome nand(const std::string& record_image, const WritePlanEntry& e) {
    return capture(
        [&] { return nand_flash_write_file(record_image.c_str(), e, env_.interface()); });
  }
  Outcome spi(const std::string& record_image, const WritePlanEntry& e) {
    return capture([&] { return spi_flash_write_file(record_image.c_str(), e, env_.interface()); });
  }

  // The record followed by erased flash up to `size`.
  static std::string padded(const std::string& record, size_t size) {
    return record + std::string(size - record.size(), '\xFF');
  }
  FakeBootRecords::Recorded recorded(size_t index, const std::string& record) {
    return {index, static_cast<uint32_t>(record.size()), kVersion, kDate};
  }
};

TEST_F(FlashWriteTest, NandWriteErasesWritesAndRecords) {
  root_.write("/dev/mtd5", std::string(1 << 20, '\0'));  // old content: all bits programmed
  const std::string env_before = root_.read("/dev/mtd1");
  const std::string record = content(300000, 1);
  Outcome o = nand(image(record), entry("/dev/mtd5", "ker2", record));
  EXPECT_EQ(o.result, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_NE(
      o.out.find("image_length = 0x000493e0\nimage_crc = " + hex8(reference_crc(record)) + "\n"),
      std::string::npos)
      << o.out;
  EXPECT_EQ(root_.read("/dev/mtd5"), padded(record, 1 << 20));
  EXPECT_EQ(env_.recorded, (std::vector{recorded(5, record)}));
  EXPECT_EQ(root_.read("/dev/mtd1"), env_before);
}

TEST_F(FlashWriteTest, NandPadsTheLastPageOnAnyKnownPageLayout) {
  struct Case {
    uint32_t oob, page;
  };
  for (const Case& c : {Case{60, 2048}, Case{64, 2048}, Case{16, 512}, Case{8, 256}}) {
    root_.write("/dev/mtd5.flash", "type 4\nerasesize 131072\nwritesize " + std::to_string(c.page) +
                                       "\noobsize " + std::to_string(c.oob) + "\n");
    env_.recorded.clear();
    // 5000 bytes: on 2048-byte pages the third page holds 904 bytes and 1144 bytes 0xFF.
    const std::string record = content(5000, c.page);
    Outcome o = nand(image(record), entry("/dev/mtd5", "ker2", record));
    EXPECT_EQ(o.result, 0) << c.page << o.err;
    EXPECT_EQ(root_.read("/dev/mtd5").substr(0, 6144), padded(record, 6144)) << c.page;
    EXPECT_EQ(env_.recorded.size(), 1u);
  }
}

TEST_F(FlashWriteTest, NandRefusesBeforeErasing) {
  const std::string before = root_.read("/dev/mtd5");
  const std::string record = content(4 * kPage, 2);
  struct Case {
    const char* what;
    WritePlanEntry e;
    std::string image_bytes;  // the record to put in the image
    const char* side;         // settings of /dev/mtd5.flash, "" to keep them
    std::string err;          // exact standard error
  };
  WritePlanEntry unaligned = entry("/dev/mtd5", "ker2", record.substr(0, 5000), 0);
  WritePlanEntry outside = entry("/dev/mtd5", "ker2", record);
  outside.size += 1;
  WritePlanEntry wrapping = entry("/dev/mtd5", "ker2", record);
  wrapping.offset = 0xFFFFF800;
  WritePlanEntry empty = entry("/dev/mtd5", "ker2", "");
  WritePlanEntry bad_path = entry("/dev/mtd5 ; reboot", "ker2", record);
  WritePlanEntry missing = entry("/dev/mtd42", "ker2", record);
  const std::string partial = "Data was only partially written due to error\n";
  const std::string big = content((1 << 20) + 1, 3);
  const Case cases[] = {
      {"large pages", entry("/dev/mtd5", "ker2", record), record,
       "type 4\nerasesize 131072\nwritesize 4096\noobsize 128\n",
       "Unknown flash (not normal NAND)\n"},
      {"no pad switch", unaligned, record.substr(0, 5000), "",
       "Input file is not page aligned\n" + partial},
      {"larger than the partition", entry("/dev/mtd5", "ker2", big), big, "",
       "Image 1048577 bytes, NAND page 2048 bytes, OOB area 64 bytes, device size 1048576 bytes\n"
       "Input file does not fit into device: File too large\n" +
           partial},
      {"one byte past the image", outside, record, "",
       "Record of 0x00002001 bytes at 0x00000800 lies outside the image (10240 bytes)\n" + partial},
      {"wrapping around 4 GiB", wrapping, record, "",
       "Record of 0x00002000 bytes at 0xFFFFF800 lies outside the image (10240 bytes)\n" + partial},
      {"no content (its checksum, 0, would match)", empty, record, "",
       "Record of 0x00000000 bytes at 0x00000800 lies outside the image (10240 bytes)\n" + partial},
      {"device path with more than a device", bad_path, record, "", "open flash: No such device\n"},
      {"no such device", missing, record, "", "open flash: No such file or directory\n"},
  };
  const std::string side_before = root_.read("/dev/mtd5.flash");
  for (const Case& c : cases) {
    root_.write("/dev/mtd5.flash", *c.side != '\0' ? std::string(c.side) : side_before);
    Outcome o = nand(image(c.image_bytes), c.e);
    EXPECT_EQ(o.result, -1) << c.what;
    EXPECT_EQ(o.err, c.err) << c.what;
    EXPECT_EQ(root_.read("/dev/mtd5"), before) << c.what;
  }
  Outcome o = nand(root_.at("/dev/shm/none.img"), entry("/dev/mtd5", "ker2", record));
  EXPECT_EQ(o.err, "open input file: No such file or directory\n" + partial);
  EXPECT_TRUE(env_.recorded.empty());
}

TEST_F(FlashWriteTest, NandEraseFailureStopsTheWrite) {
  add_flash_settings("/dev/mtd5", "eraseall_fail 1\n");
  const std::string record = content(kBlock, 4);
  Outcome o = nand(image(record), entry("/dev/mtd5", "ker2", record));
  EXPECT_EQ(o.result, -1);
  const std::string tail =
      "Fail on erase mtd device!\nData was only partially written due to error\n";
  ASSERT_GE(o.err.size(), tail.size());
  EXPECT_EQ(o.err.substr(o.err.size() - tail.size()), tail);
  EXPECT_TRUE(env_.recorded.empty());
}

TEST_F(FlashWriteTest, NandSkipsFactoryBadBlocks) {
  // Two bad blocks in a row at a block boundary, and one more further on.
  add_flash_settings("/dev/mtd5", "bad 1\nbad 2\nbad 5\n");
  const std::string record = content(3 * kBlock + 5000, 5);
  Outcome o = nand(image(record), entry("/dev/mtd5", "ker2", record));
  EXPECT_EQ(o.result, 0) << o.err;
  EXPECT_EQ(o.err,
            "Bad block at 20000, 1 block(s) from 20000 will be skipped\n"
            "Bad block at 40000, 1 block(s) from 40000 will be skipped\n"
            "Bad block at a0000, 1 block(s) from a0000 will be skipped\n");
  EXPECT_EQ(good_blocks("/dev/mtd5"), padded(record, 5 * kBlock));
  EXPECT_EQ(bad_blocks("/dev/mtd5"), (std::set<uint64_t>{1, 2, 5}));
  EXPECT_EQ(env_.recorded, (std::vector{recorded(5, record)}));
}

TEST_F(FlashWriteTest, NandPageFailingReadBackCostsItsBlock) {
  struct Case {
    const char* what;
    const char* fault;
    uint64_t lost_block;
  };
  const Case cases[] = {
      {"bit flip in the middle of block 1", "bit_flip 74\n", 1},  // page 10 of block 1
      {"block 2 wears out at its first page", "grow_bad 2\n", 2},
  };
  for (const Case& c : cases) {
    root_.write("/dev/mtd5.flash", "type 4\nerasesize 131072\nwritesize 2048\noobsize 64\n");
    add_flash_settings("/dev/mtd5", c.fault);
    env_.recorded.clear();
    const std::string record = content(3 * kBlock, 6);
    Outcome o = nand(image(record), entry("/dev/mtd5", "ker2", record));
    EXPECT_EQ(o.result, 0) << c.what << o.err;
    EXPECT_EQ(o.err, "") << c.what;
    // Marked bad and kept so: read again from the side file.
    EXPECT_EQ(bad_blocks("/dev/mtd5"), (std::set<uint64_t>{c.lost_block})) << c.what;
    // The lost block's data went again, from its first page, into the next block.
    EXPECT_EQ(good_blocks("/dev/mtd5"), padded(record, 7 * kBlock)) << c.what;
    EXPECT_NE(o.out.find("image_crc = " + hex8(reference_crc(record)) + "\n"), std::string::npos);
    EXPECT_EQ(env_.recorded, (std::vector{recorded(5, record)})) << c.what;
  }
}

TEST_F(FlashWriteTest, NandWithMoreBadBlocksThanSpareRoomFails) {
  const std::string env_before = root_.read("/dev/mtd1");
  // Six blocks of data, five good blocks left; then the same with a block that goes bad
  // during the write.
  for (const char* faults : {"bad 2\nbad 3\nbad 4\n", "bad 2\nbad 3\nbit_flip 300\n"}) {
    root_.write("/dev/mtd5.flash", "type 4\nerasesize 131072\nwritesize 2048\noobsize 64\n");
    add_flash_settings("/dev/mtd5", faults);
    const std::string record = content(6 * kBlock, 7);
    Outcome o = nand(image(record), entry("/dev/mtd5", "ker2", record));
    EXPECT_EQ(o.result, -1) << faults;
    const std::string tail = "Data was only partially written due to error\n";
    ASSERT_GE(o.err.size(), tail.size());
    EXPECT_EQ(o.err.substr(o.err.size() - tail.size()), tail) << faults;
    EXPECT_EQ(o.out.find("image_crc"), std::string::npos);
    EXPECT_TRUE(env_.recorded.empty());
    EXPECT_EQ(root_.read("/dev/mtd1"), env_before);
  }
}

TEST_F(FlashWriteTest, WrittenBytesMustMatchTheRecordChecksum) {
  // The image was changed after it was verified: the record's checksum is the old one.
  const std::string verified = content(2 * kPage, 8);
  std::string changed = verified;
  changed[100] ^= 0x20;
  WritePlanEntry e = entry("/dev/mtd5", "ker2", verified);
  Outcome o = nand(image(changed), e);
  EXPECT_EQ(o.result, -1);
  EXPECT_NE(o.out.find("image_crc = " + hex8(reference_crc(changed)) + "\n"), std::string::npos);
  EXPECT_EQ(o.err, "image_crc " + hex8(reference_crc(changed)) +
                       " differs from the record's crc32 " + hex8(reference_crc(verified)) + "\n");
  WritePlanEntry n = entry("/dev/mtd0", "uboot", verified);
  o = spi(image(changed), n);
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.err, "image_crc " + hex8(reference_crc(changed)) +
                       " differs from the record's crc32 " + hex8(reference_crc(verified)) + "\n");
  EXPECT_TRUE(env_.recorded.empty());
}

TEST_F(FlashWriteTest, RecordingTheNewContent) {
  const std::string record = content(kPage, 9);
  struct Case {
    const char* name;
    int record_result;
    std::string nand_err, spi_err;
  };
  const Case cases[] = {
      {"kernel", 0, "Not valid image, exit without update ptb!\n",
       "Not valid image, exit without update ptb!\n"},
      {"", kRecordTableUnreadable, "flprog_get_part_table faild!\n",
       "flprog_get_part_table faild!\n"},
      {"", kRecordWriteFailed, "set_env_partition faild!\n", "flprog_set_part_table faild!\n"},
  };
  for (const Case& c : cases) {
    env_.record_result = c.record_result;
    Outcome o = nand(image(record), entry("/dev/mtd5", *c.name ? c.name : "ker2", record));
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.err, c.nand_err);
    EXPECT_EQ(root_.read("/dev/mtd5").substr(0, kPage), record);  // the data went to flash
    o = spi(image(record), entry("/dev/mtd0", *c.name ? c.name : "uboot", record));
    EXPECT_EQ(o.result, -1);
    EXPECT_EQ(o.err, c.spi_err);
  }
  EXPECT_TRUE(env_.recorded.empty());
}

// Forks a writer that the emulation kills at its k-th flash operation. The child's
// record hook leaves "/tmp/recorded" when it runs. True when the child was killed.
bool write_with_power_cut(const std::string& img, const WritePlanEntry& e, uint64_t k,
                          const std::string& log) {
  pid_t pid = fork();
  if (pid == 0) {
    setenv("NVR_FLASH_POWER_CUT", std::to_string(k).c_str(), 1);
    flashsim::reset_operation_count();
    if (std::freopen(log.c_str(), "w", stdout) == nullptr ||
        std::freopen(log.c_str(), "a", stderr) == nullptr)
      _exit(3);
    BootRecords records;
    records.record_partition = [](void*, size_t, uint32_t, uint32_t, uint32_t) {
      std::FILE* f = std::fopen(nvr_path("/tmp/recorded").c_str(), "w");
      if (f != nullptr) std::fclose(f);
      return 0;
    };
    _exit(nand_flash_write_file(img.c_str(), e, records) == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST_F(FlashWriteTest, PowerCutDuringANandWrite) {
  const std::string env_before = root_.read("/dev/mtd1");
  const std::string record = content(150 * kPage, 10);  // 150 page programs
  const std::string img = image(record);
  const WritePlanEntry e = entry("/dev/mtd5", "ker2", record);
  // Page 74 flips a bit: program 75 is that page, operation 76 marks block 1 bad.
  for (const char* fault : {"", "bit_flip 74\n"}) {
    for (uint64_t k : {1, 2, 64, 65, 75, 76, 77, 150}) {
      root_.write("/dev/mtd5.flash",
                  std::string("type 4\nerasesize 131072\nwritesize 2048\noobsize 64\n") + fault);
      std::remove(root_.at("/tmp/recorded").c_str());
      EXPECT_TRUE(write_with_power_cut(img, e, k, root_.at("/tmp/cut.log"))) << k << " " << fault;
      EXPECT_FALSE(root_.exists("/tmp/recorded")) << k;
      EXPECT_EQ(root_.read("/dev/mtd1"), env_before) << k;
      // The next run writes the whole record over whatever the cut left.
      env_.recorded.clear();
      Outcome o = nand(img, e);
      EXPECT_EQ(o.result, 0) << k << " " << fault << o.err;
      EXPECT_EQ(good_blocks("/dev/mtd5").substr(0, record.size()), record) << k << " " << fault;
      EXPECT_EQ(env_.recorded.size(), 1u);
    }
  }
  // One operation more than the write needs: it completes and is recorded.
  root_.write("/dev/mtd5.flash", "type 4\nerasesize 131072\nwritesize 2048\noobsize 64\n");
  EXPECT_FALSE(write_with_power_cut(img, e, 151, root_.at("/tmp/cut.log")));
  EXPECT_TRUE(root_.exists("/tmp/recorded"));
}

TEST_F(FlashWriteTest, NorWriteErasesOnlyWhatItNeeds) {
  const std::string before = root_.read("/dev/mtd0");
  const std::string env_before = root_.read("/dev/mtd1");
  const std::string record = content(100000, 11);  // two 64 KiB blocks, the second partly
  Outcome o = spi(image(record), entry("/dev/mtd0", "uboot", record));
  EXPECT_EQ(o.result, 0) << o.err;
  EXPECT_EQ(o.err, "");
  std::string now = root_.read("/dev/mtd0");
  EXPECT_EQ(now.substr(0, 2 * kNorBlock), padded(record, 2 * kNorBlock));
  EXPECT_EQ(now.substr(2 * kNorBlock), before.substr(2 * kNorBlock));
  EXPECT_EQ(env_.recorded, (std::vector{recorded(0, record)}));
  EXPECT_EQ(root_.read("/dev/mtd1"), env_before);
}

TEST_F(FlashWriteTest, NorFailures) {
  const std::string record = content(3 * 10240 + 77, 12);
  const std::string partial = "Data was only partially written due to error\n";
  WritePlanEntry not_mtd = entry("/dev/sda1", "uboot", record);
  const std::string big = content(512 * 1024 + 1, 13);
  struct Case {
    const char* what;
    const char* fault;  // added to /dev/mtd0.flash
    WritePlanEntry e;
    std::string image_bytes;
    std::string out, err;
    bool erased;  // the first block was erased
  };
  const Case cases[] = {
      {"larger than the partition", "", entry("/dev/mtd0", "uboot", big), big, "",
       "The image length > mtd size ! \n", false},
      {"not an MTD device", "", not_mtd, record, "",
       "This doesn't seem to be a valid MTD flash device! \n", false},
      {"erase fails", "erase_fail 0\n", entry("/dev/mtd0", "uboot", record), record,
       "Fail erasing blocks from 0x00000000-0x00010000 on /dev/mtd0 \n", "", false},
      {"locked", "locked 0\n", entry("/dev/mtd0", "uboot", record), record,
       "Fail erasing blocks from 0x00000000-0x00010000 on /dev/mtd0 \n", "", false},
      {"write fails", "program_fail 20000\n", entry("/dev/mtd0", "uboot", record), record, "",
       "Write image count error, reault = [0xffffffff] ! \n" + partial, true},
      {"flash keeps a wrong bit", "bit_flip 25000\n", entry("/dev/mtd0", "uboot", record), record,
       "", "File does not seem to match flash data. \n" + partial, true},
  };
  const std::string side = root_.read("/dev/mtd0.flash");
  for (const Case& c : cases) {
    const std::string before = content(512 * 1024, 14);
    root_.write("/dev/mtd0", before);
    root_.write("/dev/mtd0.flash", side + c.fault);
    Outcome o = spi(image(c.image_bytes), c.e);
    EXPECT_EQ(o.result, -1) << c.what;
    EXPECT_EQ(o.out, c.out) << c.what;
    EXPECT_EQ(o.err, c.err) << c.what;
    EXPECT_EQ(root_.read("/dev/mtd0").substr(0, kNorBlock) != before.substr(0, kNorBlock), c.erased)
        << c.what;
  }
  root_.write("/dev/mtd0.flash", side);
  Outcome o = spi(root_.at("/dev/shm/none.img"), entry("/dev/mtd0", "uboot", record));
  EXPECT_EQ(o.err, "Open image failed ! \n");
  EXPECT_TRUE(env_.recorded.empty());
}

TEST_F(FlashWriteTest, DeviceLookupMatchesQuotedNamesExactly) {
  std::array<MtdEntry, kPartitionCount> entries;
  ASSERT_EQ(get_mtd_info(entries), 0);
  for (size_t i = 0; i < kPartitionCount; ++i) {
    EXPECT_EQ(std::string(entries[i].device), "/dev/mtd" + std::to_string(i));
    EXPECT_EQ(std::string(entries[i].name), g_part_str[i]);
  }
  root_.write("/proc/mtd",
              "dev:    size   erasesize  name\n"
              "mtd0: 00080000 00010000 \"uboot\"\n"
              "mtd3: 00200000 00020000 \"fs1x\"\n"
              "mtd4: 00200000 00020000 \"oldker1\"\n"
              "mtd9: 00200000 00020000 \"fs1\"\n"
              "../../etc: 00200000 00020000 \"fs2\"\n"
              "mtd12: 00200000 00020000 \"fs2\"\n"
              "mtd5: 00100000 00020000 \"ker1\"\n"
              "mtd6: 00100000 00020000 \"ker2\"\n"
              "mtd2: 00040000 00020000 \"baseparam\"\n"
              "mtd7: 00040000 00020000 \"logo\"\n"
              "mtd8: 00040000 00020000 \"logo\"\n");
  ASSERT_EQ(get_mtd_info(entries), 0);
  const char* expected[] = {"/dev/mtd0", "",          "/dev/mtd2", "/dev/mtd7",
                            "/dev/mtd5", "/dev/mtd6", "/dev/mtd9", "/dev/mtd12",
                            "",          "",          ""};
  for (size_t i = 0; i < kPartitionCount; ++i) EXPECT_STREQ(entries[i].device, expected[i]) << i;

  root_.write("/proc/mtd", "mtd0: 00080000 00010000 \"uboot\"\nmtd4: 00100000 00020000 \"ker1\"\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(get_mtd_info(entries), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "No partition \"baseparam\" in /proc/mtd\nNo partition \"logo\" in /proc/mtd\n"
            "No partition \"ker2\" in /proc/mtd\nNo partition \"fs1\" in /proc/mtd\n"
            "No partition \"fs2\" in /proc/mtd\n");
  std::remove(root_.at("/proc/mtd").c_str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(get_mtd_info(entries), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "open /proc/mtd: No such file or directory\n");
}

TEST_F(FlashWriteTest, CleanMemoryDropsTheCaches) {
  EXPECT_EQ(clean_memory_and_sync(), 0);
  EXPECT_EQ(root_.read("/proc/sys/vm/drop_caches"), "3\n");
  std::remove(root_.at("/proc/sys/vm/drop_caches").c_str());
  testing::internal::CaptureStderr();
  EXPECT_EQ(clean_memory_and_sync(), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "clean memory error!\n");
}

}  // namespace
