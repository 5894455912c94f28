// The alarm module through the real webcgi and coresim processes: a camera's alarm inputs
// and outputs asked of the core and answered with the stored settings, and an output saved
// with its copy and listed again.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <string>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::JsonTree;
using nvrtest::ProcessResult;

const std::string& kJson = nvrtest::kJsonHeader;
const std::string kOk = nvrtest::kTextHeader + "OK";

std::string body_of(const ProcessResult& r) {
  EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out;
  return r.out.size() > kJson.size() ? r.out.substr(kJson.size()) : "";
}

class AlarmProcess : public nvrtest::HandlerProcessTest {};

TEST_F(AlarmProcess, CameraContactsRoundTrip) {
  ASSERT_EQ(post("/6025", R"({"chnid":3,"alarmCnt":1,"alarm":[{"alarmEnable":1,"alarmType":0,)"
                          R"("alarmName":"Fence"}],"dialog":[{"alarmId":0,"interval":12}]})")
                .out,
            kOk);
  JsonTree in(body_of(post("/6024", R"({"chnid":3})")));
  EXPECT_EQ(in.text("chnid"), "3");
  json_object* alarms = in.at("alarm");
  ASSERT_EQ(json_object_array_length(alarms), 1u);
  JsonTree first(json_object_to_json_string(json_object_array_get_idx(alarms, 0)));
  EXPECT_EQ(first.text("alarmEnable"), "1");
  EXPECT_EQ(first.text("alarmName"), "\"Fence\"");
  EXPECT_EQ(first.text("interval"), "12");

  JsonTree out(body_of(post("/6028", R"({"chnid":3})")));
  EXPECT_EQ(out.text("chnid"), "3");
  EXPECT_EQ(json_object_array_length(out.at("alarm")), 2u);

  // What webcgi asked: 3298 with the channel first and 4 in the last word; 3296 the channel.
  bool asked_in = false;
  bool asked_out = false;
  for (const auto& e : core_->journal()) {
    if (e.type == 3298u) {
      asked_in = true;
      EXPECT_EQ(e.hex, nvrtest::Bytes().i32(3).zeros(48).i32(4).hex());
    }
    if (e.type == 3296u) {
      asked_out = true;
      EXPECT_EQ(e.hex, nvrtest::Bytes().i32(3).hex());
    }
  }
  EXPECT_TRUE(asked_in);
  EXPECT_TRUE(asked_out);
}

TEST_F(AlarmProcess, OutputsSavedAndListed) {
  ASSERT_EQ(post("/6022", R"({"alarmId":0,"name":"Siren","enable":1,"type":1,)"
                          R"("durationTime":20,"copyCnt":1,"copyChn":[3]})")
                .out,
            kOk);
  JsonTree list(body_of(get("/6020")));
  ASSERT_TRUE(json_object_is_type(list.get(), json_type_array));
  ASSERT_EQ(json_object_array_length(list.get()), 4u);
  EXPECT_STREQ(json_object_to_json_string_ext(json_object_array_get_idx(list.get(), 3),
                                              JSON_C_TO_STRING_PLAIN),
               R"({"id":3,"name":"","type":1,"enable":1,"durationTime":20})");
}

}  // namespace
