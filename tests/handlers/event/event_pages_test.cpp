// Video loss, exceptions, OSD, privacy masks and snapshots served in process against one
// coresim: the settings pairs as table rows, then what the rows cannot say -- the video-loss
// copy through the linkage piece, the exception targets by position, the mask request
// bytes, and the snapshot channel lists with duplicates and channels out of range.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/settings_pair.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;
using nvrtest::SettingsPair;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string kOk = kText + "OK";

const SettingsPair kPairs[] = {
    // The basic page checks "enable" but leaves the stored one as it was (0).
    {.name = "video_loss",
     .set_path = "/6016",
     .body = R"({"camId":5,"enable":1,"triAlarms":3,"interval":30})",
     .get_path = "/6014",
     .get_query = "5",
     .get_contains = R"({"camId":5,"enable":0,"triAlarms":3,"interval":30})",
     .notice = 1402,
     .notice_hex = Bytes().i32(5).hex(),
     .log_param = 908,
     .log_channel = 5,
     .refused = {"not json", R"({"camId":64,"enable":1,"triAlarms":3,"interval":30})",
                 R"({"camId":5,"enable":3,"triAlarms":3,"interval":30})",
                 R"({"camId":5,"enable":1,"triAlarms":3,"interval":-1})",
                 R"({"camId":5,"enable":1,"interval":30})"},
     .table = "video_loss"},
    {.name = "osd",
     .set_path = "/6001",
     .body = R"({"camId":3,"camName":"Gate","showName":1,"showDate":0,"showWeek":1,)"
             R"("dateFormat":2,"timeFormat":1,"datePosX":0.5,"datePosY":0.25,"namePosX":1.5,)"
             R"("namePosY":2,"alpha":40})",
     .get_path = "/6000",
     .get_query = "3",
     .get_contains = R"({"camId":3,"camName":"Gate","showName":1,"showDate":0,"showWeek":1,)"
                     R"("dateFormat":2,"timeFormat":1,"datePosX":0.5,"datePosY":0.25,)"
                     R"("namePosX":1.5,"namePosY":2.0,"alpha":40})",
     .notice = 1007,
     .notice_hex = Bytes().i32(3).i32(1).i32(0).hex(),
     .refused = {"not json",
                 R"({"camId":3,"camName":"Gate","showName":1,"showDate":0,"showWeek":1,)"
                 R"("dateFormat":4,"timeFormat":1,"datePosX":0.5,"datePosY":0.25,"namePosX":1.5,)"
                 R"("namePosY":2,"alpha":40})",
                 R"({"camId":3,"camName":"Gate","showName":1,"showDate":0,"showWeek":1,)"
                 R"("dateFormat":2,"timeFormat":1,"datePosX":-0.5,"datePosY":0.25,"namePosX":1.5,)"
                 R"("namePosY":2,"alpha":40})",
                 R"({"camId":3,"camName":"Gate","showName":1})"},
     .table = "osd"},
    // The same channel twice is listed once.
    {.name = "snapshot_params",
     .set_path = "/6177",
     .body = R"({"resolution":2,"quality":3,"interval":10,"interval_unit":1,)"
             R"("expiration_date":30,"cnt":3,"chnid":[5,2,5]})",
     .get_path = "/6176",
     .get_query = "5",
     .get_contains = R"({"resolution":2,"quality":3,"interval":10,"interval_unit":1,)"
                     R"("expiration_date":30})",
     .notice = 1311,
     .notice_hex = Bytes().channel_list({2, 5}).hex(),
     .table = "snapshot"},
};

class EventPairs : public ::testing::TestWithParam<SettingsPair> {};

TEST_P(EventPairs, SaveReadBackRefuseAndFail) {
  nvrtest::check_settings_pair(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Pairs, EventPairs, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<SettingsPair>& p) {
                           return p.param.name;
                         });

// ---- Helpers -------------------------------------------------------------------------------

InProcess& web() {
  InProcess& w = InProcess::instance();
  return w;
}

// The JSON body of an answer (null tree when it is no JSON answer).
std::string json_body(const std::string& answer) {
  return answer.rfind(kJson, 0) == 0 ? answer.substr(kJson.size()) : std::string("null");
}

