// The camera's own line-crossing and analysis-settings pages in process against one
// coresim: what the getters show of coresim's records, the records the setters send (built
// here by hand), the caps on long arrays, refused channels and the answer writers' guards.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "event/video_ipc.h"
#include "support/answer_capture.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/coresim.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

nvrtest::InProcess& web() {
  return nvrtest::InProcess::instance();
}

std::string json_body(const std::string& out) {
  EXPECT_EQ(out.rfind(kJson, 0), 0u) << out;
  return out.size() >= kJson.size() ? out.substr(kJson.size()) : "";
}

std::vector<std::uint32_t> types_of(const std::vector<JournalEntry>& sent) {
  std::vector<std::uint32_t> types;
  for (const JournalEntry& e : sent) types.push_back(e.type);
  return types;
}

// The payload of the last message sent, which must be of `type`.
std::string last_sent(std::uint32_t type) {
  auto sent = web().sent();
  if (sent.empty() || sent.back().type != type) {
    ADD_FAILURE() << "the last message sent is no " << type;
    return {};
  }
  return nvrtest::bytes_of(sent.back());
}

// One 128-byte line entry of the camera's line record.
Bytes& line_entry(Bytes& b, int enable, std::vector<int> points, int direction, int objtype) {
  b.i32(enable);
  for (int p : points) b.i32(p);
  return b.i32(direction).i32(objtype).zeros(100);
}

TEST(Vca2Pages, GettersShowTheCameraRecordsInTheWebFrame) {
  (void)web().sent();
  EXPECT_EQ(JsonTree(json_body(web().post("/6192", R"({"chnid":3})"))).plain(),
            R"({"chnid":3,"width":1920,"height":1080,"sensitivity":50,"line":[)"
            R"({"enable":1,"objtype":1,"direction":2,"position":"115;130;345;130"},)"
            R"({"enable":0,"objtype":0,"direction":0,"position":"1;1;1;1"},)"
            R"({"enable":0,"objtype":0,"direction":0,"position":"1;1;1;1"},)"
            R"({"enable":0,"objtype":0,"direction":0,"position":"1;1;1;1"}]})");
  EXPECT_EQ(nvrtest::bytes_of(web().sent().at(0)), Bytes().i32(3).str());

  JsonTree settings(json_body(web().post("/6194", R"({"channel":7})")));
  const std::string head =
      R"({"fps":8,"mode":0,"installation":0,"analysis":1,"width":1920,"height":1080,)"
      R"("position":[{"minStartX":2,"minStartY":2,"minWidth":23,"minHeight":23,)"
      R"("maxStartX":1,"maxStartY":1,"maxWidth":460,"maxHeight":260,"width":1920,)"
      R"("height":1080},{"minStartX":1,)";
  EXPECT_EQ(settings.plain().substr(0, head.size()), head);
  EXPECT_EQ(json_object_array_length(settings.at("position")), 8u);
  EXPECT_EQ(types_of(web().sent()), std::vector<std::uint32_t>{1211});
}

TEST(Vca2Pages, LineRecordFromTheBody) {
  (void)web().sent();
  // Five lines: the fifth is not read; a line without a position gets the point (1, 1).
  EXPECT_EQ(
      web().post("/6193", R"({"chnid":5,"sensitivity":60,"width":1920,"height":1080,)"
                          R"("copyChn":"000001","lineType":2,"lineScene":1,"line":[)"
                          R"({"enable":1,"objtype":2,"direction":1,"position":"230;130;460;260"},)"
                          R"({"enable":1,"position":"115;65"},{},{},)"
                          R"({"enable":1,"objtype":9,"direction":9,"position":"9;9;9;9"}]})"),
      kText + "OK");
  Bytes expected;
  expected.i32(5).i32(60).i32(1920).i32(1080);
  line_entry(expected, 1, {960, 540, 1920, 1080}, 1, 2);
  line_entry(expected, 1, {480, 270, 1, 1}, 0, 0);
  line_entry(expected, 0, {1, 1, 1, 1}, 0, 0);
  line_entry(expected, 0, {1, 1, 1, 1}, 0, 0);
  expected.text("000001", 65).zeros(3).i32(2).i32(1).zeros(24);
  EXPECT_EQ(last_sent(1210), expected.str());

  // What the getter gave goes back to the camera as it was.
  JsonTree got(json_body(web().post("/6192", R"({"chnid":3})")));
  (void)web().sent();
  EXPECT_EQ(web().post("/6193",
                       R"({"chnid":3,"width":1920,"height":1080,"line":)" + got.text("line") + "}"),
            kText + "OK");
  EXPECT_EQ(last_sent(1210).substr(16, 28),
            Bytes().i32(1).i32(480).i32(540).i32(1440).i32(540).i32(2).i32(1).str());
}

