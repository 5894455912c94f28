// One schedule at a time for motion, video loss and alarm inputs, in process against one
// coresim: the single-channel setters as settings pairs, then that every getter shows the
// schedule of its kind's full linkage page, numbers outside the records, and the e-mail
// setter's record fields and its half-stored failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/settings_pair.h"
#include "support/store_sql.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;
using nvrtest::SettingsPair;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string kOk = kText + "OK";
const std::string& kTextError = nvrtest::kTextErrorBody;

// 8 rows of 12 section arrays; `seed` (0 to 23) makes each schedule distinct: section i of
// row d runs from d:i to seed:i with action seed + d.
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

std::string body(int cam, int seed, const std::string& extra = "") {
  return R"({"camId":)" + std::to_string(cam) + extra + R"(,"schedule":)" + schedule(seed) + "}";
}

// Row 1, section 2 of schedule(seed), as the getters write it.
std::string section(int seed) {
  char s[96];
  std::snprintf(s, sizeof s, R"({"startTime":"01:02","endTime":"%02d:02","actionType":%d})", seed,
                seed + 1);
  return s;
}

const SettingsPair kPairs[] = {
    {.name = "motion_effective",
     .set_path = "/6152",
     .body = body(5, 11),
     .get_path = "/6153",
     .get_query = "5",
     .get_contains = section(11),
     .notice = 1403,
     .notice_hex = Bytes().i32(5).hex(),
     .refused = {"not json", R"({"camId":5})"},
     .table = "motion_esche"},
    {.name = "motion_ptz",
     .set_path = "/6159",
     .body = body(6, 12),
     .get_path = "/6158",
     .get_query = "6",
     .get_contains = section(12),
     .notice = 1403,
     .notice_hex = Bytes().i32(6).hex(),
     .refused = {"not json", R"({"camId":6})"},
     .table = "motion_ptz_sche"},
    {.name = "alarm_in_effective",
     .set_path = "/6170",
     .body = body(3, 13),
     .get_path = "/6169",
     .get_query = "3",
     .get_contains = section(13),
     .notice = 1404,
     .notice_hex = Bytes().i32(3).hex(),
     .refused = {"not json", R"({"camId":3})"},
     .table = "alarmin_esche"},
    {.name = "motion_email",
     .set_path = "/6118",
     .body = body(4, 14, R"(,"enable":1,"interval":60)"),
     .get_path = "/6120",
     .get_query = "4",
     .get_contains = section(14),
     .notice = 1403,
     .notice_hex = Bytes().i32(4).hex(),
     .refused = {"not json", R"({"camId":4,"enable":1})",
                 body(4, 14, R"(,"enable":"on","interval":60)")},
     .table = "motion"},
};

class SchedulePairs : public ::testing::TestWithParam<SettingsPair> {};

TEST_P(SchedulePairs, SaveReadBackRefuseAndFail) {
  nvrtest::check_settings_pair(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Pairs, SchedulePairs, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<SettingsPair>& p) {
                           return p.param.name;
                         });

InProcess& web() {
  return InProcess::instance();
}

// The answer's JSON body in plain form ("" when it is no JSON answer).
std::string json_body(const std::string& answer) {
  if (answer.rfind(kJson, 0) != 0) return "";
  return JsonTree(answer.substr(kJson.size())).plain();
}

// The getter's schedule is the one the kind's full page shows under `key`.
struct Shown {
  const char* path;
  const char* query;
  const char* page;
  const char* page_query;
  const char* key;
};

