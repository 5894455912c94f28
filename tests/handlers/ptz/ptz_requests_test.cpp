// PTZ requests served in process against coresim: the bytes of every command the core gets
// (72-byte commands, 32-byte tour controls, the 588-byte tour change and the 4620-byte
// fisheye tour), the speed push, the auto-focus follow-up, tour edits with sizes outside
// the 8 x 48 table, the tour table in the store, and the log records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dvdb.h"
#include "ptz/ptz_store.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/settings_pair.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;

const std::string kOk = nvrtest::kTextHeader + "OK";
constexpr uint32_t kLog = 3485;

// A 72-byte command: channel, action, preset, four speeds, zero, name, fisheye, stream.
std::string command(int chn, int action, int preset, std::vector<int> speeds,
                    const std::string& name = "", int fisheye = 0, int stream = 0) {
  Bytes b;
  b.i32(chn).i32(action).i32(preset);
  for (int s : speeds) b.i32(s);
  return b.i32(0).text(name, 32).i32(fisheye).i32(stream).hex();
}

// The 392-byte camera parameter push.
std::string push(int chn, const std::string& key, const std::string& value) {
  return Bytes()
      .i32(chn)
      .zeros(64)
      .text("vsetting.html", 64)
      .text(key, 128)
      .text(value, 128)
      .i32(0)
      .hex();
}

std::string tour_control(int chn, int tour, int fisheye, int stream) {
  return Bytes().i32(chn).i32(tour).zeros(16).i32(fisheye).i32(stream).hex();
}

// The messages of one request without its log record, and the log records apart.
struct Sent {
  std::vector<JournalEntry> messages;
  std::vector<OperationLogRecord> logs;
};
Sent sent_by(const std::string& path, const std::string& body, const std::string& answer = kOk) {
  InProcess& web = InProcess::instance();
  (void)web.sent();
  EXPECT_EQ(web.post(path, body), answer) << path << " " << body;
  Sent s;
  for (const JournalEntry& e : web.sent()) {
    if (e.type == kLog)
      s.logs.push_back(nvrtest::log_record(e));
    else
      s.messages.push_back(e);
  }
  return s;
}

void expect_log(const Sent& s, int param, int channel) {
  ASSERT_EQ(s.logs.size(), 1u);
  EXPECT_EQ(s.logs[0].subType, 206);
  EXPECT_EQ(s.logs[0].paramType, param);
  EXPECT_EQ(s.logs[0].channel, channel + 1);
}

// ---- Commands --------------------------------------------------------------------------------

TEST(PtzCommands, MoveSendsTheCommandThenPushesTheSpeedOneLess) {
  struct Row {
    int pan;
    const char* pushed;
  };
  for (Row row : {Row{0, "1"}, Row{1, "0"}, Row{8, "7"}, Row{-3, "1"}}) {
    SCOPED_TRACE(row.pan);
    Sent s = sent_by("/5000", R"({"channelId":2,"action":3,"panSpeed":)" + std::to_string(row.pan) +
                                  R"(,"tiltSpeed":6,"zoomSpeed":4,"focusSpeed":2,"fisheyeType":1,)"
                                  R"("streamId":1,"presetId":9,"name":"x"})");
    ASSERT_EQ(s.messages.size(), 2u);
    EXPECT_EQ(s.messages[0].type, 1251u);
    EXPECT_EQ(s.messages[0].hex, command(2, 3, 0, {row.pan, 6, 4, 2}, "", 1, 1));
    EXPECT_EQ(s.messages[1].type, 3226u);
    EXPECT_EQ(s.messages[1].hex, push(2, "ptzspeed", row.pushed));
    expect_log(s, 900, 2);
  }
}

TEST(PtzCommands, ManualFocusOfAnAutoFocusCameraIsFollowedByAutoFocus) {
  Sent s = sent_by("/5000", R"({"channelId":0,"action":21,"isAutoFocus":1,"panSpeed":5})");
  ASSERT_EQ(s.messages.size(), 3u);
  EXPECT_EQ(s.messages[0].hex, command(0, 21, 0, {5, 0, 0, 0}));
  EXPECT_EQ(s.messages[1].type, 1251u);
  EXPECT_EQ(s.messages[1].hex, command(0, 12, 0, {5, 0, 0, 0}));
  EXPECT_EQ(s.messages[2].type, 3226u);

  for (const char* body : {R"({"channelId":0,"action":21,"isAutoFocus":0})",
                           R"({"channelId":0,"action":20,"isAutoFocus":1})"}) {
    Sent once = sent_by("/5000", body);
    ASSERT_EQ(once.messages.size(), 2u) << body;
    EXPECT_EQ(once.messages[0].type, 1251u);
  }
}

