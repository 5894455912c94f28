// The alarm module served in process: its settings pairs as rows of the shared table, then
// what the rows cannot say -- copies to other outputs, inputs and cameras, the bytes of the
// camera commands and of the 3509 log record, the manual triggers, the index ranges, and
// the camera answers (scripted and short) turned into the pages' JSON.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "alarm/alarm_ipc.h"
#include "dvsocket.h"
#include "support/answer_capture.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/settings_pair.h"
#include "support/store_sql.h"

namespace {

using nvrtest::Bytes;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;
using nvrtest::SettingsPair;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string kOk = kText + "OK";
const std::string& kTextError = nvrtest::kTextErrorBody;
const std::string& kJsonError = nvrtest::kJsonErrorBody;

// 8 rows of 12 [start, end, action] sections; `seed` makes each schedule distinct.
std::string schedule(int seed, bool with_action = true) {
  std::string s = "[";
  for (int d = 0; d < 8; ++d) {
    s += d ? ",[" : "[";
    for (int i = 0; i < 12; ++i) {
      char sec[64];
      if (with_action)
        std::snprintf(sec, sizeof sec, "%s[\"%02d:%02d\",\"%02d:%02d\",%d]", i ? "," : "", d, i,
                      seed, i, seed + d);
      else
        std::snprintf(sec, sizeof sec, "%s[\"%02d:%02d\",\"%02d:%02d\"]", i ? "," : "", d, i, seed,
                      i);
      s += sec;
    }
    s += "]";
  }
  return s + "]";
}

std::string body_of(const std::string& answer) {
  return answer.rfind(kJson, 0) == 0 ? answer.substr(kJson.size()) : "";
}

// ---- Settings pairs ------------------------------------------------------------------------

const SettingsPair kPairs[] = {
    {.name = "simple_input",
     .set_path = "/6062",
     .body = R"({"alarm":{"id":5,"enable":1,"name":"Door","type":1,"triChannels":"1010",)"
             R"("triAlarms":3,"interval":20}})",
     .get_path = "/6061",
     .get_query = "5",
     .get_contains = R"({"id":5,"enable":1,"name":"Door","type":1,"triChannels":"1010",)"
                     R"("triAlarms":3,"interval":20,"triSnapshot":""})",
     .notice = 1404,
     .notice_hex = Bytes().i32(5).hex(),
     .log_param = 910,
     .log_channel = -1,
     .refused = {"not json", R"({"id":5})",
                 R"({"alarm":{"id":16,"enable":1,"type":1,)"
                 R"("triChannels":"1","triAlarms":0,"interval":0}})",
                 R"({"alarm":{"id":5,"enable":3,"type":1,"triChannels":"1","triAlarms":0,)"
                 R"("interval":0}})",
                 R"({"alarm":{"id":5,"enable":1,"type":2,"triChannels":"1","triAlarms":0,)"
                 R"("interval":0}})",
                 R"({"alarm":{"id":5,"enable":1,"type":1,"triAlarms":0,"interval":0}})",
                 R"({"alarm":{"id":5,"enable":1,"type":1,"triChannels":"1","triAlarms":-1,)"
                 R"("interval":0}})",
                 R"({"alarm":{"id":5,"enable":1,"type":1,"triChannels":"1","triAlarms":0,)"
                 R"("interval":-1}})"},
     .table = "alarm_in"},
    {.name = "input_params",
     .set_path = "/6064",
     .body = R"({"alarm":{"id":6,"enable":1,"name":"Window","type":0,"triChannels":"11",)"
             R"("triAlarms":1,"interval":5}})",
     .get_path = "/6060",
     // "enable" is checked but not stored by this page.
     .get_contains =
         R"({"id":6,"enable":0,"name":"Window","type":0,"triChannels":"11","triAlarms":1})",
     .notice = 1404,
     .notice_hex = Bytes().i32(6).hex(),
     .log_param = 910,
     .log_channel = 6,
     .refused = {"not json", R"({"alarm":{"id":-1,"enable":1,"type":0,"triChannels":"1",)"
                             R"("triAlarms":0,"interval":0}})"},
     .table = "alarm_in"},
    {.name = "input_basic",
     .set_path = "/6063",
     .body = R"({"alarm":{"camId":7,"name":"Gate","type":1,"enable":2}})",
     .get_path = "/6060",
     .get_contains = R"({"id":7,"enable":2,"name":"Gate","type":1,"triChannels":"","triAlarms":0})",
     .notice = 1404,
     .notice_hex = Bytes().i32(7).hex(),
     .log_param = 910,
     .log_channel = 7,
     .refused = {"not json", R"({"alarm":{"camId":16,"name":"x"}})",
                 R"({"alarm":{"camId":-1,"name":"x"}})", R"({"alarm":{"name":"x"}})",
                 R"({"camId":7,"name":"x"})"},
     .table = "alarm_in"},
    {.name = "output",
     .set_path = "/6022",
     .body = R"({"alarmId":2,"name":"Siren","enable":1,"type":0,"durationTime":30})",
     .get_path = "/6021",
     .get_query = R"({"alarmId":2})",
     .get_contains = R"({"id":2,"name":"Siren","type":0,"enable":1,"durationTime":30,)",
     .notice = 1405,
     .notice_hex = Bytes().i32(2).hex(),
     .log_param = 911,
     .log_channel = 2,
     .table = "alarm_out"},
    {.name = "nvr_input",
     .set_path = "/6027",
     .body = R"({"alarmId":3,"alarmType":1,"name":"Hall"})",
     .get_path = "/6026",
     .get_query = R"({"alarmId":3})",
     .get_contains = R"({"alarmId":3,"name":"Hall","alarmType":1,"enable":0,)",
     .notice = 1415,
     .notice_hex = Bytes().channel_mask(uint64_t{1} << 3).hex(),
     .table = "alarm_in",
     .failed_answer = kJsonError},
};

class AlarmPairs : public ::testing::TestWithParam<SettingsPair> {};

TEST_P(AlarmPairs, SaveReadBackRefuseAndFail) {
  nvrtest::check_settings_pair(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Pairs, AlarmPairs, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<SettingsPair>& p) {
                           return p.param.name;
                         });

// ---- What the rows cannot say ------------------------------------------------------------

class AlarmPages : public nvrtest::AnswerCapture {
 protected:
  void SetUp() override {
    AnswerCapture::SetUp();
    (void)web().sent();
  }
  static nvrtest::InProcess& web() { return nvrtest::InProcess::instance(); }
  std::vector<JournalEntry> sent() { return web().sent(); }

