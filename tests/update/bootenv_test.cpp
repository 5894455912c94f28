// The boot environment store on the emulated flash: loading what flashsim lays out, the
// boot loader's choice between copies (corrupted, stale, wrapped generations), unreadable
// copies, writes on NOR and NAND and their failures, the overflow that must not lose a
// variable, the command-style calls and the boot variables, and power cuts at every flash
// operation of a write.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bootenv.h"
#include "bootenv_fixture.h"
#include "flash_model.h"
#include "support/reference_crc.h"

namespace {

using envtest::Copy;
using envtest::make_copy;
using envtest::Vars;

std::string joined_lines(const Vars& vars) {
  std::string out;
  for (const std::string& v : vars) out += v + "\n";
  return out;
}

class BootEnv : public envtest::EnvDeviceTest {
 protected:
  // The variables the store holds, as hs_printenv lists them.
  std::string printed() {
    testing::internal::CaptureStdout();
    EXPECT_EQ(hs_printenv(), 0);
    return testing::internal::GetCapturedStdout();
  }

  // Cuts the power at the K-th flash operation of `change` for K = 1, 2, ... until the
  // change runs to its end, each time from the same flash. After every cut the boot
  // loader must find the old or the new variables whole; the store must load the same,
  // and (when writes can succeed here) its next write must leave both copies valid.
  // Returns the number of cut points.
  int sweep(const std::function<int()>& change, const Vars& old_vars, const Vars& new_vars,
            bool write_succeeds) {
    const std::string dev0 = device(), side0 = side();
    for (int k = 1; k < 1000; ++k) {
      put_device(dev0);
      put_side(side0);
      pid_t pid = fork();
      if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        setenv("NVR_FLASH_POWER_CUT", std::to_string(k).c_str(), 1);
        flashsim::reset_operation_count();
        if (env_init() != 0) _exit(2);
        _exit(change() == 0 ? 0 : 1);
      }
      int status = 0;
      if (pid < 0 || waitpid(pid, &status, 0) != pid) {
        ADD_FAILURE() << "cannot run the child";
        return k;
      }
      if (!WIFSIGNALED(status)) {
        // Nothing left to cut: the change ran to its end.
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), write_succeeds ? 0 : 1);
        EXPECT_EQ(boot_view(), write_succeeds ? new_vars : old_vars);
        return k - 1;
      }
      EXPECT_EQ(WTERMSIG(status), SIGKILL);
      std::optional<Vars> view = boot_view();
      if (!view) {
        ADD_FAILURE() << "cut " << k << ": the boot loader falls back to its built-in environment";
        continue;
      }
      EXPECT_TRUE(*view == old_vars || *view == new_vars) << "cut " << k << ": a mix";
      testing::internal::CaptureStderr();
      EXPECT_EQ(env_init(), 0) << "cut " << k;
      EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "cut " << k;
      EXPECT_EQ(printed(), joined_lines(*view)) << "cut " << k;
      if (write_succeeds) {
        EXPECT_EQ(hs_setenv("after", "cut"), 0) << "cut " << k;
        Copy c0 = copy(0), c1 = copy(1);
        Vars healed = *view;
        healed.push_back("after=cut");
        EXPECT_TRUE(c0.valid && c1.valid) << "cut " << k;
        EXPECT_EQ(c0.vars, healed) << "cut " << k;
        EXPECT_EQ(c1.vars, healed) << "cut " << k;
      }
      env_deinit();
    }
    ADD_FAILURE() << "the change never ran to its end";
    return 0;
  }
};