TEST(PtzCommands, RefusedBodiesGetNoAnswerAndSendNothing) {
  // "max_cameras" is unset: 32 channels, 0 to 31.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/5000", "not json"},
      {"/5000", R"({"action":1})"},
      {"/5000", R"({"channelId":32,"action":1})"},
      {"/5000", R"({"channelId":-1,"action":1})"},
      {"/5000", R"({"channelId":1,"action":-1})"},
      {"/5000", R"({"channelId":1})"},
      {"/5001", R"({"channelId":1,"action":22,"presetId":301,"panSpeed":1,"tiltSpeed":1,)"
                R"("zoomSpeed":1,"focusSpeed":1})"},
      {"/5001", R"({"channelId":1,"action":22,"presetId":3,"panSpeed":-1,"tiltSpeed":1,)"
                R"("zoomSpeed":1,"focusSpeed":1})"},
      {"/5001", R"({"channelId":1,"action":22,"presetId":3,"panSpeed":1,"tiltSpeed":1})"},
      {"/5002", R"({"chn":64,"tourid":1})"},
      {"/5003", R"({"tourid":1})"},
      {"/5004", R"({"chn":"x","action":1})"},
      {"/5006", R"({"channelId":64,"action":1})"},
      {"/5007", R"({"Zoom":1})"},
      {"/5008", R"({"chn":70,"Speed":3})"},
      {"/6054", R"({"camId":64,"pan_speed":3})"},
  };
  InProcess& web = InProcess::instance();
  (void)web.sent();
  for (const auto& [path, body] : cases) {
    EXPECT_EQ(web.post(path, body), "") << path << " " << body;
    EXPECT_TRUE(web.sent().empty()) << path << " " << body;
  }
}

TEST(PtzCommands, PresetOperationsCarryTheNameOnlyWhenSaving) {
  const std::string speeds = R"("panSpeed":1,"tiltSpeed":2,"zoomSpeed":3,"focusSpeed":4)";
  Sent save = sent_by("/5001", R"({"channelId":3,"action":22,"presetId":300,)" + speeds +
                                   R"(,"name":"North gate and the long road to it"})");
  ASSERT_EQ(save.messages.size(), 1u);
  EXPECT_EQ(save.messages[0].type, 1253u);
  // At most 30 characters of the name.
  EXPECT_EQ(save.messages[0].hex,
            command(3, 22, 300, {1, 2, 3, 4}, "North gate and the long road t"));
  expect_log(save, 904, 3);

  Sent call =
      sent_by("/5001", R"({"channelId":3,"action":23,"presetId":5,"name":"x",)" + speeds + "}");
  ASSERT_EQ(call.messages.size(), 1u);
  EXPECT_EQ(call.messages[0].hex, command(3, 23, 5, {1, 2, 3, 4}));

  // A fisheye camera gets the name pushed as "stream:preset:name", and the push answers.
  Sent fish = sent_by("/5001", R"({"channelId":3,"action":22,"presetId":7,"name":"Dock",)" +
                                   speeds + R"(,"fisheyeType":1,"streamId":2})");
  ASSERT_EQ(fish.messages.size(), 2u);
  EXPECT_EQ(fish.messages[0].hex, command(3, 22, 7, {1, 2, 3, 4}, "Dock", 1, 2));
  EXPECT_EQ(fish.messages[1].type, 3226u);
  EXPECT_EQ(fish.messages[1].hex, push(3, "ipncptz=setfishpreset", "2:7:Dock"));
  expect_log(fish, 904, 3);
}