// 8 rows of 12 section arrays; `seed` makes each schedule distinct.
std::string schedule(int seed) {
  std::string s = "[";
  for (int d = 0; d < 8; ++d) {
    s += d ? ",[" : "[";
    for (int i = 0; i < 12; ++i) {
      char sec[64];
      std::snprintf(sec, sizeof sec, "%s[\"%02d:%02d\",\"%02d:%02d\",%d]", i ? "," : "", d, i, seed,
                    i, seed + d);
      s += sec;
    }
    s += "]";
  }
  return s + "]";
}

std::vector<std::uint32_t> types_of(const std::vector<JournalEntry>& sent) {
  std::vector<std::uint32_t> t;
  for (const JournalEntry& e : sent) t.push_back(e.type);
  return t;
}

// ---- Video loss ------------------------------------------------------------------------------

TEST(VideoLoss, DialogSavedAndCopiedThroughTheLinkage) {
  (void)web().sent();
  const std::string dialog =
      R"({"audible":)" + schedule(2) + R"(,"email":)" + schedule(3) + R"(,"ptz":)" + schedule(4) +
      R"(,"white":)" + schedule(5) + R"(,"httpSche":)" + schedule(6) +
      R"(,"whiteInfo":[[3,1,10]],"httpParams":{"url":"http://10.0.0.9/loss","username":"op",)"
      R"("password":"pw"},"triChnAlarms":["0110","1"],"enable":1,"triAlarms":6,"interval":20,)"
      R"("audioId":2,"email_interval":60,"ptz_interval":7,"alarmout_interval":8,)"
      R"("white_interval":9,"http_notification_interval":11,"ptzChnId":4,"ptzType":2,)"
      R"("ptzParams":[{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":3}]})";
  // 64 and -1 are no channels; the count stops at the third element.
  EXPECT_EQ(web().post("/6095",
                       R"({"chnid":4,"copyCnt":3,"copyChn":[9,64,-1,12],"dialog":)" + dialog + "}"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1414u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask((1ull << 4) | (1ull << 9)).hex());

  JsonTree source(json_body(web().post("/6094", R"({"chnid":4})")));
  JsonTree copy(json_body(web().post("/6094", R"({"chnid":9})")));
  JsonTree untouched(json_body(web().post("/6094", R"({"chnid":12})")));
  ASSERT_TRUE(source.ok() && copy.ok() && untouched.ok());
  EXPECT_EQ(source.keys(), (std::vector<std::string>{"chnid",
                                                     "enable",
                                                     "triAlarms",
                                                     "interval",
                                                     "email_interval",
                                                     "ptz_interval",
                                                     "alarmout_interval",
                                                     "white_interval",
                                                     "http_notification_interval",
                                                     "audible",
                                                     "email",
                                                     "ptz",
                                                     "triChnAlarms",
                                                     "white",
                                                     "whiteInfo",
                                                     "httpSche",
                                                     "httpParams",
                                                     "audioId",
                                                     "audioIdMask",
                                                     "ptzParams"}));
  EXPECT_EQ(source.text("chnid"), "4");
  EXPECT_EQ(copy.text("chnid"), "9");
  for (const char* key : {"enable", "triAlarms", "interval", "email_interval", "audible", "email",
                          "ptz", "triChnAlarms", "white", "httpSche", "audioId"}) {
    EXPECT_EQ(copy.text(key), source.text(key)) << key;
    EXPECT_NE(untouched.text(key), source.text(key)) << key;
  }
  EXPECT_EQ(source.text("triAlarms"), "6");
  EXPECT_NE(copy.text("httpParams").find(R"("url":"http:\/\/10.0.0.9\/loss")"), std::string::npos);
  EXPECT_NE(copy.text("ptzParams").find("\"acto_ptz_preset\":3"), std::string::npos)
      << copy.text("ptzParams");
}

