// Video loss, the camera OSD and the camera masks through the real webcgi and coresim
// processes: a save and its read-back, and the waited requests coresim answers.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <string>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::JsonTree;
using nvrtest::ProcessResult;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

class EventPages : public nvrtest::HandlerProcessTest {
 protected:
  JsonTree json_of(const ProcessResult& r) {
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out << r.err;
    return JsonTree(r.out.size() >= kJson.size() ? r.out.substr(kJson.size()) : "");
  }
};

TEST_F(EventPages, VideoLossSavedAndCopied) {
  EXPECT_EQ(post("/6095", R"({"chnid":2,"copyCnt":1,"copyChn":[6],)"
                          R"("dialog":{"triAlarms":5,"interval":40,"enable":1}})")
                .out,
            kText + "OK");
  auto journal = core_->wait_journal(1);
  ASSERT_EQ(journal.size(), 1u);
  EXPECT_EQ(journal[0].type, 1414u);
  EXPECT_EQ(journal[0].hex, nvrtest::Bytes().channel_mask((1u << 2) | (1u << 6)).hex());
  JsonTree copy = json_of(post("/6094", R"({"chnid":6})"));
  EXPECT_EQ(copy.text("triAlarms"), "5");
  EXPECT_EQ(copy.text("interval"), "40");
  JsonTree basic = json_of(get("/6014", "6"));
  EXPECT_EQ(basic.plain(), R"({"camId":6,"enable":1,"triAlarms":5,"interval":40})");
}

TEST_F(EventPages, CameraAnswersFromCoresim) {
  JsonTree osd = json_of(post("/6997", R"({"id":4})"));
  EXPECT_EQ(osd.text("text_name"), "\"CAM5\"");
  EXPECT_EQ(osd.text("disconnect"), "1");
  EXPECT_EQ(post("/6996", R"({"ch":4,"enable_text":1,"text_name":"Door","textpos":0,)"
                          R"("enable_date":1,"datepos":1,"dateformat":0,"fontSize":2})")
                .out,
            kText + "OK");
  JsonTree masks = json_of(post("/6115", R"({"id":4})"));
  ASSERT_TRUE(json_object_is_type(masks.get(), json_type_array));
  EXPECT_EQ(json_object_array_length(masks.get()), 1u);
  EXPECT_EQ(json_of(post("/6198", R"({"chnid":4,"maskid":1})")).plain(), R"({"res":0})");
}

}  // namespace
