// The emulated flash keeps the chips' rules: whole-block erase to 0xFF, programming that
// only clears bits, whole NAND pages, bad blocks and NOR locks that persist, injected
// faults and power cuts that tear the operation they hit.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "flash_model.h"
#include "support/temp_root.h"

namespace {

using flashsim::FlashDevice;
using flashsim::SideFile;

constexpr uint32_t kBlock = 8192, kPage = 512;

class FlashModelTest : public ::testing::Test {
 protected:
  // A partition of `blocks` blocks, every byte 0xFF, with the given side file.
  std::string make(const std::string& name, uint8_t type, uint32_t blocks, SideFile side = {}) {
    std::string rel = "/dev/" + name;
    root_.write(rel, std::string(blocks * kBlock, '\xFF'));
    side.geometry = {type, 0, kBlock, type == flashsim::kNandFlash ? kPage : 1u, 16};
    EXPECT_TRUE(flashsim::save_side_file(flashsim::side_file_path(root_.at(rel)), side));
    return root_.at(rel);
  }
  std::unique_ptr<FlashDevice> open(const std::string& path, int flags = O_RDWR) {
    std::string why;
    auto dev = FlashDevice::open(path, flags, &why);
    EXPECT_TRUE(dev) << why;
    return dev;
  }
  static std::vector<uint8_t> read(FlashDevice& dev, uint64_t at, size_t n) {
    std::vector<uint8_t> out(n);
    EXPECT_EQ(dev.read(out.data(), n, at), static_cast<ssize_t>(n));
    return out;
  }
  static SideFile side_of(const std::string& path) {
    SideFile side;
    std::string why;
    EXPECT_TRUE(flashsim::load_side_file(flashsim::side_file_path(path), &side, &why)) << why;
    return side;
  }
  nvrtest::TempRoot root_;
};

TEST_F(FlashModelTest, NandProgramsWholePagesAndOnlyClearsBits) {
  auto dev = open(make("mtd4", flashsim::kNandFlash, 4));
  std::vector<uint8_t> page(kPage, 0x0F);
  EXPECT_EQ(dev->program(page.data(), kPage, kPage), kPage);
  EXPECT_EQ(read(*dev, kPage, kPage), page);

  // Programming over data that was not erased stores old AND new, as on a chip.
  std::vector<uint8_t> other(kPage, 0x3C);
  EXPECT_EQ(dev->program(other.data(), kPage, kPage), kPage);
  EXPECT_EQ(read(*dev, kPage, kPage), std::vector<uint8_t>(kPage, 0x0C));

  struct Case {
    uint64_t offset;
    size_t count;
  };
  for (Case c : {Case{1, kPage}, Case{0, kPage - 1}, Case{kPage, kPage + 1}}) {
    errno = 0;
    EXPECT_EQ(dev->program(page.data(), c.count, c.offset), -1) << c.offset << "+" << c.count;
    EXPECT_EQ(errno, EINVAL);
  }
  EXPECT_EQ(dev->program(page.data(), kPage, 4 * kBlock), -1);
  EXPECT_EQ(errno, ENOSPC);
}

TEST_F(FlashModelTest, EraseWorksOnWholeBlocksAndSetsFF) {
  auto dev = open(make("mtd4", flashsim::kNandFlash, 4));
  std::vector<uint8_t> zeros(kBlock * 2, 0);
  ASSERT_EQ(dev->program(zeros.data(), zeros.size(), 0), static_cast<ssize_t>(zeros.size()));
  ASSERT_EQ(dev->erase(kBlock, kBlock), 0);
  EXPECT_EQ(read(*dev, 0, kBlock), std::vector<uint8_t>(kBlock, 0));
  EXPECT_EQ(read(*dev, kBlock, kBlock), std::vector<uint8_t>(kBlock, 0xFF));

  struct Case {
    uint64_t start, length;
  };
  for (Case c : {Case{1, kBlock}, Case{0, kBlock / 2}, Case{0, 0}, Case{3 * kBlock, 2 * kBlock}}) {
    errno = 0;
    EXPECT_EQ(dev->erase(c.start, c.length), -1) << c.start << "+" << c.length;
    EXPECT_EQ(errno, EINVAL);
  }
}

TEST_F(FlashModelTest, ReadOnlyHandleRefusesChanges) {
  auto dev = open(make("mtd4", flashsim::kNandFlash, 2), O_RDONLY);
  std::vector<uint8_t> page(kPage, 0);
  EXPECT_EQ(dev->program(page.data(), kPage, 0), -1);
  EXPECT_EQ(errno, EBADF);
  EXPECT_EQ(dev->erase(0, kBlock), -1);
  EXPECT_EQ(errno, EBADF);
}

TEST_F(FlashModelTest, BadBlocksAreRefusedAndMarksPersist) {
  SideFile side;
  side.bad = {1};
  std::string path = make("mtd4", flashsim::kNandFlash, 4, side);
  {
    auto dev = open(path);
    EXPECT_EQ(dev->is_bad(0), 0);
    EXPECT_EQ(dev->is_bad(kBlock + 5), 1);
    std::vector<uint8_t> page(kPage, 0);
    EXPECT_EQ(dev->program(page.data(), kPage, kBlock), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(dev->erase(kBlock, kBlock), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(dev->mark_bad(3 * kBlock), 0);
    EXPECT_EQ(dev->is_bad(4 * kBlock), -1);
  }
  auto again = open(path);
  EXPECT_EQ(again->is_bad(3 * kBlock), 1);
  EXPECT_EQ(side_of(path).bad, (std::set<uint64_t>{1, 3}));
}

TEST_F(FlashModelTest, TwoHandlesOnOnePartitionShareItsState) {
  std::string path = make("mtd4", flashsim::kNandFlash, 4);
  auto a = open(path);
  auto b = open(path);
  ASSERT_EQ(a->mark_bad(2 * kBlock), 0);
  EXPECT_EQ(b->is_bad(2 * kBlock), 1);
  ASSERT_EQ(b->mark_bad(0), 0);
  EXPECT_EQ(side_of(path).bad, (std::set<uint64_t>{0, 2}));
}

TEST_F(FlashModelTest, NorNeedsUnlockBeforeEraseAndProgram) {
  SideFile side;
  side.locked = {0};
  std::string path = make("mtd1", flashsim::kNorFlash, 2, side);
  {
    auto dev = open(path);
    EXPECT_EQ(dev->geometry().writesize, 1u);
    EXPECT_EQ(dev->erase(0, kBlock), -1);
    EXPECT_EQ(errno, EPERM);
    uint8_t byte = 0x12;
    EXPECT_EQ(dev->program(&byte, 1, 3), -1);
    EXPECT_EQ(errno, EPERM);
    // NOR programs at any byte; the unlocked block works.
    EXPECT_EQ(dev->program(&byte, 1, kBlock + 3), 1);
    EXPECT_EQ(read(*dev, kBlock + 3, 1)[0], 0x12);

    ASSERT_EQ(dev->set_locked(0, kBlock, false), 0);
    EXPECT_EQ(dev->erase(0, 2 * kBlock), 0);
    EXPECT_EQ(read(*dev, kBlock + 3, 1)[0], 0xFF);
    ASSERT_EQ(dev->set_locked(kBlock, kBlock, true), 0);
    EXPECT_EQ(dev->set_locked(1, kBlock, true), -1);
    EXPECT_EQ(errno, EINVAL);
    // No bad blocks on NOR.
    EXPECT_EQ(dev->is_bad(0), 0);
    EXPECT_EQ(dev->mark_bad(0), -1);
    EXPECT_EQ(errno, EOPNOTSUPP);
  }
  EXPECT_EQ(side_of(path).locked, (std::set<uint64_t>{1}));
}

TEST_F(FlashModelTest, NandHasNoLocks) {
  auto dev = open(make("mtd4", flashsim::kNandFlash, 2));
  EXPECT_EQ(dev->set_locked(0, kBlock, false), -1);
  EXPECT_EQ(errno, EOPNOTSUPP);
}

TEST_F(FlashModelTest, InjectedFaults) {
  SideFile side;
  side.erase_fail = {2};
  side.program_fail = {3};  // block 0, page 3
  side.bit_flip = {20};     // block 1, page 4
  side.grow_bad = {3};
  std::string path = make("mtd4", flashsim::kNandFlash, 4, side);
  auto dev = open(path);
  std::vector<uint8_t> data(kPage, 0x5A);

  EXPECT_EQ(dev->erase(2 * kBlock, kBlock), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(dev->erase(kBlock, kBlock), 0);

  EXPECT_EQ(dev->program(data.data(), kPage, 3 * kPage), -1);
  EXPECT_EQ(errno, EIO);
  EXPECT_EQ(read(*dev, 3 * kPage, kPage), std::vector<uint8_t>(kPage, 0xFF));

  // A silent bit flip: the call succeeds, the read-back differs in one bit.
  EXPECT_EQ(dev->program(data.data(), kPage, 20 * kPage), kPage);
  std::vector<uint8_t> flipped = read(*dev, 20 * kPage, kPage);
  EXPECT_EQ(flipped[0], 0x5A ^ 0x01);
  EXPECT_EQ(std::vector<uint8_t>(flipped.begin() + 1, flipped.end()),
            std::vector<uint8_t>(data.begin() + 1, data.end()));

  // A block that goes bad under its first program: nothing sticks, the block is bad
  // from now on, and the fault is spent.
  EXPECT_EQ(dev->is_bad(3 * kBlock), 0);
  EXPECT_EQ(dev->program(data.data(), kPage, 3 * kBlock), kPage);
  EXPECT_EQ(read(*dev, 3 * kBlock, kPage), std::vector<uint8_t>(kPage, 0xFF));
  EXPECT_EQ(dev->is_bad(3 * kBlock), 1);
  SideFile after = side_of(path);
  EXPECT_TRUE(after.grow_bad.empty());
  EXPECT_EQ(after.bad, (std::set<uint64_t>{3}));
}

TEST_F(FlashModelTest, RefusesWhatIsNotARegularFile) {
  std::string real = make("mtd4", flashsim::kNandFlash, 1);
  ASSERT_EQ(symlink(real.c_str(), root_.at("/dev/mtd5").c_str()), 0);
  ASSERT_EQ(mkfifo(root_.at("/dev/mtd6").c_str(), 0600), 0);
  root_.write("/dev/mtd6.flash", "type 4\nerasesize 8192\nwritesize 512\n");
  for (const char* rel : {"/dev/mtd5", "/dev/mtd6"}) {
    errno = 0;
    EXPECT_EQ(FlashDevice::open(root_.at(rel), O_RDONLY | O_NONBLOCK), nullptr) << rel;
    EXPECT_EQ(errno, ENODEV) << rel;
  }
}

TEST_F(FlashModelTest, SideFileErrorsAreRefused) {
  struct Case {
    const char* text;
    const char* why;
  };
  const Case cases[] = {
      {"type 5\nerasesize 8192\nwritesize 512\n", "type"},
      {"type 4\nerasesize 8192\nwritesize 500\n", "multiple"},
      {"type 4\nerasesize 3000\nwritesize 1000\n", "size"},  // 8192-byte file
      {"type 4\nerasesize 8192\nwritesize 512\ncolour 3\n", "unknown"},
      {"type 4\nerasesize 8192\nwritesize 512\nbad x\n", "number"},
  };
  for (const Case& c : cases) {
    root_.write("/dev/mtd9", std::string(kBlock, '\xFF'));
    root_.write("/dev/mtd9.flash", c.text);
    std::string why;
    errno = 0;
    EXPECT_EQ(FlashDevice::open(root_.at("/dev/mtd9"), O_RDONLY, &why), nullptr) << c.text;
    EXPECT_EQ(errno, EINVAL);
    EXPECT_NE(why.find(c.why), std::string::npos) << why;
  }
}

// Runs `body` in a child process and returns its wait status.
template <typename F>
int in_child(F body) {
  pid_t pid = fork();
  if (pid == 0) {
    flashsim::reset_operation_count();
    body();
    _exit(0);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return status;
}

TEST_F(FlashModelTest, PowerCutTearsTheKthOperationAndStopsAtOnce) {
  SideFile side;
  side.power_cut_after = 3;
  std::string path = make("mtd4", flashsim::kNandFlash, 2, side);
  int status = in_child([&] {
    auto dev = FlashDevice::open(path, O_RDWR);
    std::vector<uint8_t> zeros(3 * kPage, 0);
    (void)dev->program(zeros.data(), zeros.size(), 0);  // operations 1, 2 and 3 (torn)
    _exit(0);                                           // not reached
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), flashsim::kPowerCutSignal);

  auto dev = open(path);
  EXPECT_EQ(read(*dev, 0, 2 * kPage), std::vector<uint8_t>(2 * kPage, 0));
  // The torn page: first half programmed, second half still erased.
  std::vector<uint8_t> torn = read(*dev, 2 * kPage, kPage);
  EXPECT_EQ(std::vector<uint8_t>(torn.begin(), torn.begin() + kPage / 2),
            std::vector<uint8_t>(kPage / 2, 0));
  EXPECT_EQ(std::vector<uint8_t>(torn.begin() + kPage / 2, torn.end()),
            std::vector<uint8_t>(kPage / 2, 0xFF));
  // One-shot: the next run of the board goes on.
  EXPECT_EQ(side_of(path).power_cut_after, 0u);
}

TEST_F(FlashModelTest, TraceListsEveryMutatingOperation) {
  const std::string nand = make("mtd4", flashsim::kNandFlash, 2);
  const std::string nor = make("mtd0", flashsim::kNorFlash, 2);
  const std::string trace = root_.at("/tmp/trace");
  setenv("NVR_FLASH_TRACE", trace.c_str(), 1);
  int status = in_child([&] {
    auto a = FlashDevice::open(nand, O_RDWR);
    auto b = FlashDevice::open(nor, O_RDWR);
    std::vector<uint8_t> page(2 * kPage, 0);
    (void)a->erase(0, 2 * kBlock);                // two operations
    (void)a->program(page.data(), 2 * kPage, 0);  // two pages
    (void)b->program(page.data(), 100, 0);        // one NOR write
    (void)b->set_locked(0, kBlock, true);         // not a mutating operation
    (void)a->mark_bad(kBlock);
    (void)a->program(page.data(), 1, 3);  // refused: not counted
  });
  unsetenv("NVR_FLASH_TRACE");
  ASSERT_TRUE(WIFEXITED(status));
  const std::string text = root_.read("/tmp/trace");
  ASSERT_FALSE(text.empty());
  const auto child = static_cast<pid_t>(std::stol(text.substr(0, text.find(' '))));
  const std::string p = std::to_string(child) + " ";
  EXPECT_EQ(text, p + "1 " + nand + " erase 1\n" + p + "2 " + nand + " erase 2\n" + p + "3 " +
                      nand + " program 3\n" + p + "4 " + nand + " program 4\n" + p + "5 " + nor +
                      " program 1\n" + p + "6 " + nand + " mark_bad 5\n");
  EXPECT_NE(child, getpid());
}

TEST_F(FlashModelTest, PowerCutSweepOverEraseAndProgram) {
  // Two programmed blocks, erased and programmed again: each cut point leaves all
  // earlier operations done and the one it hits torn.
  std::string path = make("mtd4", flashsim::kNandFlash, 2);
  const int kOps = 2 + 2;  // two block erases, two page programs
  for (int k = 1; k <= kOps + 1; ++k) {
    {
      auto dev = open(path);
      std::vector<uint8_t> zeros(2 * kBlock, 0);
      ASSERT_EQ(dev->program(zeros.data(), zeros.size(), 0), static_cast<ssize_t>(zeros.size()));
    }
    setenv("NVR_FLASH_POWER_CUT", std::to_string(k).c_str(), 1);
    int status = in_child([&] {
      auto dev = FlashDevice::open(path, O_RDWR);
      (void)dev->erase(0, 2 * kBlock);
      std::vector<uint8_t> page(kPage, 0xA5);
      (void)dev->program(page.data(), kPage, 0);
      (void)dev->program(page.data(), kPage, kBlock);
    });
    unsetenv("NVR_FLASH_POWER_CUT");
    auto dev = open(path);
    std::vector<uint8_t> b0 = read(*dev, 0, kBlock), b1 = read(*dev, kBlock, kBlock);
    if (k > kOps) {
      EXPECT_TRUE(WIFEXITED(status)) << k;
      EXPECT_EQ(b1[0], 0xA5);
      continue;
    }
    ASSERT_TRUE(WIFSIGNALED(status)) << k;
    switch (k) {
      case 1:  // the first erase torn: half of block 0 erased, block 1 untouched
        EXPECT_EQ(b0[0], 0xFF);
        EXPECT_EQ(b0[kBlock - 1], 0x00);
        EXPECT_EQ(b1[0], 0x00);
        break;
      case 2:  // block 0 erased, block 1 half
        EXPECT_EQ(b0[kBlock - 1], 0xFF);
        EXPECT_EQ(b1[0], 0xFF);
        EXPECT_EQ(b1[kBlock - 1], 0x00);
        break;
      case 3:  // first page torn
        EXPECT_EQ(b0[0], 0xA5);
        EXPECT_EQ(b0[kPage - 1], 0xFF);
        EXPECT_EQ(b1[0], 0xFF);
        break;
      case 4:  // first page done, second torn
        EXPECT_EQ(b0[kPage - 1], 0xA5);
        EXPECT_EQ(b1[0], 0xA5);
        EXPECT_EQ(b1[kPage - 1], 0xFF);
        break;
    }
  }
}

TEST_F(FlashModelTest, EraseAllSkipsBadBlocksAndHonoursItsFault) {
  SideFile side;
  side.bad = {1};
  std::string path = make("mtd4", flashsim::kNandFlash, 3, side);
  {
    auto dev = open(path);
    std::vector<uint8_t> zeros(kBlock, 0);
    ASSERT_EQ(dev->program(zeros.data(), kBlock, 0), kBlock);
    ASSERT_EQ(dev->program(zeros.data(), kBlock, 2 * kBlock), kBlock);
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ(flashsim::erase_all(path), 0);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Skipping bad block at 0x00002000"), std::string::npos) << out;
  auto dev = open(path);
  EXPECT_EQ(read(*dev, 0, kBlock), std::vector<uint8_t>(kBlock, 0xFF));
  EXPECT_EQ(read(*dev, 2 * kBlock, kBlock), std::vector<uint8_t>(kBlock, 0xFF));

  SideFile failing = side_of(path);
  failing.eraseall_fail = true;
  ASSERT_TRUE(flashsim::save_side_file(flashsim::side_file_path(path), failing));
  dev.reset();
  testing::internal::CaptureStderr();
  EXPECT_EQ(flashsim::erase_all(path), -1);
  testing::internal::GetCapturedStderr();
}

}  // namespace