TEST(ScheduleGetters, ShowTheKindsStoredSchedules) {
  ASSERT_EQ(web().post("/6095", R"({"chnid":7,"dialog":{"email":)" + schedule(15) + R"(,"ptz":)" +
                                    schedule(16) + "}}"),
            kOk);
  ASSERT_EQ(web().post("/6012", R"({"camId":7,"enable":1,"sensitivity":3,"triChannels":"1",)"
                                R"("triAlarms":0,"interval":5,"motionTable":"","enableDV":0})"),
            kOk);
  (void)web().sent();
  const Shown rows[] = {
      {"/6124", "7", "/6094", R"({"chnid":7})", "email"},
      {"/6166", "7", "/6094", R"({"chnid":7})", "ptz"},
      {"/6120", "7", "/6010", R"({"chnid":7})", "email"},
      {"/6153", "7", "/6010", R"({"chnid":7})", "effective"},
      {"/6158", "7", "/6010", R"({"chnid":7})", "ptz"},
      {"/6128", "2", "/6026", R"({"alarmId":2})", "email"},
      {"/6129", "2", "/6026", R"({"alarmId":2})", "audible"},
      {"/6168", "2", "/6026", R"({"alarmId":2})", "ptz"},
      {"/6169", "2", "/6026", R"({"alarmId":2})", "effective"},
  };
  for (const Shown& r : rows) {
    JsonTree page(json_body(web().post(r.page, r.page_query)));
    ASSERT_TRUE(page.ok()) << r.page;
    const std::string mine = json_body(web().get(r.path, r.query));
    EXPECT_EQ(mine, page.text(r.key)) << r.path;
  }
  const std::string vl = json_body(web().get("/6124", "7"));
  EXPECT_NE(vl.find(section(15)), std::string::npos) << vl;
  EXPECT_NE(json_body(web().get("/6166", "7")).find(section(16)), std::string::npos);
  EXPECT_TRUE(web().sent().empty());
}

TEST(ScheduleGetters, NoAnswerOutsideTheRecords) {
  (void)web().sent();
  for (const char* path : {"/6120", "/6153", "/6158", "/6124", "/6166"})
    for (const char* q : {"64", "-1", "x", ""}) EXPECT_EQ(web().get(path, q), "") << path << q;
  // The store holds 16 recorder alarm inputs.
  for (const char* path : {"/6128", "/6129", "/6168", "/6169"})
    for (const char* q : {"16", "63", "-1"}) EXPECT_EQ(web().get(path, q), "") << path << q;
  EXPECT_TRUE(web().sent().empty());
}

TEST(ScheduleSetters, NumberOutsideTheRecordsIsTheTextError) {
  (void)web().sent();
  for (const char* path : {"/6152", "/6159", "/6118"})
    for (int cam : {-1, 64}) EXPECT_EQ(web().post(path, body(cam, 1)), kTextError) << path;
  EXPECT_EQ(web().post("/6170", body(16, 1)), kTextError);
  EXPECT_EQ(web().post("/6170", body(-1, 1)), kTextError);
  EXPECT_TRUE(web().sent().empty());
}

TEST(ScheduleSetters, EmailSetterWritesTheMotionRecordFirst) {
  ASSERT_EQ(web().post("/6118", body(9, 17, R"(,"enable":1,"interval":45)")), kOk);
  JsonTree motion(json_body(web().post("/6010", R"({"chnid":9})")));
  EXPECT_EQ(motion.text("email_enable"), "1");
  EXPECT_EQ(motion.text("email_interval"), "45");
  (void)web().sent();

  // The record reached the store, the schedule did not: the core hears of the record, the
  // page gets the error.
  web().refuse_writes("motion_email_sche");
  EXPECT_EQ(web().post("/6118", body(9, 18, R"(,"enable":0,"interval":30)")), kTextError);
  web().allow_writes("motion_email_sche");
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1403u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(9).hex());
  EXPECT_EQ(JsonTree(json_body(web().post("/6010", R"({"chnid":9})"))).text("email_interval"),
            "30");
  EXPECT_NE(json_body(web().get("/6120", "9")).find(section(17)), std::string::npos);
}

// ---- One schedule to several channels --------------------------------------------------------

std::string list_body(const std::string& list, int cnt, int seed, const std::string& extra) {
  return R"({"cnt":)" + std::to_string(cnt) + R"(,"chnid":)" + list + extra + R"(,"schedule":)" +
         schedule(seed) + "}";
}

