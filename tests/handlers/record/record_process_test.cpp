// The recording pages through webcgi and coresim processes on a private root: holidays,
// record schedules copied to channel lists, record modes and parameters saved and read
// back, the bytes of every notice and log record, the bounds on request lists, and
// store writes that fail.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "loginfo.h"
#include "support/cgi_runner.h"
#include "support/coresim.h"
#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"
#include "support/store_sql.h"

namespace {

using nvrtest::CgiRequest;
using nvrtest::CoreSim;
using nvrtest::JournalEntry;
using nvrtest::ProcessResult;
using nvrtest::TempRoot;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string& kJsonError = nvrtest::kJsonErrorBody;

// Little-endian int32 words as journal hex.
std::string words(const std::vector<int32_t>& values) {
  nvrtest::Bytes b;
  for (int32_t v : values) b.i32(v);
  return b.hex();
}

// A channel list payload (64 channels, then the count) and `tail`, as journal hex.
std::string channel_list(const std::vector<int32_t>& channels, std::vector<int32_t> tail = {}) {
  nvrtest::Bytes b;
  b.channel_list(std::vector<int>(channels.begin(), channels.end()));
  for (int32_t v : tail) b.i32(v);
  return b.hex();
}

std::vector<JournalEntry> of_type(const std::vector<JournalEntry>& journal, uint32_t type) {
  std::vector<JournalEntry> out;
  for (const auto& e : journal)
    if (e.type == type) out.push_back(e);
  return out;
}

OperationLogRecord checked_log(const JournalEntry& e) {
  EXPECT_EQ(e.bytes().size(), sizeof(OperationLogRecord));
  return nvrtest::log_record(e);
}

using Json = nvrtest::JsonTree;

std::vector<std::string> keys_of(json_object* o) {
  std::vector<std::string> keys;
  if (!json_object_is_type(o, json_type_object)) return keys;
  json_object_object_foreach(o, key, value) {
    (void)value;
    keys.emplace_back(key);
  }
  return keys;
}

int int_at(json_object* o, const char* key) {
  json_object* v = nullptr;
  return json_object_object_get_ex(o, key, &v) ? json_object_get_int(v) : -999;
}

class RecordPages : public nvrtest::HandlerProcessTest {
 protected:
  // The JSON body of a GET, checked for its header.
  std::string get_json(const std::string& path, const std::string& query = "") {
    ProcessResult r = get(path, query);
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << path << " " << r.out;
    return r.out.size() >= kJson.size() ? r.out.substr(kJson.size()) : "";
  }
  // Makes every write to `table` fail from now on (reads still work).
  void break_writes(const std::string& table) {
    EXPECT_EQ(nvrtest::refuse_writes(root_, table), "");
  }
  // A holiday save whose two messages mark that every earlier message has arrived.
  std::vector<JournalEntry> barrier(std::size_t earlier) {
    EXPECT_EQ(post("/6031", R"({"id":0,"enable":0,"type":0})").out, kText + "OK");
    auto journal = core_->wait_journal(earlier + 2);
    EXPECT_EQ(journal.size(), earlier + 2);
    return journal;
  }
};

// ---- Holidays ------------------------------------------------------------------------------

TEST_F(RecordPages, HolidaySaveAndList) {
  ProcessResult r = post("/6031", R"({"id":4,"name":"Spring festival","enable":1,"type":1,
      "startYear":2025,"startMon":1,"startMDay":28,"startMWeek":0,"startWDay":0,
      "endYear":2025,"endMon":2,"endMDay":4,"endMWeek":0,"endWDay":0})");
  EXPECT_EQ(r.out, kText + "OK");
  auto journal = core_->wait_journal(2);
  ASSERT_EQ(journal.size(), 2u);
  ASSERT_EQ(of_type(journal, 1401).size(), 1u);
  EXPECT_EQ(of_type(journal, 1401)[0].length, 0u);
  OperationLogRecord log = checked_log(of_type(journal, 3485).at(0));
  EXPECT_EQ(log.mainType, 4);
  EXPECT_EQ(log.subType, 204);
  EXPECT_EQ(log.paramType, 920);
  EXPECT_EQ(log.channel, 5);
  EXPECT_STREQ(log.userName, "admin");