TEST(PtzCommands, ToursPatternsPresetCallsAndZoom) {
  Sent run = sent_by("/5002", R"({"chn":4,"tourid":2,"fisheyeType":1,"streamId":3})");
  ASSERT_EQ(run.messages.size(), 1u);
  EXPECT_EQ(run.messages[0].type, 1260u);
  EXPECT_EQ(run.messages[0].hex, tour_control(4, 2, 1, 3));
  expect_log(run, 900, 4);

  Sent stop = sent_by("/5003", R"({"chn":4,"tourid":2})");
  ASSERT_EQ(stop.messages.size(), 1u);
  EXPECT_EQ(stop.messages[0].type, 1261u);
  EXPECT_EQ(stop.messages[0].hex, tour_control(4, 2, 0, 0));

  const int kCodes[][2] = {{0, 26}, {1, 21}, {2, 25}, {3, 27}, {4, 40}, {5, 0}, {-1, 0}};
  for (const auto& [action, code] : kCodes) {
    Sent p = sent_by("/5004", R"({"chn":6,"tourid":3,"action":)" + std::to_string(action) + "}");
    ASSERT_EQ(p.messages.size(), 1u);
    EXPECT_EQ(p.messages[0].type, 1254u);
    EXPECT_EQ(p.messages[0].hex, command(6, code, 3, {0, 0, 0, 0})) << action;
    expect_log(p, 904, 6);
  }

  Sent call = sent_by("/5006", R"({"channelId":7,"action":4})");
  ASSERT_EQ(call.messages.size(), 1u);
  EXPECT_EQ(call.messages[0].type, 1266u);
  EXPECT_EQ(call.messages[0].hex, Bytes().i32(7).i32(4).hex());
  expect_log(call, 900, 7);

  Sent zoom = sent_by("/5007", R"({"camId":8,"Zoom":-1,"ZoomSpeed":5})");
  ASSERT_EQ(zoom.messages.size(), 1u);
  EXPECT_EQ(zoom.messages[0].type, 1267u);
  EXPECT_EQ(zoom.messages[0].hex, Bytes().i32(8).i32(-1).i32(5).hex());
  expect_log(zoom, 900, 8);

  Sent speed = sent_by("/5008", R"({"chn":9,"Speed":4})");
  ASSERT_EQ(speed.messages.size(), 1u);
  EXPECT_EQ(speed.messages[0].hex, push(9, "ptzspeed", "3"));
  expect_log(speed, 904, 9);
}

// ---- Tours ---------------------------------------------------------------------------------

PtzTourTable stored_tours(int chn) {
  PtzTourTable table{};
  EXPECT_EQ(store_read(kStoreMain, chn, &table), 0);
  return table;
}

const char* const kTwoSteps =
    R"([{"preset":3,"speed":4,"time":10},{"preset":7,"speed":2,"time":20}])";

TEST(PtzTours, ChangeStoresTheStepsAndSendsThem) {
  Sent s =
      sent_by("/6055", std::string(R"({"chn":5,"tourid":2,"rowsize":2,"path":)") + kTwoSteps + "}");
  ASSERT_EQ(s.messages.size(), 1u);
  EXPECT_EQ(s.messages[0].type, 1264u);
  Bytes expected;
  expected.i32(5).i32(2).i32(2).i32(3).i32(10).i32(4).i32(7).i32(20).i32(2).zeros(46 * 12);
  EXPECT_EQ(s.messages[0].hex, expected.hex());
  expect_log(s, 904, 5);

  PtzTourTable t = stored_tours(5);
  EXPECT_EQ(t.tour[1].step[0].preset, 3);
  EXPECT_EQ(t.tour[1].step[1].time, 20);
  EXPECT_EQ(t.tour[1].step[1].speed, 2);
  EXPECT_EQ(t.tour[0].step[0].preset, 0);

  // A path shorter than "rowsize" ends the edit at its end; later steps keep their values.
  Sent short_path = sent_by(
      "/6055", R"({"chn":5,"tourid":2,"rowsize":40,"path":[{"preset":9,"speed":1,"time":5}]})");
  ASSERT_EQ(short_path.messages.size(), 1u);
  Bytes one;
  one.i32(5).i32(2).i32(1).i32(9).i32(5).i32(1).zeros(47 * 12);
  EXPECT_EQ(short_path.messages[0].hex, one.hex());
  t = stored_tours(5);
  EXPECT_EQ(t.tour[1].step[0].preset, 9);
  EXPECT_EQ(t.tour[1].step[1].preset, 7);

  // Clearing drops the presets of the tour and keeps its dwell times and speeds.
  Sent clear = sent_by("/6057", R"({"chn":5,"tourid":2,"fisheyeType":0,"streamId":1})");
  ASSERT_EQ(clear.messages.size(), 1u);
  EXPECT_EQ(clear.messages[0].type, 1257u);
  EXPECT_EQ(clear.messages[0].hex, tour_control(5, 2, 0, 1));
  expect_log(clear, 904, 5);
  t = stored_tours(5);
  EXPECT_EQ(t.tour[1].step[0].preset, 0);
  EXPECT_EQ(t.tour[1].step[1].preset, 0);
  EXPECT_EQ(t.tour[1].step[0].time, 5);
  EXPECT_EQ(t.tour[1].step[1].time, 20);
  EXPECT_EQ(t.tour[1].step[1].speed, 2);
}

