// The camera feature requests in process: the payload bytes of each change, built by hand;
// channels and selection texts outside their range; the camera upgrade sequence; and the
// answers whose counts and texts come from the camera, clamped to their arrays.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "camera/camera_ipc.h"
#include "camera_bytes.h"
#include "support/answer_capture.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace {

using camtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JsonTree;
using nvrtest::kJsonErrorBody;
using nvrtest::kJsonHeader;
using nvrtest::kTextErrorBody;
using nvrtest::kTextHeader;

const std::string kRes0 = kJsonHeader + R"({ "res": 0 })";

// A 64-character selection text with the given channels "1".
std::string selection(std::initializer_list<int> channels) {
  std::string t(64, '0');
  for (int c : channels) t[c] = '1';
  return t;
}

struct SentCase {
  const char* name;
  const char* path;
  std::string body;
  uint32_t type;
  std::string payload;   // hex of the payload, or of its start when `prefix`
  std::string response;  // the whole response expected
  bool prefix = false;
};

class FeatureRequests : public ::testing::Test {
 protected:
  void SetUp() override { (void)web.sent(); }
  InProcess& web = InProcess::instance();
};

TEST_F(FeatureRequests, ChangesSendTheirPayloads) {
  const std::vector<SentCase> cases = {
      {"watermark copy text padded, own channel set", "/2059",
       R"({"chnid":5,"enable":1,"watermark":"Gate","copy":"0000"})", 1216,
       Bytes().i32(5).i32(1).i32(0).text("Gate", 32).text(selection({5}), 64).zeros(4).hex(),
       kRes0},
      {"watermark copy text longer than 64 read to 64", "/2059",
       R"({"chnid":0,"enable":0,"watermark":"","copy":")" + std::string(64, '0') + "11\"}", 1216,
       Bytes().i32(0).i32(0).i32(0).zeros(32).text(selection({0}), 64).zeros(4).hex(), kRes0},
      {"tracking mask of channels plus chnid", "/2055",
       R"({"chnid":4,"channels":"101","enable":1,"show":1,"sensitivity":3,"area":"A"})", 3375,
       Bytes().channel_mask(0x15).i32(4).i32(1).i32(1).i32(3).zeros(16).hex(), kRes0, true},
      {"tracking channels text read only to 64", "/2055",
       R"({"chnid":1,"channels":")" + std::string(70, '1') + "\"}", 3375,
       Bytes().channel_mask(~uint64_t{0}).i32(1).hex(), kRes0, true},
      {"motion copy mask plus own channel", "/2052",
       R"({"chnid":0,"enable":1,"sensitivity":4,"minsize":2,"mintime":1,"adaptability":3,)"
       R"("map_mask":"1111","copyChn":[1,2,99],"copyCnt":3})",
       3366,
       Bytes().channel_mask(0x7).i32(0).i32(1).i32(4).i32(2).i32(1).i32(3).text("1111", 300).hex(),
       kRes0, true},
      {"event stream", "/2061",
       R"({"chnid":9,"enable":1,"framerate":15,"bitrate":512,"iframeinterval":30})", 1218,
       Bytes().i32(9).i32(0).i32(1).i32(15).i32(512).i32(30).hex(), kRes0},
      {"event stream query carries the fisheye type", "/2060", R"({"chnid":2,"fisheyeType":3})",
       1217, Bytes().i32(2).i32(3).hex(),
       kJsonHeader +
           R"({ "chnid": 2, "enable": 1, "framerate": 15, "bitrate": 1024, "iframeinterval": 30 })"},
      {"audio without chnid goes to channel 0", "/2064", R"({"audioEnable":1,"sampleRate":8000})",
       3372, Bytes().channel_mask(1).i32(0).i32(1).zeros(12).i32(8000).zeros(20).zeros(4).hex(),
       kTextHeader + "OK"},
      {"audio mask of channels", "/2064", R"({"chnid":3,"channels":"11","outputVolume":70})", 3372,
       Bytes().channel_mask(0xb).i32(3).zeros(32).i32(70).zeros(8).hex(), kTextHeader + "OK"},
      {"camera log query", "/2053",
       R"({"chnid":6,"mainType":1,"subType":2,"time":"2026-12-07 00:00:00"})", 3360,
       Bytes().i32(6).i32(1).i32(2).text("2026-12-07 00:00:00", 64).hex(),
       kTextHeader + "2026-12-07 08:00:12 System Boot\r\n2026-12-07 08:00:40 Network Link Up\r\n"
                     "2026-12-07 09:15:03 Motion Detection Start\r\n"},
      {"custom parameter", "/2068", R"({"chnid":1,"url":"/cgi/param?x"})", 3377,
       Bytes().i32(1).text("/cgi/param?x", 256).hex(),
       kJsonHeader + R"({ "res": 0, "chnid": 1, "data": "url=\/cgi\/param?x&value=1" })"},
      {"upgrade prepare reads 16 characters of each mask", "/2078",
       R"({"chnMask":"01100000000000001111","resetMask":"01","fileSize":4096})", 3385,
       Bytes().channel_mask(0x6).channel_mask(~uint64_t{0x2}).i32(4096).zeros(260).hex(), kRes0},
  };
  for (const SentCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(web.post(c.path, c.body), c.response);
    auto sent = web.sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].type, c.type);
    if (c.prefix)
      EXPECT_EQ(sent[0].hex.substr(0, c.payload.size()), c.payload);
    else
      EXPECT_EQ(sent[0].hex, c.payload);
  }
}

