// `flashsim create` lays out a factory-fresh recorder: eleven partitions with sensible
// geometry, "/proc/mtd", "/proc/cmdline", a valid redundant environment naming the
// running copies, and the stand-in programs; its "reboot" starts what the boot loader
// would choose.
#include <sys/stat.h>

#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "flash_model.h"
#include "support/process.h"
#include "support/temp_root.h"

namespace {

nvrtest::ProcessResult flashsim(const std::vector<std::string>& args) {
  nvrtest::ProcessSpec spec;
  spec.argv = {nvrtest::bin_path("flashsim")};
  spec.argv.insert(spec.argv.end(), args.begin(), args.end());
  spec.env = {{"PATH", "/usr/bin:/bin"}};
  return nvrtest::run_process(spec);
}

// Bitwise CRC-32, independent of the code under test.
uint32_t reference_crc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0u - (c & 1)));
  }
  return ~c;
}

struct EnvCopy {
  bool crc_ok;
  uint8_t generation;
  std::vector<std::string> vars;
};

EnvCopy parse_env(const std::string& dev, size_t offset) {
  const auto* b = reinterpret_cast<const uint8_t*>(dev.data() + offset);
  EnvCopy env;
  uint32_t stored = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
  env.crc_ok = stored == reference_crc(b + 4, 0x10000 - 4);
  env.generation = b[0xFFFF];
  for (size_t at = 4; at < 0x10000 && b[at] != 0;) {
    std::string var(reinterpret_cast<const char*>(b + at));
    at += var.size() + 1;
    env.vars.push_back(var);
  }
  return env;
}

std::string value_of(const EnvCopy& env, const std::string& name) {
  for (const std::string& v : env.vars)
    if (v.rfind(name + "=", 0) == 0) return v.substr(name.size() + 1);
  return "<none>";
}

TEST(FlashsimCreate, LaysOutAFactoryFreshRecorder) {
  nvrtest::TempRoot root;
  auto r = flashsim({"create", root.path(), "--small"});
  ASSERT_EQ(r.exit_code, 0) << r.err;

  std::string mtd = root.read("/proc/mtd");
  const char* names[] = {"uboot", "env", "baseparam", "logo", "ker1", "ker2",
                         "fs1",   "fs2", "cfg",       "oem",  "rsd"};
  EXPECT_EQ(mtd.rfind("dev:    size   erasesize  name\n", 0), 0u);
  for (int i = 0; i < 11; ++i) {
    std::string dev = "/dev/mtd" + std::to_string(i);
    struct stat st;
    ASSERT_EQ(stat(root.at(dev).c_str(), &st), 0) << dev;
    char line[80];
    std::snprintf(line, sizeof line, "mtd%d: %08x %08x \"%s\"\n", i,
                  static_cast<unsigned>(st.st_size), i < 2 ? 0x10000u : 0x20000u, names[i]);
    EXPECT_NE(mtd.find(line), std::string::npos) << line << mtd;
    flashsim::SideFile side;
    std::string why;
    ASSERT_TRUE(flashsim::load_side_file(root.at(dev + ".flash"), &side, &why)) << why;
    // Boot loader and environment on SPI NOR, the rest on NAND with 2048-byte pages.
    EXPECT_EQ(side.geometry.type, i < 2 ? flashsim::kNorFlash : flashsim::kNandFlash) << dev;
    if (i >= 2) {
      EXPECT_EQ(side.geometry.writesize, 2048u);
      EXPECT_EQ(side.geometry.oobsize, 64u);
    }
  }

  std::string env_dev = root.read("/dev/mtd1");
  ASSERT_EQ(env_dev.size(), 0x20000u);
  EnvCopy first = parse_env(env_dev, 0), second = parse_env(env_dev, 0x10000);
  EXPECT_TRUE(first.crc_ok);
  EXPECT_TRUE(second.crc_ok);
  EXPECT_EQ(first.vars, second.vars);
  EXPECT_EQ(first.generation, static_cast<uint8_t>(second.generation + 1));
  EXPECT_NE(value_of(first, "bootcmd").find("ker1"), std::string::npos);
  EXPECT_NE(value_of(first, "bootargs").find("ubi.mtd=fs1"), std::string::npos);
  EXPECT_EQ(root.read("/proc/cmdline"), value_of(first, "bootargs") + "\n");
  EXPECT_EQ(value_of(first, "fs1"), "name:fs1\tver:0x48090012\tsize:1048576\tdate:0x07e70801 ");
  for (const char* name : names) EXPECT_NE(value_of(first, name), "<none>") << name;

  // The installed kernel copy holds its recorded size of content, then erased flash.
  std::string ker1 = root.read("/dev/mtd4");
  EXPECT_NE(ker1.substr(0, 256 * 1024), std::string(256 * 1024, '\xFF'));
  EXPECT_EQ(ker1.substr(256 * 1024), std::string(ker1.size() - 256 * 1024, '\xFF'));
  for (const char* prog : {"/usr/sbin/flash_eraseall", "/sbin/reboot", "/usr/bin/dvchip_update"})
    EXPECT_EQ(access(root.at(prog).c_str(), X_OK), 0) << prog;
}

