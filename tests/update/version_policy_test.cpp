// The version policy: the nine rules at their boundaries, then each rule decided on an
// emulated board whose PHY, PoE controller and model tool answer through the emulation's
// settings and whose OEM state is given by marker files, with the exact texts printed,
// the upgrade marker, and when the model tool runs.
#include "version_policy.h"

#include <string>

#include <gtest/gtest.h>

#include "board.h"
#include "capture.h"
#include "image_bytes.h"
#include "recorder_fixture.h"

namespace {

TEST(VersionPolicyRules, FirstRuleWhoseConditionHoldsDecides) {
  struct Case {
    PolicyFacts f;  // n, nm, nb, r, oem, special, phy, poe, model
    int rule;
    std::string refusal;
    bool marker;
  };
  const Case cases[] = {
      {{7, 1, 5, 7, true, false, 0x4D, 0, false}, 1, "", false},
      {{7, 0, 5, 7, true, true, 0x4D, 0, false},
       1,
       "OEM special do not support update 7.0.x ",
       false},
      {{7, 0, 5, 7, true, false, 0, 0x44, false}, 1, "", false},  // OEM 7 -> 7 ignores PHY and PoE
      {{8, 0, 1, 7, true, false, 0x4D, 0, false},
       2,
       "OEM do not support update 7.x to 8.x ",
       false},
      {{8, 0, 1, 7, true, true, 0x4D, 0, false}, 2, "", false},  // allowed, but no marker
      {{7, 1, 20, 8, true, true, 0x4D, 0, false},
       3,
       "OEM do not support update 8.x to 7.x ",
       false},
      {{9, 0, 20, 8, true, false, 0x4D, 0, false},
       4,
       "OEM do not support update 8.x to 9.x ",
       false},
      {{9, 0, 20, 8, true, true, 0x4D, 0, false}, 4, "", false},
      {{7, 1, 8, 7, false, false, 0x4C, 0, false}, 5, "OEM do not support update < 7.x.9 ", false},
      {{7, 1, 9, 7, false, false, 0x4C, 0, false}, 9, "", false},  // build 9 passes rule 5
      {{8, 0, 12, 9, false, false, 0x4D, 0, false},
       6,
       "do not support back to < 9.0.1 form 9.0.x. ",
       false},
      {{9, 0, 1, 9, false, false, 0x4D, 0, false}, 9, "", false},
      {{7, 1, 9, 7, false, false, 0x4D, 0xE3, false},
       7,
       "do not support update < 8.x.10 0xe3",
       false},
      {{7, 1, 10, 7, false, false, 0x4D, 0xE3, false}, 9, "", false},
      {{9, 0, 9, 9, false, false, 0x4D, 0, true},
       8,
       "new 4420 do not support update < 9.x.10 ",
       false},
      {{9, 0, 10, 9, false, false, 0x4D, 0, true}, 9, "", false},
      {{8, 0, 3, 7, false, false, 0x4D, 0, false}, 9, "", true},
      {{8, 0, 3, 8, false, false, 0x4D, 0, false}, 9, "", false},
  };
  for (const Case& c : cases) {
    PolicyDecision d = decide_version_policy(c.f);
    std::string what = std::to_string(c.f.n) + "." + std::to_string(c.f.nm) + "." +
                       std::to_string(c.f.nb) + " over " + std::to_string(c.f.r);
    EXPECT_EQ(d.rule, c.rule) << what;
    EXPECT_EQ(d.refusal, c.refusal) << what;
    EXPECT_EQ(d.create_marker, c.marker) << what;
  }
}

class VersionCheckTest : public RecorderTest {
 protected:
  // An image whose boot loader records carry `bld_platform` and whose filesystem record
  // carries `fs`; only the header is read, so no record has content.
  std::string image(uint32_t fs, uint32_t bld_platform = 72) {
    std::string bytes =
        header_bytes({{0, 0, 0, bld_platform << 24 | 0x01011A, 0, 0, 0, "bld", 0},
                      {2, 0, 0, fs, 0, 1, 0, "fs", 0},
                      {6, 0, 0, bld_platform << 24 | 0x01021A, 0, 0, 0, "bld2", 0}});
    root_.write("/tmp/p.img", bytes);
    return root_.at("/tmp/p.img");
  }

