// The nvrdb tool run as a program: a factory-default recorder, parameters, accounts and
// records, all under NVR_ROOT.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_root.h"

namespace {

class NvrdbTest : public ::testing::Test {
 protected:
  nvrtest::ProcessResult run(std::vector<std::string> args) {
    args.insert(args.begin(), nvrtest::bin_path("nvrdb"));
    return nvrtest::run_process({args, {{"NVR_ROOT", root_.path()}}, "", 60});
  }
  nvrtest::TempRoot root_;
};

TEST_F(NvrdbTest, InitMakesAFactoryDefaultRecorderOnce) {
  nvrtest::TempRoot bare;
  std::filesystem::remove_all(bare.at("/mnt"));  // without the recorder's folders
  auto first = nvrtest::run_process(
      {{nvrtest::bin_path("nvrdb"), "init"}, {{"NVR_ROOT", bare.path()}}, "", 60});
  ASSERT_EQ(first.exit_code, 0) << first.err;
  EXPECT_TRUE(bare.exists("/mnt/nand/app/dvdb.db"));

  ASSERT_EQ(run({"init"}).exit_code, 0);
  struct Case {
    const char* key;
    const char* value;
  } cases[] = {{"max_cameras", "32\n"},
               {"failover_mode", "0\n"},
               {"same_channel_exist", "0\n"},
               {"hardware_version", "V1.1\n"},
               {"software_version", "7x.7.0.9\n"},
               {"model", "\n"}};
  for (const Case& c : cases) EXPECT_EQ(run({"param", "get", c.key}).out, c.value) << c.key;
  EXPECT_EQ(run({"user", "list"}).out, "0\tadmin\ttype 0\n");
  auto admin = run({"record", "get", "user", "0"});
  EXPECT_NE(admin.out.find("\"password\":\"0192023a7bbd73250516f069df18b500\""), std::string::npos);
  EXPECT_NE(admin.out.find("\"remote_shutdown\":1"), std::string::npos);

  // A second init keeps what was changed and adds no second administrator.
  ASSERT_EQ(run({"param", "set", "max_cameras", "16"}).exit_code, 0);
  ASSERT_EQ(run({"init"}).exit_code, 0);
  EXPECT_EQ(run({"param", "get", "max_cameras"}).out, "16\n");
  EXPECT_EQ(run({"user", "list"}).out, "0\tadmin\ttype 0\n");
}

TEST_F(NvrdbTest, ParamsUsersAndRecordsCanBeSeededAndShown) {
  ASSERT_EQ(run({"param", "set", "model", "N8-4K"}).exit_code, 0);
  ASSERT_EQ(run({"param", "set", "model", "N9"}).exit_code, 0);
  ASSERT_EQ(run({"param", "set", "serial", "007"}).exit_code, 0);
  EXPECT_EQ(run({"param", "get", "model"}).out, "N9\n");
  EXPECT_EQ(run({"param", "get", "serial"}).out, "007\n");
  EXPECT_EQ(run({"param", "get", "nosuch"}).exit_code, 1);
  EXPECT_EQ(run({"param", "list"}).out, "key\tvalue\nmodel\tN9\nserial\t007\n");

  auto added = run({"user", "add", "op", "secret", "1"});
  EXPECT_EQ(added.out, "id=0\n");
  EXPECT_EQ(run({"user", "add", "op", "again", "1"}).exit_code, 1);
  EXPECT_EQ(run({"user", "add", "x", "pw", "4"}).exit_code, 2);
  ASSERT_EQ(run({"record", "set", "user", "5", "name=guest", "enable=1", "type=2"}).exit_code, 0);
  EXPECT_EQ(run({"user", "list"}).out, "0\top\ttype 1\n5\tguest\ttype 2\n");
  EXPECT_EQ(run({"record", "set", "user", "5", "nosuch=1"}).exit_code, 2);
  EXPECT_EQ(run({"record", "set", "user", "5", "type=abc"}).exit_code, 2);
  EXPECT_EQ(run({"record", "get", "nosuchkind", "0"}).exit_code, 2);
  EXPECT_EQ(run({"record", "get", "user", "100"}).exit_code, 1);

  auto shown = run({"show", "user"});
  EXPECT_EQ(shown.out.rfind("id\tenable\tname\tpassword\t", 0), 0u) << shown.out;
  EXPECT_NE(shown.out.find("\t5ebe2294ecd0e0f08eab7690d2a6ee69\t"), std::string::npos);
  EXPECT_EQ(run({"tables"}).out, "name\nparams\nuser\n");
  EXPECT_EQ(run({"show", "user; DROP TABLE user"}).exit_code, 2);
  EXPECT_EQ(run({"bogus"}).exit_code, 2);
}

TEST_F(NvrdbTest, AnotherStorePathIsUsedWhenGiven) {
  ASSERT_EQ(run({"--store", "/mnt/nand2/oem.db", "user", "add", "oem", "pw", "0"}).exit_code, 0);
  EXPECT_TRUE(root_.exists("/mnt/nand2/oem.db"));
  EXPECT_EQ(run({"user", "list"}).out, "");
  EXPECT_EQ(run({"--store", "/mnt/nand2/oem.db", "user", "list"}).out, "0\toem\ttype 0\n");
}

}  // namespace
