// Motion detection pages through webcgi and coresim processes on a private root: get
// after save, the copy to a channel mask, the bytes of every notice and camera command,
// the log records, and the refusals of bad channels, bad bodies and failed store writes.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "loginfo.h"
#include "support/cgi_runner.h"
#include "support/bytes.h"
#include "support/coresim.h"
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
const std::string kOk = kText + "OK";
const std::string& kTextError = nvrtest::kTextErrorBody;
const std::string& kJsonError = nvrtest::kJsonErrorBody;

// ---- Expected payload bytes, built by hand -----------------------------------------------

using nvrtest::Bytes;

std::string le32(std::int64_t v) {
  return Bytes().u32(static_cast<std::uint32_t>(v));
}
std::string zeros(std::size_t n) {
  return Bytes().zeros(n);
}
std::string text_field(const std::string& t, std::size_t size) {
  return Bytes().text(t, size);
}
std::string mask_bytes(std::uint64_t m) {
  return Bytes().channel_mask(m);
}
std::string channel_list(const std::vector<int>& channels) {
  return Bytes().channel_list(channels);
}

// The all-day camera week: 7 days of 64 zero bytes, day, 1, and four 00:00-24:00 sections.
std::string all_day_week(int channel, const std::vector<int>& list) {
  std::string s = le32(channel);
  for (int d = 0; d < 7; ++d) {
    s += zeros(64) + le32(d) + le32(1);
    for (int i = 0; i < 4; ++i) s += le32(0) + le32(0) + le32(24) + le32(0);
  }
  return s + channel_list(list);
}

using nvrtest::bytes_of;
const auto& log_of = nvrtest::log_record;

// ---- Request bodies ----------------------------------------------------------------------

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

// Every linkage key of the motion pages, for `channel`.
std::string linkage_body(int channel) {
  std::string c = std::to_string(channel);
  return "{\"chnid\":" + c + ",\"effective\":" + schedule(1) + ",\"audible\":" + schedule(2) +
         ",\"email\":" + schedule(3) + ",\"ptz\":" + schedule(4) + ",\"white\":" + schedule(5) +
         ",\"httpSche\":" + schedule(6) +
         ",\"whiteInfo\":[[3,1,10]],\"httpParams\":{\"url\":\"http://10.0.0.9/alarm\","
         "\"username\":\"op\",\"password\":\"pw\"},\"triChnAlarms\":[\"0110\",\"1\"],"
         "\"enable\":2,\"triAlarms\":3,\"interval\":30,\"audioId\":4,\"email_interval\":60,"
         "\"email_pic_enable\":1,\"tri_channels_pic\":\"11\",\"ptz_interval\":7,"
         "\"alarmout_interval\":8,\"white_interval\":9,\"triChannels\":\"0101\","
         "\"http_notification_interval\":11,\"sensitivity\":9,\"ptzChnId\":" +
         c +
         ",\"ptzType\":1,\"ptzParams\":[{\"acto_ptz_channel\":2,\"acto_ptz_type\":1,"
         "\"acto_ptz_preset\":3}]}";
}

// ---- JSON helpers ------------------------------------------------------------------------

using Json = nvrtest::JsonTree;

// The schedule JSON that schedule(seed) gives back: objects in the standard form.
std::string schedule_out(int seed) {
  Json in(schedule(seed));
  std::string s = "[";
  for (int d = 0; d < 8; ++d) {
    s += d ? ",[" : "[";
    for (int i = 0; i < 12; ++i) {
      json_object* sec = json_object_array_get_idx(json_object_array_get_idx(in.get(), d), i);
      s += std::string(i ? "," : "") +
           "{\"startTime\":" + json_object_to_json_string(json_object_array_get_idx(sec, 0)) +
           ",\"endTime\":" + json_object_to_json_string(json_object_array_get_idx(sec, 1)) +
           ",\"actionType\":" + json_object_to_json_string(json_object_array_get_idx(sec, 2)) + "}";
    }
    s += "]";
  }
  return s + "]";
}