  Json list(get_json("/6030"));
  json_object* holidays = list.at("holidays");
  ASSERT_EQ(json_object_array_length(holidays), 32u);
  json_object* h = json_object_array_get_idx(holidays, 4);
  const std::vector<std::string> order = {
      "id",         "enable",    "name",    "type",   "startYear", "startMon", "startMDay",
      "startMWeek", "startWDay", "endYear", "endMon", "endMDay",   "endMWeek", "endWDay"};
  EXPECT_EQ(keys_of(h), order);
  EXPECT_STREQ(json_object_to_json_string_ext(h, JSON_C_TO_STRING_PLAIN),
               R"({"id":4,"enable":1,"name":"Spring festival","type":1,"startYear":2025,)"
               R"("startMon":1,"startMDay":28,"startMWeek":0,"startWDay":0,"endYear":2025,)"
               R"("endMon":2,"endMDay":4,"endMWeek":0,"endWDay":0})");
  for (int i = 0; i < 32; ++i) EXPECT_EQ(int_at(json_object_array_get_idx(holidays, i), "id"), i);

  // A save builds the whole holiday from the request: what it leaves out is cleared.
  EXPECT_EQ(post("/6031", R"({"id":4,"enable":0,"type":2})").out, kText + "OK");
  Json again(get_json("/6030"));
  h = json_object_array_get_idx(again.at("holidays"), 4);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(h, "name")), "");
  EXPECT_EQ(int_at(h, "startYear"), 0);
  EXPECT_EQ(int_at(h, "type"), 2);
}

TEST_F(RecordPages, RefusedHolidaysGetNoAnswerAndChangeNothing) {
  const char* bodies[] = {
      "not json",
      R"({"enable":1,"type":1})",
      R"({"id":32,"enable":1,"type":1})",
      R"({"id":-1,"enable":1,"type":1})",
      R"({"id":"abc","enable":1,"type":1})",
      R"({"id":1,"enable":2,"type":1})",
      R"({"id":1,"type":1})",
      R"({"id":1,"enable":1,"type":-1})",
      R"({"id":1,"enable":1})",
      R"({"id":1,"enable":1,"type":1,"name":{"a":1}})",
  };
  for (const char* body : bodies) EXPECT_EQ(post("/6031", body).out, "") << body;
  EXPECT_EQ(of_type(barrier(0), 1401).size(), 1u);
}

TEST_F(RecordPages, AHolidayThatCannotBeStoredIsNotReportedSaved) {
  barrier(0);  // creates the table
  break_writes("holiday");
  EXPECT_EQ(post("/6031", R"({"id":3,"enable":1,"type":1,"name":"x"})").out, kText + "CGI ERROR");
  Json list(get_json("/6030"));
  EXPECT_EQ(int_at(json_object_array_get_idx(list.at("holidays"), 3), "enable"), 0);
  EXPECT_EQ(core_->journal().size(), 2u);  // only the first save's messages
}

// ---- Record schedules ----------------------------------------------------------------------

// 8 days of 48 sections; day 6 is a whole-day row.
std::string schedule_body(const std::string& tail) {
  std::string s = R"({"schedule":[)";
  for (int d = 0; d < 8; ++d) {
    s += d ? "," : "";
    s += d == 6 ? R"({"wholedayEnable":1,"wholedayActionType":2,"plans":[)"
                : R"({"wholedayEnable":0,"wholedayActionType":9,"plans":[)";
    for (int i = 0; i < 48; ++i) {
      char sec[48];
      std::snprintf(sec, sizeof sec, R"(%s["%02d:00","%02d:30",%d])", i ? "," : "", i / 2, i / 2,
                    d);
      s += sec;
    }
    s += "]}";
  }
  return s + "]," + tail + "}";
}

