// Smart-event pages through the real webcgi and coresim processes: the camera records
// coresim keeps, and a linkage that stays stored when the camera refuses the settings.
#include <gtest/gtest.h>

#include <string>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::JsonTree;
using nvrtest::ProcessResult;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

class VcaPages : public nvrtest::HandlerProcessTest {
 protected:
  JsonTree json_of(const ProcessResult& r) {
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out << r.err;
    return JsonTree(r.out.size() >= kJson.size() ? r.out.substr(kJson.size()) : "");
  }
};

TEST_F(VcaPages, CameraRecordsRoundTrip) {
  JsonTree line = json_of(post("/6138", R"({"channel":3})"));
  EXPECT_EQ(line.plain().substr(0, 48), R"({"line":[{"direction":2,"position":"115;130;345;)");
  // What the page read goes back unchanged to the camera.
  EXPECT_EQ(post("/6139", R"({"chnid":3,"enable":1,"width":1920,"height":1080,"line":)" +
                              JsonTree(line.text("line")).plain() + "}")
                .out,
            kText + "OK");
  auto journal = core_->wait_journal(2);
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[1].type, 3248u);
  EXPECT_EQ(nvrtest::bytes_of(journal[1]).substr(16, 20),
            nvrtest::Bytes().i32(480).i32(540).i32(1440).i32(540).i32(2).str());

  EXPECT_EQ(json_of(post("/6136", R"({"channel":3})")).plain(), R"({"enable":1,"sensitivity":50})");
  EXPECT_EQ(json_of(post("/6142", R"({"channel":3})")).plain(), R"({"enable":1,"tracks":5})");
  EXPECT_EQ(json_of(post("/6140", R"({"channel":3})")).text("time"), "10");
  EXPECT_EQ(json_of(post("/6134", R"({"channel":3})")).text("ignore_time"), "3");
  EXPECT_EQ(json_of(post("/6132", R"({"channel":3,"type":1})")).text("polygonX"),
            "\"120,340,340,120\"");
  EXPECT_EQ(json_of(post("/6172", R"({"channel":3})")).text("min_time"), "30");
  EXPECT_EQ(json_of(post("/6146", R"({"channel":3})")).text("fps"), "8");
  EXPECT_EQ(json_of(post("/6144", R"({"channel":3})")).text("position"),
            R"(["230;24;230;236","1;1;1;1","1;1;1;1","1;1;1;1"])");
  EXPECT_EQ(json_of(post("/6157", R"({"channel":3})")).plain().substr(0, 47),
            R"([{"support":1,"type":0},{"support":1,"type":1},)");
}

TEST_F(VcaPages, LinkageStaysWhenTheCameraRefuses) {
  start_core("3244 builder=status_fail\n");
  EXPECT_EQ(post("/6133", R"({"chnid":2,"type":0,"enable":1,"copyChn":"0",)"
                          R"("dialog":{"chnid":2,"triAlarms":6,"interval":15}})")
                .out,
            kText + "FAILED");
  auto journal = core_->wait_journal(2);
  ASSERT_EQ(journal.size(), 2u);
  EXPECT_EQ(journal[0].type, 1412u);
  EXPECT_EQ(journal[1].type, 3244u);
  JsonTree action = json_of(post("/6148", R"({"chnid":2,"event":0})"));
  EXPECT_EQ(JsonTree(action.text("action")).text("triAlarms"), "6");
  EXPECT_EQ(JsonTree(action.text("action")).text("interval"), "15");
}

}  // namespace