TEST(VideoLoss, DialogWithoutCopySendsTheChannelAlone) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6095", R"({"chnid":20,"copyCnt":0,"copyChn":[1,2],"dialog":{}})"), kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask(1ull << 20).hex());
  EXPECT_EQ(web().post("/6095", R"({"chnid":64,"dialog":{}})"), nvrtest::kJsonErrorBody);
  EXPECT_TRUE(web().sent().empty());
}

TEST(VideoLoss, SchedulePageReadsBackWhatItWrote) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6017", R"({"camId":6,"enable":2,"schedule":)" + schedule(7) + "}"), kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1402u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(6).hex());
  const std::string shown = web().get("/6015", "6");
  EXPECT_NE(shown.find("07:11"), std::string::npos) << shown;
  EXPECT_EQ(JsonTree(json_body(web().post("/6094", R"({"chnid":6})"))).text("enable"), "2");
  EXPECT_EQ(web().post("/6017", R"({"camId":64,"schedule":[]})"), "");
}

// ---- Exceptions ------------------------------------------------------------------------------

TEST(Exceptions, TargetsStoredByPosition) {
  (void)web().sent();
  // "diskError" (position 1) names no "exceptId": it is stored as exception 1, not 0.
  EXPECT_EQ(web().post("/6998", R"({"exception":[1,0,1,0,1,0,1],"recordFailedMailInterval":15,)"
                                R"("httpParams":{"diskError":{"url":"http://srv/e",)"
                                R"("username":"u","password":"p"}}})"),
            kJson + R"({"status":"CGI SUCCESS"})");
  EXPECT_EQ(types_of(web().sent()), (std::vector<std::uint32_t>{2104, 3394}));

  JsonTree shown(json_body(web().get("/6999")));
  ASSERT_TRUE(shown.ok());
  EXPECT_EQ(shown.keys(),
            (std::vector<std::string>{"httpParams", "exception", "recordFailedMailInterval"}));
  EXPECT_EQ(shown.text("exception"), "[1,0,1,0,1,0,1]");
  EXPECT_EQ(shown.text("recordFailedMailInterval"), "15");
  JsonTree params(shown.text("httpParams"));
  EXPECT_EQ(params.keys().size(), 9u);
  EXPECT_EQ(params.text("diskError"),
            R"({"exceptId":1,"url":"http:\/\/srv\/e","username":"u","password":"p"})");
  EXPECT_EQ(params.text("diskFull"), R"({"exceptId":0,"url":"","username":"","password":""})");

  // Without "httpParams" the targets stay; six values change nothing and answer nothing.
  EXPECT_EQ(web().post("/6998", R"({"exception":[0,0,0,0,0,0,0]})"),
            kJson + R"({"status":"CGI SUCCESS"})");
  EXPECT_EQ(types_of(web().sent()), (std::vector<std::uint32_t>{2104}));
  EXPECT_EQ(web().post("/6998", R"({"exception":[1,1,1,1,1,1]})"), "");
  EXPECT_EQ(web().post("/6998", "not json"), "");
  EXPECT_TRUE(web().sent().empty());
  JsonTree after(json_body(web().get("/6999")));
  EXPECT_EQ(after.text("exception"), "[0,0,0,0,0,0,0]");
  EXPECT_NE(after.text("httpParams").find("srv\\/e"), std::string::npos);
}

// ---- OSD -------------------------------------------------------------------------------------

TEST(Osd, NameCheckedAndCut) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6002", R"({"camId":64,"camName":"x"})"), "");
  EXPECT_EQ(web().post("/6002", R"({"camName":"x"})"), "");
  const std::string longer(40, 'n');
  EXPECT_EQ(web().post("/6002", R"({"camId":8,"camName":")" + longer + "\"}"), kOk);
  EXPECT_TRUE(web().sent().empty());
  JsonTree shown(json_body(web().get("/6000", "8")));
  EXPECT_EQ(shown.text("camName"), '"' + std::string(31, 'n') + '"');
  EXPECT_EQ(web().get("/6000", "64"), "");
}

