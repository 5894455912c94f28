// The camera stream and image pages end to end, through the real webcgi and coresim: each
// settings group read back from answers built by hand, the demo's answers of coresim
// shaped as the pages read them, changes answered by the camera, and answers that never come.
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
using camtest::kTextError;
using nvrtest::JsonTree;

class ParamProcess : public CameraProcess {
 protected:
  // The response's JSON in plain form ("" when it is not JSON).
  std::string plain(const nvrtest::ProcessResult& r) {
    JsonTree t(camtest::body_of(r, kJson));
    return t.plain();
  }
  // A POST whose answer never comes: these requests wait up to 6000 poll steps, so the
  // steps are shorter than the other tests'.
  nvrtest::ProcessResult unanswered(const std::string& path, const std::string& body) {
    nvrtest::CgiRequest req = nvrtest::json_post(path, body, cookie_);
    req.seam->poll_us = 100;
    return nvrtest::run_webcgi(root_, req);
  }
  // The one request a query sent: its type and payload.
  std::string sent_hex(uint32_t type) {
    auto all = core_->journal();
    EXPECT_EQ(all.size(), 1u);
    EXPECT_TRUE(!all.empty() && all[0].type == type);
    return all.empty() ? "" : all[0].hex;
  }
};

TEST_F(ParamProcess, StreamSettingsRoundTrip) {
  start_core(
      "3204 hex=" +
      nvrtest::to_hex(camtest::stream_answer(0, 5, {{2560, 1440}, {1920, 1080}}, 2560, 1440)) +
      "\n");
  JsonTree o(camtest::body_of(get("/2009", R"({"chnid":5})"), kJson));
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.text("id"), "5");
  EXPECT_EQ(o.text("name"), R"("CAM6")");
  EXPECT_EQ(o.text("thirdGop"), "10");
  EXPECT_EQ(json_object_get_int(json_object_object_get(o.at("main"), "curRes")), 0);
  EXPECT_EQ(sent_hex(3204), Bytes().i32(5).hex());

  start_core("3204 hex=" + nvrtest::to_hex(camtest::stream_answer(4, 5, {}, 0, 0)) + "\n");
  EXPECT_EQ(get("/2009", R"({"chnid":5})").out, kJson + R"({ "stateCode": 4 })");
  start_core("3204 silent\n3203 silent\n");
  EXPECT_EQ(unanswered("/2009", R"({"chnid":5})").out, kJsonError);
  EXPECT_EQ(unanswered("/2030", R"({"chans":[1]})").out, kJsonError);
}

TEST_F(ParamProcess, ImageRecordsRoundTrip) {
  Bytes enhancement;
  enhancement.i32(2);
  for (int i = 0; i < 14; ++i) enhancement.i32(i);
  enhancement.text("", 64);
  for (int i = 30; i < 46; ++i) enhancement.i32(i);
  enhancement.text("V9", 32).i32(54).i32(55).i32(0);
  start_core("3221 hex=" + enhancement.hex() + "\n3224 hex=05000000\n");
  JsonTree e(camtest::body_of(post("/2019", R"({"id":2})"), kJson));
  EXPECT_EQ(e.text("id"), "2");
  EXPECT_EQ(e.text("wdraflevel"), "41");
  EXPECT_EQ(e.text("sdkversion"), R"("V9")");
  EXPECT_EQ(sent_hex(3221), Bytes().i32(2).hex());
  // A display change the camera refused.
  EXPECT_EQ(post("/2022", R"({"id":2,"mirctrl":1})").out, kText + "ERROR");

  start_core("3221 silent\n3223 silent\n3225 silent\n");
  for (const char* path : {"/2019", "/2021", "/2023"})
    EXPECT_EQ(unanswered(path, R"({"id":2})").out, kTextError) << path;
}

// coresim's own answers, as the demo's pages get them.
TEST_F(ParamProcess, DemoAnswersHaveThePagesShapes) {
  JsonTree stream(camtest::body_of(get("/2009", R"({"chnid":0})"), kJson));
  ASSERT_TRUE(stream.ok());
  EXPECT_EQ(stream.text("stateCode"), "0");
  EXPECT_EQ(json_object_array_length(json_object_object_get(stream.at("main"), "res")), 3u);
  EXPECT_EQ(json_object_get_int(json_object_object_get(stream.at("main"), "curRes")), 1);

  EXPECT_EQ(post("/2010", R"({"id":1,"mainFramerate":25,"mainBitrate":4096,"mainResWidth":1920,)"
                          R"("mainResHeight":1080,"subEnable":1,"audioEnable":1})")
                .out,
            kJson + R"({ "res": "01)" + std::string(62, '0') + "\" }");
  EXPECT_EQ(JsonTree(camtest::body_of(post("/2021", R"({"id":3})"), kJson)).text("productmodel"),
            R"("IPC-D4")");
  EXPECT_EQ(post("/2022", R"({"id":3,"mirctrl":1})").out, kText + "OK");
  EXPECT_EQ(plain(post("/2023", R"({"id":3,"pagename":"p","httpname":"h","key":"k"})")),
            R"({"id":3,"pagename":"p","httpname":"h","key":"k","value":"1"})");
  EXPECT_EQ(post("/2024", R"({"id":3,"pagename":"p","httpname":"h","key":"ratecontrol2",)"
                          R"("value":"1"})")
                .out,
            kText + "OK");

  JsonTree modes(camtest::body_of(post("/2037", R"({"id":3})"), kJson));
  ASSERT_EQ(json_object_array_length(modes.at("image")), 7u);
  JsonTree areas(camtest::body_of(post("/2039", R"({"id":3})"), kJson));
  ASSERT_EQ(json_object_array_length(areas.at("area")), 16u);
  EXPECT_EQ(areas.text("enable"), "1");
  const struct {
    const char* path;
    std::size_t slots;
  } schedules[] = {{"/2041", 10}, {"/2043", 12}, {"/2045", 12}};
  for (const auto& s : schedules) {
    JsonTree t(camtest::body_of(post(s.path, R"({"id":3})"), kJson));
    ASSERT_EQ(json_object_array_length(t.at("schedule")), 7u) << s.path;
    json_object* monday = json_object_array_get_idx(t.at("schedule"), 1);
    EXPECT_EQ(json_object_array_length(monday), s.slots) << s.path;
    EXPECT_STREQ(json_object_get_string(
                     json_object_object_get(json_object_array_get_idx(monday, 0), "startTime")),
                 s.path == std::string("/2043") ? "06:00" : "00:00");
  }
}

TEST_F(ParamProcess, ChangesPushedWithoutAnswerAndTheExposureList) {
  EXPECT_EQ(post("/2042", R"({"channel":[1],"schedule":[[["08:00","18:00",1]]]})").out,
            kText + "OK");
  EXPECT_EQ(post("/2038", R"({"channel":1,"id":0,"enable":1})").out, kText + "OK");
  EXPECT_EQ(post("/2048", R"({"channel":1,"exposure":[{"exposureTime":5,"gainLevel":6}]})").out,
            kText + "OK");
  EXPECT_EQ(plain(post("/2049", R"({"channel":1})")),
            R"({"exposure":[{"exposureTime":5,"gainLevel":6}]})");
  auto sent = sent_before_marker();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3281u);
  EXPECT_EQ(sent[0].length, 26180u);
  EXPECT_EQ(sent[1].type, 3279u);
  EXPECT_EQ(sent[1].length, 1084u);
}

}  // namespace
