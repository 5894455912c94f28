// The real programs on an emulated recorder: mkupfw builds images; update lists and
// extracts them with the exact texts, refuses over-long image paths, writes its result
// file, and runs its command line: the usage text, the setters of boot variables and
// their failures, --version and --show, what it does without a boot environment, and the
// fixed order of version check, list, extract and install.
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "recorder_process.h"

namespace {

class UpdateProcess : public updtest::RecorderProcessTest {
 protected:
  // An image with a 5000-byte kernel, a 2048-byte filesystem at another version and a tool.
  std::string make_image(const std::string& rel) {
    root_.write("/tmp/k", std::string(5000, 'k'));
    root_.write("/tmp/f", std::string(2048, 'f'));
    root_.write("/tmp/c", "#!/bin/sh\necho tool\n");
    auto r =
        run("mkupfw", {"-o", root_.at(rel), "ker=" + root_.at("/tmp/k"),
                       "fs=" + root_.at("/tmp/f") + ",72.9.0.20", "cmd=" + root_.at("/tmp/c")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "Copy data to image!!!\n");
    return root_.at(rel);
  }
};

TEST_F(UpdateProcess, ListsAnImageBuiltByMkupfw) {
  std::string img = make_image("/tmp/a.img");
  EXPECT_EQ(root_.read("/tmp/k").size(), 5000u);  // mkupfw leaves its sources alone
  auto r = run("update", {"-l", img});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // Record contents: ker 5000 bytes and 1144 bytes 0xFF, fs 2048, cmd 20 and 2028 0xFF.
  EXPECT_EQ(r.out, "List upfw " + img +
                       " infomation.\n"
                       "Image info: \n"
                       "bld: \nversion = 72.1.1.26\n"
                       "ker: \noffset  = 0x00000800\nsize    = 6 K\naddr    = 0x00000000\n"
                       "flag    = 0x00000000\ndate    = 2023/9/12\ncrc32   = 0x" +
                       std::string("CC2C08BA") +
                       "\nversion = 72.1.0.10\n"
                       "fs: \noffset  = 0x00002000\nsize    = 2 K\naddr    = 0x00000000\n"
                       "flag    = 0x00000001\ndate    = 2023/9/12\ncrc32   = 0x" +
                       std::string("3E20D6CB") +
                       "\nversion = 72.9.0.20\n"
                       "cmd: \noffset  = 0x00002800\nsize    = 2 K\naddr    = 0x00000000\n"
                       "flag    = 0x00000001\ndate    = 2023/9/12\ncrc32   = 0x" +
                       std::string("DE0326D6") +
                       "\nversion = 0.1.0.1\n"
                       "param: \nversion = 72.1.0.1\n"
                       "jpg: \nversion = 72.1.0.2\n"
                       "bld2: \nversion = 72.1.2.26\n"
                       "tool: \nversion = 0.0.1.0\n");
}

TEST_F(UpdateProcess, DefaultImageAndOperands) {
  make_image("/dev/shm/updateFM.bin");
  const std::string def = root_.at("/dev/shm/updateFM.bin");
  struct Case {
    std::vector<std::string> args;
    std::string listed;
  };
  const Case cases[] = {
      {{"-l"}, def},
      {{"--list"}, def},
      {{"-l", "one", "two"}, def},  // two operands leave the default in force
  };
  for (const Case& c : cases) {
    auto r = run("update", c.args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("List upfw " + c.listed + " infomation.\nImage info: \n", 0), 0u)
        << r.out;
  }
  auto none = run("update", {});
  EXPECT_EQ(none.exit_code, 0);
  EXPECT_EQ(none.out, "");
}

TEST_F(UpdateProcess, ImagePathsOf128CharactersAreRefused) {
  std::string dir = root_.at("/tmp/");
  std::string longest = dir + std::string(127 - dir.size(), 'p');
  std::string too_long = longest + "p";
  ASSERT_EQ(longest.size(), 127u);

  auto r = run("update", {"-l", too_long});
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "Error: image path longer than 127 characters\n");