TEST(Osd, CameraOsdSetAndRead) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6996", "{not json"), "");
  EXPECT_EQ(web().post("/6996", R"({"ch":1,"enable_text":1})"), "");
  EXPECT_TRUE(web().sent().empty());
  const std::string name(300, 'a');
  EXPECT_EQ(web().post("/6996", R"({"ch":2,"enable_text":1,"text_name":")" + name +
                                    R"(","textpos":3,"enable_date":1,"datepos":2,"dateformat":1,)"
                                    R"("fontSize":4,"text_name_sub":"sub","type":5})"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3210u);
  Bytes expected;
  expected.i32(2).i32(1).text(std::string(255, 'a'), 256).i32(3).i32(1).i32(2).i32(1).i32(4);
  expected.i32(0).text("sub", 256).i32(0).i32(0).i32(0).i32(0).i32(0).zeros(280).i32(5);
  EXPECT_EQ(sent[0].hex, expected.hex());

  JsonTree shown(json_body(web().post("/6997", R"({"id":2})")));
  ASSERT_TRUE(shown.ok());
  EXPECT_EQ(shown.text("text_name"), "\"CAM3\"");
  EXPECT_EQ(shown.text("disconnect"), "1");
  EXPECT_EQ(shown.keys().size(), 13u);
}

// ---- Privacy masks -------------------------------------------------------------------------

// One area entry of the camera form.
Bytes& area(Bytes& b, int id, const std::string& name) {
  return b.i32(id).i32(1).i32(10 + id).i32(20 + id).i32(30).i32(40).i32(2).i32(1).text(name, 64);
}

TEST(PrivacyMasks, RequestBytes) {
  (void)web().sent();
  std::string areas = "[";
  for (int a = 0; a < 30; ++a)
    areas += std::string(a ? "," : "") + R"({"area_id":)" + std::to_string(a) +
             R"(,"enable":1,"start_x":)" + std::to_string(10 + a) + R"(,"start_y":)" +
             std::to_string(20 + a) +
             R"(,"area_width":30,"area_height":40,"fill_color":2,"ratio":1,"name":"m)" +
             std::to_string(a) + "\"}";
  areas += "]";
  // 20 + 10 areas asked for: 28 sent. Channel 64 of "chnid" is none.
  EXPECT_EQ(web().post("/6019", R"({"cnt":2,"chnid":[0,64],"enable":1,"num":20,"cgiSdkFlag":1,)"
                                R"("areaMaskEnable":1,"mosaicSupport":1,"mosaicNum":10,)"
                                R"("delMask":-2,"area":)" +
                                    areas + "}"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 2509u);
  Bytes expected;
  expected.text("1" + std::string(63, '0'), 64).zeros(12).i32(1).i32(20).i32(1).zeros(36).i32(1);
  expected.zeros(64);
  for (int a = 0; a < 28; ++a) area(expected, a, "m" + std::to_string(a));
  expected.i32(1).i32(10).u32(0xfffffffe).u32(0xffffffff).zeros(8);
  EXPECT_EQ(sent[0].hex, expected.hex());

  // Counts too large to add: each is clamped first, and only the areas present are read.
  EXPECT_EQ(web().post("/6019", R"({"cnt":1,"chnid":[63],"num":2147483647,"mosaicNum":5,)"
                                R"("area":[{"area_id":7,"name":"x"}]})"),
            kOk);
  sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  Bytes one;
  one.text(std::string(63, '0') + "1", 64).zeros(12).i32(0).i32(2147483647).zeros(4 + 36 + 4 + 64);
  one.i32(7).zeros(28).text("x", 64).zeros(27 * 96).i32(0).i32(5).zeros(16);
  EXPECT_EQ(sent[0].hex, one.hex());
  EXPECT_EQ(web().post("/6019", R"({"cnt":1,"chnid":[1]})"), "");
  EXPECT_TRUE(web().sent().empty());
}