TEST_F(RecordPages, ScheduleCopiedToAChannelList) {
  EXPECT_EQ(post("/6041", schedule_body(R"("cnt":2,"chnid":[3,70],"recordplanmode":1)")).out,
            kText + "OK");
  auto journal = core_->wait_journal(3);
  ASSERT_EQ(journal.size(), 3u);
  EXPECT_EQ(of_type(journal, 1413).at(0).hex, words({1 << 3, 0}));
  EXPECT_EQ(of_type(journal, 1411).at(0).hex, words({1 << 3, 0}));
  OperationLogRecord log = checked_log(of_type(journal, 3485).at(0));
  EXPECT_EQ(log.paramType, 907);
  EXPECT_EQ(log.channel, 71);  // the last listed value, though no channel

  Json three(get_json("/6040", "3"));
  EXPECT_EQ(keys_of(three.get()), (std::vector<std::string>{"id", "schedule"}));
  EXPECT_EQ(int_at(three.get(), "id"), 3);
  json_object* days = three.at("schedule");
  ASSERT_EQ(json_object_array_length(days), 8u);
  json_object* day0 = json_object_array_get_idx(days, 0);
  json_object* day6 = json_object_array_get_idx(days, 6);
  EXPECT_EQ(int_at(day0, "wholedayActionType"), 0);  // not a whole-day row
  EXPECT_EQ(int_at(day6, "wholedayEnable"), 1);
  EXPECT_EQ(int_at(day6, "wholedayActionType"), 2);
  json_object* plans = json_object_object_get(json_object_array_get_idx(days, 7), "plans");
  ASSERT_EQ(json_object_array_length(plans), 48u);
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(plans, 47), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"23:00","endTime":"23:30","actionType":7})");

  Json four(get_json("/6040", "4"));  // not listed
  json_object* empty = json_object_array_get_idx(
      json_object_object_get(json_object_array_get_idx(four.at("schedule"), 7), "plans"), 47);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(empty, "startTime")), "");

  Json modes(get_json("/6042"));
  json_object* records = modes.at("records");
  EXPECT_EQ(int_at(json_object_array_get_idx(records, 3), "mode"), 1);
  EXPECT_EQ(int_at(json_object_array_get_idx(records, 4), "mode"), 0);

  // Every listed channel has the mode already: the mode notice carries an empty mask.
  EXPECT_EQ(post("/6041", schedule_body(R"("cnt":1,"chnid":[3],"recordplanmode":1)")).out,
            kText + "OK");
  journal = core_->wait_journal(6);
  EXPECT_EQ(of_type(journal, 1413).at(1).hex, words({0, 0}));
  EXPECT_EQ(of_type(journal, 1411).at(1).hex, words({1 << 3, 0}));
  EXPECT_EQ(checked_log(of_type(journal, 3485).at(1)).channel, 4);
}

TEST_F(RecordPages, ScheduleMasksCarryTheHighWordSecond) {
  EXPECT_EQ(post("/6041", schedule_body(R"("cnt":3,"chnid":[0,40,63],"recordplanmode":2)")).out,
            kText + "OK");
  auto journal = core_->wait_journal(3);
  EXPECT_EQ(of_type(journal, 1411).at(0).hex,
            words({1, (1 << 8) | static_cast<int32_t>(1u << 31)}));
}

TEST_F(RecordPages, RefusedSchedulesAndChannelTexts) {
  const std::string bodies[] = {
      "not json",
      schedule_body(R"("chnid":[3],"recordplanmode":1)"),  // no "cnt"
      R"({"cnt":1,"chnid":[3],"recordplanmode":1})",       // no schedule
      R"({"cnt":1,"chnid":[3],"schedule":{"a":1}})",
  };
  for (const auto& body : bodies) EXPECT_EQ(post("/6041", body).out, "") << body;
  for (const char* text : {"abc", "64", "-1", "", "3x"}) {
    EXPECT_EQ(get("/6040", text).out, "") << text;
    EXPECT_EQ(get("/6044", text).out, "") << text;
    EXPECT_EQ(get("/6046", text).out, "") << text;
  }
  auto journal = barrier(0);
  EXPECT_EQ(of_type(journal, 2286).size(), 0u);
  EXPECT_EQ(of_type(journal, 1411).size(), 0u);
}

TEST_F(RecordPages, AModeThatCannotBeStoredIsNotReportedSaved) {
  EXPECT_EQ(post("/6043", R"({"records":[{"id":0,"mode":0}]})").out,
            kText + "OK");  // creates the table
  core_->wait_journal(2);
  break_writes("record");
  EXPECT_EQ(post("/6041", schedule_body(R"("cnt":1,"chnid":[5],"recordplanmode":2)")).out,
            kText + "CGI ERROR");
  // The schedule did reach the store, and the core is told so; no mode notice, no log.
  auto journal = barrier(2 + 1);
  EXPECT_EQ(of_type(journal, 1411).at(0).hex, words({1 << 5, 0}));
  EXPECT_TRUE(of_type(journal, 1413).empty());
  EXPECT_EQ(of_type(journal, 3485).size(), 2u);  // the first mode save's and the barrier's
  Json five(get_json("/6040", "5"));
  EXPECT_EQ(int_at(json_object_array_get_idx(five.at("schedule"), 6), "wholedayEnable"), 1);
}

// ---- Record modes --------------------------------------------------------------------------