TEST_F(BootEnv, LoadsWhatFlashsimLaysOutAndWritesTheOtherCopyFirst) {
  const Copy before0 = copy(0), before1 = copy(1);
  ASSERT_TRUE(before0.valid && before1.valid);
  ASSERT_EQ(before0.generation, 2);
  ASSERT_EQ(before1.generation, 1);
  ASSERT_EQ(env_init(), 0);
  EXPECT_EQ(printed(), joined_lines(before0.vars));
  EXPECT_EQ(hs_getenv("bootdelay"), "1");
  EXPECT_EQ(hs_getenv("missing"), std::nullopt);
  EXPECT_EQ(hs_getenv(nullptr), std::nullopt);

  ASSERT_EQ(hs_setenv("bootdelay", "3"), 0);
  // The other copy one generation ahead of the one loaded, the current one two.
  const Copy after0 = copy(0), after1 = copy(1);
  EXPECT_TRUE(after0.valid && after1.valid);
  EXPECT_EQ(after1.generation, 3);
  EXPECT_EQ(after0.generation, 4);
  Vars expected = before0.vars;
  std::erase(expected, "bootdelay=1");
  expected.push_back("bootdelay=3");
  EXPECT_EQ(after0.vars, expected);
  EXPECT_EQ(after1.vars, expected);
  // Both blocks are locked again.
  EXPECT_NE(side().find("locked 0\n"), std::string::npos);
  EXPECT_NE(side().find("locked 1\n"), std::string::npos);
  EXPECT_EQ(boot_view(), expected);
}

TEST_F(BootEnv, ChoosesTheCopyTheBootLoaderBoots) {
  struct Case {
    const char* what;
    std::string copy0, copy1;
    const char* expected;  // "which", or nullptr for the built-in environment
  };
  const std::string erased(0x10000, '\xFF');
  std::string flipped = make_copy({"which=0"}, 9);
  flipped[100] ^= 0x04;
  const Case cases[] = {
      {"255 then 0", make_copy({"which=0"}, 255), make_copy({"which=1"}, 0), "1"},
      {"7 and 7", make_copy({"which=0"}, 7), make_copy({"which=1"}, 7), "0"},
      {"0 then 255", make_copy({"which=0"}, 0), make_copy({"which=1"}, 255), "1"},
      {"stale copy 1", make_copy({"which=0"}, 4), make_copy({"which=1"}, 3), "0"},
      {"stale copy 0", make_copy({"which=0"}, 3), make_copy({"which=1"}, 4), "1"},
      {"bad crc 1", make_copy({"which=0"}, 1), make_copy({"which=1"}, 2, false), "0"},
      {"bad crc 0", make_copy({"which=0"}, 2, false), make_copy({"which=1"}, 1), "1"},
      {"flipped bit 0", flipped, make_copy({"which=1"}, 1), "1"},
      {"erased 0", erased, make_copy({"which=1"}, 1), "1"},
      {"erased 1", make_copy({"which=0"}, 200), erased, "0"},
      {"both bad", erased, flipped, nullptr},
  };
  for (const Case& c : cases) {
    put_copy(0, c.copy0);
    put_copy(1, c.copy1);
    testing::internal::CaptureStderr();
    ASSERT_EQ(env_init(), 0) << c.what;
    std::string err = testing::internal::GetCapturedStderr();
    if (c.expected != nullptr) {
      EXPECT_EQ(hs_getenv("which"), c.expected) << c.what;
      EXPECT_EQ(err, "") << c.what;
    } else {
      EXPECT_EQ(err, "Warning: Bad CRC, using default environment\n");
      EXPECT_EQ(hs_getenv("bootdelay"), "5");
      EXPECT_EQ(hs_getenv("baudrate"), "115200");
      EXPECT_EQ(hs_getenv("which"), std::nullopt);
    }
  }
}

TEST_F(BootEnv, DefaultEnvironmentIsWrittenToBothCopiesAtTheNextChange) {
  put_device(std::string(0x20000, '\xFF'));
  testing::internal::CaptureStderr();
  ASSERT_EQ(env_init(), 0);
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(hs_setenv("sn", "A1"), 0);
  const Copy c0 = copy(0), c1 = copy(1);
  ASSERT_TRUE(c0.valid && c1.valid);
  EXPECT_EQ(c0.vars.size(), 4u);
  EXPECT_EQ(c0.vars[1], "bootdelay=5");
  EXPECT_EQ(c0.vars[3], "sn=A1");
  EXPECT_EQ(c1.vars, c0.vars);
}

