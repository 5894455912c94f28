// PTZ pages through the real webcgi and coresim processes: the state of a channel (plain
// and fisheye), a tour edit shown by the store, PTZ support and the basic settings.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <algorithm>
#include <string>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::JournalEntry;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

class PtzPages : public nvrtest::HandlerProcessTest {
 protected:
  std::string json_body(const nvrtest::ProcessResult& r) {
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out;
    return r.out.size() >= kJson.size() ? r.out.substr(kJson.size()) : "";
  }
};

TEST_F(PtzPages, StateSupportBasicAndATourRoundTrip) {
  nvrtest::JsonTree state(json_body(post("/5005", R"({"chn":1})")));
  EXPECT_EQ(state.text("status"), R"("OK")");
  json_object* presets = state.at("PRESET");
  ASSERT_EQ(json_object_array_length(presets), 300u);
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(presets, 0), JSON_C_TO_STRING_PLAIN),
      R"({"enable":1,"name":"Preset 1"})");
  EXPECT_EQ(json_object_array_length(json_object_array_get_idx(state.at("TOUR"), 0)), 3u);

  nvrtest::JsonTree fish(json_body(post("/5005", R"({"chn":2,"fisheyeType":1,"streamId":1})")));
  EXPECT_EQ(fish.text("status"), R"("OK")");
  EXPECT_EQ(post("/6052", R"({"camId":2})").out, kText + "0");
  nvrtest::JsonTree basic(json_body(post("/5011", R"({"chnId":6})")));
  EXPECT_EQ(basic.text("chnId"), "6");
  EXPECT_EQ(post("/5012", R"({"chnId":6,"presetSpeed":3,"channelMask":"0000001"})").out,
            kJson + R"({"status":0})");

  EXPECT_EQ(
      post("/6055", R"({"chn":3,"tourid":8,"rowsize":1,"path":[{"preset":4,"speed":2,"time":9}]})")
          .out,
      kText + "OK");

  auto journal = core_->wait_journal(7);
  ASSERT_EQ(journal.size(), 7u);
  EXPECT_EQ(journal[0].type, 1265u);
  EXPECT_EQ(journal[0].hex, Bytes().i32(1).hex());
  EXPECT_EQ(journal[1].type, 1268u);
  EXPECT_EQ(journal[1].hex, Bytes().i32(2).i32(1).hex());
  EXPECT_EQ(journal[2].type, 1262u);
  EXPECT_EQ(journal[3].type, 1270u);
  EXPECT_EQ(journal[4].type, 1271u);
  EXPECT_EQ(journal[4].hex,
            Bytes().zeros(4).i32(6).zeros(28).i32(3).zeros(28).text("0000001", 68).hex());
  // The tour change and its log record, in either order (two sends without waiting); the
  // queries log nothing.
  EXPECT_EQ(journal[5].type + journal[6].type, 1264u + 3485u);

  // The edited tour as the store keeps it: tour 8, step 1.
  std::string shown = nvrdb({"record", "get", "ptz_tour", "3"});
  nvrtest::JsonTree table(shown.substr(std::min(shown.find('{'), shown.size())));
  json_object* tour8 = json_object_array_get_idx(table.at("tour"), 7);
  json_object* step = json_object_array_get_idx(json_object_object_get(tour8, "step"), 0);
  EXPECT_STREQ(json_object_to_json_string_ext(step, JSON_C_TO_STRING_PLAIN),
               R"({"preset":4,"time":9,"speed":2})")
      << shown;
}

}  // namespace

namespace {

// A scripted state answer: preset 2 named "Gate" and tour 1 of one step; and a scripted
// answer 4 bytes short of a whole state, which is no state.
TEST_F(PtzPages, StateFromAScriptedAnswer) {
  Bytes b;
  for (int p = 0; p < 300; ++p) b.i32(p == 2 ? 1 : 0).text(p == 2 ? "Gate" : "", 32);
  for (int t = 0; t < 8; ++t)
    for (int col = 0; col < 3; ++col)
      for (int s = 0; s < 48; ++s) b.i32(t == 0 && s == 0 ? 3 + col : 0);
  b.zeros(4 * (4 + 40 + 5));
  const std::string full = b.hex();
  ASSERT_EQ(full.size(), 2u * 15604);
  start_core("1265 hex=" + full + "\n1268 hex=" + full.substr(0, 2 * 15600) + "\n");

  nvrtest::JsonTree state(json_body(post("/5005", R"({"chn":0})")));
  EXPECT_STREQ(json_object_to_json_string_ext(json_object_array_get_idx(state.at("PRESET"), 2),
                                              JSON_C_TO_STRING_PLAIN),
               R"({"enable":1,"name":"Gate"})");
  EXPECT_EQ(state.text("TOUR"),
            R"([[{"preset_id":3,"speed":5,"timeout":4}],[],[],[],[],[],[],[]])");
  EXPECT_EQ(nvrtest::JsonTree(json_body(post("/5005", R"({"chn":0,"fisheyeType":1})"))).plain(),
            R"({"status":"Error"})");
}

}  // namespace