  // Hands one answer to the module callback and returns what it wrote.
  std::string answer(int type, const std::string& payload) {
    fresh();
    const std::uint32_t header[8] = {kDvMagic, 0,
                                     1,        static_cast<std::uint32_t>(type),
                                     1,        static_cast<std::uint32_t>(payload.size()),
                                     0,        0};
    on_alarm_ipc_callback(nullptr, header, payload.empty() ? nullptr : payload.data());
    return output();
  }
};

TEST_F(AlarmPages, OutputCopyCarriesAllButTheNameAndLogsTheOutputMask) {
  ASSERT_EQ(web().post("/6022", R"({"alarmId":0,"name":"Strobe","enable":0,"type":0})"), kOk);
  (void)sent();
  ASSERT_EQ(web().post("/6022", R"({"alarmId":1,"name":"Bell","enable":1,"type":1,)"
                                R"("durationTime":10,"dialog":{"effective":)" +
                                    schedule(2) + R"(},"copyCnt":4,"copyChn":[0,1,4,-1]})"),
            kOk);
  auto s = sent();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].type, 1405u);
  EXPECT_EQ(s[0].hex, Bytes().i32(1).hex());
  EXPECT_EQ(s[1].type, 1405u);
  EXPECT_EQ(s[1].hex, Bytes().i32(0).hex());
  ASSERT_EQ(s[2].type, 3509u);
  std::string log = nvrtest::bytes_of(s[2]);
  ASSERT_EQ(log.size(), 680u);
  EXPECT_EQ(log.substr(672), Bytes().channel_mask(0x2).str());
  EXPECT_EQ(nvrtest::log_record(s[2]).channel, 2);
  EXPECT_EQ(nvrtest::log_record(s[2]).paramType, 911);

  JsonTree zero(body_of(web().post("/6021", R"({"alarmId":0})")));
  EXPECT_EQ(zero.text("name"), "\"Strobe\"");
  EXPECT_EQ(zero.text("enable"), "1");
  EXPECT_EQ(zero.text("type"), "1");
  EXPECT_EQ(zero.text("durationTime"), "10");
  JsonTree one(body_of(web().post("/6021", R"({"alarmId":1})")));
  EXPECT_EQ(zero.text("effective"), one.text("effective"));
  EXPECT_NE(one.text("effective").find("\"startTime\":\"00:00\",\"endTime\":\"02:00\""),
            std::string::npos);
}