TEST_F(BootEnv, AnUnreadableCopyCountsAsABadOne) {
  struct Case {
    const char* what;
    std::function<void()> damage;
    int result;
    const char* message;
  };
  const Case cases[] = {
      {"copy 1 beyond the device's end", [&] { put_device(device().substr(0, 0x10000)); }, 0,
       "Read error on /dev/mtd1: Input/output error\n"},
      {"bad block under copy 0", [&] { make_nand({1}); }, 0, "Too few good blocks within range\n"},
      {"bad blocks under both",
       [&] {
         make_nand({3, 4});
       },
       -1, "Too few good blocks within range\nToo few good blocks within range\n"},
      {"device cannot be opened", [&] { put_side("type 6\nerasesize 65536\nwritesize 1\n"); }, -1,
       "Can't open /dev/mtd1: Invalid argument\nCan't open /dev/mtd1: Invalid argument\n"},
      {"no device", [&] { ASSERT_EQ(unlink(root_.at("/dev/mtd1").c_str()), 0); }, -1,
       "Cannot access MTD device /dev/mtd1: No such file or directory\n"},
  };
  const std::string dev0 = device(), side0 = side();
  for (const Case& c : cases) {
    put_device(dev0);
    put_side(side0);
    c.damage();
    testing::internal::CaptureStderr();
    EXPECT_EQ(env_init(), c.result) << c.what;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message) << c.what;
    if (c.result == 0) {
      EXPECT_EQ(hs_getenv("bootdelay"), "1") << c.what;
    }
  }
}

TEST_F(BootEnv, OverflowKeepsTheOldValueInMemoryAndOnFlash) {
  ASSERT_EQ(env_init(), 0);
  const std::string args = *hs_getenv("bootargs");
  // Fill the area until a longer command line no longer fits.
  size_t used = 0;
  for (const std::string& v : copy(0).vars) used += v.size() + 1;
  const size_t room = 65531 - used - 1;  // free bytes before the list's end
  ASSERT_EQ(hs_setenv("pad", std::string(room - 4 - 1 - 10, 'p').c_str()), 0);
  const std::string dev = device();

  testing::internal::CaptureStderr();
  EXPECT_EQ(hs_setenv("bootargs", (args + std::string(11, 'x')).c_str()), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Error: environment overflow, \"bootargs\" deleted\n");
  EXPECT_EQ(device(), dev);
  EXPECT_EQ(hs_getenv("bootargs"), args);
  // Exactly the room left (10 bytes more) still fits.
  ASSERT_EQ(hs_setenv("bootargs", (args + std::string(10, 'x')).c_str()), 0);
  ASSERT_EQ(hs_setenv("bootargs", args.c_str()), 0);

  // The next write of another variable keeps the command line.
  testing::internal::CaptureStderr();
  EXPECT_EQ(hs_setenv("bootargs", (args + std::string(100, 'x')).c_str()), -1);
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(hs_setenv("sn", "X"), 0);
  ASSERT_TRUE(boot_view());
  EXPECT_NE(std::find(boot_view()->begin(), boot_view()->end(), "bootargs=" + args),
            boot_view()->end());
}

TEST_F(BootEnv, BatchChangesSeveralVariablesInOneWrite) {
  ASSERT_EQ(env_init(), 0);
  const EnvChange changes[] = {{"bootcmd", "nand read 0x1000000 ker2 0x800000;bootm 0x1000000"},
                               {"bootargs", "ubi.mtd=fs2"},
                               {"gateway", std::nullopt}};
  ASSERT_EQ(hs_setenv_batch(changes), 0);
  // One write: generations 3 and 4, not 5 and 6.
  EXPECT_EQ(copy(1).generation, 3);
  EXPECT_EQ(copy(0).generation, 4);
  EXPECT_EQ(hs_getenv("bootargs"), "ubi.mtd=fs2");
  EXPECT_EQ(hs_getenv("gateway"), std::nullopt);
  const Vars& vars = copy(0).vars;
  EXPECT_EQ(vars[vars.size() - 2], "bootcmd=nand read 0x1000000 ker2 0x800000;bootm 0x1000000");
  EXPECT_EQ(vars.back(), "bootargs=ubi.mtd=fs2");

  // A batch with a bad name changes nothing at all.
  const std::string dev = device();
  const EnvChange bad[] = {{"bootargs", "ubi.mtd=fs1"}, {"a=b", "c"}};
  testing::internal::CaptureStderr();
  errno = 0;
  EXPECT_EQ(hs_setenv_batch(bad), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "## Error: illegal variable name \"a=b\"\n");
  EXPECT_EQ(hs_getenv("bootargs"), "ubi.mtd=fs2");
  EXPECT_EQ(device(), dev);
}