TEST(ScheduleCopy, DuplicateAndBadChannelsCountOnce) {
  ASSERT_EQ(web().post("/6095", R"({"chnid":1,"dialog":{"enable":1,"interval":20}})"), kOk);
  (void)web().sent();
  // Channel 1 already has these values: its record is not written, so refused writes of
  // the table do not matter.
  web().refuse_writes("video_loss");
  EXPECT_EQ(web().post("/6121", list_body("[1,1,70]", 3, 19, R"(,"enable":1,"interval":20)")), kOk);
  // Changed values must be written: now the refusal shows, and the mask is still sent.
  EXPECT_EQ(web().post("/6121", list_body("[1,1,70]", 3, 19, R"(,"enable":2,"interval":25)")),
            kTextError);
  web().allow_writes("video_loss");
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  for (const JournalEntry& e : sent) {
    EXPECT_EQ(e.type, 1414u);
    EXPECT_EQ(e.hex, Bytes().channel_mask(uint64_t{1} << 1).hex());
  }
  EXPECT_EQ(web().post("/6121", list_body("[1,1,70]", 3, 19, R"(,"enable":2,"interval":25)")), kOk);
  JsonTree one(json_body(web().post("/6094", R"({"chnid":1})")));
  EXPECT_EQ(one.text("enable"), "2");
  EXPECT_EQ(one.text("interval"), "25");
  EXPECT_NE(one.text("audible").find(section(19)), std::string::npos);
  EXPECT_EQ(json_body(web().post("/6094", R"({"chnid":2})")).find(section(19)), std::string::npos);

  // "cnt" stops the list; a bad "enable" refuses the whole body.
  (void)web().sent();
  EXPECT_EQ(web().post("/6122", list_body("[3,8]", 1, 20, R"(,"enable":1,"interval":90)")), kOk);
  EXPECT_EQ(web().post("/6122", list_body("[3]", 1, 20, R"(,"enable":"x","interval":90)")), "");
  sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask(uint64_t{1} << 3).hex());
  EXPECT_EQ(JsonTree(json_body(web().post("/6094", R"({"chnid":3})"))).text("email_interval"),
            "90");
  EXPECT_NE(json_body(web().get("/6124", "3")).find(section(20)), std::string::npos);
  EXPECT_EQ(json_body(web().get("/6124", "8")).find(section(20)), std::string::npos);
}

TEST(ScheduleCopy, AlarmInputsInTheMask) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6125", list_body("[5,16,-1]", 3, 21, R"(,"enable":1,"interval":15)")),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1415u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask(uint64_t{1} << 5).hex());
  JsonTree input(json_body(web().post("/6026", R"({"alarmId":5})")));
  EXPECT_EQ(input.text("enable"), "1");
  EXPECT_EQ(input.text("interval"), "15");
  EXPECT_NE(input.text("audible").find(section(21)), std::string::npos);
}

// The e-mail page stores its three fields in every listed input, changed or not: a refused
// write shows even when the values are those already stored.
TEST(ScheduleCopy, AlarmInputEmailStoresEveryListedInput) {
  const std::string extra =
      R"(,"enable":1,"interval":45,"triSnapshot":")" + std::string(70, '1') + R"(")";
  (void)web().sent();
  EXPECT_EQ(web().post("/6126", list_body("[6,7,99]", 3, 12, extra)), kOk);
  for (int input : {6, 7}) {
    JsonTree shown(json_body(web().post("/6026", "{\"alarmId\":" + std::to_string(input) + "}")));
    EXPECT_EQ(shown.text("email_interval"), "45") << input;
    EXPECT_EQ(shown.text("triSnapshot"), "\"" + std::string(64, '1') + "\"") << input;
    EXPECT_NE(shown.text("email").find(section(12)), std::string::npos) << input;
    EXPECT_EQ(nvrtest::store_query_int(web().root(), "SELECT email_enable FROM alarm_in WHERE id=" +
                                                         std::to_string(input)),
              1);
  }
  EXPECT_EQ(json_body(web().post("/6026", R"({"alarmId":8})")).find(section(12)),
            std::string::npos);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1415u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask((uint64_t{1} << 6) | (uint64_t{1} << 7)).hex());

  web().refuse_writes("alarm_in");
  EXPECT_EQ(web().post("/6126", list_body("[6]", 1, 12, extra)), kTextError);
  web().allow_writes("alarm_in");
  EXPECT_EQ(web().post("/6126", list_body("[6]", 1, 12, R"(,"enable":2)")), "");
}

