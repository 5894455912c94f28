// update's platform layer under emulation: MTD calls on a laid-out recorder, commands
// kept inside the root, the stand-in programs, hardware identifications, and refusal of
// anything that could reach the host.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "board.h"
#include "hwid.h"
#include "layout.h"
#include "mtd.h"
#include "nvr_root.h"
#include "nvr_shell.h"
#include "shell.h"
#include "support/process.h"
#include "support/temp_root.h"

namespace {

class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    flashsim::LayoutOptions options;
    options.small = true;
    options.tool_path = nvrtest::bin_path("flashsim");
    std::string error;
    ASSERT_TRUE(flashsim::create_recorder(root_.path(), options, &error)) << error;
    setenv("NVR_ROOT", root_.path().c_str(), 1);
  }
  // Back to the private root every test process starts with.
  void TearDown() override { setenv("NVR_ROOT", saved_root_.c_str(), 1); }
  const std::string saved_root_ = std::getenv("NVR_ROOT") != nullptr ? std::getenv("NVR_ROOT") : "";
  nvrtest::TempRoot root_;
};

TEST_F(PlatformTest, RootResolution) {
  EXPECT_TRUE(nvr_emulated());
  EXPECT_EQ(nvr_path("/dev/mtd1"), root_.path() + "/dev/mtd1");
  EXPECT_EQ(nvr_path("relative/x"), "relative/x");
  setenv("NVR_ROOT", (root_.path() + "///").c_str(), 1);
  EXPECT_EQ(nvr_root(), root_.path());
  for (const char* board : {"", "/"}) {
    setenv("NVR_ROOT", board, 1);
    EXPECT_FALSE(nvr_emulated()) << board;
    EXPECT_EQ(nvr_path("/dev/mtd1"), "/dev/mtd1");
  }
}

TEST_F(PlatformTest, MtdInformationOfNorAndNand) {
  struct Case {
    const char* dev;
    uint8_t type;
    uint32_t size, erasesize, writesize, oobsize;
  };
  const Case cases[] = {
      {"/dev/mtd1", kMtdNorFlash, 0x20000, 0x10000, 1, 0},
      {"/dev/mtd4", kMtdNandFlash, 0x100000, 0x20000, 2048, 64},
  };
  for (const Case& c : cases) {
    int fd = mtd_open(c.dev, O_RDONLY);
    ASSERT_GE(fd, 0) << c.dev;
    MtdInfo info;
    ASSERT_EQ(mtd_get_info(fd, &info), 0);
    EXPECT_EQ(info.type, c.type);
    EXPECT_EQ(info.size, c.size);
    EXPECT_EQ(info.erasesize, c.erasesize);
    EXPECT_EQ(info.writesize, c.writesize);
    EXPECT_EQ(info.oobsize, c.oobsize);
    EXPECT_EQ(mtd_close(fd), 0);
  }
}