TEST_F(BootEnv, WriteFailuresLeaveTheCurrentCopyAsItWas) {
  struct Case {
    const char* what;
    bool nand;
    std::string fault;
    std::string message;
  };
  const Case cases[] = {
      {"erase fails", false, "erase_fail 1\n",
       "MTD erase error on /dev/mtd1: Input/output error\n"},
      {"program fails", false, "program_fail 65536\n",
       "Write error on /dev/mtd1: Input/output error\n"},
      {"a bit flips", false, "bit_flip 70000\n",
       "Verify error on /dev/mtd1: the copy at 0x10000 reads back different\n"},
      {"block goes bad", true, "grow_bad 6\n", "Write error on /dev/mtd1: Input/output error\n"},
      {"NAND program fails", true, "program_fail 40\n",
       "Write error on /dev/mtd1: Input/output error\n"},
      {"bad block in the other copy", true, "bad 7\n", "End of range reached, aborting\n"},
      {"erase blocks hold both copies", false, "erasesize 131072\n",
       "Refusing to write /dev/mtd1: its 131072-byte erase blocks hold both 65536-byte "
       "environment copies, erasing one would erase the other\n"},
  };
  const std::string dev0 = device(), side0 = side();
  for (const Case& c : cases) {
    put_device(dev0);
    if (c.nand)
      make_nand();
    else
      put_side(side0);
    put_side(side() + c.fault);
    const Vars old_vars = *boot_view();
    ASSERT_EQ(env_init(), 0) << c.what;
    const std::string current = device().substr(0, 0x10000);
    testing::internal::CaptureStderr();
    EXPECT_EQ(hs_setenv("sn", "NEW"), -1) << c.what;
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              c.message + "Error: can't write fw_env to flash\n")
        << c.what;
    EXPECT_EQ(device().substr(0, 0x10000), current) << c.what;
    EXPECT_EQ(boot_view(), old_vars) << c.what;
    // The change stays in memory.
    EXPECT_EQ(hs_getenv("sn"), "NEW") << c.what;
  }
}

TEST_F(BootEnv, NandCopiesAreWrittenBlockByBlock) {
  make_nand();
  ASSERT_EQ(env_init(), 0);
  ASSERT_EQ(hs_setenv("sn", "NAND"), 0);
  const Copy c0 = copy(0), c1 = copy(1);
  EXPECT_TRUE(c0.valid && c1.valid);
  EXPECT_EQ(c0.vars.back(), "sn=NAND");
  EXPECT_EQ(c1.vars, c0.vars);
  EXPECT_EQ(side().find("locked"), std::string::npos);
}

TEST_F(BootEnv, UnterminatedListIsRefused) {
  // A valid checksum over 'x' up to the generation byte.
  std::string bytes(0x10000, 'x');
  bytes[0xFFFF] = 5;
  uint32_t crc =
      nvrtest::reference_crc(reinterpret_cast<const uint8_t*>(bytes.data()) + 4, 0x10000 - 4);
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(crc >> (8 * i));
  put_copy(0, bytes);
  put_copy(1, make_copy({"x=1"}, 4, false));
  ASSERT_EQ(env_init(), 0);
  const std::string dev = device();
  const char kMessage[] = "## Error: environment not terminated\n";
  testing::internal::CaptureStderr();
  EXPECT_EQ(hs_getenv("x"), std::nullopt);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), kMessage);
  testing::internal::CaptureStderr();
  errno = 0;
  EXPECT_EQ(hs_setenv("x", "1"), -1);
  EXPECT_EQ(errno, EINVAL);
  EXPECT_EQ(hs_printenv(), -1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string(kMessage) + kMessage);
  EXPECT_EQ(device(), dev);
}

TEST_F(BootEnv, CallsWithoutALoadedEnvironmentFail) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(hs_getenv("bootdelay"), std::nullopt);
  EXPECT_EQ(hs_setenv("a", "b"), -1);
  EXPECT_EQ(hs_setenv(nullptr, "b"), -1);
  EXPECT_EQ(hs_printenv(), -1);
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(env_init(), 0);
  EXPECT_EQ(hs_setenv("a", nullptr), -1);
  EXPECT_EQ(errno, EINVAL);
}

// Runs a command-style call with its words; the output streams and the result.
struct Command {
  std::vector<std::string> words;
  int result;
  std::string out, err;
};

