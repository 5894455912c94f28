// Installs and switches through the real update on an emulated recorder: which copies
// are written and named afterwards, the records written in place only for this board's
// variant, every refusal before anything is written (running copy, network root, odd
// boot variables, bad images), write failures that leave the boot variables alone, the
// result file, and the system switch with its reboot.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_bytes.h"
#include "recorder_process.h"

namespace {

using updtest::padded;
using updtest::Part;

constexpr uint32_t kImageDate = 0x07E7090C;  // what mkupfw puts in every record
constexpr uint32_t kKer = 0x4801000A, kFs = 0x48090014;
const std::string kBootcmd1 = "nand read 0x1000000 ker1 0x800000;bootm 0x1000000";
const std::string kBootcmd2 = "nand read 0x1000000 ker2 0x800000;bootm 0x1000000";

std::string bootargs(int copy) {
  return "mem=1024M console=ttyAMA0,115200 ubi.mtd=fs" + std::to_string(copy) +
         " root=ubi0:rootfs rw rootfstype=ubifs mmz=ddr,0,0,150M";
}

std::string hex(uint32_t v, bool upper) {
  char text[16];
  std::snprintf(text, sizeof text, upper ? "0x%08X" : "0x%08x", v);
  return text;
}

// What a partition holds after a NAND write of `record`: the record, then erased bytes.
std::string nand_content(const std::string& record, size_t partition_size) {
  return record + std::string(partition_size - record.size(), '\xFF');
}

class UpdateRun : public updtest::RecorderProcessTest {
 protected:
  const std::string ker_ = content(5000, 1), fs_ = content(10000, 2);

