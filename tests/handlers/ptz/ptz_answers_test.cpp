// The PTZ module's answer callback in process: the state query's answer built by hand word
// by word (complete, short, with names that fill their field), support, basic settings,
// control, light and camera push answers, and types the module does not route.
#include <gtest/gtest.h>

#include <string>

#include "ptz/ptz_ipc.h"
#include "support/answer_capture.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::JsonTree;

const std::string kText = "Content-type: text/plain\r\n\r\n";
const std::string kJson = "Content-type: application/json\r\n\r\n";

// A state answer of 3901 words: presets 0 ("Door") and 299 (a 32-character name without
// NUL) enabled; tour 1 of two steps, tour 2 empty, tour 8 with all 48 steps; patterns 1 and
// 3 on; tour status word j of group i is 8 i + j; auto-scan status 1 to 5.
std::string state_answer() {
  Bytes b;
  const std::string long_name(32, 'N');
  for (int p = 0; p < 300; ++p) {
    b.i32(p == 0 || p == 299 ? 1 : 0);
    b.text(p == 0 ? "Door" : p == 299 ? long_name : "", 32);
  }
  for (int t = 0; t < 8; ++t) {
    auto preset = [&](int s) { return t == 0 ? (s < 2 ? 5 + s : 0) : t == 7 ? 1 + s : 0; };
    for (int s = 0; s < 48; ++s) b.i32(preset(s));
    for (int s = 0; s < 48; ++s) b.i32(10 + s);  // dwell times
    for (int s = 0; s < 48; ++s) b.i32(3);       // speeds
  }
  for (int v : {1, 0, 1, 0}) b.i32(v);
  for (int i = 0; i < 40; ++i) b.i32(i);
  for (int i = 1; i <= 5; ++i) b.i32(i);
  return b.str();
}

class PtzAnswers : public nvrtest::AnswerCapture {
 protected:
  std::string answer(int type, const std::string& payload) {
    fresh();
    const std::uint32_t header[8] = {kDvMagic, 0,
                                     1,        static_cast<std::uint32_t>(type),
                                     1,        static_cast<std::uint32_t>(payload.size()),
                                     0,        0};
    on_ptz_ipc_callback(nullptr, header, payload.empty() ? nullptr : payload.data());
    return output();
  }
  std::string json_of(int type, const std::string& payload) {
    std::string out = answer(type, payload);
    EXPECT_EQ(out.rfind(kJson, 0), 0u) << out;
    return out.size() >= kJson.size() ? out.substr(kJson.size()) : "";
  }
};

TEST_F(PtzAnswers, StateAnswerBecomesPresetsToursPatternsAndStatus) {
  const std::string payload = state_answer();
  ASSERT_EQ(payload.size(), 15604u);
  for (int type : {6265, 6268}) {
    JsonTree tree(json_of(type, payload));
    ASSERT_TRUE(tree.ok());
    EXPECT_EQ(tree.keys(), (std::vector<std::string>{"status", "PRESET", "TOUR", "PATTERN",
                                                     "autoscan_status", "tour_status"}));
    EXPECT_EQ(tree.text("status"), R"("OK")");
    json_object* presets = tree.at("PRESET");
    ASSERT_EQ(json_object_array_length(presets), 300u);
    auto preset = [&](std::size_t i) {
      return std::string(json_object_to_json_string_ext(json_object_array_get_idx(presets, i),
                                                        JSON_C_TO_STRING_PLAIN));
    };
    EXPECT_EQ(preset(0), R"({"enable":1,"name":"Door"})");
    EXPECT_EQ(preset(1), R"({"enable":0,"name":""})");
    EXPECT_EQ(preset(299), R"({"enable":1,"name":")" + std::string(32, 'N') + R"("})");

    json_object* tours = tree.at("TOUR");
    ASSERT_EQ(json_object_array_length(tours), 8u);
    EXPECT_STREQ(
        json_object_to_json_string_ext(json_object_array_get_idx(tours, 0), JSON_C_TO_STRING_PLAIN),
        R"([{"preset_id":5,"speed":3,"timeout":10},{"preset_id":6,"speed":3,"timeout":11}])");
    EXPECT_EQ(json_object_array_length(json_object_array_get_idx(tours, 1)), 0u);
    EXPECT_EQ(json_object_array_length(json_object_array_get_idx(tours, 7)), 48u);

    EXPECT_EQ(tree.text("PATTERN"), R"([{"enable":1},{"enable":0},{"enable":1},{"enable":0}])");
    EXPECT_EQ(tree.text("autoscan_status"), "[1,2,3,4,5]");
    EXPECT_EQ(tree.text("tour_status"),
              "[[0,1,2,3,4,5,6,7],[8,9,10,11,12,13,14,15],[16,17,18,19,20,21,22,23],"
              "[24,25,26,27,28,29,30,31],[32,33,34,35,36,37,38,39]]");
  }
}

TEST_F(PtzAnswers, AShortStateAnswerIsAnError) {
  const std::string payload = state_answer();
  for (std::size_t size : {std::size_t{4}, std::size_t{15600}, std::size_t{15603}})
    EXPECT_EQ(JsonTree(json_of(6265, payload.substr(0, size))).plain(), R"({"status":"Error"})")
        << size;
  // No payload at all is no answer: the handler's wait ends with the error body.
  EXPECT_EQ(answer(6265, ""), "");
}

TEST_F(PtzAnswers, SupportBasicControlLightAndPush) {
  EXPECT_EQ(answer(6262, Bytes().i32(-1)), kText + "-1");
  EXPECT_EQ(answer(6262, Bytes().i32(0)), kText + "0");
  EXPECT_EQ(answer(6262, Bytes().i32(7)), kText + "0");
  EXPECT_EQ(answer(6262, "\x01\x02"), "");

  Bytes basic;
  for (int i = 0; i < 17; ++i) basic.i32(100 + i);
  basic.text("0101", 68);
  JsonTree b(json_of(6270, basic));
  EXPECT_EQ(b.plain(),
            R"({"status":100,"chnId":101,"zoomStatus":102,"panTiltStatus":103,)"
            R"("presetStatus":104,"patrolStatus":105,"patternStatus":106,"autoScanStatus":107,)"
            R"("presetFreezing":108,"presetSpeed":109,"manualSpeed":110,"patrolRecovering":111,)"
            R"("patrolRecoveryTime":112,"focusMode":113,"minFocusDistance":114,"resumeTime":115,)"
            R"("fanWorkingMode":116})");
  EXPECT_EQ(answer(6270, std::string(basic).substr(0, 135)), nvrtest::kJsonErrorBody);

  EXPECT_EQ(JsonTree(json_of(6271, Bytes().i32(2))).plain(), R"({"status":2})");
  EXPECT_EQ(JsonTree(json_of(8361, Bytes().i32(-3))).plain(), R"({"res":-3})");
  EXPECT_EQ(JsonTree(json_of(8363, Bytes().i32(4).i32(1))).plain(), R"({"chnid":4,"status":1})");
  EXPECT_EQ(answer(8226, Bytes().i32(0)), kText + "OK");
  EXPECT_EQ(answer(8226, Bytes().i32(1)), kText + "FAILED");
  // Types of other modules are not this callback's.
  EXPECT_EQ(answer(8225, Bytes().i32(0)), "");
  EXPECT_EQ(answer(6264, Bytes().i32(0)), "");
}

}  // namespace