TEST_F(FeatureRequests, RefusedBodiesSendNothing) {
  struct Refused {
    const char* path;
    std::string body;
    std::string response;
  };
  const std::vector<Refused> cases = {
      {"/2051", R"({"chnid":64})", kJsonErrorBody},
      {"/2051", "x", kJsonErrorBody},
      {"/2052", R"({"chnid":-1})", kJsonErrorBody},
      {"/2053", R"({"chnid":64})", kTextErrorBody},
      {"/2053", "not json", kTextErrorBody},
      {"/2055", R"({"chnid":64})", kJsonErrorBody},
      {"/2055", R"({"channels":"1"})", kJsonErrorBody},
      {"/2059", R"({"chnid":64})", kJsonErrorBody},
      {"/2059", R"({"chnid":"x"})", kJsonErrorBody},
      {"/2061", R"({"chnid":100})", kJsonErrorBody},
      {"/2064", R"({"chnid":64})", kJsonErrorBody},
      {"/2064", "not json", ""},
      {"/2064", "", ""},
      {"/2068", R"({"chnid":64})", kTextErrorBody},
      {"/2068", "x", kJsonErrorBody},
      {"/2078", "x", kJsonErrorBody},
      {"/2080", "x", kJsonErrorBody},
      {"/2081", "x", ""},
      {"/2082", "", kTextErrorBody},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + c.body);
    EXPECT_EQ(web.post(c.path, c.body), c.response);
    EXPECT_TRUE(web.sent().empty());
  }
  EXPECT_EQ(web.post("/2082", "anything"), kTextHeader + "CGI SUCCESS");
}

// The start text of section 0 of day 0 of a schedule key of an answer.
std::string first_start(const JsonTree& tree, const char* key) {
  json_object* day = json_object_array_get_idx(tree.at(key), 0);
  json_object* section = json_object_array_get_idx(day, 0);
  json_object* start = json_object_object_get(section, "startTime");
  return start != nullptr ? json_object_get_string(start) : "missing";
}

TEST_F(FeatureRequests, EffectiveSchedulesSaveOnlyTheKeysGiven) {
  const std::string day0 = R"([[["08:00","18:00",1]],[],[],[],[],[],[],[]])";
  const std::string late = R"([[["01:00","02:00",1]],[],[],[],[],[],[],[]])";
  EXPECT_EQ(web.post("/2036", R"({"channel":2,"start":0,"end":1,"schedule_motion":)" + day0 + "}"),
            kTextHeader + "OK");
  // Indexes 7 and 8 are written, 9 is no schedule; motion, absent here, keeps its schedule.
  EXPECT_EQ(web.post("/2036", R"({"channel":2,"start":7,"end":9,"schedule_human_detection":)" +
                                  late + R"(,"schedule_people_counting":)" + late + "}"),
            kTextHeader + "OK");
  JsonTree got(web.post("/2035", R"({"channel":2})").substr(kJsonHeader.size()));
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(got.keys().size(), 9u);
  EXPECT_EQ(first_start(got, "schedule_motion"), "08:00");
  EXPECT_EQ(first_start(got, "schedule_human_detection"), "01:00");
  EXPECT_EQ(first_start(got, "schedule_people_counting"), "01:00");
  EXPECT_EQ(first_start(got, "schedule_loitering"), "00:00");
  JsonTree other(web.post("/2035", R"({"channel":3})").substr(kJsonHeader.size()));
  EXPECT_EQ(first_start(other, "schedule_motion"), "00:00");
  EXPECT_EQ(web.post("/2035", R"({"channel":64})"), "");
  EXPECT_EQ(web.post("/2036", "x"), "");
  EXPECT_EQ(web.post("/2036", R"({"channel":64,"start":0,"end":0})"), kJsonErrorBody);
  EXPECT_TRUE(web.sent().empty());
}

TEST_F(FeatureRequests, CameraUpgradeSequence) {
  EXPECT_EQ(web.post("/2078", R"({"chnMask":"11","resetMask":"00","fileSize":10})"), kRes0);
  (void)web.sent();
  // Ids outside 0 to 63 are skipped, not shifted into the mask.
  const std::string start =
      web.post("/2080", R"({"chnAry":[1,2,64,-1,"x"],"reset":1,"url":"http://srv/fw.bin"})");
  EXPECT_EQ(start, kJsonHeader + R"({ "chnid": 6, "status": [ 100, 100 ], "chnMask": )"
                                 R"("0110000000000000" })");
  auto sent = web.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3379u);
  EXPECT_EQ(sent[0].hex, Bytes()
                             .channel_mask(0x6)
                             .i32(1)
                             .i32(0)
                             .i32(0)
                             .text("http://srv/fw.bin", 128)
                             .text("/dev/shm/updateIPCFM.bin", 132)
                             .hex());
  EXPECT_EQ(web.get("/2079"), kTextHeader +
                                  "chnid=6\r\nstatus1=100\r\nstatus2=100\r\n"
                                  "chnMask=0110000000000000\r\n");
  (void)web.sent();
  EXPECT_EQ(web.post("/2081", R"({"stop":1})"), "");
  sent = web.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3390u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(1).hex());
}