const std::string kEmptySchedule = [] {
  std::string row = "[";
  for (int i = 0; i < 12; ++i)
    row += std::string(i ? "," : "") + R"({"startTime":"","endTime":"","actionType":0})";
  row += "]";
  std::string s = "[";
  for (int d = 0; d < 8; ++d) s += (d ? "," : "") + row;
  return s + "]";
}();

const std::vector<std::string> kGetterKeys = {"chnid",
                                              "enable",
                                              "sensitivity",
                                              "triChannels",
                                              "triAlarms",
                                              "interval",
                                              "enableDV",
                                              "motionTable",
                                              "email_enable",
                                              "email_interval",
                                              "email_pic_enable",
                                              "tri_channels_pic",
                                              "ptz_interval",
                                              "alarmout_interval",
                                              "http_notification_interval",
                                              "effective",
                                              "audible",
                                              "email",
                                              "ptz",
                                              "triChnAlarms",
                                              "white",
                                              "whiteInfo",
                                              "white_interval",
                                              "httpSche",
                                              "httpParams",
                                              "audioId",
                                              "audioIdMask",
                                              "ptzParams"};

// ---- The fixture -------------------------------------------------------------------------

class Motion : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(core_.ok()); }

  ProcessResult post(const std::string& path, const std::string& body) {
    CgiRequest req;
    req.method = "POST";
    req.path = path;
    req.content_type = "application/json";
    req.body = body;
    req.cookie = "userName=admin";
    return nvrtest::run_webcgi(root_, req);
  }
  ProcessResult get(const std::string& path, const std::string& query) {
    CgiRequest req;
    req.path = path;
    req.query = query;
    return nvrtest::run_webcgi(root_, req);
  }
  // The answer of "/6010" for the channel, without its header.
  std::string linkage_of(int channel) {
    ProcessResult r = post("/6010", "{\"chnid\":" + std::to_string(channel) + "}");
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out;
    return r.out.size() > kJson.size() ? r.out.substr(kJson.size()) : "";
  }
  // The next `n` messages webcgi sent, in the order sent.
  std::vector<JournalEntry> take(std::size_t n) {
    auto all = core_.wait_journal(seen_ + n);
    std::vector<JournalEntry> got(
        all.begin() + static_cast<std::ptrdiff_t>(std::min(seen_, all.size())), all.end());
    std::stable_sort(got.begin(), got.end(), [](const JournalEntry& a, const JournalEntry& b) {
      return a.sender != b.sender ? a.sender < b.sender : a.seq < b.seq;
    });
    seen_ = all.size();
    return got;
  }
  std::vector<std::uint32_t> types_of(const std::vector<JournalEntry>& sent) {
    std::vector<std::uint32_t> t;
    for (const auto& e : sent) t.push_back(e.type);
    return t;
  }
  // Sends a request known to send exactly one notice and checks that nothing else came:
  // what a refused request might have sent would show up before it.
  void expect_nothing_sent() {
    ASSERT_EQ(post("/6117", "{\"chnid\":63}").out, kOk);
    auto sent = take(1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, 1403u);
    EXPECT_EQ(bytes_of(sent[0]), le32(63));
  }
  // Runs SQL on the root's store.
  void sql(const std::string& statement) { EXPECT_EQ(nvrtest::store_sql(root_, statement), ""); }
  std::int64_t trigger_mask(int channel) {
    return nvrtest::store_query_int(
        root_, "SELECT trigger_mask FROM motion WHERE chn=" + std::to_string(channel));
  }
  void refuse_writes(const std::string& table) {
    EXPECT_EQ(nvrtest::refuse_writes(root_, table), "");
  }

  TempRoot root_;
  CoreSim core_{root_};
  std::size_t seen_ = 0;
};

// ---- Get after save ----------------------------------------------------------------------

