// The camera feature settings the recorder stores, in process: people counting groups and
// their actions, POS sources and actions, the report auto-backup and face capture -- saved,
// read back, their linkage stored through the generic piece, and the core told afterwards.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "camera/camera_linkage_record.h"
#include "camera_bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace {

using camtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JsonTree;
using nvrtest::kJsonErrorBody;
using nvrtest::kJsonHeader;

const std::string kRes0 = kJsonHeader + R"({ "res": 0 })";
const std::string kWeekday = R"([[["08:00","18:00",1]],[],[],[],[],[],[],[]])";

std::string member_text(json_object* object, const char* key) {
  json_object* v = json_object_object_get(object, key);
  return v != nullptr ? json_object_get_string(v) : "missing";
}

std::string first_start(json_object* schedule) {
  json_object* section = json_object_array_get_idx(json_object_array_get_idx(schedule, 0), 0);
  return member_text(section, "startTime");
}

class StoredFeatures : public ::testing::Test {
 protected:
  void SetUp() override { (void)web.sent(); }
  // The one message sent, of the type expected; its payload as hex.
  std::string only(uint32_t type) {
    auto sent = web.sent();
    EXPECT_EQ(sent.size(), 1u);
    if (sent.size() != 1u) return "";
    EXPECT_EQ(sent[0].type, type);
    return sent[0].hex;
  }
  JsonTree body(const std::string& response) {
    return JsonTree(response.rfind(kJsonHeader, 0) == 0 ? response.substr(kJsonHeader.size())
                                                        : "not JSON");
  }
  InProcess& web = InProcess::instance();
};

TEST_F(StoredFeatures, PeopleCountingGroupsSaveAndReadBack) {
  // An element's own "groupid" cannot move it to another slot.
  EXPECT_EQ(web.post("/2067", R"({"groups":[{"groupid":5,"enable":1,"name":"Entrance",)"
                              R"("tri_channels":"1100"},{},{"name":")" +
                                  std::string(80, 'n') + R"("}]})"),
            kRes0);
  EXPECT_EQ(only(2290), Bytes().i32(0).hex());
  JsonTree got = body(web.post("/2066", "{}"));
  ASSERT_TRUE(got.ok());
  json_object* groups = got.at("groups");
  ASSERT_EQ(json_object_array_length(groups), 9u);
  json_object* g0 = json_object_array_get_idx(groups, 0);
  EXPECT_EQ(member_text(g0, "groupid"), "0");
  EXPECT_EQ(member_text(g0, "name"), "Entrance");
  EXPECT_EQ(member_text(g0, "tri_channels"), "1100");
  EXPECT_EQ(member_text(json_object_array_get_idx(groups, 2), "name"), std::string(63, 'n'));
  EXPECT_EQ(json_object_object_get(g0, "dialog"), nullptr);
  JsonTree dialog = body(web.post("/2066", R"({"action":1})"));
  json_object* d5 =
      json_object_object_get(json_object_array_get_idx(dialog.at("groups"), 5), "dialog");
  ASSERT_NE(d5, nullptr);
  EXPECT_EQ(member_text(d5, "chnid"), "5");
  EXPECT_NE(json_object_object_get(d5, "ptzParams"), nullptr);
}

TEST_F(StoredFeatures, PeopleCountingActionGoesThroughTheLinkage) {
  EXPECT_EQ(web.post("/2070", R"({"groupid":2,"interval":30,"audioId":4,"audible":)" + kWeekday +
                                  R"(,"whiteInfo":[{"chnid":1,"mode":1,"time":10}]})"),
            kRes0);
  EXPECT_EQ(only(2293), Bytes().i32(2).i32(-1).hex());
  JsonTree got = body(web.post("/2069", R"({"groupid":2})"));
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(got.text("chnid"), "2");
  EXPECT_EQ(got.text("interval"), "30");
  EXPECT_EQ(got.text("audioId"), "4");
  // The page's "effective" shows the audible schedule.
  EXPECT_EQ(first_start(got.at("effective")), "08:00");
  EXPECT_EQ(first_start(got.at("audible")), "08:00");
  EXPECT_EQ(json_object_array_length(got.at("whiteInfo")), 1u);
  EXPECT_EQ(json_object_object_get(got.get(), "ptzParams"), nullptr);
  for (const char* path : {"/2069", "/2070", "/2071", "/2072"}) {
    EXPECT_EQ(web.post(path, R"({"groupid":9})"), kJsonErrorBody) << path;
    EXPECT_EQ(web.post(path, "x"), kJsonErrorBody) << path;
  }
  EXPECT_TRUE(web.sent().empty());
  EXPECT_EQ(web.post("/2071", R"({"groupid":8})"), kRes0);
  EXPECT_EQ(only(2291), Bytes().i32(8).hex());
  EXPECT_EQ(web.post("/2072", R"({"groupid":0})"), kRes0);
  EXPECT_EQ(only(2292), Bytes().i32(0).hex());
}

