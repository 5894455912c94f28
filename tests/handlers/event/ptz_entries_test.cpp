// PTZ linkage entries edited one by one, in process, in the general table (motion, type 1)
// and the people-counting one (type 20): add, replace by PTZ channel, move between event
// channels, delete one and several, and the refusals.
#include <gtest/gtest.h>

#include <string>

#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace {

using nvrtest::InProcess;
using nvrtest::JsonTree;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string kOk = kText + "OK";
const std::string& kTextError = nvrtest::kTextErrorBody;

InProcess& web() {
  return InProcess::instance();
}

// The "ptzInfo" array of (type, channel) in plain JSON.
std::string shown(int type, int channel) {
  const std::string answer =
      web().post("/6161", R"({"type":)" + std::to_string(type) + R"(,"chn_id":)" +
                              std::to_string(channel) + "}");
  if (answer.rfind(kJson, 0) != 0) return "(no JSON answer)";
  return JsonTree(answer.substr(kJson.size())).text("ptzInfo");
}

std::string entry(int ptz, int action, int number) {
  return R"({"acto_ptz_channel":)" + std::to_string(ptz) + R"(,"acto_ptz_type":)" +
         std::to_string(action) + R"(,"acto_ptz_preset":)" +
         std::to_string(action == 1 ? number : 0) + R"(,"acto_ptz_patrol":)" +
         std::to_string(action == 2 ? number : 0) + "}";
}

class PtzEntries : public ::testing::TestWithParam<int> {};

TEST_P(PtzEntries, AddReplaceMoveDelete) {
  const std::string type = std::to_string(GetParam());
  auto body = [&](const std::string& rest) { return R"({"type":)" + type + "," + rest + "}"; };
  (void)web().sent();
  EXPECT_EQ(shown(GetParam(), 10), "[]");
  // The patrol number alone is kept for a patrol action.
  EXPECT_EQ(web().post("/6160", body(R"("chn_id":10,"acto_ptz_channel":3,"acto_ptz_type":2,)"
                                     R"("acto_ptz_preset":9,"acto_ptz_patrol":4,)"
                                     R"("acto_ptz_pattern":7)")),
            kOk);
  EXPECT_EQ(web().post("/6160", body(R"("chn_id":10,"acto_ptz_channel":5,"acto_ptz_type":1,)"
                                     R"("acto_ptz_preset":8)")),
            kOk);
  EXPECT_EQ(shown(GetParam(), 10), "[" + entry(3, 2, 4) + "," + entry(5, 1, 8) + "]");
  // The same PTZ channel again replaces its entry.
  EXPECT_EQ(web().post("/6160", body(R"("chn_id":10,"acto_ptz_channel":3,"acto_ptz_type":1,)"
                                     R"("acto_ptz_preset":6)")),
            kOk);
  EXPECT_EQ(shown(GetParam(), 10), "[" + entry(3, 1, 6) + "," + entry(5, 1, 8) + "]");
  // Moved from event channel 10 to 11.
  EXPECT_EQ(web().post("/6163", body(R"("chn_id":11,"old_chn_id":10,"acto_ptz_channel":5,)"
                                     R"("acto_ptz_type":2,"acto_ptz_patrol":2)")),
            kOk);
  EXPECT_EQ(shown(GetParam(), 10), "[" + entry(3, 1, 6) + "]");
  EXPECT_EQ(shown(GetParam(), 11), "[" + entry(5, 2, 2) + "]");

  EXPECT_EQ(web().post("/6162", body(R"("chn_id":11,"acto_ptz_channel":5)")), kOk);
  EXPECT_EQ(shown(GetParam(), 11), "[]");
  EXPECT_EQ(web().post("/6160", body(R"("chn_id":10,"acto_ptz_channel":7,"acto_ptz_type":1)")),
            kOk);
  EXPECT_EQ(web().post("/6164", body(R"("chn_id":10,"ptzChannel":[3,"x",-2,7,9])")), kOk);
  EXPECT_EQ(shown(GetParam(), 10), "[]");
  // The edits tell the core nothing: it reads the linkage from the store.
  EXPECT_TRUE(web().sent().empty());
}

INSTANTIATE_TEST_SUITE_P(Tables, PtzEntries, ::testing::Values(1, 20),
                         [](const ::testing::TestParamInfo<int>& p) {
                           return p.param == 20 ? std::string("people_counting")
                                                : std::string("motion");
                         });

TEST(PtzEntriesRefused, BadChannelsAndTypes) {
  struct Case {
    const char* path;
    const char* body;
    std::string answer;
  };
  const Case cases[] = {
      {"/6160", "not json", ""},
      {"/6160", R"({"type":3,"chn_id":1,"acto_ptz_channel":2,"acto_ptz_type":1})", ""},
      {"/6160", R"({"type":300,"chn_id":1,"acto_ptz_channel":2,"acto_ptz_type":1})", ""},
      {"/6160", R"({"chn_id":1,"acto_ptz_channel":2,"acto_ptz_type":1})", ""},
      {"/6160", R"({"type":1,"chn_id":-1,"acto_ptz_channel":2,"acto_ptz_type":1})", kTextError},
      {"/6160", R"({"type":1,"chn_id":64,"acto_ptz_channel":2,"acto_ptz_type":1})", kTextError},
      {"/6160", R"({"type":1,"chn_id":1,"acto_ptz_channel":0,"acto_ptz_type":1})", kTextError},
      {"/6160", R"({"type":1,"chn_id":1,"acto_ptz_channel":65,"acto_ptz_type":1})", kTextError},
      {"/6161", R"({"type":2,"chn_id":64})", kTextError},
      {"/6162", R"({"type":2,"chn_id":1,"acto_ptz_channel":-1})", kTextError},
      {"/6162", R"({"type":2,"chn_id":-3,"acto_ptz_channel":1})", kTextError},
      {"/6163", R"({"type":2,"chn_id":1,"old_chn_id":64,"acto_ptz_channel":1})", kTextError},
      {"/6164", R"({"type":2,"chn_id":1,"ptzChannel":3})", ""},
  };
  (void)web().sent();
  for (const Case& c : cases) EXPECT_EQ(web().post(c.path, c.body), c.answer) << c.body;
  EXPECT_EQ(shown(1, 1), "[]");
  EXPECT_TRUE(web().sent().empty());
}

TEST(PtzEntriesRefused, PeopleCountingTableHoldsSixteen) {
  for (int ptz = 1; ptz <= 16; ++ptz)
    ASSERT_EQ(web().post("/6160", R"({"type":20,"chn_id":30,"acto_ptz_type":1,)"
                                  R"("acto_ptz_channel":)" +
                                      std::to_string(ptz) + "}"),
              kOk);
  EXPECT_EQ(web().post("/6160", R"({"type":20,"chn_id":30,"acto_ptz_channel":17,)"
                                R"("acto_ptz_type":1})"),
            kTextError);
  // A full table still takes a replacement.
  EXPECT_EQ(web().post("/6160", R"({"type":20,"chn_id":30,"acto_ptz_channel":16,)"
                                R"("acto_ptz_type":1,"acto_ptz_preset":2})"),
            kOk);
}

}  // namespace