TEST_F(AlarmPages, OutputSavedWithoutNameKeepsTheSourceButStillCopies) {
  ASSERT_EQ(web().post("/6022", R"({"alarmId":3,"name":"Lamp","enable":0,"type":0,)"
                                R"("durationTime":5})"),
            kOk);
  (void)sent();
  ASSERT_EQ(web().post("/6022", R"({"alarmId":3,"enable":1,"durationTime":99,"copyCnt":1,)"
                                R"("copyChn":[2]})"),
            kOk);
  auto s = sent();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].hex, Bytes().i32(3).hex());
  EXPECT_EQ(s[1].hex, Bytes().i32(2).hex());
  JsonTree three(body_of(web().post("/6021", R"({"alarmId":3})")));
  EXPECT_EQ(three.text("enable"), "0");
  EXPECT_EQ(three.text("durationTime"), "5");
  JsonTree two(body_of(web().post("/6021", R"({"alarmId":2})")));
  EXPECT_EQ(two.text("enable"), "1");
  EXPECT_EQ(two.text("durationTime"), "99");
}

TEST_F(AlarmPages, ManualTriggersSendTheirPayloads) {
  EXPECT_EQ(web().post("/6023", R"({"id":3,"enable":1})"), kOk);
  auto s = sent();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].type, 1409u);
  EXPECT_EQ(s[0].hex, Bytes().i32(3).i32(1).hex());
  EXPECT_EQ(s[1].type, 3485u);
  EXPECT_EQ(nvrtest::log_record(s[1]).paramType, 911);
  EXPECT_EQ(nvrtest::log_record(s[1]).channel, 4);

  EXPECT_EQ(web().post("/6033", R"({"chnid":63,"alarmId":1,"state":1})"), kOk);
  s = sent();
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].type, 3352u);
  EXPECT_EQ(s[0].hex, Bytes().i32(63).i32(1).i32(1).hex());
}

struct RangeCase {
  const char* path;
  const char* text;
  const std::string& answer;
};

TEST_F(AlarmPages, IndexesOutOfRangeAreRefusedWithoutTellingTheCore) {
  const RangeCase cases[] = {
      {"/6023", R"({"id":4,"enable":1})", kJsonError},
      {"/6023", R"({"id":-1,"enable":1})", kJsonError},
      {"/6023", R"({"id":1})", kJsonError},
      {"/6033", R"({"chnid":64,"alarmId":0,"state":1})", kTextError},
      {"/6033", R"({"chnid":0,"alarmId":2,"state":1})", kTextError},
      {"/6033", R"({"chnid":0,"alarmId":-1,"state":1})", kTextError},
      {"/6061", "16", kJsonError},
      {"/6061", "-1", kJsonError},
      {"/6061", "abc", kJsonError},
      {"/6021", R"({"alarmId":4})", kJsonError},
      {"/6022", R"({"alarmId":4,"name":"x"})", kTextError},
      {"/6022", "not json", kTextError},
      {"/6026", R"({"alarmId":16})", kJsonError},
      {"/6027", R"({"alarmId":16})", kJsonError},
      {"/6024", R"({"chnid":64})", kJsonError},
      {"/6025", R"({"chnid":64,"alarmCnt":1})", kJsonError},
      {"/6025", R"({"chnid":1})", kJsonError},
      {"/6028", R"({"chnid":-1})", kJsonError},
      {"/6029", R"({"chnid":64})", kJsonError},
  };
  for (const RangeCase& c : cases) {
    EXPECT_EQ(web().post(c.path, c.text), c.answer) << c.path << " " << c.text;
    EXPECT_TRUE(sent().empty()) << c.path << " " << c.text;
  }
}

