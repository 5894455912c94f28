// The camera feature pages end to end, through the real webcgi and coresim: a POS source
// saved and read back with its action, and the camera upgrade started against answers
// scripted by hand -- and left unanswered under the shortened wait.
#include <gtest/gtest.h>

#include <string>

#include "camera_process.h"
#include "support/json_tree.h"

namespace {

using camtest::Bytes;
using camtest::CameraProcess;
using camtest::kJson;
using camtest::kJsonError;
using camtest::kText;
using nvrtest::JsonTree;

class FeatureProcess : public CameraProcess {};

TEST_F(FeatureProcess, PosSourceRoundTrip) {
  auto saved = post("/2074", R"({"id":2,"enable":1,"name":"Front till","protocol":1,)"
                             R"("action":{"interval":25,"triChannels":"0110"}})");
  EXPECT_EQ(saved.out, kJson + R"({ "res": 0 })");
  EXPECT_EQ(stored_text("pos_settings", 2, "name"), "Front till");
  JsonTree got(camtest::body_of(get("/2073", R"({"id":2})"), kJson));
  ASSERT_TRUE(got.ok());
  json_object* action = got.at("action");
  EXPECT_EQ(json_object_get_int(json_object_object_get(action, "interval")), 25);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(action, "triChannels")), "0110");
}

TEST_F(FeatureProcess, CameraUpgradeWithScriptedAnswers) {
  const std::string status =
      Bytes().channel_mask(0x9).i32(55).zeros(8).i32(100).zeros(48).hex();  // cameras 0 and 3
  start_core("3379 hex=" + status + "\n3386 hex=" + status + "\n");
  EXPECT_EQ(post("/2080", R"({"chnAry":[0,3],"reset":0,"url":""})").out,
            kJson + R"({ "chnid": 9, "status": [ 55, 100 ], "chnMask": "1001000000000000" })");
  EXPECT_EQ(get("/2079").out,
            kText + "chnid=9\r\nstatus0=55\r\nstatus3=100\r\nchnMask=1001000000000000\r\n");
  EXPECT_EQ(post("/2081", R"({"stop":1})").out, "");
  start_core("3379 silent\n");
  // The start may take the core 20 minutes; the test's poll steps make that a moment.
  nvrtest::CgiRequest req = nvrtest::json_post("/2080", R"({"chnAry":[1]})", cookie_);
  req.seam->poll_us = 10;
  EXPECT_EQ(nvrtest::run_webcgi(root_, req).out, kJsonError);
}

}  // namespace