TEST(PtzTours, FisheyeTourFillsOnlyTheAddressedTour) {
  Sent s = sent_by("/6056", std::string(R"({"chn":1,"tourid":3,"streamId":2,"rowsize":2,"path":)") +
                                kTwoSteps + "}");
  ASSERT_EQ(s.messages.size(), 1u);
  EXPECT_EQ(s.messages[0].type, 1269u);
  Bytes b;
  b.i32(1).i32(2).i32(2).zeros(2 * 576);
  b.i32(3).i32(7).zeros(46 * 4).i32(10).i32(20).zeros(46 * 4).i32(4).i32(2).zeros(46 * 4);
  b.zeros(5 * 576);
  EXPECT_EQ(s.messages[0].hex, b.hex());
  expect_log(s, 904, 1);
}

TEST(PtzTours, SizesOutsideTheTableAreRefused) {
  InProcess& web = InProcess::instance();
  const PtzTourTable before = stored_tours(6);
  const std::string path = std::string(R"(,"path":)") + kTwoSteps + "}";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/6055", R"({"chn":6,"tourid":0,"rowsize":2)" + path},
      {"/6055", R"({"chn":6,"tourid":9,"rowsize":2)" + path},
      {"/6055", R"({"chn":6,"tourid":-1,"rowsize":2)" + path},
      {"/6055", R"({"chn":6,"tourid":1,"rowsize":49)" + path},
      {"/6055", R"({"chn":6,"tourid":1,"rowsize":-1)" + path},
      {"/6055", R"({"chn":64,"tourid":1,"rowsize":2)" + path},
      {"/6055", R"({"chn":-1,"tourid":1,"rowsize":2)" + path},
      {"/6055", R"({"chn":6,"tourid":1,"rowsize":2})"},
      {"/6055", R"({"chn":6,"tourid":1,"rowsize":2,"path":{"preset":1}})"},
      {"/6056", R"({"chn":6,"tourid":9,"rowsize":2)" + path},
      {"/6056", R"({"chn":6,"tourid":1,"rowsize":100)" + path},
      {"/6056", R"({"chn":99,"tourid":1,"rowsize":2)" + path},
      {"/6057", R"({"chn":6,"tourid":0})"},
      {"/6057", R"({"chn":6,"tourid":9})"},
      {"/6057", R"({"chn":64,"tourid":1})"},
      {"/6057", "not json"},
  };
  (void)web.sent();
  for (const auto& [p, body] : cases) {
    EXPECT_EQ(web.post(p, body), "") << p << " " << body;
    EXPECT_TRUE(web.sent().empty()) << p << " " << body;
  }
  const PtzTourTable after = stored_tours(6);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
}

TEST(PtzTours, AFailedStoreWriteIsNeitherToldNorLogged) {
  InProcess& web = InProcess::instance();
  (void)sent_by("/6055", R"({"chn":2,"tourid":1,"rowsize":0,"path":[]})");  // the table exists
  web.refuse_writes("ptz_tour");
  for (const char* body : {R"({"chn":2,"tourid":1,"rowsize":1,"path":[{"preset":1}]})"}) {
    EXPECT_EQ(web.post("/6055", body), nvrtest::kTextErrorBody);
    EXPECT_TRUE(web.sent().empty());
  }
  EXPECT_EQ(web.post("/6057", R"({"chn":2,"tourid":1})"), nvrtest::kTextErrorBody);
  EXPECT_TRUE(web.sent().empty());
  web.allow_writes("ptz_tour");
}

// ---- Port and speed settings -----------------------------------------------------------------