TEST_F(AlarmPages, SimpleInputScheduleReplacesTwelvePeriodsWithAction6) {
  ASSERT_EQ(web().post("/6062", R"({"alarm":{"id":9,"enable":1,"name":"Lab","type":0,)"
                                R"("triChannels":"1","triAlarms":0,"interval":1},"schedule":)" +
                                    schedule(7, false) + "}"),
            kOk);
  JsonTree page(body_of(web().get("/6061", "9")));
  json_object* rows = page.at("schedule");
  ASSERT_EQ(json_object_array_length(rows), 8u);
  for (std::size_t d = 0; d < 8; ++d) {
    json_object* row = json_object_array_get_idx(rows, d);
    ASSERT_EQ(json_object_array_length(row), 12u);
    json_object* last = json_object_array_get_idx(row, 11);
    char start[8];
    std::snprintf(start, sizeof start, "%02zu:11", d);
    EXPECT_STREQ(json_object_get_string(json_object_object_get(last, "startTime")), start);
    EXPECT_EQ(json_object_get_int(json_object_object_get(last, "actionType")), 6);
  }
  // A row that is short or holds no texts clears the periods it does not give.
  ASSERT_EQ(web().post("/6062", R"({"alarm":{"id":9,"enable":1,"type":0,"triChannels":"1",)"
                                R"("triAlarms":0,"interval":1},"schedule":[[[null,"01:00"]]]})"),
            kOk);
  JsonTree again(body_of(web().get("/6061", "9")));
  json_object* row0 = json_object_array_get_idx(again.at("schedule"), 0);
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(row0, 0), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"","endTime":"01:00","actionType":6})");
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(row0, 1), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"","endTime":"","actionType":6})");
}

TEST_F(AlarmPages, NvrInputWithOnlyItsIdWritesNothingAndSendsItsBit) {
  const std::string before = web().post("/6026", R"({"alarmId":12})");
  EXPECT_EQ(web().post("/6027", R"({"alarmId":12})"), kOk);
  auto s = sent();
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].type, 1415u);
  EXPECT_EQ(s[0].hex, Bytes().channel_mask(uint64_t{1} << 12).hex());
  EXPECT_EQ(web().post("/6026", R"({"alarmId":12})"), before);
}

TEST_F(AlarmPages, NvrInputLinkageIsSavedAndCopiedToOtherInputs) {
  ASSERT_EQ(web().post("/6063", R"({"alarm":{"camId":11,"name":"Stair","type":0,"enable":1}})"),
            kOk);
  std::string trigger(41, '0');
  trigger[0] = '1';
  trigger[40] = '1';
  const std::string body =
      R"({"alarmId":10,"alarmType":1,"name":"Lobby","dialog":{"effective":)" + schedule(1) +
      R"(,"audible":)" + schedule(2) +
      R"(,"whiteInfo":[[3,1,10]],"triChnAlarms":["01","1"],)"
      R"("interval":30,"email_interval":60,"triSnapshot":"11","triAlarms":5,"triChannels":")" +
      trigger +
      R"(","ptzChnId":10,"ptzType":0,"ptzParams":[{"acto_ptz_channel":2,)"
      R"("acto_ptz_type":1,"acto_ptz_preset":4}]},"copyCnt":4,"copyChn":[11,10,16,99]})";
  (void)sent();
  ASSERT_EQ(web().post("/6027", body), kOk);
  auto s = sent();
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].type, 1415u);
  EXPECT_EQ(s[0].hex, Bytes().channel_mask((uint64_t{1} << 10) | (uint64_t{1} << 11)).hex());

  JsonTree src(body_of(web().post("/6026", R"({"alarmId":10})")));
  JsonTree copy(body_of(web().post("/6026", R"({"alarmId":11})")));
  EXPECT_EQ(src.text("name"), "\"Lobby\"");
  EXPECT_EQ(copy.text("name"), "\"Stair\"");  // a copy keeps the target's own name
  EXPECT_EQ(copy.text("enable"), "1");
  for (const char* key :
       {"alarmType", "interval", "email_interval", "triSnapshot", "triAlarms", "triChannels",
        "effective", "audible", "whiteInfo", "triChnAlarms", "ptzParams"})
    EXPECT_EQ(copy.text(key), src.text(key)) << key;
  EXPECT_EQ(src.text("triChannels"), "\"" + trigger + "\"");
  EXPECT_EQ(src.text("whiteInfo"), R"([{"chnid":3,"mode":1,"time":10}])");
  // Only positions 0 to 31 reach the trigger mask; the intervals went under the page's control.
  const auto& root = web().root();
  EXPECT_EQ(nvrtest::store_query_int(root, "SELECT trigger_mask FROM alarm_in WHERE id=11"), 1);
  EXPECT_EQ(nvrtest::store_query_int(root, "SELECT interval_mode FROM alarm_in WHERE id=11"), 2);
  EXPECT_EQ(nvrtest::store_query_int(root, "SELECT email_interval_mode FROM alarm_in WHERE id=10"),
            2);
}