  struct Board {
    int phy = 0x4D, poe = 0;
    const char* model = "model: NVR-3798";
    bool oem = false, special = false;
    uint32_t running_fs = 0x48090012;  // the copy bootargs names
    uint32_t uboot = 0x48010119;
  };
  void set_up_board(const Board& b) {
    ASSERT_TRUE(flashsim::save_board_settings(root_.path(), {b.model, true, b.phy, true, b.poe}));
    for (auto [marker, wanted] :
         {std::pair{kOemMarker, b.oem}, std::pair{kSpecialOemMarker, b.special}}) {
      if (wanted)
        root_.write(marker, "");
      else
        std::remove(root_.at(marker).c_str());
    }
    std::remove(root_.at(kUpgradeMarker).c_str());
    std::remove(root_.at("/flashsim/calls.log").c_str());
    env_.installed = {b.uboot, b.running_fs, 0x48050001, "mem=1024M ubi.mtd=fs1 root=ubi0:rootfs"};
  }

  Outcome check(const std::string& path) {
    return capture([&] { return UPFW_version_check(path.c_str(), env_.interface()); });
  }
};

TEST_F(VersionCheckTest, EachRuleOnAnEmulatedBoard) {
  struct Case {
    const char* what;
    Board board;
    uint32_t fs;
    int result;
    std::string err;
    bool marker;
    bool model_tool_ran;
  };
  const char* krt = "model KRT4420 rev B";
  const Case cases[] = {
      {"1: OEM 7.1 over 7",
       {.oem = true, .running_fs = 0x48070105},
       0x48070105,
       0,
       "",
       false,
       false},
      {"1: OEM special 7.0 over 7",
       {.oem = true, .special = true, .running_fs = 0x48070105},
       0x48070010,
       -1,
       "OEM special do not support update 7.0.x \n",
       false,
       false},
      {"1: the same image with minor 1",
       {.oem = true, .special = true, .running_fs = 0x48070105},
       0x48070110,
       0,
       "",
       false,
       false},
      {"2: OEM 8 over 7",
       {.oem = true, .running_fs = 0x48070105},
       0x48080003,
       -1,
       "OEM do not support update 7.x to 8.x \n",
       false,
       false},
      {"2: special OEM 8 over 7, no marker",
       {.oem = true, .special = true, .running_fs = 0x48070105},
       0x48080003,
       0,
       "",
       false,
       false},
      {"3: OEM 7 over 8",
       {.oem = true, .running_fs = 0x48080003},
       0x48070120,
       -1,
       "OEM do not support update 8.x to 7.x \n",
       false,
       false},
      {"4: OEM 9 over 8",
       {.oem = true, .running_fs = 0x48080003},
       0x48090013,
       -1,
       "OEM do not support update 8.x to 9.x \n",
       false,
       false},
      {"5: 7.x.8 on another PHY",
       {.phy = 0x4C, .running_fs = 0x48070105},
       0x48070108,
       -1,
       "OEM do not support update < 7.x.9 \n",
       false,
       false},
      {"6: 72.8.0.12 over 9",
       {},
       0x4808000C,
       -1,
       "do not support back to < 9.0.1 form 9.0.x. \n",
       false,
       false},
      {"7: 72.7.1.5 on PoE 0x44 passes rule 5",
       {.poe = 0x44, .running_fs = 0x48070105},
       0x48070105,
       -1,
       "do not support update < 8.x.10 0x44\n",
       false,
       false},
      {"8: 4420 with 1024 MiB loader, 9.x.9",
       {.model = krt, .uboot = 0x48010119},
       0x48090009,
       -1,
       "new 4420 do not support update < 9.x.10 \n",
       false,
       true},
      {"8: 4420 with 2048 MiB loader",
       {.model = krt, .uboot = 0x48010219},
       0x48090009,
       0,
       "",
       false,
       false},
      {"8: other model", {.uboot = 0x48010119}, 0x48090009, 0, "", false, true},
      {"9: 72.9.0.19 over 9", {}, 0x48090013, 0, "", false, false},
      {"9: 72.8.0.3 over 7 leaves the marker",
       {.running_fs = 0x48070105},
       0x48080003,
       0,
       "",
       true,
       false},
  };
  for (const Case& c : cases) {
    set_up_board(c.board);
    Outcome o = check(image(c.fs));
    EXPECT_EQ(o.result, c.result) << c.what;
    EXPECT_EQ(o.err, c.err) << c.what;
    char version[32];
    std::snprintf(version, sizeof version, "version = %u.%u.%u\n", (c.fs >> 16) & 0xFF,
                  (c.fs >> 8) & 0xFF, c.fs & 0xFF);
    EXPECT_EQ(o.out, version) << c.what;
    EXPECT_EQ(root_.exists(kUpgradeMarker), c.marker) << c.what;
    EXPECT_EQ(root_.exists("/flashsim/calls.log"), c.model_tool_ran) << c.what;
  }
}

TEST_F(VersionCheckTest, RunningCopyComesFromBootargs) {
  // fs1 holds 9.x, fs2 7.x: booted from fs2, an 8.x image is an upgrade from 7.
  set_up_board({.running_fs = 0x48090012});
  env_.installed.fs2_version = 0x48070105;
  env_.installed.bootargs = "mem=1024M ubi.mtd=fs2 root=ubi0:rootfs";
  Outcome o = check(image(0x48080003));
  EXPECT_EQ(o.result, 0) << o.err;
  EXPECT_TRUE(root_.exists(kUpgradeMarker));
  // Booted from fs1 (9.x), the same image goes back below 9.
  env_.installed.bootargs = "mem=1024M ubi.mtd=fs1 root=ubi0:rootfs";
  EXPECT_EQ(check(image(0x48080003)).result, -1);
}

TEST_F(VersionCheckTest, PlatformOfEitherBootLoaderMustMatch) {
  set_up_board({});
  Outcome o = check(image(0x48090013, 0x49));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.err, "platform dismatch !\n");
  // One boot loader record of the installed platform is enough.
  std::string bytes = header_bytes({{0, 0, 0, 0x4901011A, 0, 0, 0, "bld", 0},
                                    {2, 0, 0, 0x48090013, 0, 1, 0, "fs", 0},
                                    {6, 0, 0, 0x4801021A, 0, 0, 0, "bld2", 0}});
  root_.write("/tmp/one.img", bytes);
  EXPECT_EQ(check(root_.at("/tmp/one.img")).result, 0);
}