const nvrtest::SettingsPair kPairs[] = {
    {.name = "port",
     .set_path = "/6051",
     .body = R"({"cnt":1,"chnid":[5],"connectType":1,"baudRate":4800,"dataBits":7,)"
             R"("stopBits":2,"parityType":1,"protocol":13,"address":3})",
     .get_path = "/6050",
     .get_query = R"({"chnid":5})",
     .get_contains = R"({"camId":5,"connectType":1,"baudRate":4800,"dataBits":7,"stopBits":2,)"
                     R"("parityType":1,"protocol":13,"address":3})",
     .notice = 1252,
     .notice_hex = "05000000",
     .log_param = 904,
     .log_channel = 5,
     .refused = {"not json",
                 R"({"chnid":[5],"connectType":1,"baudRate":1,"dataBits":7,"stopBits":1,)"
                 R"("parityType":1,"protocol":1,"address":1})",
                 R"({"cnt":1,"chnid":[5],"connectType":2,"baudRate":1,"dataBits":7,)"
                 R"("stopBits":1,"parityType":1,"protocol":1,"address":1})",
                 R"({"cnt":1,"chnid":[5],"connectType":1,"baudRate":1,"dataBits":9,)"
                 R"("stopBits":1,"parityType":1,"protocol":1,"address":1})",
                 R"({"cnt":1,"chnid":[5],"connectType":1,"baudRate":1,"dataBits":7,)"
                 R"("stopBits":1,"parityType":3,"protocol":1,"address":1})",
                 R"({"cnt":1,"chnid":[5],"connectType":1,"baudRate":1,"dataBits":7,)"
                 R"("stopBits":1,"parityType":1,"protocol":14,"address":1})",
                 R"({"cnt":1,"chnid":[5],"connectType":1,"baudRate":1,"dataBits":7,)"
                 R"("stopBits":1,"parityType":1,"protocol":1,"address":-1})"},
     .table = "ptz_port"},
    {.name = "speed",
     .set_path = "/6054",
     .body = R"({"camId":3,"pan_speed":5,"tilt_speed":6,"zoom_speed":7,"foucs_speed":8})",
     .get_path = "/6053",
     .get_query = R"({"camId":3})",
     .get_contains = R"({"pan_speed":5,"tilt_speed":6,"zoom_speed":7,"foucs_speed":8})",
     .log_param = 904,
     .log_channel = 3,
     .refused = {"not json", R"({"pan_speed":5})", R"({"camId":64,"pan_speed":5})",
                 R"({"camId":"abc","pan_speed":5})", R"({"camId":3,"pan_speed":"fast"})"},
     .table = "ptz_speed"},
};

class PtzPairs : public ::testing::TestWithParam<nvrtest::SettingsPair> {};

TEST_P(PtzPairs, SaveReadBackRefuseAndFail) {
  nvrtest::check_settings_pair(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Pairs, PtzPairs, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<nvrtest::SettingsPair>& p) {
                           return p.param.name;
                         });

TEST(PtzPort, OnlyListedChannelsInRangeAreWritten) {
  Sent s =
      sent_by("/6051", R"({"cnt":3,"chnid":[0,70,2,4],"connectType":0,"baudRate":9600,)"
                       R"("dataBits":8,"stopBits":1,"parityType":0,"protocol":2,"address":1})");
  ASSERT_EQ(s.messages.size(), 2u);
  EXPECT_EQ(s.messages[0].hex, "00000000");
  EXPECT_EQ(s.messages[1].hex, "02000000");
  ASSERT_EQ(s.logs.size(), 2u);
  EXPECT_EQ(s.logs[0].channel, 1);
  EXPECT_EQ(s.logs[1].channel, 3);
  PtzPortRecord port{};
  ASSERT_EQ(store_read(kStoreMain, 2, &port), 0);
  EXPECT_EQ(port.protocol, 2);
  ASSERT_EQ(store_read(kStoreMain, 4, &port), 0);  // beyond "cnt": the defaults
  EXPECT_EQ(port.protocol, 0);
  EXPECT_EQ(port.baudRate, 9600);

  // Channels out of range get the JSON error body.
  InProcess& web = InProcess::instance();
  for (const char* q : {R"({"chnid":64})", R"({"chnid":-1})", "", R"({"camId":1})"})
    EXPECT_EQ(web.get("/6050", q), nvrtest::kJsonErrorBody) << q;
  for (const char* q : {R"({"camId":64})", R"({"camId":-1})", "", R"({"chnid":1})"})
    EXPECT_EQ(web.get("/6053", q), nvrtest::kJsonErrorBody) << q;
}

}  // namespace