TEST_F(StoredFeatures, PosSourceAndActionSaveAndReadBack) {
  EXPECT_EQ(web.post("/2074", R"({"id":3,"enable":1,"name":"Till 3","ip":"10.0.0.9","port":9000,)"
                              R"("action":{"interval":20,"triChannels":"101","effective":)" +
                                  kWeekday + "}}"),
            kRes0);
  EXPECT_EQ(only(1421), Bytes().i32(3).hex());
  JsonTree got = body(web.post("/2073", R"({"id":3})"));
  ASSERT_TRUE(got.ok());
  json_object* pos = got.at("pos");
  ASSERT_EQ(json_object_array_length(pos), 8u);
  json_object* p3 = json_object_array_get_idx(pos, 3);
  EXPECT_EQ(member_text(p3, "name"), "Till 3");
  EXPECT_EQ(member_text(p3, "ip"), "10.0.0.9");
  EXPECT_EQ(member_text(p3, "port"), "9000");
  json_object* action = got.at("action");
  EXPECT_EQ(member_text(action, "interval"), "20");
  EXPECT_EQ(member_text(action, "triChannels"), "101");
  EXPECT_EQ(first_start(json_object_object_get(action, "effective")), "08:00");
  FeatureEventRecord stored{};
  ASSERT_EQ(store_read(kStoreMain, kFeatureEventKind, 3, &stored, nullptr, "pos_event"), 0);
  EXPECT_EQ(stored.trigger_mask, 0x5u);
  // Another source's action is untouched.
  JsonTree other = body(web.post("/2073", R"({"id":4})"));
  EXPECT_EQ(member_text(other.at("action"), "interval"), "0");
  EXPECT_EQ(web.post("/2074", R"({"id":8,"name":"x"})"), kJsonErrorBody);
  EXPECT_EQ(web.post("/2073", R"({"id":-1})"), kJsonErrorBody);
  EXPECT_TRUE(web.sent().empty());
}

TEST_F(StoredFeatures, ReportAutoBackupSaveAndReadBack) {
  EXPECT_EQ(web.post("/2076", R"({"report":[{"reportType":1,"enable":1,"backupTime":"08:00",)"
                              R"("triGroups":"101"},{},{},{},{"reportType":9}]})"),
            kRes0);
  EXPECT_EQ(only(1423), "");
  JsonTree got = body(web.get("/2075"));
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(got.text("email"), "1");
  json_object* reports = got.at("report");
  ASSERT_EQ(json_object_array_length(reports), 4u);
  json_object* r0 = json_object_array_get_idx(reports, 0);
  EXPECT_EQ(member_text(r0, "reportType"), "1");
  EXPECT_EQ(member_text(r0, "backupTime"), "08:00");
  EXPECT_EQ(member_text(r0, "triGroups"), "101");
}

TEST_F(StoredFeatures, RefusedStoreAnswersTheErrorAndTellsNobody) {
  // The tables exist once something was stored in them.
  EXPECT_EQ(web.post("/2067", R"({"groups":[]})"), kRes0);
  EXPECT_EQ(web.post("/2076", R"({"report":[]})"), kRes0);
  (void)web.sent();
  web.refuse_writes("peoplecnt_settings");
  EXPECT_EQ(web.post("/2067", R"({"groups":[{"enable":1}]})"), kJsonErrorBody);
  web.allow_writes("peoplecnt_settings");
  web.refuse_writes("peoplecnt_auto_backup");
  EXPECT_EQ(web.post("/2076", R"({"report":[{"enable":1}]})"), kJsonErrorBody);
  web.allow_writes("peoplecnt_auto_backup");
  EXPECT_TRUE(web.sent().empty());
}

TEST_F(StoredFeatures, FaceCaptureRecordAndAction) {
  const std::string shield = R"({"enable":1,"polygonX":"1,2","polygonY":"3,4"})";
  const std::string body_text =
      R"({"chnId":2,"enable":1,"width":100,"height":120,"minPixel":40,"captureMode":1,)"
      R"("poseYaw":30,"detection_polygonX":"0,460","detection_polygonY":"0,260",)"
      R"("httpUrl":"http://srv/face","recordSeconds":10,"mutuallyExclusive":1,)"
      R"("shield":[)" +
      shield + "," + shield + "," + shield + "," + shield + "," + shield +
      R"(],"captureModeArray":[{"captureQuality":1,"snapshot":2},{"captureQuality":3,"snapshot":4},)"
      R"({"captureQuality":5,"snapshot":6},{"captureQuality":7,"snapshot":8}],)"
      R"("action":{"interval":15,"triChannels":"11"}})";
  EXPECT_EQ(web.post("/2077", body_text), kJsonHeader + R"({"status":0})");
  auto sent = web.sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3383u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(2).hex());
  EXPECT_EQ(sent[1].type, 3381u);
  Bytes want;
  want.i32(0).i32(2).zeros(132).i32(1).i32(100).i32(120).i32(40).i32(1);
  want.i32(1).i32(3).i32(5);                   // captureQuality of the first 3 modes
  want.zeros(12).i32(30).zeros(12).zeros(80);  // snapshot settings, pose, blur
  want.text("0,460", 64).text("0,260", 64).zeros(28).i32(0);
  want.text("http://srv/face", 128).zeros(128);
  want.i32(2).i32(4).i32(6).i32(10).zeros(12).zeros(80);
  for (int i = 0; i < 4; ++i) want.i32(1).zeros(64).text("1,2", 64).text("3,4", 64);
  want.zeros(16).i32(1).zeros(12);
  EXPECT_EQ(sent[1].hex, want.hex());
  FeatureEventRecord stored{};
  ASSERT_EQ(store_read(kStoreMain, kFeatureEventKind, 2, &stored, nullptr, "face_event"), 0);
  EXPECT_EQ(stored.interval, 15);
  EXPECT_EQ(stored.trigger_mask, 0x3u);
  EXPECT_EQ(web.post("/2077", R"({"chnId":16,"enable":1})"), kJsonErrorBody);
  EXPECT_TRUE(web.sent().empty());
}

}  // namespace