  r = run("update", {"-l", longest});  // used whole; it does not exist
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_EQ(r.err, "open output imager: No such file or directory\nList upfw " + longest +
                       " infomation failed!\n");
}

TEST_F(UpdateProcess, ExtractsTheToolRecord) {
  std::string img = make_image("/tmp/a.img");
  for (const char* option : {"-a", "-e", "--analysis", "--oem"}) {
    auto r = run("update", {option, img});
    EXPECT_EQ(r.exit_code, 0) << option << r.err;
    // -a checks the version first; -e does not.
    const bool checked = option[1] == 'a' || option[2] == 'a';
    EXPECT_EQ(r.out, (checked ? "version = 9.0.20\n" : "") + std::string("Analysis image ") + img +
                         " \n==============name " + img + "=\nCreate file: /dev/shm/update \n");
    std::string tool = root_.read("/dev/shm/update");
    EXPECT_EQ(tool.substr(0, 20), "#!/bin/sh\necho tool\n");
    EXPECT_EQ(tool.size(), 2048u);
    struct stat st;
    ASSERT_EQ(stat(root_.at("/dev/shm/update").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
  }
}

TEST_F(UpdateProcess, ListsBeforeExtractingWhateverTheOrder) {
  std::string img = make_image("/tmp/a.img");
  auto r = run("update", {"-a", img, "-l"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  size_t list = r.out.find("List upfw"), analysis = r.out.find("Analysis image");
  ASSERT_NE(list, std::string::npos);
  ASSERT_NE(analysis, std::string::npos);
  EXPECT_LT(list, analysis);
}

TEST_F(UpdateProcess, FailedExtractionIsLogged) {
  std::string img = root_.at("/tmp/short.img");
  root_.write("/tmp/short.img", std::string(100, '\0'));
  auto r = run("update", {"-e", img});
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_EQ(root_.read("/mnt/nand/upfw.log"), "-1\nAnalysis " + img + " faild!\n");
  EXPECT_NE(r.err.find("Bad size: \"" + img + "\" is no valid image\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Analysis " + img + " faild!\n"), std::string::npos) << r.err;
}

const std::string kUsage =
    "Usage:\n  update [OPTION] upfw_file \n  Writes to the specified MTD device.\n\n"
    "   --help\tdisplay this help and exit\n"
    "   --version\toutput version information and exit\n"
    "   --show\tShow Dravelin AMBOOT information \n"
    "-u --upfw\tUpdate Dravelin upgrade images\n"
    "-a --analysis\tAnalysis Dravelin upgrade images\n"
    "-e --oem\tAnalysis Dravelin upgrade OEM images\n"
    "-l --list\tList upgrade image information\n"
    "-B --bootState [state]\tset boot state\n"
    "-S --system [id]\tSwitch Dravelin System\n"
    "-N --sn [sn]\tUpdate Dravelin AMBOOT SN \n"
    "-C --cmdline [str]\tUpdate Dravelin AMBOOT cmdline \n"
    "-D --delay [digit]\tUpdate Dravelin AMBOOT bootdelay \n"
    "   --auto_boot [digit]\tUpdate Dravelin AMBOOT load linux from nandflash or no \n"
    "   --auto_dl [digit]\tUpdate Dravelin AMBOOT load linux from network or no \n"
    "   --pri_addr [hex]\tUpdate Dravelin AMBOOT pri_addr \n"
    "   --pri_file [str]\tUpdate Dravelin updated file name(32bytes) \n"
    "   --serverip [ip]\tUpdate Dravelin AMBOOT tftpd server ip \n"
    "-E --eth0_mac [MAC]\tUpdate Dravelin AMBOOT eth0 MAC \n"
    "   --eth0_ip [ip]\tUpdate Dravelin AMBOOT eth0 lan ip \n"
    "   --eth0_mask [ip]\tUpdate Dravelin AMBOOT eth0 lan mask \n"
    "   --eth0_gw [ip]\tUpdate Dravelin AMBOOT eth0 lan gw \n"
    "   --uboot_ver [ver]\tset uboot version , eg: xx.xx.xx.xx\n"
    "-W --wifi0_mac [MAC]\tUpdate Dravelin AMBOOT wifi0 MAC \n"
    "   --wifi0_ip [ip]\tUpdate Dravelin AMBOOT wifi0 ip \n"
    "   --wifi0_mask [ip]\tUpdate Dravelin AMBOOT wifi0 mask\n"
    "   --wifi0_gw [ip]\tUpdate Dravelin AMBOOT wifi0 gw \n"
    "\n";

TEST_F(UpdateProcess, UsageAndUnknownOptions) {
  auto help = run("update", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out, kUsage);
  EXPECT_EQ(help.err, "");
  // -B without its argument is an unknown option as well.
  for (const char* bad : {"-x", "-?", "--nope", "-B"}) {
    auto r = run("update", {bad});
    EXPECT_EQ(r.exit_code, 255) << bad;
    EXPECT_EQ(r.err, "Error: Unknow option\n") << bad;
    EXPECT_EQ(r.out, kUsage) << bad;
  }
  // --help goes on parsing: the list runs after it.
  std::string img = make_image("/tmp/a.img");
  auto both = run("update", {"--help", "-l", img});
  EXPECT_EQ(both.exit_code, 0);
  EXPECT_EQ(both.out.rfind(kUsage + "List upfw " + img + " infomation.\n", 0), 0u) << both.out;
}

TEST_F(UpdateProcess, NoOptionsLoadTheEnvironmentAndWriteNothing) {
  const auto before = flash_state();
  auto r = run("update", {});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(flash_state(), before);
  EXPECT_FALSE(root_.exists("/mnt/nand/upfw.log"));
}

TEST_F(UpdateProcess, WithoutABootEnvironmentOnlyHelpRuns) {
  std::string img = make_image("/tmp/a.img");
  ASSERT_EQ(unlink(root_.at("/dev/mtd1").c_str()), 0);
  for (std::vector<std::string> args :
       {std::vector<std::string>{}, {"-l", img}, {"-N", "x"}, {"--help", "-u"}}) {
    auto r = run("update", args);
    EXPECT_EQ(r.exit_code, 255);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
              "Cannot access MTD device /dev/mtd1: No such file or directory\n"
              "Error: can't load the boot environment\n");
  }
  auto help = run("update", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out, kUsage);
  EXPECT_EQ(help.err, "");
  EXPECT_FALSE(root_.exists("/mnt/nand/upfw.log"));
}

// The variables that differ between two environments: name -> value after ("" when
// removed).
std::map<std::string, std::string> changed(const envtest::Vars& before,
                                           const envtest::Vars& after) {
  std::map<std::string, std::string> b, a, out;
  for (const auto& v : before) b[v.substr(0, v.find('='))] = v.substr(v.find('=') + 1);
  for (const auto& v : after) a[v.substr(0, v.find('='))] = v.substr(v.find('=') + 1);
  for (const auto& [k, v] : a)
    if (b.count(k) == 0 || b[k] != v) out[k] = v;
  for (const auto& [k, v] : b)
    if (a.count(k) == 0) out[k] = "";
  return out;
}

TEST_F(UpdateProcess, SettersWriteTheirVariables) {
  const std::string forty(40, 's'),
      cmdline511 = "console=ttyAMA0 ubi.mtd=fs1 " + std::string(483, 'c');
  ASSERT_EQ(cmdline511.size(), 511u);
  struct Case {
    std::vector<std::string> args;
    std::map<std::string, std::string> changes;
  };
  const Case cases[] = {
      {{"-N", "SN42"}, {{"sn", "SN42"}}},
      {{"-NSN43"}, {{"sn", "SN43"}}},
      {{"--sn=" + forty}, {{"sn", forty.substr(0, 31)}}},
      {{"-C", "console=ttyAMA0 ubi.mtd=fs2"}, {{"bootargs", "console=ttyAMA0 ubi.mtd=fs2"}}},
      {{"--cmdline", cmdline511}, {{"bootargs", cmdline511}}},
      {{"-D", "0x1FF"}, {{"bootdelay", "255"}}},
      {{"--delay", "010"}, {{"bootdelay", "8"}}},
      {{"--pri_file", forty}, {{"bootfile", forty.substr(0, 31)}}},
      {{"--serverip", "10.0.0.2"}, {{"serverip", "10.0.0.2"}}},
      {{"-E", "02:00:00:00:00:09", "--eth0_ip", "10.0.0.9", "--eth0_mask", "255.0.0.0", "--eth0_gw",
        "10.0.0.1"},
       {{"ethaddr", "02:00:00:00:00:09"},
        {"ipaddr", "10.0.0.9"},
        {"netmask", "255.0.0.0"},
        {"gateway", "10.0.0.1"}}},
      {{"-W", "02:00:00:00:00:0a", "--wifi0_ip", "10.1.0.9", "--wifi0_mask", "255.255.0.0",
        "--wifi0_gw", "10.1.0.1"},
       {{"wifimac", "02:00:00:00:00:0a"},
        {"wifiip", "10.1.0.9"},
        {"wifinm", "255.255.0.0"},
        {"wifigw", "10.1.0.1"}}},
      {{"--uboot_ver", "72.1.2.26"},
       {{"uboot", record_text("uboot", 0x4801021A, 256 * 1024, 0x07E70801)}}},
      {{"-B", "0"}, {{"bootState", "None"}}},
      {{"-B", "1"}, {}},  // already "Done"
      {{"--auto_boot", "1", "--auto_dl", "0", "--pri_addr", "0x80000000"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front());
    lay_out();
    const envtest::Vars before = boot_env();
    auto r = run("update", c.args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(changed(before, boot_env()), c.changes);
  }
}

TEST_F(UpdateProcess, FailedSettersAndUnknownOptions) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
    std::map<std::string, std::string> changes;  // what took effect all the same
    std::string out_before_usage = "";
  };
  const Case cases[] = {
      {{"-N", "A", "--cmdline", std::string(512, 'c'), "-D", "3"},
       "Error: --cmdline takes at most 511 characters\nupdate cmdline faild.\n",
       {{"sn", "A"}, {"bootdelay", "3"}}},
      {{"-D", "soon"}, "Error: \"soon\" is not a number\nupdate bootdelay faild.\n", {}},
      {{"--uboot_ver", "7.1"},
       "update uboot version faild.\n",
       {},
       "uboot version format invalid, eg: xx.xx.xx.xx"},
      {{"-N", "B", "-x", "-D", "7"}, "Error: Unknow option\n", {{"sn", "B"}}},
      {{"-S", "5", "-N", "C"},
       "Unknown fs index, please choose 1 or 2\nswitch system faild.\n",
       {{"sn", "C"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.err);
    lay_out();
    const envtest::Vars before = boot_env();
    auto r = run("update", c.args);
    EXPECT_EQ(r.exit_code, 255);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, c.out_before_usage + kUsage);
    EXPECT_EQ(changed(before, boot_env()), c.changes);
  }
}

// One record as --version and --show print it.
std::string record_lines(const std::string& label, const std::string& version,
                         const std::string& size) {
  return label + "\n\tversion = " + version + "\n\tsize    = " + size + "\n\tdate    = 2023/8/1\n";
}

TEST_F(UpdateProcess, VersionListsTheRecordsThatHaveAVersion) {
  const std::string factory =
      "Dravelin update version: 0.1.0.1\n" + record_lines("uboot:", "72.1.1.25", "256 K") +
      record_lines("baseparam:", "72.1.0.1", "8 K") + record_lines("logo:", "72.1.0.2", "16 K") +
      record_lines("ker1:(current)", "72.1.0.9", "256 K") +
      record_lines("ker2:", "72.1.0.9", "256 K") +
      record_lines("fs1:(current)", "72.9.0.18", "1024 K") +
      record_lines("fs2:", "72.9.0.18", "1024 K");
  auto r = run("update", {"--version"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, factory);

  // Booted from the network: the filesystem records are labelled so.
  put_var("bootargs", "root=/dev/nfs nfsroot=192.168.1.2:/nfs");
  put_var("bootcmd", "bootp; bootm");
  r = run("update", {"--version"});
  EXPECT_EQ(r.out, "Dravelin update version: 0.1.0.1\n" +
                       record_lines("uboot:", "72.1.1.25", "256 K") +
                       record_lines("baseparam:", "72.1.0.1", "8 K") +
                       record_lines("logo:", "72.1.0.2", "16 K") +
                       record_lines("ker1:", "72.1.0.9", "256 K") +
                       record_lines("ker2:", "72.1.0.9", "256 K") +
                       record_lines("fs1:(nfs)", "72.9.0.18", "1024 K") +
                       record_lines("fs2:(nfs)", "72.9.0.18", "1024 K"));
}

TEST_F(UpdateProcess, ShowPrintsRecordsPartitionsAndEnvironment) {
  std::string env_lines;
  for (const std::string& v : boot_env()) env_lines += v + "\n";
  auto r = run("update", {"--show"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "Dravelin update version: 1.0.1 \n" +
                       record_lines("uboot:", "72.1.1.25", "0x00040000 (256 K)") +
                       record_lines("env:", "0.0.0.0", "0x00020000 (128 K)") +
                       record_lines("baseparam:", "72.1.0.1", "0x00002000 (8 K)") +
                       record_lines("logo:", "72.1.0.2", "0x00004000 (16 K)") +
                       record_lines("ker1:(current)", "72.1.0.9", "0x00040000 (256 K)") +
                       record_lines("ker2:", "72.1.0.9", "0x00040000 (256 K)") +
                       record_lines("fs1:(current)", "72.9.0.18", "0x00100000 (1024 K)") +
                       record_lines("fs2:", "72.9.0.18", "0x00100000 (1024 K)") +
                       record_lines("cfg:", "0.0.0.0", "0x00040000 (256 K)") +
                       record_lines("oem:", "0.0.0.0", "0x00040000 (256 K)") +
                       record_lines("rsd:", "0.0.0.0", "0x00040000 (256 K)") +
                       "\nMore details:\n\nMtd information: \n" + root_.read("/proc/mtd") +
                       env_lines);
}

TEST_F(UpdateProcess, VersionCheckListExtractInstallInThisOrder) {
  root_.write("/tmp/k", std::string(4096, 'k'));
  root_.write("/tmp/f", std::string(4096, 'f'));
  root_.write("/tmp/c", "#!/bin/sh\n");
  // A 8.x filesystem on a board running 9.x: the policy refuses it.
  const std::string img = root_.at("/tmp/old.img");
  auto built =
      run("mkupfw", {"-o", img, "ker=" + root_.at("/tmp/k"),
                     "fs=" + root_.at("/tmp/f") + ",72.8.0.12", "cmd=" + root_.at("/tmp/c")});
  ASSERT_EQ(built.exit_code, 0) << built.err;
  const auto before = flash_state();
  const std::string refusal = "do not support back to < 9.0.1 form 9.0.x. \nfirmware mismatch!\n";
  for (std::vector<std::string> args :
       {std::vector<std::string>{"-u", img}, {"-a", img}, {"-l", "-u", img}}) {
    auto r = run("update", args);
    EXPECT_EQ(r.exit_code, 242);
    EXPECT_EQ(r.err, refusal);
    EXPECT_EQ(r.out, "version = 8.0.12\n");  // nothing listed: the check comes first
    EXPECT_EQ(root_.read("/mnt/nand/upfw.log"), "-14\nfirmware mismatch!\n");
    EXPECT_EQ(flash_state(), before);
  }
  auto listed = run("update", {"-l", img});  // no check for a list alone
  EXPECT_EQ(listed.exit_code, 0) << listed.err;

  // -e skips the check, also of an install; the list comes first whatever the order.
  auto forced = run("update", {"-u", img, "-l", "-e"});
  ASSERT_EQ(forced.exit_code, 0) << forced.err;
  const size_t list = forced.out.find("List upfw " + img + " infomation.\n");
  const size_t extract = forced.out.find("Analysis image " + img + " \n");
  const size_t install = forced.out.find("Begin update " + img + " \n");
  ASSERT_NE(list, std::string::npos);
  ASSERT_NE(extract, std::string::npos);
  ASSERT_NE(install, std::string::npos);
  EXPECT_LT(list, extract);
  EXPECT_LT(extract, install);
  EXPECT_EQ(forced.out.find("version = 8.0.12\n"), std::string::npos);
  EXPECT_EQ(boot_var("fs2"), record_text("fs2", 0x4808000C, 4096, 0x07E7090C));
  EXPECT_EQ(root_.read("/mnt/nand/upfw.log"), "0\nupdate success!\n");
}

TEST_F(UpdateProcess, MkupfwRefusesBadArguments) {
  root_.write("/tmp/k", "k");
  const std::string k = root_.at("/tmp/k");
  for (std::vector<std::string> args :
       {std::vector<std::string>{"ker=" + k},  // no output
        std::vector<std::string>{"-o", root_.at("/tmp/o"), "kernel=" + k},
        std::vector<std::string>{"-o", root_.at("/tmp/o"), "ker=" + k + ",72.1.300.0"},
        std::vector<std::string>{"-o", root_.at("/tmp/o"), "ker=" + k, "ker=" + k},
        std::vector<std::string>{"-o", root_.at("/tmp/o"), "ker="}}) {
    auto r = run("mkupfw", args);
    EXPECT_EQ(r.exit_code, 2) << args.back();
  }
  EXPECT_FALSE(root_.exists("/tmp/o"));
  auto missing = run("mkupfw", {"-o", root_.at("/tmp/o"), "ker=" + root_.at("/tmp/none")});
  EXPECT_EQ(missing.exit_code, 1);
}

TEST_F(UpdateProcess, MkupfwAloneBuildsTheBuildTreeUnderTheRoot) {
  const char* sources[] = {"/share/dvhn/targets/hi3798/firmware/uboot_1024M",
                           "/share/dvhn/targets/hi3798/firmware/uImage",
                           "/share/dvhn/targets/hi3798/firmware/ubifs",
                           "/share/dvhn/src/boards/hi3798/firmware/update",
                           "/share/dvhn/targets/hi3798/firmware/baseparam.img",
                           "/share/dvhn/targets/hi3798/firmware/logo.img",
                           "/share/dvhn/targets/hi3798/firmware/uboot_2048M"};
  for (const char* s : sources) root_.write(s, "x");
  auto r = run("mkupfw", {});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  std::string img = root_.read("/share/dvhn/src/boards/hi3798/firmware/update_IMG");
  EXPECT_EQ(img.size(), 2048u + 7 * 2048u);
  for (const char* s : sources) EXPECT_EQ(root_.read(s), "x" + std::string(2047, '\xFF')) << s;
  auto list = run("update", {"-l", root_.at("/share/dvhn/src/boards/hi3798/firmware/update_IMG")});
  EXPECT_EQ(list.exit_code, 0) << list.err;
}

}  // namespace