TEST_F(RecordPages, ModesSaveAndReadBack) {
  EXPECT_EQ(
      post("/6043", R"({"records":[{"id":0,"mode":1},{"id":9,"mode":2},{"id":2,"mode":0}]})").out,
      kText + "OK");
  auto journal = core_->wait_journal(4);
  ASSERT_EQ(journal.size(), 4u);
  OperationLogRecord log = checked_log(of_type(journal, 3485).at(0));
  EXPECT_EQ(log.paramType, 905);
  EXPECT_EQ(log.channel, 0);
  std::vector<std::string> notices;
  for (const auto& e : of_type(journal, 1407)) notices.push_back(e.hex);
  std::sort(notices.begin(), notices.end());
  EXPECT_EQ(notices, (std::vector<std::string>{words({0}), words({1}), words({2})}));

  // The position in the list is the channel.
  Json modes(get_json("/6042"));
  json_object* records = modes.at("records");
  ASSERT_EQ(json_object_array_length(records), 32u);  // max_cameras of a new recorder
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(records, 1), JSON_C_TO_STRING_PLAIN),
      R"({"id":1,"mode":2})");
  EXPECT_EQ(int_at(json_object_array_get_idx(records, 0), "mode"), 1);
  EXPECT_EQ(int_at(json_object_array_get_idx(records, 9), "mode"), 0);

  const struct {
    const char* max;
    std::size_t shown;
  } limits[] = {{"100", 64}, {"-3", 0}, {"8", 8}};
  for (const auto& l : limits) {
    nvrdb({"param", "set", "max_cameras", l.max});
    Json m(get_json("/6042"));
    EXPECT_EQ(json_object_array_length(m.at("records")), l.shown) << l.max;
  }
}

TEST_F(RecordPages, AnInvalidModeStoresNone) {
  const char* bodies[] = {
      R"({"records":[{"id":0,"mode":1},{"id":1,"mode":3},{"id":2,"mode":1}]})",
      R"({"records":[{"id":0,"mode":1},{"id":64,"mode":1}]})",
      R"({"records":[{"id":0,"mode":1},{"mode":1}]})",
      R"({"records":[{"id":0,"mode":"abc"}]})",
      R"({"records":{"id":0,"mode":1}})",
      R"({"other":1})",
      "not json",
  };
  for (const char* body : bodies) EXPECT_EQ(post("/6043", body).out, kText + "ERROR") << body;
  Json modes(get_json("/6042"));
  EXPECT_EQ(int_at(json_object_array_get_idx(modes.at("records"), 0), "mode"), 0);
  auto journal = barrier(0);
  EXPECT_TRUE(of_type(journal, 1407).empty());
}

TEST_F(RecordPages, AModeListLongerThan64SetsTheChannelsThereAre) {
  std::string body = R"({"records":[)";
  for (int i = 0; i < 70; ++i) body += std::string(i ? "," : "") + R"({"id":1,"mode":2})";
  body += "]}";
  EXPECT_EQ(post("/6043", body).out, kText + "OK");
  auto journal = core_->wait_journal(65);
  ASSERT_EQ(journal.size(), 65u);
  std::vector<std::string> notices;
  for (const auto& e : of_type(journal, 1407)) notices.push_back(e.hex);
  std::vector<std::string> expected;
  for (int c = 0; c < 64; ++c) expected.push_back(words({c}));
  std::sort(notices.begin(), notices.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(notices, expected);
  nvrdb({"param", "set", "max_cameras", "64"});
  Json modes(get_json("/6042"));
  EXPECT_EQ(int_at(json_object_array_get_idx(modes.at("records"), 63), "mode"), 2);
}

TEST_F(RecordPages, ModesThatCannotBeStoredAreNotReportedSaved) {
  EXPECT_EQ(post("/6043", R"({"records":[{"id":0,"mode":0}]})").out,
            kText + "OK");  // creates the table
  core_->wait_journal(2);
  break_writes("record");
  EXPECT_EQ(post("/6043", R"({"records":[{"id":0,"mode":1},{"id":1,"mode":2}]})").out,
            kText + "ERROR");
  auto journal = barrier(2);
  EXPECT_EQ(of_type(journal, 1407).size(), 1u);  // the first save's
  EXPECT_EQ(of_type(journal, 3485).size(), 2u);  // the first save's and the barrier's
  Json modes(get_json("/6042"));
  EXPECT_EQ(int_at(json_object_array_get_idx(modes.at("records"), 0), "mode"), 0);
}

// ---- Record parameters ---------------------------------------------------------------------

const char* kParams =
    R"({"cnt":5,"chnid":[3,3,5,6,7],"camAnr":1,"prevRecordOn":1,"prevRecordDuration":5,
    "postRecordOn":1,"postRecordDuration":30,"audioEnable":1,"recordStreamType":1})";