TEST(Vca2Pages, LineLinkageStoredAndCopied) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6193", R"({"chnid":2,"width":1920,"height":1080,"copyChn":"00001",)"
                                R"("dialog":{"chnid":2,"triAlarms":5,"interval":12}})"),
            kText + "OK");
  auto sent = web().sent();
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1412, 1210}));
  EXPECT_EQ(nvrtest::bytes_of(sent[0]), Bytes().channel_mask((1u << 2) | (1u << 4)).str());
  for (int channel : {2, 4}) {
    JsonTree action(json_body(
        web().post("/6148", R"({"chnid":)" + std::to_string(channel) + R"(,"event":4})")));
    EXPECT_EQ(JsonTree(action.text("action")).text("interval"), "12") << channel;
  }
}

TEST(Vca2Pages, SettingsBoxesCappedAtEight) {
  std::string boxes;
  for (int i = 1; i <= 10; ++i) {
    const std::string x = std::to_string(23 * i), y = std::to_string(13 * i);
    boxes += std::string(i > 1 ? "," : "") + R"({"minStartX":)" + x + R"(,"minStartY":)" + y +
             R"(,"minWidth":)" + x + R"(,"minHeight":)" + y + R"(,"maxStartX":)" + x +
             R"(,"maxStartY":)" + y + R"(,"maxWidth":)" + x + R"(,"maxHeight":)" + y + "}";
  }
  (void)web().sent();
  EXPECT_EQ(web().post("/6195", R"({"chnid":2,"fps":8,"mode":1,"installation":0,"analysis":1,)"
                                R"("width":1920,"height":1080,"copyChn":"01","position":[)" +
                                    boxes + "]}"),
            kText + "OK");
  Bytes expected;
  expected.i32(2).i32(0).i32(8).i32(1).i32(0).i32(1).i32(1920).i32(1080);
  for (int value = 0; value < 8; ++value)
    for (int box = 1; box <= 8; ++box) expected.i32(value % 2 == 0 ? 96 * box : 54 * box);
  expected.text("01", 65).zeros(3);
  EXPECT_EQ(last_sent(1212), expected.str());
}

TEST(Vca2Pages, RefusedChannelsSendNothing) {
  struct Row {
    const char* path;
    const char* body;
  } rows[] = {
      {"/6192", R"({"chnid":64})"},    {"/6192", R"({"chnid":-1})"},
      {"/6192", R"({"channel":3})"},   {"/6193", R"({"chnid":64,"width":1920})"},
      {"/6193", "not json"},           {"/6194", R"({"channel":64})"},
      {"/6194", R"({"channel":"x"})"}, {"/6195", R"({"chnid":-1,"fps":8})"},
      {"/6195", R"({"channel":2})"},
  };
  (void)web().sent();
  for (const Row& row : rows)
    EXPECT_EQ(web().post(row.path, row.body), nvrtest::kJsonErrorBody) << row.path << row.body;
  EXPECT_TRUE(web().sent().empty());
}

// Through the real program with a camera that never answers (the wait shortened to 1 s).
TEST(Vca2Pages, NoAnswerIsTheJsonError) {
  nvrtest::TempRoot root;
  nvrtest::CoreSim core(root, "1209 silent\n1212 silent\n");
  ASSERT_TRUE(core.ok());
  for (const char* path : {"/6192", "/6195"})
    EXPECT_EQ(nvrtest::run_webcgi(root, nvrtest::json_post(path, R"({"chnid":1})")).out,
              nvrtest::kJsonErrorBody)
        << path;
}

class Vca2Answers : public nvrtest::AnswerCapture {
 protected:
  std::string answer(int type, const std::string& payload) {
    fresh();
    const std::uint32_t header[8] = {kDvMagic, 0,
                                     1,        static_cast<std::uint32_t>(type),
                                     1,        static_cast<std::uint32_t>(payload.size()),
                                     0,        0};
    on_video_ipc_callback(nullptr, header, payload.data());
    return output();
  }
};

TEST_F(Vca2Answers, EmptyFrameShortRecordsAndResults) {
  // A camera that gives no frame size: no division, every point 0.
  Bytes line;
  line.i32(1).i32(50).i32(0).i32(0);
  line_entry(line, 1, {480, 540, 1440, 540}, 2, 1);
  line.zeros(3 * 128 + 100);
  EXPECT_NE(JsonTree(json_body(answer(6209, line.str()))).plain().find(R"("position":"0;0;0;0")"),
            std::string::npos);
  Bytes settings;
  settings.i32(1).zeros(20).i32(0).i32(1080);
  for (int i = 0; i < 64; ++i) settings.i32(100);
  settings.zeros(68);
  const std::string got = JsonTree(json_body(answer(6211, settings.str()))).plain();
  EXPECT_NE(got.find(R"({"minStartX":0,"minStartY":24,)"), std::string::npos) << got;

  EXPECT_EQ(answer(6209, line.str().substr(0, 627)), nvrtest::kJsonErrorBody);
  EXPECT_EQ(answer(6211, settings.str().substr(0, 355)), nvrtest::kJsonErrorBody);
  EXPECT_EQ(answer(6210, Bytes().i32(0).str()), kText + "OK");
  EXPECT_EQ(answer(6212, Bytes().i32(3).str()), kText + "FAILED");
}

}  // namespace
