// The real programs on a private root: mkupfw builds images, update lists and extracts
// them with the exact texts, refuses over-long image paths and writes its result file.
#include <sys/stat.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_root.h"

namespace {

class UpdateProcess : public ::testing::Test {
 protected:
  nvrtest::ProcessResult run(const std::string& program, const std::vector<std::string>& args) {
    nvrtest::ProcessSpec spec;
    spec.argv = {nvrtest::bin_path(program)};
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.env = {{"NVR_ROOT", root_.path()}, {"PATH", "/usr/bin:/bin"}, {"TZ", "UTC"}};
    return nvrtest::run_process(spec);
  }
  // An image with a 5000-byte kernel, a 2048-byte filesystem at another version and a tool.
  std::string make_image(const std::string& rel) {
    root_.write("/tmp/k", std::string(5000, 'k'));
    root_.write("/tmp/f", std::string(2048, 'f'));
    root_.write("/tmp/c", "#!/bin/sh\necho tool\n");
    auto r = run("mkupfw", {"-o", root_.at(rel), "ker=" + root_.at("/tmp/k"),
                            "fs=" + root_.at("/tmp/f") + ",72.9.0.20", "cmd=" + root_.at("/tmp/c")});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, "Copy data to image!!!\n");
    return root_.at(rel);
  }
  nvrtest::TempRoot root_;
};

TEST_F(UpdateProcess, ListsAnImageBuiltByMkupfw) {
  std::string img = make_image("/tmp/a.img");
  EXPECT_EQ(root_.read("/tmp/k").size(), 5000u);  // mkupfw leaves its sources alone
  auto r = run("update", {"-l", img});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // Record contents: ker 5000 bytes and 1144 bytes 0xFF, fs 2048, cmd 20 and 2028 0xFF.
  EXPECT_EQ(r.out,
            "List upfw " + img + " infomation.\n"
            "Image info: \n"
            "bld: \nversion = 72.1.1.26\n"
            "ker: \noffset  = 0x00000800\nsize    = 6 K\naddr    = 0x00000000\n"
            "flag    = 0x00000000\ndate    = 2023/9/12\ncrc32   = 0x" +
                std::string("CC2C08BA") + "\nversion = 72.1.0.10\n"
            "fs: \noffset  = 0x00002000\nsize    = 2 K\naddr    = 0x00000000\n"
            "flag    = 0x00000001\ndate    = 2023/9/12\ncrc32   = 0x" +
                std::string("3E20D6CB") + "\nversion = 72.9.0.20\n"
            "cmd: \noffset  = 0x00002800\nsize    = 2 K\naddr    = 0x00000000\n"
            "flag    = 0x00000001\ndate    = 2023/9/12\ncrc32   = 0x" +
                std::string("DE0326D6") + "\nversion = 0.1.0.1\n"
            "param: \nversion = 72.1.0.1\n"
            "jpg: \nversion = 72.1.0.2\n"
            "bld2: \nversion = 72.1.2.26\n"
            "tool: \nversion = 0.0.1.0\n");
}

TEST_F(UpdateProcess, DefaultImageAndOperands) {
  make_image("/dev/shm/updateFM.bin");
  const std::string def = root_.at("/dev/shm/updateFM.bin");
  struct Case { std::vector<std::string> args; std::string listed; };
  const Case cases[] = {
      {{"-l"}, def},
      {{"--list"}, def},
      {{"-l", "one", "two"}, def},  // two operands leave the default in force
  };
  for (const Case& c : cases) {
    auto r = run("update", c.args);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out.rfind("List upfw " + c.listed + " infomation.\nImage info: \n", 0), 0u) << r.out;
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
    EXPECT_EQ(r.out, "Analysis image " + img + " \n==============name " + img +
                         "=\nCreate file: /dev/shm/update \n");
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
  auto r = run("update", {"-a", img});
  EXPECT_EQ(r.exit_code, 255);
  EXPECT_EQ(root_.read("/mnt/nand/upfw.log"), "-1\nAnalysis " + img + " faild!\n");
  EXPECT_NE(r.err.find("Bad size: \"" + img + "\" is no valid image\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Analysis " + img + " faild!\n"), std::string::npos) << r.err;
}

TEST_F(UpdateProcess, UsageAndUnknownOptions) {
  const std::string usage =
      "Usage:\n  update [OPTION] upfw_file \n  Writes to the specified MTD device.\n\n"
      "   --help\tdisplay this help and exit\n"
      "-a --analysis\tAnalysis Dravelin upgrade images\n"
      "-e --oem\tAnalysis Dravelin upgrade OEM images\n"
      "-l --list\tList upgrade image information\n\n";
  auto help = run("update", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_EQ(help.out, usage);
  for (const char* bad : {"-x", "-?", "--nope"}) {
    auto r = run("update", {bad});
    EXPECT_EQ(r.exit_code, 255) << bad;
    EXPECT_EQ(r.err, "Error: Unknow option\n") << bad;
    EXPECT_EQ(r.out, usage) << bad;
  }
}

TEST_F(UpdateProcess, MkupfwRefusesBadArguments) {
  root_.write("/tmp/k", "k");
  const std::string k = root_.at("/tmp/k");
  for (std::vector<std::string> args : {
           std::vector<std::string>{"ker=" + k},                       // no output
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