  std::string kernel_and_fs(std::vector<Part> more = {}) {
    more.insert(more.begin(), {{"ker", ker_, ""}, {"fs", fs_, "72.9.0.20"}});
    return image(more);
  }
  std::string result_file() const { return root_.read("/mnt/nand/upfw.log"); }
};

TEST_F(UpdateRun, WritesTheCopiesThatAreNotRunningAndNamesThemInOneStep) {
  const std::string img = kernel_and_fs();
  const auto before = flash_state();
  auto r = update({"-u"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::string ker_crc = hex(reference_crc(padded(ker_)), false);
  const std::string fs_crc = hex(reference_crc(padded(fs_)), false);
  EXPECT_EQ(r.out,
            "version = 9.0.20\n"
            "Begin update " +
                img +
                " \n"
                "Get old ptb information!\n"
                "Verify image " +
                img +
                " \n"
                "ker: \noffset  = 0x00000800\nsize    = 0x00001800 (6 K)\naddr    = 0x00000000\n"
                "flag    = 0x00000000\ndate    = 2023/9/12\ncrc32   = " +
                hex(reference_crc(padded(ker_)), true) +
                "\nversion = 72.1.0.10\n"
                "fs: \noffset  = 0x00002000\nsize    = 0x00002800 (10 K)\naddr    = 0x00000000\n"
                "flag    = 0x00000001\ndate    = 2023/9/12\ncrc32   = " +
                hex(reference_crc(padded(fs_)), true) +
                "\nversion = 72.9.0.20\n"
                "Get mtd device information!\n"
                "  current is fs1 \n"
                "  current is ker1 \n"
                "Update ker2 partition:\ndev \t    = /dev/mtd5\noffset   = 0x00000800\n"
                "size\t    = 0x00001800 (6 K)\naddr\t    = 0x00000000\nflag\t    = 0x00000000\n"
                "date\t    = 2023/9/12\nversion = 72.1.0.10\n"
                "Erased 8 blocks of " +
                root_.at("/dev/mtd5") +
                ", skipped 0 bad\n"
                "image_length = 0x00001800\nimage_crc = " +
                ker_crc +
                "\n"
                "Update fs2 partition:\ndev \t    = /dev/mtd7\noffset   = 0x00002000\n"
                "size\t    = 0x00002800 (10 K)\naddr\t    = 0x00000000\nflag\t    = 0x00000001\n"
                "date\t    = 2023/9/12\nversion = 72.9.0.20\n"
                "Erased 16 blocks of " +
                root_.at("/dev/mtd7") +
                ", skipped 0 bad\n"
                "image_length = 0x00002800\nimage_crc = " +
                fs_crc +
                "\n"
                "Update Success:\n");
  EXPECT_EQ(r.err, "update success!\n");
  EXPECT_EQ(result_file(), "0\nupdate success!\n");

  EXPECT_EQ(partition(5), nand_content(padded(ker_), 1 << 20));
  EXPECT_EQ(partition(7), nand_content(padded(fs_), 2 << 20));
  for (int untouched : {0, 2, 3, 4, 6, 8, 9, 10})
    EXPECT_EQ(partition(untouched), before.at("/dev/mtd" + std::to_string(untouched))) << untouched;
  EXPECT_EQ(boot_var("bootargs"), bootargs(2));
  EXPECT_EQ(boot_var("bootcmd"), kBootcmd2);
  EXPECT_EQ(boot_var("ker2"), record_text("ker2", kKer, 6144, kImageDate));
  EXPECT_EQ(boot_var("fs2"), record_text("fs2", kFs, 10240, kImageDate));
  EXPECT_EQ(boot_var("fs1"), record_text("fs1", 0x48090012, 1 << 20, 0x07E70801));
}

TEST_F(UpdateRun, FromTheSecondCopiesTheFirstAreWritten) {
  flashsim::LayoutOptions options = small_layout();
  options.running = 2;
  lay_out(options);
  kernel_and_fs();
  auto r = update({"-u"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("  current is fs2 \n  current is ker2 \nUpdate ker1 partition:\n"
                       "dev \t    = /dev/mtd4\n"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(partition(4), nand_content(padded(ker_), 1 << 20));
  EXPECT_EQ(partition(6), nand_content(padded(fs_), 2 << 20));
  EXPECT_EQ(boot_var("bootargs"), bootargs(1));
  EXPECT_EQ(boot_var("bootcmd"), kBootcmd1);
}

TEST_F(UpdateRun, TheKernelFollowsTheFilesystemCopy) {
  // The environment boots ker2 with fs1: the new pair goes to ker2 and fs2, and bootcmd
  // must name ker2, the kernel just written, not ker1.
  put_var("bootcmd", kBootcmd2);
  kernel_and_fs();
  auto r = update({"-u"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.out.find("  current is fs1 \n  current is ker2 \nUpdate ker2 partition:\n"),
            std::string::npos);
  EXPECT_EQ(partition(5), nand_content(padded(ker_), 1 << 20));
  EXPECT_EQ(boot_var("bootargs"), bootargs(2));
  EXPECT_EQ(boot_var("bootcmd"), kBootcmd2);
}

TEST_F(UpdateRun, RecordsInPlaceOnlyForThisBoardAndAnotherVersion) {
  // Installed: boot loader 72.1.1.25 (1024 MiB variant), base parameters 72.1.0.1, logo
  // 72.1.0.2.
  struct Case {
    const char* what;
    std::vector<Part> parts;
    std::vector<std::string> order;  // the partitions written, in order
  };
  const std::string bld = content(20000, 3), param = content(3000, 4), jpg = content(7000, 5);
  const Case cases[] = {
      {"same versions",
       {{"bld", bld, "72.1.1.25"}, {"param", param, "72.1.0.1"}, {"jpg", jpg, "72.1.0.2"}},
       {"ker2", "fs2"}},
      {"older boot loader", {{"bld", bld, "72.1.1.24"}}, {"ker2", "fs2"}},
      {"newer boot loader of the other variant", {{"bld", bld, "72.1.2.30"}}, {"ker2", "fs2"}},
      {"newer boot loader", {{"bld", bld, "72.1.1.26"}}, {"uboot", "ker2", "fs2"}},
      {"second boot loader of this variant",
       {{"bld2", bld, "72.1.1.27"}},
       {"ker2", "fs2", "uboot"}},
      {"both boot loaders, usual variants",
       {{"bld", bld, ""}, {"bld2", bld, ""}},
       {"uboot", "ker2", "fs2"}},
      {"other parameters and logo",
       {{"param", param, "72.1.0.0"}, {"jpg", jpg, "72.3.0.9"}},
       {"ker2", "fs2", "baseparam", "logo"}},
      {"parameters of another variant",
       {{"param", param, "72.1.1.1"}, {"jpg", jpg, "72.1.0.2"}},
       {"ker2", "fs2"}},
  };
  const struct {
    int mtd;
    const char* name;
    const std::string& content;
  } in_place[] = {{0, "uboot", bld}, {2, "baseparam", param}, {3, "logo", jpg}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lay_out();
    const auto before = flash_state();
    kernel_and_fs(c.parts);
    auto r = update({"-u"});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    std::vector<std::string> order;
    for (size_t at = 0; (at = r.out.find("Update ", at)) != std::string::npos; ++at) {
      size_t end = r.out.find(" partition:\n", at);
      if (end != std::string::npos && end - at < 20)
        order.push_back(r.out.substr(at + 7, end - at - 7));
    }
    EXPECT_EQ(order, c.order);

    for (const auto& p : in_place) {
      const std::string old = before.at("/dev/mtd" + std::to_string(p.mtd));
      if (std::find(c.order.begin(), c.order.end(), p.name) == c.order.end()) {
        EXPECT_EQ(partition(p.mtd), old) << p.name;
        continue;
      }
      const std::string record = padded(p.content);
      // NOR: the record, erased bytes to the end of its 64 KiB block, the old rest.
      EXPECT_EQ(partition(p.mtd),
                p.mtd == 0 ? record + std::string(65536 - record.size(), '\xFF') + old.substr(65536)
                           : nand_content(record, 256 * 1024))
          << p.name;
      std::optional<std::string> text = boot_var(p.name);
      ASSERT_TRUE(text.has_value());
      EXPECT_NE(text->find("size:" + std::to_string(record.size()) + "\t"), std::string::npos)
          << *text;
    }
  }
}

TEST_F(UpdateRun, RefusalsWriteNothing) {
  const std::string nfs =
      "root=/dev/nfs nfsroot=192.168.1.2:/nfs "
      "ip=192.168.1.10:192.168.1.2:192.168.1.1:255.255.255.0::eth0:off";
  struct Case {
    const char* what;
    std::optional<std::string> bootargs, bootcmd, proc_cmdline;  // nullopt: as laid out; "": none
    int exit_code;
    std::string err;  // expected on standard error, before the result line
    const char* image = "good";
    bool check_image_first = false;  // -e: skip the version check
  };
  const Case cases[] = {
      {"network root",
       nfs,
       {},
       {},
       252,
       "cmdline: " + nfs + " \nbootargs not find fs, maybe NFS!\n"},
      {"unknown filesystem copy", bootargs(3), {}, {}, 252, "unknow fs partition!\n"},
      {"no kernel in bootcmd", {}, std::string("bootm 0x1000000"), {}, 252, " bootcmd is null!\n"},
      {"unknown kernel copy",
       {},
       std::string("nand read 0x1000000 kerX 0x800000"),
       {},
       252,
       "  unknow bootcmd!\n"},
      {"the target copy is running",
       {},
       {},
       bootargs(2) + "\n",
       252,
       "fs2 is the running filesystem: reboot into the system the last update or switch chose "
       "before updating again!\n"},
      {"the running copy unknown",
       {},
       {},
       "",
       252,
       "read /proc/cmdline: No such file or directory\n"},
      {"over-long bootargs",
       bootargs(1) + " " + std::string(500, 'x'),
       {},
       {},
       252,
       "Error: \"bootargs\" is longer than 511 characters\nflprog_get_part_table faild!\n",
       "good",
       true},
      {"corrupt record",
       {},
       {},
       {},
       254,
       "check_img_crc fs failed\nVerify update firmware faild!\n",
       "corrupt"},
      {"no filesystem record", {}, {}, {}, 247, "No filesys image!\n", "kernel only", true},
      {"no kernel record", {}, {}, {}, 248, "No filesys image!\n", "filesystem only", true},
      {"neither", {}, {}, {}, 247, "No filesys image!\n", "parameters only", true},
  };
  const std::map<int, std::string> texts = {{252, "-4\nupdate ptb partition faild!\n"},
                                            {254, "-2\nverify update firmware faild!\n"},
                                            {247, "-9\nupdate filesys partition faild!\n"},
                                            {248, "-8\nupdate kernel partition faild!\n"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lay_out();
    const std::string kind = c.image;
    if (kind == "good" || kind == "corrupt") kernel_and_fs();
    if (kind == "kernel only") image({{"ker", ker_, ""}});
    if (kind == "filesystem only") image({{"fs", fs_, "72.9.0.20"}});
    if (kind == "parameters only") image({{"param", ker_, "72.1.0.7"}});
    if (kind == "corrupt") {
      std::string bytes = root_.read("/dev/shm/updateFM.bin");
      bytes[bytes.size() - 1] ^= 0x01;
      root_.write("/dev/shm/updateFM.bin", bytes);
    }
    if (c.bootargs) put_var("bootargs", c.bootargs);
    if (c.bootcmd) put_var("bootcmd", c.bootcmd);
    if (c.proc_cmdline && c.proc_cmdline->empty()) {
      ASSERT_EQ(unlink(root_.at("/proc/cmdline").c_str()), 0);
    } else if (c.proc_cmdline) {
      root_.write("/proc/cmdline", *c.proc_cmdline);
    }
    const auto before = flash_state();
    auto r = update(c.check_image_first ? std::vector<std::string>{"-e", "-u"}
                                        : std::vector<std::string>{"-u"});
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    const std::string text = texts.at(c.exit_code);
    EXPECT_EQ(r.err, c.err + text.substr(text.find('\n') + 1));
    EXPECT_EQ(result_file(), text);
    EXPECT_EQ(flash_state(), before);
  }
}

TEST_F(UpdateRun, AnInstallBeforeTheRebootIsRefusedAndAfterItTakesTheOtherCopies) {
  kernel_and_fs();
  ASSERT_EQ(update({"-u"}).exit_code, 0);
  const auto installed = flash_state();
  auto again = update({"-u"});
  EXPECT_EQ(again.exit_code, 252);
  EXPECT_EQ(flash_state(), installed);  // fs1 is mounted: not erased
  EXPECT_EQ(result_file(), "-4\nupdate ptb partition faild!\n");

  // The recorder boots what the environment names.
  ASSERT_EQ(run("flashsim", {"reboot", root_.path()}).exit_code, 0);
  EXPECT_EQ(root_.read("/proc/cmdline"), bootargs(2) + "\n");
  auto after_reboot = update({"-u"});
  ASSERT_EQ(after_reboot.exit_code, 0) << after_reboot.err;
  EXPECT_EQ(partition(4), nand_content(padded(ker_), 1 << 20));
  EXPECT_EQ(partition(6), nand_content(padded(fs_), 2 << 20));
  EXPECT_EQ(boot_var("bootargs"), bootargs(1));
  EXPECT_EQ(boot_var("bootcmd"), kBootcmd1);
}

TEST_F(UpdateRun, WriteFailuresLeaveTheBootVariables) {
  struct Case {
    const char* what;
    const char* device;
    const char* fault;
    std::vector<Part> more;
    int exit_code;
    std::string result;
    std::string
        line;  // a line the output must hold (the NOR erase failure goes to standard output)
  };
  const std::string bld = content(20000, 3);
  const Case cases[] = {
      {"filesystem",
       "/dev/mtd7",
       "eraseall_fail 1\n",
       {},
       247,
       "-9\nupdate filesys partition faild!\n",
       "Fail on erase mtd device!\n"},
      {"kernel",
       "/dev/mtd5",
       "program_fail 2\n",
       {},
       248,
       "-8\nupdate kernel partition faild!\n",
       "Data was only partially written due to error\n"},
      {"boot loader",
       "/dev/mtd0",
       "erase_fail 0\n",
       {{"bld", bld, "72.1.1.26"}},
       251,
       "-5\nupdate bld partition faild!\n",
       "Fail erasing blocks from 0x00000000-0x00010000 on /dev/mtd0 \n"},
      {"base parameters",
       "/dev/mtd2",
       "eraseall_fail 1\n",
       {{"param", bld, "72.1.0.9"}},
       255,
       "-1\nupdate faild!\n",
       "nand_flash_write_file unkown parttition faild!\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lay_out();
    kernel_and_fs(c.more);
    root_.write(std::string(c.device) + ".flash",
                root_.read(std::string(c.device) + ".flash") + c.fault);
    auto r = update({"-u"});
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    EXPECT_EQ(result_file(), c.result);
    EXPECT_NE((r.out + r.err).find(c.line), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("Update Success:"), std::string::npos);
    EXPECT_EQ(boot_var("bootargs"), bootargs(1));
    EXPECT_EQ(boot_var("bootcmd"), kBootcmd1);
  }
}

TEST_F(UpdateRun, SystemSwitch) {
  struct Case {
    const char* what;
    std::string arg;
    std::optional<std::string> bootargs_before, bootcmd_before;
    std::string out;  // standard output
    std::string err;  // before the usage text, for refusals
    std::optional<std::string> bootargs_after, bootcmd_after;  // nullopt: unchanged
  };
  const std::string mismatched = "nand read 0x1000000 kerX 0x800000";
  const Case cases[] = {
      {"toggle",
       "0",
       {},
       {},
       "\tFilesys will switch to fs2 after reboot!\n",
       "",
       bootargs(2),
       kBootcmd2},
      {"second copies",
       "2",
       {},
       {},
       "\tFilesys will switch to fs2 after reboot!\n",
       "",
       bootargs(2),
       kBootcmd2},
      {"first copies",
       "0x1",
       {},
       {},
       "\tFilesys will switch to fs1 after reboot!\n",
       "",
       bootargs(1),
       kBootcmd1},
      {"toggle each on its own",
       "0",
       {},
       kBootcmd2,
       "\tFilesys will switch to fs2 after reboot!\n",
       "",
       bootargs(2),
       kBootcmd1},
      {"network root gets the default",
       "2",
       std::string("root=/dev/nfs"),
       {},
       "\tFilesys will switch to fs2 after reboot!\n",
       "",
       bootargs(2),
       kBootcmd2},
      {"index 3",
       "3",
       {},
       {},
       "",
       "Unknown fs index, please choose 1 or 2\nswitch system faild.\n",
       {},
       {}},
      {"no number",
       "one",
       {},
       {},
       "",
       "Error: \"one\" is not a number\nswitch system faild.\n",
       {},
       {}},
      {"kernel copy unknown",
       "0",
       {},
       mismatched,
       "",
       "Can't find kernel partition!\nswitch system faild.\n",
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lay_out();
    root_.write("/flashsim/calls.log", "");
    if (c.bootargs_before) put_var("bootargs", c.bootargs_before);
    if (c.bootcmd_before) put_var("bootcmd", c.bootcmd_before);
    const std::optional<std::string> args0 = boot_var("bootargs"), cmd0 = boot_var("bootcmd");
    auto r = update({"--system", c.arg});
    const bool refused = !c.err.empty();
    EXPECT_EQ(r.exit_code, refused ? 255 : 0);
    EXPECT_EQ(r.err, c.err);
    if (refused) {
      EXPECT_EQ(r.out.rfind("Usage:\n", 0), 0u) << r.out;
    } else {
      EXPECT_EQ(r.out, c.out);
    }
    EXPECT_EQ(root_.read("/flashsim/calls.log"), refused ? "" : "reboot\n");
    // The emulated recorder started again with the kernel command line the switch chose.
    EXPECT_EQ(root_.read("/proc/cmdline"), *boot_var("bootargs") + "\n");
    EXPECT_EQ(boot_var("bootargs"), c.bootargs_after ? c.bootargs_after : args0);
    EXPECT_EQ(boot_var("bootcmd"), c.bootcmd_after ? c.bootcmd_after : cmd0);
  }
}

TEST_F(UpdateRun, NoRebootWhenTheSwitchCannotBeWritten) {
  root_.write("/flashsim/calls.log", "");
  root_.write("/dev/mtd1.flash", root_.read("/dev/mtd1.flash") + "erase_fail 0\nerase_fail 1\n");
  const auto before = flash_state();
  auto r = update({"-S", "0"});
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_NE(r.err.find("Error: can't write fw_env to flash\nswitch system faild.\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(root_.read("/flashsim/calls.log"), "");
  EXPECT_EQ(partition(1), before.at("/dev/mtd1"));
  EXPECT_EQ(boot_var("bootcmd"), kBootcmd1);
}

}  // namespace