TEST_F(Motion, LinkageSaveThenGetGivesBackWhatWasSaved) {
  ASSERT_EQ(post("/6117", linkage_body(5)).out, kOk);
  auto sent = take(1);
  ASSERT_EQ(types_of(sent), std::vector<std::uint32_t>{1403});
  EXPECT_EQ(bytes_of(sent[0]), le32(5));
  EXPECT_EQ(trigger_mask(5), 10);  // "0101": bits 1 and 3

  Json got(linkage_of(5));
  ASSERT_NE(got.get(), nullptr);
  EXPECT_EQ(got.keys(), kGetterKeys);
  const struct {
    const char* key;
    std::string value;
  } expected[] = {
      {"chnid", "5"},
      {"enable", "2"},
      {"sensitivity", "0"},
      {"triChannels", "\"0101\""},
      {"triAlarms", "3"},
      {"interval", "30"},
      {"enableDV", "0"},
      {"motionTable", "\"\""},
      {"email_enable", "0"},
      {"email_interval", "60"},
      {"email_pic_enable", "1"},
      {"tri_channels_pic", "\"11\""},
      {"ptz_interval", "7"},
      {"alarmout_interval", "8"},
      // This page saves neither the HTTP nor the PTZ parts.
      {"http_notification_interval", "0"},
      {"effective", schedule_out(1)},
      {"audible", schedule_out(2)},
      {"email", schedule_out(3)},
      {"ptz", schedule_out(4)},
      {"triChnAlarms", R"(["0110","1"])"},
      {"white", schedule_out(5)},
      {"whiteInfo", R"([{"chnid":3,"mode":1,"time":10}])"},
      {"white_interval", "9"},
      {"httpSche", kEmptySchedule},
      {"httpParams", R"({"chnId":5,"url":"","username":"","password":""})"},
      {"audioId", "4"},
      {"audioIdMask", "0"},
      {"ptzParams", "[]"},
  };
  for (const auto& e : expected) EXPECT_EQ(got.text(e.key), e.value) << e.key;
}

TEST_F(Motion, LinkageSaveWithOnlyTheTriggerChannelsKeepsTheRest) {
  ASSERT_EQ(post("/6117", linkage_body(6)).out, kOk);
  ASSERT_EQ(post("/6117", R"({"chnid":6,"triChannels":"00011"})").out, kOk);
  take(2);
  EXPECT_EQ(trigger_mask(6), 24);
  Json got(linkage_of(6));
  EXPECT_EQ(got.text("triChannels"), "\"00011\"");
  EXPECT_EQ(got.text("interval"), "30");
  EXPECT_EQ(got.text("audible"), schedule_out(2));
}

TEST_F(Motion, LinkageSaveWithoutKnownKeysStoresNothingButNotifies) {
  ASSERT_EQ(post("/6117", R"({"chnid":9,"colour":"red"})").out, kOk);
  auto sent = take(1);
  ASSERT_EQ(types_of(sent), std::vector<std::uint32_t>{1403});
  EXPECT_EQ(trigger_mask(9), -1);  // no row
}

TEST_F(Motion, DialogSaveStoresHttpAndPtzToo) {
  std::string body = "{\"chnid\":6,\"copyCnt\":0,\"dialog\":" + linkage_body(6) + "}";
  ASSERT_EQ(post("/6112", body).out, kOk);
  auto sent = take(5);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 3509, 3251, 1410, 3212}));
  EXPECT_EQ(bytes_of(sent[0]), le32(6));
  // Nothing to copy: empty lists and an empty mask.
  EXPECT_EQ(bytes_of(sent[2]), zeros(300) + le32(0) + le32(6) + le32(0) + channel_list({}));
  EXPECT_EQ(bytes_of(sent[3]), mask_bytes(0));
  EXPECT_EQ(bytes_of(sent[4]), le32(6) + le32(0) + channel_list({}));

  Json got(linkage_of(6));
  EXPECT_EQ(got.text("http_notification_interval"), "11");
  EXPECT_EQ(got.text("httpSche"), schedule_out(6));
  EXPECT_EQ(got.text("httpParams"),
            R"({"chnId":6,"url":"http:\/\/10.0.0.9\/alarm","username":"op","password":"pw"})");
  EXPECT_EQ(
      got.text("ptzParams"),
      R"([{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":3,"acto_ptz_patrol":0}])");
}