TEST(ScheduleCopy, PtzLinkageRetargetedToTheOtherChannels) {
  ASSERT_EQ(
      web().post("/6095", R"({"chnid":2,"dialog":{"ptzChnId":2,"ptzType":2,"ptzParams":)"
                          R"([{"acto_ptz_channel":6,"acto_ptz_type":1,"acto_ptz_preset":3}]}})"),
      kOk);
  (void)web().sent();
  EXPECT_EQ(web().post("/6165", list_body("[2,4]", 2, 22, R"(,"camId":2)")), kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 1414u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask((uint64_t{1} << 2) | (uint64_t{1} << 4)).hex());
  for (const char* chn : {"2", "4"}) {
    JsonTree shown(json_body(web().post("/6094", std::string(R"({"chnid":)") + chn + "}")));
    EXPECT_NE(shown.text("ptz").find(section(22)), std::string::npos) << chn;
    EXPECT_NE(shown.text("ptzParams").find(R"("acto_ptz_channel":6)"), std::string::npos)
        << shown.text("ptzParams");
  }
  JsonTree untouched(json_body(web().post("/6094", R"({"chnid":3})")));
  EXPECT_EQ(untouched.text("ptz").find(section(22)), std::string::npos);
  EXPECT_EQ(untouched.text("ptzParams").find(R"("acto_ptz_channel":6)"), std::string::npos);

  EXPECT_EQ(web().post("/6167", list_body("[1]", 1, 22, R"(,"camId":16)")), kTextError);
  EXPECT_EQ(web().post("/6165", list_body("[1]", 1, 22, R"(,"camId":-1)")), kTextError);
  EXPECT_TRUE(web().sent().empty());
  EXPECT_EQ(web().post("/6167", list_body("[0,3]", 2, 23, R"(,"camId":0)")), kOk);
  EXPECT_NE(json_body(web().get("/6168", "3")).find(section(23)), std::string::npos);
}

// ---- One linkage field for several channels ---------------------------------------------------

TEST(Others, VideoLossAlarmOutputsOfChangedChannels) {
  ASSERT_EQ(web().post("/6123", R"({"cnt":1,"chnid":[20],"triAlarms":5})"), kOk);
  (void)web().sent();
  EXPECT_EQ(web().post("/6123", R"({"cnt":4,"chnid":[20,21,21,64],"triAlarms":5})"), kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 1414u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask(uint64_t{1} << 21).hex());
  EXPECT_EQ(sent[1].type, 3509u);
  EXPECT_EQ(nvrtest::log_record(sent[1]).paramType, 909);
  EXPECT_EQ(JsonTree(json_body(web().post("/6094", R"({"chnid":21})"))).text("triAlarms"), "5");
  EXPECT_EQ(web().post("/6123", R"({"cnt":1,"chnid":[20],"triAlarms":-5})"), "");
  EXPECT_TRUE(web().sent().empty());
}

TEST(Others, AlarmInputsTriggerChannelsAndSchedule) {
  ASSERT_EQ(web().post("/6170", body(1, 5)), kOk);
  (void)web().sent();
  const std::string long_text(70, '1');
  EXPECT_EQ(web().post("/6127", R"({"camId":1,"type":0,"cnt":3,"chnid":[6,7,16],)"
                                R"("triChannels":")" +
                                    long_text + R"("})"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 1415u);
  EXPECT_EQ(sent[0].hex, Bytes().channel_mask((uint64_t{1} << 6) | (uint64_t{1} << 7)).hex());
  EXPECT_EQ(sent[1].type, 3509u);
  JsonTree input(json_body(web().post("/6026", R"({"alarmId":7})")));
  // Cut to 64 characters: the field keeps its terminator.
  EXPECT_EQ(input.text("triChannels"), "\"" + std::string(64, '1') + "\"");
  EXPECT_NE(input.text("effective").find(section(5)), std::string::npos);

  EXPECT_EQ(web().post("/6127", R"({"camId":1,"type":1,"cnt":1,"chnid":[6],"triAlarms":3})"), kOk);
  EXPECT_EQ(JsonTree(json_body(web().post("/6026", R"({"alarmId":6})"))).text("triAlarms"), "3");
  EXPECT_EQ(web().post("/6127", R"({"camId":16,"type":1,"cnt":1,"chnid":[6],"triAlarms":3})"),
            kTextError);
}

}  // namespace