TEST(PrivacyMasks, DeleteAndEdit) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6173", R"({"chan_id":3,"area_id":24})"), kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 2508u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(3).i32(24).hex());
  for (const char* body :
       {R"({"chan_id":3,"area_id":25})", R"({"chan_id":64,"area_id":1})", R"({"area_id":1})"})
    EXPECT_EQ(web().post("/6173", body), nvrtest::kJsonErrorBody) << body;
  EXPECT_TRUE(web().sent().empty());

  EXPECT_EQ(JsonTree(json_body(web().post("/6198", R"({"chnid":5,"maskid":2})"))).plain(),
            R"({"res":0})");
  sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(5).i32(2).hex());
  EXPECT_EQ(JsonTree(json_body(web().post("/6116", R"({"id":5})"))).plain(), R"({"result":0})");
}

TEST(PrivacyMasks, CameraMasksListed) {
  JsonTree shown(json_body(web().post("/6115", R"({"id":7})")));
  ASSERT_TRUE(shown.ok());
  ASSERT_TRUE(json_object_is_type(shown.get(), json_type_array));
  json_object* camera = json_object_array_get_idx(shown.get(), 0);
  JsonTree first(json_object_to_json_string(camera));
  EXPECT_EQ(first.text("id"), "7");
  JsonTree areas(first.text("area"));
  ASSERT_EQ(json_object_array_length(areas.get()), 4u);
  JsonTree a1(json_object_to_json_string(json_object_array_get_idx(areas.get(), 1)));
  EXPECT_EQ(a1.keys(),
            (std::vector<std::string>{"area_id", "enable", "start_x", "start_y", "area_width",
                                      "area_height", "width", "height", "fill_color", "left", "top",
                                      "right", "bottom", "ratio", "name"}));
  EXPECT_EQ(a1.text("width"), "460");
  EXPECT_EQ(a1.text("top"), "100");
  EXPECT_EQ(a1.text("name"), "\"mosaic\"");
}

TEST(PrivacyMasks, StoredMasksListed) {
  const std::string shown = json_body(web().get("/6018"));
  JsonTree tree(shown);
  ASSERT_TRUE(json_object_is_type(tree.get(), json_type_array)) << shown;
}

// ---- Snapshots -------------------------------------------------------------------------------

TEST(Snapshots, ScheduleCopiedToEachListedChannelOnce) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6175",
                       R"({"cnt":6,"chnid":[3,3,70,-1,1,"x",4],"schedule":)" + schedule(9) + "}"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1312u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_list({1, 3}).hex());
  const std::string one = web().get("/6174", "1");
  EXPECT_NE(JsonTree(json_body(one))
                .plain()
                .find(R"({"startTime":"07:11","endTime":"09:11","actionType":16})"),
            std::string::npos)
      << one;
  EXPECT_EQ(web().get("/6174", "3"), one);
  EXPECT_EQ(web().get("/6174", "4").find("07:11"), std::string::npos);
  EXPECT_EQ(web().get("/6174", "64"), nvrtest::kTextErrorBody);
  EXPECT_EQ(web().get("/6176", "x"), nvrtest::kTextErrorBody);

  // Nothing listed: nothing stored, an empty list sent.
  EXPECT_EQ(web().post("/6175", R"({"cnt":0,"chnid":[4],"schedule":)" + schedule(1) + "}"), kOk);
  sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_list({}).hex());
  EXPECT_EQ(web().get("/6174", "4").find("07:11"), std::string::npos);
  EXPECT_EQ(web().post("/6175", "{"), nvrtest::kTextErrorBody);
}

std::string flags(int action, const std::vector<int>& channels) {
  Bytes b;
  b.i32(action);
  for (int c = 0; c < 64; ++c) {
    bool on = false;
    for (int x : channels) on = on || x == c;
    b.i32(on ? 1 : 0);
  }
  return b.hex();
}

TEST(Snapshots, StartAndStop) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6178", R"({"snapshotCnt":0,"snapshotChnId":[1],"stopCnt":2,)"
                                R"("stopChnId":[2,63,5]})"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1313u);
  EXPECT_EQ(sent[0].hex, flags(0, {2, 63}));
  EXPECT_EQ(web().post("/6178", R"({"snapshotCnt":2,"snapshotChnId":[0,0],"stopCnt":1,)"
                                R"("stopChnId":[64]})"),
            kOk);
  sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].hex, flags(1, {0}));
  EXPECT_EQ(sent[1].hex, flags(0, {}));
}

}  // namespace