TEST_F(Motion, ScheduleSaveThenGet) {
  ASSERT_EQ(post("/6013", "{\"camId\":7,\"schedule\":" + schedule(8) + "}").out, kOk);
  auto sent = take(1);
  ASSERT_EQ(types_of(sent), std::vector<std::uint32_t>{1403});
  EXPECT_EQ(bytes_of(sent[0]), le32(7));
  ProcessResult r = get("/6011", "7");
  ASSERT_EQ(r.out.rfind(kJson, 0), 0u);
  Json got(r.out.substr(kJson.size()));
  EXPECT_EQ(json_object_to_json_string_ext(got.get(), JSON_C_TO_STRING_PLAIN), schedule_out(8));
  // The schedule page edits the audible schedule of the linkage page.
  EXPECT_EQ(Json(linkage_of(7)).text("audible"), schedule_out(8));

  // A short schedule is read as far as it goes.
  ASSERT_EQ(post("/6013", R"({"camId":7,"schedule":[[["01:00","02:00",3]]]})").out, kOk);
  Json short_one(get("/6011", " 7\n").out.substr(kJson.size()));
  json_object* row0 = json_object_array_get_idx(short_one.get(), 0);
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(row0, 0), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"01:00","endTime":"02:00","actionType":3})");
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(row0, 1), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"","endTime":"","actionType":0})");
}

TEST_F(Motion, ScheduleInfoStoresRecordAndScheduleAndSwitchesTheCamera) {
  ASSERT_EQ(post("/6117", linkage_body(3)).out, kOk);
  take(1);
  std::string body =
      "{\"camId\":3,\"sensitivity\":2,\"enableDV\":1,\"enable\":1,\"triAlarms\":4,"
      "\"interval\":6,\"schedule\":" +
      schedule(4) + "}";
  ASSERT_EQ(post("/6113", body).out, kOk);
  auto sent = take(4);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 1403, 3212, 3209}));
  EXPECT_EQ(bytes_of(sent[2]), le32(3) + le32(1) + channel_list({}));
  EXPECT_EQ(bytes_of(sent[3]), all_day_week(3, {}));
  Json got(linkage_of(3));
  EXPECT_EQ(got.text("sensitivity"), "2");
  EXPECT_EQ(got.text("enableDV"), "1");
  EXPECT_EQ(got.text("enable"), "1");
  EXPECT_EQ(got.text("triAlarms"), "4");
  EXPECT_EQ(got.text("interval"), "6");
  EXPECT_EQ(got.text("audible"), schedule_out(4));
  EXPECT_EQ(got.text("email_interval"), "60");  // linkage untouched

  // Without a schedule, the schedule is a part that was not sent: both notices all the same.
  ASSERT_EQ(post("/6113", R"({"camId":3,"enableDV":0})").out, kOk);
  sent = take(3);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 1403, 3212}));
  EXPECT_EQ(bytes_of(sent[2]), le32(3) + le32(0) + channel_list({}));
  EXPECT_EQ(Json(linkage_of(3)).text("audible"), schedule_out(4));

  // "/6013" without a schedule stores nothing, tells the core and answers "OK".
  ASSERT_EQ(post("/6013", R"({"camId":3})").out, kOk);
  sent = take(1);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403}));
  EXPECT_EQ(bytes_of(sent[0]), le32(3));
  EXPECT_EQ(Json(linkage_of(3)).text("audible"), schedule_out(4));
}

// ---- "/6012": the basic settings -----------------------------------------------------------