TEST_F(PlatformTest, MtdEraseProgramReadAndBadBlocks) {
  int fd = mtd_open("/dev/mtd5", O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(mtd_erase(fd, 0x20000, 0x20000), 0);
  std::vector<uint8_t> page(2048, 0x42), back(2048);
  EXPECT_EQ(mtd_pwrite(fd, page.data(), 2048, 0x20000), 2048);
  EXPECT_EQ(mtd_pread(fd, back.data(), 2048, 0x20000), 2048);
  EXPECT_EQ(back, page);
  EXPECT_EQ(mtd_pwrite(fd, page.data(), 100, 0x20800), -1);
  EXPECT_EQ(errno, EINVAL);

  // Sequential access at the handle's position.
  ASSERT_EQ(mtd_seek(fd, 0x21000, SEEK_SET), 0x21000);
  EXPECT_EQ(mtd_write(fd, page.data(), 2048), 2048);
  EXPECT_EQ(mtd_seek(fd, 0, SEEK_CUR), 0x21800);
  ASSERT_EQ(mtd_seek(fd, 0x21000, SEEK_SET), 0x21000);
  EXPECT_EQ(mtd_read(fd, back.data(), 2048), 2048);
  EXPECT_EQ(back, page);

  EXPECT_EQ(mtd_get_bad_block(fd, 0x40000), 0);
  EXPECT_EQ(mtd_set_bad_block(fd, 0x40000), 0);
  EXPECT_EQ(mtd_get_bad_block(fd, 0x40000), 1);
  EXPECT_EQ(mtd_get_bad_block(fd, -1), -1);
  EXPECT_EQ(mtd_lock(fd, 0, 0x20000), -1);  // NAND: no locks
  EXPECT_EQ(errno, EOPNOTSUPP);
  EXPECT_EQ(mtd_close(fd), 0);
}

TEST_F(PlatformTest, EnvironmentDeviceIsLockedUntilUnlocked) {
  int fd = mtd_open("/dev/mtd1", O_RDWR);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(mtd_erase(fd, 0x10000, 0x10000), -1);
  EXPECT_EQ(errno, EPERM);
  ASSERT_EQ(mtd_unlock(fd, 0x10000, 0x10000), 0);
  EXPECT_EQ(mtd_erase(fd, 0x10000, 0x10000), 0);
  EXPECT_EQ(mtd_lock(fd, 0x10000, 0x10000), 0);
  EXPECT_EQ(mtd_close(fd), 0);
}

TEST_F(PlatformTest, EmulationNeverOpensAnythingButRegularFilesUnderAFolderOfItsOwn) {
  // The host's root reached through dot segments.
  setenv("NVR_ROOT", "/tmp/..", 1);
  EXPECT_TRUE(nvr_emulated());
  EXPECT_TRUE(nvr_root_is_host());
  errno = 0;
  EXPECT_EQ(mtd_open("/dev/null", O_RDONLY), -1);
  EXPECT_EQ(errno, EPERM);

  // A link in place of a partition.
  setenv("NVR_ROOT", root_.path().c_str(), 1);
  ASSERT_EQ(unlink(root_.at("/dev/mtd9").c_str()), 0);
  ASSERT_EQ(symlink(root_.at("/dev/mtd8").c_str(), root_.at("/dev/mtd9").c_str()), 0);
  EXPECT_EQ(mtd_open("/dev/mtd9", O_RDONLY), -1);
  EXPECT_EQ(errno, ENODEV);
}

TEST_F(PlatformTest, CommandsAreKeptInsideTheRoot) {
  const std::string r = root_.path();
  struct Case {
    const char* command;
    std::string expected;
  };
  const Case cases[] = {
      {"cat /proc/mtd | grep ker1 \n", "cat " + r + "/proc/mtd | grep ker1 \n"},
      {"/usr/sbin/flash_eraseall /dev/mtd4 ", r + "/usr/sbin/flash_eraseall " + r + "/dev/mtd4 "},
      {"echo 3 > /proc/sys/vm/drop_caches", "echo 3 > " + r + "/proc/sys/vm/drop_caches"},
      {"echo 3 >/proc/sys/vm/drop_caches", "echo 3 >" + r + "/proc/sys/vm/drop_caches"},
      {"reboot", r + "/sbin/reboot"},
      {"sync; reboot -f", "sync; " + r + "/sbin/reboot -f"},
      {"dvchip_update", r + "/usr/bin/dvchip_update"},
      {"tcpdump -i eth0", r + "/bin/tcpdump -i eth0"},  // not in the root: not found
  };
  for (const Case& c : cases) EXPECT_EQ(nvr_shell_command(c.command), c.expected) << c.command;
  unsetenv("NVR_ROOT");
  EXPECT_EQ(nvr_shell_command("reboot"), "reboot");
}

TEST_F(PlatformTest, StandInProgramsRecordTheirCalls) {
  int status = upd_system("reboot");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_EQ(unlink(root_.at("/sbin/reboot").c_str()), 0);
  status = upd_system("reboot 2>/dev/null");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 127);  // the host's reboot is never found

  FILE* out = upd_popen("dvchip_update");
  ASSERT_NE(out, nullptr);
  char line[64] = {};
  ASSERT_NE(fgets(line, sizeof line, out), nullptr);
  EXPECT_STREQ(line, "model: NVR-3798\n");
  EXPECT_EQ(upd_pclose(out), 0);
  EXPECT_EQ(root_.read("/flashsim/calls.log"), "reboot\ndvchip_update\n");
}

TEST_F(PlatformTest, PipelineReadsTheRootsProcMtd) {
  FILE* out = upd_popen("cat /proc/mtd | grep fs2 \n");
  ASSERT_NE(out, nullptr);
  char line[128] = {};
  ASSERT_NE(fgets(line, sizeof line, out), nullptr);
  EXPECT_STREQ(line, "mtd7: 00200000 00020000 \"fs2\"\n");
  EXPECT_EQ(upd_pclose(out), 0);
}

TEST_F(PlatformTest, FlashEraseallStandInErasesAndCanFail) {
  root_.write("/dev/mtd3.flash", root_.read("/dev/mtd3.flash") + "bad 1\n");
  int status = upd_system("/usr/sbin/flash_eraseall /dev/mtd3 >/dev/null");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(root_.read("/dev/mtd3").substr(0, 0x20000), std::string(0x20000, '\xFF'));

  root_.write("/dev/mtd3.flash", root_.read("/dev/mtd3.flash") + "eraseall_fail 1\n");
  status = upd_system("/usr/sbin/flash_eraseall /dev/mtd3 2>/dev/null");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 0);
}

TEST_F(PlatformTest, HardwareIdentificationsComeFromTheBoardSettings) {
  EXPECT_EQ(hw_read_phy_id(), 0x004D);
  EXPECT_EQ(hw_read_poe_id(), 0x00);
  flashsim::BoardSettings board{"KRT4420", true, 0x0141, true, 0xE3};
  ASSERT_TRUE(flashsim::save_board_settings(root_.path(), board));
  EXPECT_EQ(hw_read_phy_id(), 0x0141);
  EXPECT_EQ(hw_read_poe_id(), 0xE3);
  // Unreadable hardware: -1 for the PHY, 0 for the PoE controller.
  ASSERT_TRUE(flashsim::save_board_settings(root_.path(), {"x", false, 0, false, 0}));
  EXPECT_EQ(hw_read_phy_id(), -1);
  EXPECT_EQ(hw_read_poe_id(), 0);
}

}  // namespace