TEST_F(BootEnv, CommandStyleCalls) {
  using Call = int (*)(int, char**);
  struct Case {
    Call call;
    Command c;
  };
  const Case cases[] = {
      {fw_printenv,
       {{"fw_printenv", "bootdelay", "baudrate"}, 0, "bootdelay=1\nbaudrate=115200\n", ""}},
      {fw_printenv, {{"fw_printenv", "-n", "bootdelay"}, 0, "1\n", ""}},
      {fw_printenv,
       {{"fw_printenv", "-n"}, -1, "", "## Error: `-n' option requires exactly one argument\n"}},
      {fw_printenv,
       {{"fw_printenv", "-n", "a", "b"},
        -1,
        "",
        "## Error: `-n' option requires exactly one argument\n"}},
      {fw_printenv,
       {{"fw_printenv", "nope", "bootdelay"},
        -1,
        "bootdelay=1\n",
        "## Error: \"nope\" not defined\n"}},
      {fw_setenv, {{"fw_setenv", "hostname", "a", "b", "c"}, 0, "", ""}},
      {fw_printenv, {{"fw_printenv", "hostname"}, 0, "hostname=a b c\n", ""}},
      {fw_setenv, {{"fw_setenv", "hostname"}, 0, "", ""}},
      {fw_printenv,
       {{"fw_printenv", "-n", "hostname"}, -1, "", "## Error: \"hostname\" not defined\n"}},
      {fw_setenv, {{"fw_setenv", "serial#", "1"}, 0, "", ""}},
      {fw_setenv, {{"fw_setenv", "serial#", "2"}, -1, "", "Can't overwrite \"serial#\"\n"}},
      {fw_setenv, {{"fw_setenv", "serial#"}, -1, "", "Can't overwrite \"serial#\"\n"}},
      {fw_printenv, {{"fw_printenv", "serial#"}, 0, "serial#=1\n", ""}},
      {fw_setenv, {{"fw_setenv"}, -1, "", ""}},
      {fw_setenv,
       {{"fw_setenv", "big", std::string(70000, 'b')},
        -1,
        "",
        "Error: environment overflow, \"big\" deleted\n"}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> words = c.c.words;
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    errno = 0;
    int result = c.call(static_cast<int>(words.size()), argv.data());
    const int error = errno;
    std::string err = testing::internal::GetCapturedStderr();
    std::string out = testing::internal::GetCapturedStdout();
    const std::string what = words[0] + (words.size() > 1 ? " " + words[1] : "");
    EXPECT_EQ(result, c.c.result) << what;
    EXPECT_EQ(out, c.c.out) << what;
    EXPECT_EQ(err, c.c.err) << what;
    if (words.size() == 1 && c.call == fw_setenv) {
      EXPECT_EQ(error, EINVAL);
    }
    if (c.c.err.rfind("Can't overwrite", 0) == 0) {
      EXPECT_EQ(error, EROFS);
    }
  }
  EXPECT_EQ(fw_getenv("serial#"), "1");
  EXPECT_EQ(fw_getenv("nope"), std::nullopt);
  // Every call wrote to flash at once.
  EXPECT_NE(std::find(copy(0).vars.begin(), copy(0).vars.end(), "serial#=1"), copy(0).vars.end());
  // With no names, every variable.
  testing::internal::CaptureStdout();
  char name[] = "fw_printenv";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(fw_printenv(1, argv), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), joined_lines(*boot_view()));
}