TEST_F(VersionCheckTest, UnreadableHardwareMatchesNoIdentifier) {
  // No PHY answer reads -1: not the old boards' PHY, so rule 5 refuses an old image.
  set_up_board({.running_fs = 0x48070105});
  ASSERT_TRUE(flashsim::save_board_settings(root_.path(), {"x", false, 0, false, 0}));
  EXPECT_EQ(read_phy_id(), -1);
  EXPECT_EQ(get_poe_id(), 0);
  Outcome o = check(image(0x48070105));
  EXPECT_EQ(o.err, "OEM do not support update < 7.x.9 \n");
  // A board without the model tool is not the model.
  ASSERT_EQ(std::remove(root_.at("/usr/bin/dvchip_update").c_str()), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(query_board_model(), 0);
  testing::internal::GetCapturedStderr();
}

TEST_F(VersionCheckTest, ModelLineIsReadToItsFirst63Characters) {
  const std::string pad(60, '-');
  struct Case {
    std::string line;
    int model;
  };
  const Case cases[] = {{"KRT4420", 1},
                        {pad.substr(0, 56).append("KRT4420"), 1},
                        {std::string(pad).append("KRT4420"), 0},
                        {"KRT442", 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(flashsim::save_board_settings(root_.path(), {c.line, true, 0x4D, true, 0}));
    EXPECT_EQ(query_board_model(), c.model) << c.line;
  }
}

TEST_F(VersionCheckTest, UnreadableImageOrTable) {
  set_up_board({});
  root_.write("/tmp/short.img", std::string(2047, '\0'));
  Outcome o = check(root_.at("/tmp/short.img"));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.err, "read output imager: Input/output error\n");
  o = check(root_.at("/tmp/none.img"));
  EXPECT_EQ(o.result, -1);
  EXPECT_EQ(o.err, "open output imager: No such file or directory\n");
  env_.read_result = -1;
  o = check(image(0x48090013));
  EXPECT_EQ(o.result, -4);
  EXPECT_EQ(o.err, "flprog_get_part_table faild!\n");
  EXPECT_EQ(o.out, "");
}

}  // namespace