TEST_F(FeatureRequests, QueriesAnswerTheCamerasRecords) {
  JsonTree motion(web.post("/2051", R"({"chnid":3})").substr(kJsonHeader.size()));
  ASSERT_TRUE(motion.ok());
  EXPECT_EQ(motion.text("chnid"), "3");
  EXPECT_EQ(motion.text("sensitivity"), "5");
  EXPECT_NE(motion.at("effective"), nullptr);
  JsonTree tracking(web.post("/2054", R"({"chnid":2})").substr(kJsonHeader.size()));
  ASSERT_TRUE(tracking.ok());
  EXPECT_EQ(tracking.text("trackingObject"), "3");
  EXPECT_NE(tracking.at("schedule"), nullptr);
  EXPECT_EQ(web.post("/2058", R"({"chnid":1})"),
            kJsonHeader + R"({ "chnid": 1, "enable": 1, "watermark": "NVR" })");
  EXPECT_EQ(web.post("/2062", R"({"chnid":1})"), kJsonHeader + R"({ "chnid": 1, "nightMode": 1 })");
  EXPECT_EQ(web.post("/2057", R"({"chnid":2})"),
            kJsonHeader + R"({ "chnid": 2, "ipaddr": "192.168.1.203", "model": "IPC-B2", )"
                          R"("fwversion": "V5.2.1" })");
  EXPECT_EQ(web.post("/2065", R"({"chnid":2})"),
            kJsonHeader + R"({ "res": 0, "audioSupport": 1, "audioSupportMode": 3, )"
                          R"("audioLineInputSupport": 1, "systemSpeakerSupport": 1, )"
                          R"("systemManualSpeedSupport": 0 })");
  JsonTree audio(web.post("/2063", R"({"chnid":0})").substr(kJsonHeader.size()));
  ASSERT_TRUE(audio.ok());
  EXPECT_EQ(json_object_array_length(audio.at("options")), 3u);
  EXPECT_EQ(audio.text("sampleRate"), "8000");
}

class FeatureAnswers : public nvrtest::AnswerCapture {
 protected:
  std::string answer(int type, const std::string& payload) {
    fresh();
    const std::uint32_t header[8] = {kDvMagic, 0,
                                     1,        static_cast<std::uint32_t>(type),
                                     1,        static_cast<std::uint32_t>(payload.size()),
                                     0,        0};
    on_camera_ipc_callback(nullptr, header, payload.empty() ? nullptr : payload.data());
    return output();
  }
};

TEST_F(FeatureAnswers, AudioCountsAreClampedToTheirArrays) {
  Bytes b;
  b.i32(0).i32(1).i32(1).i32(1).i32(99);  // 99 options
  for (int i = 0; i < 9; ++i) {
    b.i32(i).i32(99);  // 99 sample rates
    for (int j = 0; j < 9; ++j) {
      b.i32(1000 * j).i32(99);  // 99 bitrates
      for (int k = 0; k < 16; ++k) b.i32(k);
    }
  }
  for (int i = 0; i < 11; ++i) b.i32(i);
  ASSERT_EQ(b.str().size(), 5968u);
  std::string out = answer(8371, b.str());
  ASSERT_EQ(out.rfind(kJsonHeader, 0), 0u);
  JsonTree tree(out.substr(kJsonHeader.size()));
  ASSERT_TRUE(tree.ok());
  json_object* options = tree.at("options");
  ASSERT_EQ(json_object_array_length(options), 9u);
  json_object* rates = json_object_object_get(json_object_array_get_idx(options, 8), "sampleRates");
  ASSERT_EQ(json_object_array_length(rates), 8u);
  json_object* bitrates = json_object_object_get(json_object_array_get_idx(rates, 7), "bitrates");
  EXPECT_EQ(json_object_array_length(bitrates), 9u);
  EXPECT_EQ(tree.text("audioBitrate"), "10");
}

TEST_F(FeatureAnswers, ShortAndUnterminatedAnswers) {
  // The camera's log text is cut at the answer's length, with no terminator of its own.
  EXPECT_EQ(answer(8360, "abc"), kTextHeader + "abc");
  EXPECT_EQ(answer(8371, std::string(100, '\0')), kJsonErrorBody);
  EXPECT_EQ(answer(8386, std::string(71, '\0')), kTextErrorBody);
  // A status mask naming cameras past the 16 the answer holds shows only the 16.
  EXPECT_EQ(answer(8386, Bytes().channel_mask(~uint64_t{0} << 15).zeros(60).i32(7).str()),
            kTextHeader + "chnid=-32768\r\nstatus15=7\r\nchnMask=0000000000000001\r\n");
}

}  // namespace