TEST_F(Motion, BasicSettingsKeepTheLinkageAndTellTheCamera) {
  ASSERT_EQ(post("/6112", "{\"chnid\":8,\"copyCnt\":0,\"dialog\":" + linkage_body(8) + "}").out,
            kOk);
  take(5);
  std::string grid(400, '0');
  for (std::size_t i = 0; i < grid.size(); i += 3) grid[i] = '1';
  std::string body =
      "{\"camId\":8,\"enable\":1,\"sensitivity\":4,\"triChannels\":\"1\","
      "\"triAlarms\":2,\"interval\":5,\"motionTable\":\"" +
      grid + "\",\"enableDV\":1}";
  ASSERT_EQ(post("/6012", body).out, kOk);
  auto sent = take(5);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 3207, 3212, 3209, 3485}));
  EXPECT_EQ(bytes_of(sent[0]), le32(8));
  EXPECT_EQ(bytes_of(sent[1]),
            le32(0) + text_field(grid.substr(0, 299), 300) + le32(4) + le32(8) + zeros(20));
  EXPECT_EQ(bytes_of(sent[2]), le32(8) + le32(1) + channel_list({}));
  EXPECT_EQ(bytes_of(sent[3]), all_day_week(8, {}));
  ASSERT_EQ(sent[4].length, 672u);
  OperationLogRecord log = log_of(sent[4]);
  EXPECT_EQ(log.mainType, 4);
  EXPECT_EQ(log.subType, 204);
  EXPECT_EQ(log.paramType, 909);
  EXPECT_EQ(log.channel, 9);
  EXPECT_STREQ(log.userName, "admin");
  EXPECT_EQ(trigger_mask(8), 1);

  Json got(linkage_of(8));
  EXPECT_EQ(got.text("motionTable"), "\"" + grid.substr(0, 367) + "\"");
  EXPECT_EQ(got.text("enable"), "1");
  EXPECT_EQ(got.text("sensitivity"), "4");
  EXPECT_EQ(got.text("enableDV"), "1");
  // Everything the page does not carry is as it was.
  EXPECT_EQ(got.text("email_interval"), "60");
  EXPECT_EQ(got.text("audioId"), "4");
  EXPECT_EQ(got.text("tri_channels_pic"), "\"11\"");
  EXPECT_EQ(got.text("triChnAlarms"), R"(["0110","1"])");
  EXPECT_EQ(got.text("http_notification_interval"), "11");
  EXPECT_EQ(got.text("whiteInfo"), R"([{"chnid":3,"mode":1,"time":10}])");

  // Without the all-day flag the camera goes back to its own schedule.
  body = R"({"camId":8,"enable":1,"sensitivity":4,"triChannels":"1","triAlarms":2,"interval":5,)"
         R"("motionTable":"","enableDV":0})";
  ASSERT_EQ(post("/6012", body).out, kOk);
  sent = take(4);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 3207, 3212, 3485}));
  EXPECT_EQ(bytes_of(sent[2]), le32(8) + le32(0) + channel_list({}));
}

TEST_F(Motion, BasicSettingsCheck) {
  const std::string good =
      R"("sensitivity":4,"triChannels":"1","triAlarms":2,"interval":5,"motionTable":"","enableDV":0)";
  const std::string refused[] = {
      "{\"camId\":9,\"enable\":3," + good + "}",
      "{\"camId\":9,\"enable\":-1," + good + "}",
      "{\"camId\":64,\"enable\":1," + good + "}",
      "{\"camId\":-1,\"enable\":1," + good + "}",
      "{\"enable\":1," + good + "}",
      R"({"camId":9,"enable":1,"sensitivity":-1,"triChannels":"1","triAlarms":2,"interval":5,"motionTable":"","enableDV":0})",
      R"({"camId":9,"enable":1,"sensitivity":4,"triChannels":"1","triAlarms":-2,"interval":5,"motionTable":"","enableDV":0})",
      R"({"camId":9,"enable":1,"sensitivity":4,"triChannels":"1","triAlarms":2,"interval":-5,"motionTable":"","enableDV":0})",
      R"({"camId":9,"enable":1,"sensitivity":4,"triChannels":"1","triAlarms":2,"interval":5,"enableDV":0})",
      R"({"camId":9,"enable":1,"sensitivity":4,"triAlarms":2,"interval":5,"motionTable":"","enableDV":0})",
      "{\"camId\":9,\"enable\":1," + good,
  };
  for (const std::string& body : refused) EXPECT_EQ(post("/6012", body).out, "") << body;
  EXPECT_EQ(Json(linkage_of(9)).text("enable"), "0");
  expect_nothing_sent();

  ASSERT_EQ(post("/6012", "{\"camId\":9,\"enable\":2," + good + "}").out, kOk);
  take(4);  // 1403, 3207, 3212, 3485
  EXPECT_EQ(Json(linkage_of(9)).text("enable"), "2");
}