class RecordParams : public RecordPages {
 protected:
  void SetUp() override {
    RecordPages::SetUp();
    nvrdb({"record", "set", "camera", "3", "enable=1", "model=0", "poechannel=0", "anr=0"});
    nvrdb({"record", "set", "camera", "5", "enable=1", "model=0", "poechannel=2", "anr=0"});  // PoE
    nvrdb(
        {"record", "set", "camera", "6", "enable=1", "model=1", "poechannel=0", "anr=0"});  // RTSP
    nvrdb({"record", "set", "camera", "7", "enable=0", "model=0", "poechannel=0", "anr=0"});
    nvrdb({"record", "set", "record", "3", "record_exp_date=30", "mode=2"});
  }
};

TEST_F(RecordParams, SaveAndReadBack) {
  EXPECT_EQ(post("/6045", kParams).out, kJson + R"({ "resp": 0 })");
  auto journal = core_->wait_journal(3);
  ASSERT_EQ(journal.size(), 3u);
  EXPECT_EQ(of_type(journal, 1310).at(0).hex, channel_list({3, 5, 6, 7}));
  EXPECT_EQ(checked_log(of_type(journal, 3485).at(0)).paramType, 906);
  EXPECT_EQ(checked_log(of_type(journal, 3485).at(0)).channel, 0);
  // Only the camera that may take ANR is asked to.
  EXPECT_EQ(of_type(journal, 2285).at(0).hex, channel_list({3}, {1}));

  Json three(get_json("/6044", "3"));
  EXPECT_STREQ(json_object_to_json_string_ext(three.get(), JSON_C_TO_STRING_PLAIN),
               R"({"id":3,"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,)"
               R"("postRecordDuration":30,"audioEnable":1,"recordStreamType":1,)"
               R"("recordExpDate":30,"cameraAnr":1,"camEnable":1,"camProtocol":0,"poeChannel":0})");
  Json five(get_json("/6044", "5"));
  EXPECT_EQ(int_at(five.get(), "cameraAnr"), 0);
  EXPECT_EQ(int_at(five.get(), "recordStreamType"), 1);
  EXPECT_EQ(int_at(five.get(), "poeChannel"), 2);
  EXPECT_EQ(int_at(five.get(), "audioEnable"), 1);
  Json four(get_json("/6044", "4"));  // not listed
  EXPECT_EQ(int_at(four.get(), "audioEnable"), 0);
  Json modes(get_json("/6042"));
  EXPECT_EQ(int_at(json_object_array_get_idx(modes.at("records"), 3), "mode"), 2);  // untouched

  // A retention sent is stored; switching ANR off reaches every listed camera that has it.
  EXPECT_EQ(
      post("/6045", R"({"cnt":2,"chnid":[3,5],"camAnr":0,"prevRecordOn":0,"prevRecordDuration":0,
      "postRecordOn":0,"postRecordDuration":0,"audioEnable":0,"recordStreamType":1,"recordExpDate":7})")
          .out,
      kJson + R"({ "resp": 0 })");
  journal = core_->wait_journal(6);
  EXPECT_EQ(of_type(journal, 2285).at(1).hex, channel_list({3}, {0}));
  Json again(get_json("/6044", "3"));
  EXPECT_EQ(int_at(again.get(), "recordExpDate"), 7);
  EXPECT_EQ(int_at(again.get(), "cameraAnr"), 0);

  // Keys the page does not save are not checked: a getter's object posted back whole, with
  // an odd "enable" or "mode", is still saved.
  EXPECT_EQ(post("/6045", R"({"cnt":1,"chnid":[3],"camAnr":0,"prevRecordOn":1,)"
                          R"("prevRecordDuration":9,"postRecordOn":0,"postRecordDuration":0,)"
                          R"("audioEnable":0,"recordStreamType":1,"enable":5,"mode":7})")
                .out,
            kJson + R"({ "resp": 0 })");
  EXPECT_EQ(int_at(Json(get_json("/6044", "3")).get(), "prevRecordDuration"), 9);
}