TEST_F(AlarmPages, CameraInputSavePacksWhatItWasGivenAndCopiesTheLinkage) {
  ASSERT_EQ(web().post("/6025", R"({"chnid":40,"alarmCnt":6,"copyCnt":3,"copyChn":[3,41,40],)"
                                R"("alarm":[{"alarmEnable":1,"alarmType":1,"alarmName":"Door"},)"
                                R"({"alarmEnable":0,"alarmType":0,"alarmName":"Back"}],)"
                                R"("dialog":[{"alarmId":1,"interval":15,"triChannels":"11",)"
                                R"("whiteInfo":[[40,1,5]],"effective":)" +
                                    schedule(3) + R"(},{"alarmId":7,"interval":99}]})"),
            kOk);
  const uint64_t mask = (uint64_t{1} << 3) | (uint64_t{1} << 40) | (uint64_t{1} << 41);
  auto s = sent();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].type, 3325u);
  Bytes set;
  set.i32(0).i32(1).i32(0).i32(1).i32(0).i32(0).i32(1).i32(0).zeros(32);
  set.i32(2).i32(0).channel_mask(mask);
  EXPECT_EQ(s[0].hex, set.hex());
  EXPECT_EQ(s[1].type, 1417u);
  EXPECT_EQ(s[1].hex, Bytes().channel_mask(mask).hex());

  // The camera's answer for a copy channel: the linkage of input 1 came along, its names not.
  Bytes status;
  status.i32(41).i32(1).i32(0).i32(1).i32(1).i32(0).i32(1).i32(0).i32(1);
  status.i32(0).i32(0).i32(1).i32(0).i32(7);  // statuses, and more inputs than a record holds
  JsonTree copy(body_of(answer(8298, status)));
  EXPECT_EQ(copy.text("chnid"), "41");
  EXPECT_EQ(copy.text("alarmCnt"), "7");
  json_object* alarms = copy.at("alarm");
  ASSERT_EQ(json_object_array_length(alarms), 4u);
  JsonTree second(json_object_to_json_string(json_object_array_get_idx(alarms, 1)));
  EXPECT_EQ(second.text("alarmType"), "1");
  EXPECT_EQ(second.text("alarmStatus"), "0");
  EXPECT_EQ(second.text("alarmName"), "\"\"");
  EXPECT_EQ(second.text("interval"), "15");
  EXPECT_EQ(second.text("whiteInfo"), R"([{"chnid":40,"mode":1,"time":5}])");
  const std::vector<std::string> keys = {"alarmEnable",
                                         "alarmType",
                                         "alarmStatus",
                                         "alarmName",
                                         "effective",
                                         "audible",
                                         "interval",
                                         "audioId",
                                         "audioIdMask",
                                         "email",
                                         "email_interval",
                                         "email_pic_enable",
                                         "tri_channels_pic",
                                         "ptz",
                                         "ptz_interval",
                                         "ptzParams",
                                         "alarmout_interval",
                                         "triAlarms",
                                         "triChannels",
                                         "triChnAlarms",
                                         "white",
                                         "whiteInfo",
                                         "white_interval",
                                         "http_notification_interval",
                                         "httpSche",
                                         "httpParams"};
  EXPECT_EQ(second.keys(), keys);

  Bytes own;
  own.i32(40).zeros(48).i32(2);
  JsonTree source(body_of(answer(8298, own)));
  JsonTree first(json_object_to_json_string(json_object_array_get_idx(source.at("alarm"), 0)));
  EXPECT_EQ(first.text("alarmName"), "\"Door\"");
  EXPECT_EQ(json_object_array_length(source.at("alarm")), 2u);
}

TEST_F(AlarmPages, ShortOrForeignCameraAnswersGiveTheJsonError) {
  EXPECT_EQ(answer(8298, std::string(55, '\0')), kJsonError);
  EXPECT_EQ(g_callback_done, 1);
  EXPECT_EQ(answer(8298, Bytes().i32(64).zeros(52)), kJsonError);
  EXPECT_EQ(answer(8296, std::string(23, '\0')), kJsonError);
  EXPECT_EQ(answer(8296, Bytes().i32(-1).zeros(20)), kJsonError);
  EXPECT_EQ(answer(8297, Bytes().zeros(24)), "");
  EXPECT_EQ(g_callback_done, 0);
}