TEST_F(BootEnv, WrappersAndBootVariables) {
  ASSERT_EQ(dv_env_init(), 0);
  using Setter = int (*)(const char*);
  struct Case {
    Setter set;
    const char* variable;
  };
  const Case cases[] = {
      {set_ptb_sn, "sn"},
      {set_ptb_cmdline, "bootargs"},
      {set_ptb_pri_file, "bootfile"},
      {set_ptb_tftpd_ip, "serverip"},
      {set_ptb_eth_mac, "ethaddr"},
      {set_ptb_eth_ip, "ipaddr"},
      {set_ptb_eth_netmask, "netmask"},
      {set_ptb_eth_gateway, "gateway"},
      {set_ptb_wifi_mac, "wifimac"},
      {set_ptb_wifi_ip, "wifiip"},
      {set_ptb_wifi_netmask, "wifinm"},
      {set_ptb_wifi_gateway, "wifigw"},
  };
  for (const Case& c : cases) {
    const std::string value = std::string("v-") + c.variable;
    ASSERT_EQ(c.set(value.c_str()), 0) << c.variable;
    EXPECT_EQ(dv_getenv(c.variable), value);
    EXPECT_EQ(copy(0).vars.back(), std::string(c.variable) + "=" + value);
  }
  EXPECT_EQ(set_ptb_bootdelay(0x1234), 0);
  EXPECT_EQ(dv_getenv("bootdelay"), "52");
  EXPECT_EQ(dv_setenv("x", "1"), 0);
  EXPECT_EQ(dv_setenv("=", "1"), -1);

  const std::string dev = device();
  EXPECT_EQ(set_ptb_autoboot(1), 0);
  EXPECT_EQ(set_ptb_autodownload(1), 0);
  EXPECT_EQ(set_ptb_pri_addr(0x8000), 0);
  EXPECT_EQ(device(), dev);
  EXPECT_EQ(dv_env_deinit(), 0);
  EXPECT_EQ(dv_getenv("x"), std::nullopt);
}

TEST_F(BootEnv, BootState) {
  ASSERT_EQ(env_init(), 0);
  struct Case {
    const char* before;
    unsigned long state;
    const char* after;
    bool written;
  };
  const Case cases[] = {
      {"None", 1, "Done", true},    {"xNonex", 7, "Done", true}, {"Done", 0, "None", true},
      {"Done", 1, "Done", false},   {"None", 0, "None", false},  {"other", 1, "other", false},
      {nullptr, 1, nullptr, false},
  };
  for (const Case& c : cases) {
    const EnvChange change[] = {
        {"bootState", c.before ? std::optional<std::string_view>(c.before) : std::nullopt}};
    ASSERT_EQ(hs_setenv_batch(change), 0);
    const uint8_t generation = copy(0).generation;
    EXPECT_EQ(set_boot_state(c.state), 0) << c.before;
    EXPECT_EQ(hs_getenv("bootState"), c.after ? std::optional<std::string>(c.after) : std::nullopt);
    EXPECT_EQ(copy(0).generation != generation, c.written) << c.before;
  }
}

TEST_F(BootEnv, PowerCutAtEveryFlashOperationLeavesOldOrNew) {
  struct Case {
    const char* what;
    bool nand;
    std::set<int> bad;             // NAND erase blocks (four per copy)
    int generation0, generation1;  // -1: as flashsim laid them out
    bool write_succeeds;
  };
  const Case cases[] = {
      {"NOR", false, {}, -1, -1, true},
      {"NOR 255 then 254", false, {}, 255, 254, true},
      {"NOR 254 then 255", false, {}, 254, 255, true},
      {"NAND", true, {}, -1, -1, true},
      {"NAND copy 1 current", true, {}, 7, 8, true},
      {"NAND bad block under copy 1", true, {6}, -1, -1, false},
      {"NAND bad block under copy 0", true, {0}, -1, -1, false},
  };
  int total = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Vars vars = copy(0).vars;
    if (c.generation0 >= 0) {
      put_copy(0, make_copy(vars, static_cast<uint8_t>(c.generation0)));
      put_copy(1, make_copy(vars, static_cast<uint8_t>(c.generation1)));
    }
    if (c.nand) make_nand(c.bad);
    const Vars old_vars = *boot_view();
    Vars new_vars = old_vars;
    std::erase_if(new_vars, [](const std::string& v) { return v.rfind("bootargs=", 0) == 0; });
    new_vars.push_back("bootargs=console=ttyAMA0 ubi.mtd=fs2");
    int points = sweep([] { return hs_setenv("bootargs", "console=ttyAMA0 ubi.mtd=fs2"); },
                       old_vars, new_vars, c.write_succeeds);
    // NOR: erase and program of each copy; NAND: four erases and 32 pages each.
    const int expected = !c.write_succeeds ? 0 : c.nand ? 72 : 4;
    EXPECT_EQ(points, expected);
    total += points;
    lay_out();  // a fresh recorder for the next case
  }
  std::printf("power-cut sweep: %d cut points\n", total);
}

}  // namespace