// ---- "/6112": copy to a channel mask --------------------------------------------------------

TEST_F(Motion, CopyGivesEverySelectedChannelTheRecordAndLinkage) {
  // A target with linkage of its own, and two channels outside the copy.
  ASSERT_EQ(post("/6117", R"({"chnid":4,"enable":1,"whiteInfo":[[9,9,9]],"audible":[]})").out, kOk);
  ASSERT_EQ(post("/6117", R"({"chnid":5,"interval":77})").out, kOk);
  take(2);
  const std::string before5 = linkage_of(5);
  const std::string before0 = linkage_of(0);

  // "copyCnt" beyond the list's end, and values outside 0 to 63, add no channel.
  std::string body = "{\"chnid\":2,\"dialog\":" + linkage_body(2) +
                     ",\"enableDV\":1,\"sensitivity\":6,\"motionTable\":\"1100\","
                     "\"copyChn\":[4,63,70,-1],\"copyCnt\":9}";
  ASSERT_EQ(post("/6112", body).out, kOk);
  const std::uint64_t mask = (std::uint64_t{1} << 4) | (std::uint64_t{1} << 63);
  auto sent = take(6);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 3509, 3251, 1410, 3212, 3252}));
  EXPECT_EQ(bytes_of(sent[0]), le32(2));
  ASSERT_EQ(sent[1].length, 680u);
  OperationLogRecord log = log_of(sent[1]);
  EXPECT_EQ(log.subType, 204);
  EXPECT_EQ(log.paramType, 909);
  EXPECT_EQ(log.channel, 3);
  EXPECT_EQ(bytes_of(sent[1]).substr(672), mask_bytes(mask));
  EXPECT_EQ(bytes_of(sent[2]),
            text_field("1100", 300) + le32(6) + le32(2) + le32(1) + channel_list({4, 63}));
  EXPECT_EQ(bytes_of(sent[3]), mask_bytes(mask));
  EXPECT_EQ(bytes_of(sent[4]), le32(2) + le32(1) + channel_list({4, 63}));
  EXPECT_EQ(bytes_of(sent[5]), all_day_week(0, {4, 63}));

  // Each target holds the source's record and linkage, with its own channel and the
  // request's sensitivity and all-day flag.
  Json source(linkage_of(2));
  ASSERT_NE(source.get(), nullptr);
  for (int c : {4, 63}) {
    Json target(linkage_of(c));
    ASSERT_NE(target.get(), nullptr);
    for (const std::string& key : kGetterKeys) {
      std::string want = source.text(key.c_str());
      if (key == "chnid") want = std::to_string(c);
      if (key == "sensitivity") want = "6";
      if (key == "enableDV") want = "1";
      if (key == "httpParams")
        want = "{\"chnId\":" + std::to_string(c) +
               R"(,"url":"http:\/\/10.0.0.9\/alarm","username":"op","password":"pw"})";
      EXPECT_EQ(target.text(key.c_str()), want) << c << " " << key;
    }
    EXPECT_EQ(trigger_mask(c), 10);
  }
  EXPECT_EQ(source.text("sensitivity"), "0");  // the source's own record is not rewritten
  EXPECT_EQ(linkage_of(5), before5);
  EXPECT_EQ(linkage_of(0), before0);
}

// ---- "/6114", "/6119" ---------------------------------------------------------------------

TEST_F(Motion, BasicInfoStoresAndLogs) {
  ASSERT_EQ(post("/6117", linkage_body(12)).out, kOk);
  take(1);
  ASSERT_EQ(post("/6114", R"({"camId":12,"sensitivity":3,"triChannels":"0011","triAlarms":1,)"
                          R"("interval":2,"enableDV":1,"enable":0})")
                .out,
            kOk);
  auto sent = take(2);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 3485}));
  EXPECT_EQ(log_of(sent[1]).channel, 13);
  EXPECT_EQ(log_of(sent[1]).paramType, 909);
  EXPECT_EQ(trigger_mask(12), 12);
  Json got(linkage_of(12));
  EXPECT_EQ(got.text("sensitivity"), "3");
  EXPECT_EQ(got.text("enableDV"), "1");
  EXPECT_EQ(got.text("enable"), "2");  // not a key of this page
  EXPECT_EQ(got.text("audioId"), "4");
}