TEST_F(AlarmPages, CameraOutputSaveCopiesDelaysAndSchedules) {
  ASSERT_EQ(web().post("/6029", R"({"chnid":40,"alarmCnt":5,"copyCnt":1,"copyChn":[3],)"
                                R"("alarm":[{"alarmType":1,"delayTime":9,"alarmName":"Bell"},)"
                                R"({"alarmType":0,"delayTime":4,"alarmName":"Light"},)"
                                R"({"alarmType":1}],"dialog":[{"alarmId":1,"effective":)" +
                                    schedule(4) + "}]}"),
            kOk);
  const uint64_t mask = (uint64_t{1} << 3) | (uint64_t{1} << 40);
  auto s = sent();
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].type, 3324u);
  EXPECT_EQ(
      s[0].hex,
      Bytes().i32(0).i32(0).i32(1).i32(0).i32(1).i32(0).i32(2).i32(0).channel_mask(mask).hex());
  EXPECT_EQ(s[1].type, 1418u);
  EXPECT_EQ(s[1].hex, Bytes().channel_mask(mask).hex());

  JsonTree own(body_of(answer(8296, Bytes().i32(40).i32(1).i32(0).i32(1).i32(0).i32(2))));
  JsonTree copy(body_of(answer(8296, Bytes().i32(3).i32(0).i32(0).i32(0).i32(0).i32(2))));
  json_object* own_alarms = own.at("alarm");
  json_object* copy_alarms = copy.at("alarm");
  ASSERT_EQ(json_object_array_length(copy_alarms), 2u);
  JsonTree o0(json_object_to_json_string(json_object_array_get_idx(own_alarms, 0)));
  JsonTree c0(json_object_to_json_string(json_object_array_get_idx(copy_alarms, 0)));
  JsonTree o1(json_object_to_json_string(json_object_array_get_idx(own_alarms, 1)));
  JsonTree c1(json_object_to_json_string(json_object_array_get_idx(copy_alarms, 1)));
  EXPECT_EQ(o0.keys(), (std::vector<std::string>{"alarmType", "alarmStatus", "alarmName",
                                                 "delayTime", "effective"}));
  EXPECT_EQ(o0.text("alarmName"), "\"Bell\"");
  EXPECT_EQ(o0.text("alarmStatus"), "1");
  EXPECT_EQ(c0.text("alarmName"), "\"\"");
  EXPECT_EQ(c0.text("delayTime"), "9");
  EXPECT_EQ(c1.text("delayTime"), "4");
  EXPECT_EQ(c1.text("effective"), o1.text("effective"));
  EXPECT_NE(o1.text("effective").find("\"00:00\""), std::string::npos);
}

TEST_F(AlarmPages, NameListsCoverTheRecorderAndEveryCamera) {
  ASSERT_EQ(web().post("/6025", R"({"chnid":63,"alarmCnt":4,"alarm":[{},{},{},)"
                                R"({"alarmName":"Last"}]})"),
            kOk);
  ASSERT_EQ(web().post("/6029", R"({"chnid":62,"alarmCnt":2,"alarm":[{},{"alarmName":"Horn"}]})"),
            kOk);
  ASSERT_EQ(web().post("/6063", R"({"alarm":{"camId":15,"name":"Roof","type":0,"enable":1}})"),
            kOk);
  JsonTree ins(body_of(web().get("/6034")));
  ASSERT_EQ(json_object_array_length(ins.at("nvr")), 16u);
  EXPECT_STREQ(json_object_get_string(json_object_array_get_idx(ins.at("nvr"), 15)), "Roof");
  ASSERT_EQ(json_object_array_length(ins.at("camera")), 64u);
  json_object* last = json_object_array_get_idx(ins.at("camera"), 63);
  ASSERT_EQ(json_object_array_length(last), 4u);
  EXPECT_STREQ(json_object_get_string(json_object_array_get_idx(last, 3)), "Last");

  JsonTree outs(body_of(web().get("/6032")));
  ASSERT_EQ(json_object_array_length(outs.at("nvr")), 4u);
  ASSERT_EQ(json_object_array_length(outs.at("camera")), 64u);
  json_object* horn = json_object_array_get_idx(outs.at("camera"), 62);
  ASSERT_EQ(json_object_array_length(horn), 2u);
  EXPECT_STREQ(json_object_get_string(json_object_array_get_idx(horn, 1)), "Horn");
  (void)sent();
}

}  // namespace