TEST(FlashsimCreate, OptionsChooseRunningCopyVersionsAndBoard) {
  nvrtest::TempRoot root;
  auto r =
      flashsim({"create", root.path(), "--small", "--running", "2", "--version", "uboot=73.1.2.3",
                "--model", "KRT4420 rev A", "--phy", "0x1234", "--poe", "0x44"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EnvCopy env = parse_env(root.read("/dev/mtd1"), 0);
  EXPECT_NE(value_of(env, "bootcmd").find("ker2"), std::string::npos);
  EXPECT_NE(value_of(env, "bootargs").find("ubi.mtd=fs2"), std::string::npos);
  EXPECT_NE(value_of(env, "uboot").find("ver:0x49010203"), std::string::npos);
  std::string board = root.read("/flashsim/board.conf");
  EXPECT_NE(board.find("model_line KRT4420 rev A\n"), std::string::npos) << board;
  EXPECT_NE(board.find("phy_id 0x1234\n"), std::string::npos) << board;
  EXPECT_NE(board.find("poe_id 0x44\n"), std::string::npos) << board;
}

TEST(FlashsimCreate, RefusesTheHostRootAndBadOptions) {
  // "/tmp/.." is the host's "/": refused before anything is written.
  auto r = flashsim({"create", "/tmp/..", "--small"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("refusing"), std::string::npos) << r.err;

  nvrtest::TempRoot root;
  for (std::vector<std::string> args :
       {std::vector<std::string>{"create", root.path(), "--running", "3"},
        std::vector<std::string>{"create", root.path(), "--version", "uboot=1.2.3.999"},
        std::vector<std::string>{"create", root.path(), "--bogus"}}) {
    auto bad = flashsim(args);
    EXPECT_NE(bad.exit_code, 0) << args.back();
  }
  EXPECT_FALSE(root.exists("/dev/mtd0"));
}

TEST(FlashsimCreate, RefusesASubfolderThatLeadsElsewhere) {
  nvrtest::TempRoot root, elsewhere;
  ASSERT_EQ(symlink(elsewhere.path().c_str(), root.at("/proc").c_str()), 0);
  auto before = elsewhere.list("/");
  auto r = flashsim({"create", root.path(), "--small"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("not a folder of its own"), std::string::npos) << r.err;
  EXPECT_EQ(elsewhere.list("/"), before);
}

// A copy of the environment with `vars`, built here byte by byte.
std::string env_copy(const std::vector<std::string>& vars, uint8_t generation,
                     bool good_crc = true) {
  std::string bytes(0x10000, '\0');
  size_t at = 4;
  for (const std::string& v : vars) {
    bytes.replace(at, v.size() + 1, v.c_str(), v.size() + 1);
    at += v.size() + 1;
  }
  bytes[0xFFFF] = static_cast<char>(generation);
  uint32_t crc = reference_crc(reinterpret_cast<const uint8_t*>(bytes.data()) + 4, 0x10000 - 4);
  if (!good_crc) ++crc;
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(crc >> (8 * i));
  return bytes;
}

TEST(FlashsimReboot, StartsWhatTheBootLoaderChooses) {
  nvrtest::TempRoot root;
  ASSERT_EQ(flashsim({"create", root.path(), "--small"}).exit_code, 0);
  const std::string factory = root.read("/proc/cmdline");
  struct Case {
    const char* what;
    std::string device;
    std::string cmdline;  // "" when it stays as it was
    std::string err;
  };
  const Case cases[] = {
      {"copy 1 one generation ahead",
       env_copy({"bootargs=ubi.mtd=fs1"}, 4) + env_copy({"bootargs=ubi.mtd=fs2 x"}, 5),
       "ubi.mtd=fs2 x\n", ""},
      {"copy 1 torn",
       env_copy({"bootargs=ubi.mtd=fs1"}, 4) + env_copy({"bootargs=ubi.mtd=fs2"}, 5, false),
       "ubi.mtd=fs1\n", ""},
      {"both torn", env_copy({"bootargs=a"}, 1, false) + env_copy({"bootargs=b"}, 2, false), "",
       "flashsim: no valid boot environment: the boot loader would start from the network\n"},
      {"no bootargs", env_copy({"bootcmd=bootm"}, 1) + env_copy({"bootcmd=bootm"}, 0), "",
       "flashsim: the boot environment has no \"bootargs\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    root.write("/flashsim/calls.log", "");
    root.write("/proc/cmdline", factory);
    root.write("/dev/mtd1", c.device);
    nvrtest::ProcessSpec spec;
    spec.argv = {root.at("/sbin/reboot"), "-f"};
    spec.env = {{"PATH", "/usr/bin:/bin"}};
    auto r = nvrtest::run_process(spec);
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(root.read("/flashsim/calls.log"), "reboot -f\n");
    EXPECT_EQ(root.read("/proc/cmdline"), c.cmdline.empty() ? factory : c.cmdline);
  }
}

}  // namespace