TEST_F(Motion, OthersChangesOneFieldByType) {
  ASSERT_EQ(post("/6117", linkage_body(10)).out, kOk);
  take(1);
  const struct {
    std::string body;
    std::string channels, alarms;
  } cases[] = {
      {R"({"camId":10,"type":1,"triChannels":"1","triAlarms":9})", "\"1\"", "3"},
      {R"({"camId":10,"type":2,"triChannels":"0","triAlarms":9})", "\"1\"", "9"},
      {R"({"camId":10,"type":7,"triChannels":"0","triAlarms":1})", "\"1\"", "9"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(post("/6119", c.body).out, kOk) << c.body;
    auto sent = take(2);
    ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1403, 3485})) << c.body;
    EXPECT_EQ(log_of(sent[1]).channel, 11);
    Json got(linkage_of(10));
    EXPECT_EQ(got.text("triChannels"), c.channels) << c.body;
    EXPECT_EQ(got.text("triAlarms"), c.alarms) << c.body;
  }
  EXPECT_EQ(trigger_mask(10), 1);
}

// ---- "/6098": the camera's motion map --------------------------------------------------------

TEST_F(Motion, MotionMapFromTheCamera) {
  ProcessResult r = post("/6098", R"({"id":3})");
  EXPECT_EQ(r.out, kJson + "{ \"map\": \"" + std::string(18 * 16, '1') +
                       "\", \"sensitivity\": 5, \"result\": 0, \"enable\": 1, \"modelType\": 1, "
                       "\"fishdisplay\": 0, \"fishtransfer\": 0, \"fishinstall\": 0 }");
  auto sent = take(1);
  ASSERT_EQ(types_of(sent), std::vector<std::uint32_t>{3206});
  EXPECT_EQ(bytes_of(sent[0]), le32(3));
}

// "/6098" on a root of the test's own, with a core of its own rules.
std::string ask_map(const TempRoot& root, int channel) {
  CgiRequest req;
  req.method = "POST";
  req.path = "/6098";
  req.content_type = "application/json";
  req.body = "{\"id\":" + std::to_string(channel) + "}";
  return nvrtest::run_webcgi(root, req).out;
}

TEST(MotionMap, NoOrShortAnswerIsTheTextError) {
  for (const char* rule : {"3206 silent\n", "3206 hex=00000000\n"}) {
    TempRoot root;
    CoreSim core(root, rule);
    ASSERT_TRUE(core.ok());
    EXPECT_EQ(ask_map(root, 0), kTextError) << rule;
  }
}

TEST(MotionMap, AnUnterminatedMapIsReadWithinItsField) {
  // A camera answer whose map fills all 300 bytes.
  std::string payload = le32(1) + std::string(300, 'a') + le32(2) + le32(0) + le32(0) + le32(0) +
                        le32(0) + le32(0) + le32(0);
  TempRoot root;
  CoreSim core(root, "3206 hex=" + nvrtest::to_hex(payload) + "\n");
  ASSERT_TRUE(core.ok());
  std::string out = ask_map(root, 1);
  EXPECT_NE(out.find("\"map\": \"" + std::string(300, 'a') + "\", \"sensitivity\": 2"),
            std::string::npos)
      << out;
}

// ---- Refusals ------------------------------------------------------------------------------