TEST_F(RecordParams, CoreAnswersDecideTheResponse) {
  // A 7285 shorter than its 520 bytes is no answer at all: the JSON error after the wait.
  start_core("2285 hex=" + words(std::vector<int32_t>(129, 0)) + "\n");
  EXPECT_EQ(post("/6045", kParams).out, kJsonError);
  start_core("2285 silent\n");
  EXPECT_EQ(post("/6045", kParams).out, kJsonError);
  // The settings were stored all the same.
  Json three(get_json("/6044", "3"));
  EXPECT_EQ(int_at(three.get(), "prevRecordDuration"), 5);

  std::vector<int32_t> answer(64, 0);  // channels
  answer.insert(answer.end(), 64, 0);  // results
  answer[64 + 1] = 1;
  answer.push_back(2);  // count
  answer.push_back(1);  // failed
  start_core("2285 hex=" + words(answer) + "\n");
  EXPECT_EQ(post("/6045", kParams).out, kJson + R"({ "resp": -1 })");
}

TEST_F(RecordParams, RefusedSavesGetNoAnswer) {
  const char* bodies[] = {
      R"({"chnid":[3],"camAnr":1,"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,"postRecordDuration":30,"audioEnable":1,"recordStreamType":1})",
      R"({"cnt":1,"chnid":[3],"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,"postRecordDuration":30,"audioEnable":1,"recordStreamType":1})",
      R"({"cnt":1,"chnid":[3],"camAnr":1,"prevRecordOn":2,"prevRecordDuration":5,"postRecordOn":1,"postRecordDuration":30,"audioEnable":1,"recordStreamType":1})",
      R"({"cnt":1,"chnid":[3],"camAnr":1,"prevRecordOn":1,"prevRecordDuration":-1,"postRecordOn":1,"postRecordDuration":30,"audioEnable":1,"recordStreamType":1})",
      R"({"cnt":1,"chnid":[3],"camAnr":1,"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,"audioEnable":1,"recordStreamType":1})",
      R"({"cnt":1,"chnid":[3],"camAnr":1,"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,"postRecordDuration":30,"audioEnable":1,"recordStreamType":3})",
      R"({"cnt":1,"chnid":[3],"camAnr":1,"prevRecordOn":1,"prevRecordDuration":5,"postRecordOn":1,"postRecordDuration":30,"audioEnable":1})",
      "not json",
  };
  for (const char* body : bodies) EXPECT_EQ(post("/6045", body).out, "") << body;
  auto journal = barrier(0);
  EXPECT_TRUE(of_type(journal, 1310).empty());
  Json three(get_json("/6044", "3"));
  EXPECT_EQ(int_at(three.get(), "prevRecordOn"), 0);
}

TEST_F(RecordParams, ACameraThatCannotBeStoredIsNotReportedSaved) {
  break_writes("camera");
  EXPECT_EQ(post("/6045", kParams).out, kJsonError);
  // The record settings did reach the store and the core is told so; the cameras are
  // not asked, and no change is logged.
  auto journal = barrier(1);
  EXPECT_EQ(of_type(journal, 1310).at(0).hex, channel_list({3, 5, 6, 7}));
  EXPECT_TRUE(of_type(journal, 2285).empty());
  EXPECT_EQ(of_type(journal, 3485).size(), 1u);  // the barrier's
  Json three(get_json("/6044", "3"));
  EXPECT_EQ(int_at(three.get(), "prevRecordDuration"), 5);
  EXPECT_EQ(int_at(three.get(), "cameraAnr"), 0);
}

// ---- Questions to the core -----------------------------------------------------------------

TEST_F(RecordPages, RecordSupportAndPrimarySecondary) {
  EXPECT_EQ(get("/6046", "7").out, kJson + R"({ "chnid": 7, "support": 1 })");
  auto journal = core_->journal();
  ASSERT_EQ(of_type(journal, 2286).size(), 1u);
  EXPECT_EQ(of_type(journal, 2286)[0].hex, words({7}));

  Json streams(get_json("/6047"));
  EXPECT_EQ(int_at(streams.get(), "size"), 32);
  EXPECT_EQ(json_object_array_length(streams.at("primary")), 32u);
  EXPECT_EQ(of_type(core_->journal(), 3218).at(0).length, 0u);

  std::vector<int32_t> answer(128, 5);
  answer.push_back(100000);
  start_core("3218 hex=" + words(answer) + "\n2286 silent\n");
  Json clamped(get_json("/6047"));
  EXPECT_EQ(int_at(clamped.get(), "size"), 64);
  EXPECT_EQ(json_object_array_length(clamped.at("secondary")), 64u);
  EXPECT_EQ(get("/6046", "7").out, kJsonError);
}

}  // namespace