TEST_F(Motion, BadChannelsAndBodies) {
  const struct {
    std::string path, body, out;
  } cases[] = {
      {"/6010", "not json", kJsonError},
      {"/6010", R"({"chnid":64})", kJsonError},
      {"/6010", R"({"chnid":-1})", kJsonError},
      {"/6010", R"({"chnid":"x"})", kJsonError},
      {"/6010", R"({})", kJsonError},
      {"/6012", "not json", ""},
      {"/6013", R"({"camId":64,"schedule":[]})", ""},
      {"/6013", R"({"camId":-1,"schedule":[]})", ""},
      {"/6098", R"({"id":-1})", ""},
      {"/6098", R"({"id":64})", ""},
      {"/6098", R"({})", ""},
      {"/6112", "not json", ""},
      {"/6112", R"({"chnid":64,"dialog":{"chnid":1,"enable":1},"copyCnt":1,"copyChn":[2]})", ""},
      {"/6112", R"({"dialog":{"chnid":1,"enable":1}})", ""},
      {"/6113", R"({"camId":64,"sensitivity":1})", ""},
      {"/6113", "[1]", ""},
      {"/6114", R"({"camId":64,"sensitivity":1})", ""},
      {"/6114", R"({"camId":-3})", ""},
      {"/6117", "not json", kJsonError},
      {"/6117", R"({"chnid":64,"enable":1})", kJsonError},
      {"/6117", R"({"enable":1})", kJsonError},
      {"/6119", "not json", ""},
      {"/6119", R"({"camId":-1,"type":2,"triAlarms":1})", kTextError},
      {"/6119", R"({"camId":64,"type":2,"triAlarms":1})", kTextError},
      {"/6119", R"({"type":2,"triAlarms":1})", kTextError},
  };
  for (const auto& c : cases) EXPECT_EQ(post(c.path, c.body).out, c.out) << c.path << " " << c.body;
  for (const char* query : {"64", "-1", "x", "", "7x"})
    EXPECT_EQ(get("/6011", query).out, "") << query;
  // A channel 0 that a bad body might have reached is unchanged.
  EXPECT_EQ(Json(linkage_of(0)).text("enable"), "0");
  EXPECT_EQ(Json(linkage_of(1)).text("enable"), "0");
  expect_nothing_sent();
}

TEST_F(Motion, AFailedStoreWriteIsNotAnsweredOk) {
  ASSERT_EQ(post("/6117", R"({"chnid":1,"enable":1})").out, kOk);
  ASSERT_EQ(post("/6013", "{\"camId\":1,\"schedule\":" + schedule(1) + "}").out, kOk);
  take(2);
  refuse_writes("motion");
  refuse_writes("motion_audible_sche");
  const std::string basic = R"({"camId":1,"enable":2,"sensitivity":4,"triChannels":"1",)"
                            R"("triAlarms":2,"interval":5,"motionTable":"","enableDV":1})";
  const struct {
    std::string path, body, out;
  } cases[] = {
      {"/6012", basic, kTextError},
      {"/6117", R"({"chnid":1,"enable":2})", kJsonError},
      {"/6117", R"({"chnid":1,"audible":[]})", kJsonError},
      {"/6112", R"({"chnid":1,"dialog":{"enable":2},"copyCnt":1,"copyChn":[2]})", kTextError},
      {"/6113", R"({"camId":1,"enable":2})", kTextError},
      {"/6114", R"({"camId":1,"sensitivity":2})", kTextError},
      {"/6119", R"({"camId":1,"type":2,"triAlarms":1})", kTextError},
      {"/6013", "{\"camId\":1,\"schedule\":" + schedule(2) + "}", kTextError},
  };
  for (const auto& c : cases) EXPECT_EQ(post(c.path, c.body).out, c.out) << c.path << " " << c.body;
  expect_nothing_sent();
  // A copy whose record part fails still copies the other parts: the core is told of the
  // copy (1410 for channel 2), and the answer is the error.
  ASSERT_EQ(post("/6112", R"({"chnid":1,"copyCnt":1,"copyChn":[2]})").out, kTextError);
  auto sent = take(1);
  ASSERT_EQ(types_of(sent), (std::vector<std::uint32_t>{1410}));
  EXPECT_EQ(bytes_of(sent[0]), le32(1u << 2) + le32(0));
  expect_nothing_sent();
  Json got(linkage_of(1));
  EXPECT_EQ(got.text("enable"), "1");
  EXPECT_EQ(got.text("audible"), schedule_out(1));
  EXPECT_EQ(Json(linkage_of(2)).text("audible"), kEmptySchedule);
}

}  // namespace
