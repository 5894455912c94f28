// The camera stream and image requests in process: the payload bytes of every change,
// built by hand; bodies with channels or indexes outside their tables answered with the
// error and sending nothing; counts bounded by the arrays and the messages; the exposure
// list as a settings pair.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "camera_bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/settings_pair.h"

namespace {

using camtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;
using nvrtest::kJsonErrorBody;
using nvrtest::kJsonHeader;
using nvrtest::kTextErrorBody;
using nvrtest::kTextHeader;

const std::string kOk = kTextHeader + "OK";

// A camera channel list: the ids, then -1 up to 64 entries.
Bytes& channel_slots(Bytes& b, const std::vector<int>& ids) {
  for (std::size_t i = 0; i < 64; ++i) b.i32(i < ids.size() ? ids[i] : -1);
  return b;
}

// The one message a request sent, of the type expected.
std::string only(const std::vector<JournalEntry>& sent, uint32_t type) {
  EXPECT_EQ(sent.size(), 1u);
  if (sent.empty()) return "";
  EXPECT_EQ(sent[0].type, type);
  return sent[0].hex;
}

class ParamRequests : public ::testing::Test {
 protected:
  void SetUp() override { (void)web.sent(); }
  InProcess& web = InProcess::instance();
};

TEST_F(ParamRequests, SingleStreamChangeSendsTheMaskAndLogsWhatTheCameraTook) {
  const std::string body =
      R"({"id":3,"mainFramerate":25,"mainBitrate":4096,"mainResWidth":1920,"mainResHeight":1080,)"
      R"("subEnable":1,"audioEnable":0,"videoTypeEnable":1,"mainVideoType":1,"IframeInterval":50,)"
      R"("bitrateControl":0,"subResWidth":704,"subResHeight":576,"SubBitrateControl":1,)"
      R"("transmitProtocol":2,"mainBitrateControl":7})";
  std::string mask(64, '0');
  mask[3] = '1';
  EXPECT_EQ(web.post("/2010", body), kJsonHeader + R"({ "res": ")" + mask + "\" }");
  Bytes want;
  want.text(mask, 64).zeros(4).i32(-1).i32(-1).i32(-1).i32(1).i32(1).i32(-1).i32(0);
  want.i32(1).i32(1920).i32(1080).i32(25).i32(4096).i32(50).i32(0).i32(-1).i32(-1);
  want.i32(-1).i32(-1).i32(-1).i32(-1).i32(0);
  want.i32(-1).i32(704).i32(576).i32(-1).i32(-1).i32(-1).i32(1).i32(-1).i32(-1);
  want.i32(-1).i32(-1).i32(-1).i32(-1);
  auto sent = web.sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3203u);
  EXPECT_EQ(sent[0].hex, want.hex());
  EXPECT_EQ(sent[1].type, 3485u);
  OperationLogRecord log = nvrtest::log_record(sent[1]);
  EXPECT_EQ(log.subType, 212);
  EXPECT_EQ(log.paramType, 903);
  EXPECT_EQ(log.channel, 4);
}

TEST_F(ParamRequests, StreamChangesRefused) {
  const std::string ok =
      R"("mainFramerate":25,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,"subEnable":1,)"
      R"("audioEnable":1)";
  for (const std::string& body : std::vector<std::string>{
           "x", "{" + ok + "}", R"({"id":64,)" + ok + "}", R"({"id":-1,)" + ok + "}",
           R"({"id":1,"mainFramerate":-1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,)"
           R"("subEnable":1,"audioEnable":1})",
           R"({"id":1,"mainFramerate":1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,)"
           R"("subEnable":1,"audioEnable":2})",
           R"({"id":1,"mainFramerate":1,"mainBitrate":1,"mainResWidth":1,"mainResHeight":1,)"
           R"("audioEnable":1})"}) {
    EXPECT_EQ(web.post("/2010", body), "") << body;
    EXPECT_TRUE(web.sent().empty()) << body;
  }
  for (const char* query : {R"({"chnid":64})", R"({"chnid":-1})", "", R"({"chnid":"x"})"}) {
    EXPECT_EQ(web.get("/2009", query), kJsonErrorBody) << query;
    EXPECT_TRUE(web.sent().empty()) << query;
  }
}

TEST_F(ParamRequests, BatchStreamChangeTakesTheMaskFromChans) {
  std::vector<int> chans(70, 0);
  chans[0] = chans[2] = chans[63] = 1;
  chans[65] = 1;  // past the 64 channels: ignored
  std::string list;
  for (int c : chans) list += (list.empty() ? "" : ",") + std::to_string(c);
  EXPECT_EQ(web.post("/2030", R"({"chans":[)" + list +
                                  R"(],"transmitProtocol":1,"syncTime":1,"subEnable":0,)"
                                  R"("mainBitrateControl":1,"subBitrateControl":0,"fisheyeType":3,)"
                                  R"("videoTypeEnable":0,"recordtype":2,"bitrateControl":9})"),
            kJsonHeader + R"({ "res": ")" + "1010" + std::string(59, '0') + "1\" }");
  std::string mask = "1010" + std::string(59, '0') + "1";
  Bytes want;
  want.text(mask, 64).zeros(4).i32(1).i32(1).i32(-1).i32(1).i32(0).i32(0).i32(0);
  want.i32(-1).i32(-1).i32(-1).i32(-1).i32(-1).i32(-1).i32(1).i32(-1).i32(-1);
  want.i32(-1).i32(-1).i32(-1).i32(-1).i32(0);
  want.i32(-1).i32(-1).i32(-1).i32(-1).i32(-1).i32(-1).i32(0).i32(-1).i32(-1);
  want.i32(-1).i32(-1).i32(-1).i32(-1);
  EXPECT_EQ(only(web.sent(), 3203), want.hex());
}

TEST_F(ParamRequests, EnhancementChangeTakesItsWrittenKeys) {
  EXPECT_EQ(web.post("/2020", R"({"channel":[1,70,2],"smartir":1,"aflevel":7,"wdraflevel":99,)"
                              R"("dismode":5,"exposeregion":"1,2,3,4","sdkversion":"x"})"),
            kOk);
  Bytes want;
  channel_slots(want, {1, 2}).i32(1);
  for (int i = 1; i < 14; ++i) want.i32(0);
  want.text("1,2,3,4", 64);
  for (int i = 30; i < 41; ++i) want.i32(0);
  want.i32(7).i32(0).i32(0).i32(0).i32(0).zeros(32).i32(0).i32(0).i32(0);
  EXPECT_EQ(only(web.sent(), 3280), want.hex());
  EXPECT_EQ(web.post("/2020", R"({"smartir":1})"), "");
  EXPECT_TRUE(web.sent().empty());
}

TEST_F(ParamRequests, DisplayChangeTakesItsWrittenKeys) {
  EXPECT_EQ(web.post("/2022", R"({"id":6,"colorkiller":1,"whiteLedLevel":40,)"
                              R"("smartwhitestrength":99,"saveCorridor":1,)"
                              R"("whiteledBrightness":77,"productmodel":"X"})"),
            kOk);
  Bytes want;
  want.i32(6).i32(1);
  for (int i = 1; i < 13; ++i) want.i32(0);
  want.i32(1);
  for (int i = 14; i < 64; ++i) want.i32(0);
  want.i32(40);
  for (int i = 65; i < 86; ++i) want.i32(0);
  want.i32(77).i32(0).i32(0);
  EXPECT_EQ(only(web.sent(), 3224), want.hex());
  for (const char* body : {R"({"id":64,"colorkiller":1})", R"({"colorkiller":1})"}) {
    EXPECT_EQ(web.post("/2022", body), kTextErrorBody) << body;
    EXPECT_TRUE(web.sent().empty());
  }
}

TEST_F(ParamRequests, CommonParametersAndTheRateControlPause) {
  nvrtest::JsonTree got(web.post("/2023", R"({"id":1,"pagename":"","httpname":"h","key":"k",)"
                                          R"("value":"ignored"})")
                            .substr(kJsonHeader.size()));
  EXPECT_EQ(got.plain(), R"({"id":1,"pagename":"","httpname":"h","key":"k","value":"1"})");
  EXPECT_EQ(only(web.sent(), 3225),
            Bytes().i32(1).zeros(64).text("h", 64).text("k", 128).zeros(128).i32(1).hex());
  // 50 poll steps: 2 s on the recorder, 50 ms under the test seam.
  const long pause_us = 50 * nvrtest::IpcSeam{}.poll_us;
  for (const char* key : {"ratecontrol1", "ratecontrol2"}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(
        web.post("/2024", std::string(R"({"id":1,"pagename":"image","httpname":"h","key":")") +
                              key + R"(","value":"3"})"),
        kOk);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::microseconds>(
                  std::chrono::steady_clock::now() - start)
                  .count(),
              pause_us)
        << key;
    EXPECT_EQ(
        only(web.sent(), 3226),
        Bytes().i32(1).text("image", 64).text("h", 64).text(key, 128).text("3", 128).i32(0).hex());
  }
  EXPECT_EQ(web.post("/2024", R"({"id":99,"key":"k","value":"1"})"), kTextErrorBody);
  EXPECT_TRUE(web.sent().empty());
}

TEST_F(ParamRequests, ImageModeChangeFillsOneSlot) {
  EXPECT_EQ(web.post("/2038", R"({"channel":2,"id":1,"enable":1,"startHour":18,"startMinute":0,)"
                              R"("endHour":6,"endMinute":0,"exposureLevel":70,"minShutter":1,)"
                              R"("maxShutter":40,"gainLevel":80,"irCutLatency":5,"irCutState":1,)"
                              R"("irLedState":1,"colorMode":1})"),
            kOk);
  Bytes want;
  want.i32(2).zeros(56);
  for (int v : {1, 1, 18, 0, 6, 0, 70, 1, 40, 80, 5, 1, 1, 1}) want.i32(v);
  want.zeros(5 * 56).i32(0).zeros(680).i32(0);
  EXPECT_EQ(only(web.sent(), 3279), want.hex());
  // Mode indexes outside the 7 slots and channels outside 0..63.
  for (const char* body : {R"({"channel":2,"id":7,"enable":1})", R"({"channel":2,"id":-1})",
                           R"({"channel":2,"id":1000})", R"({"channel":2})",
                           R"({"channel":64,"id":0})", R"({"id":0})"}) {
    EXPECT_EQ(web.post("/2038", body), kJsonErrorBody) << body;
    EXPECT_TRUE(web.sent().empty()) << body;
  }
}

TEST_F(ParamRequests, ImageModeBatchIsBoundedByItsArrays) {
  std::string images;
  for (int i = 0; i < 8; ++i)
    images += std::string(i ? "," : "") + R"({"enable":1,"gainLevel":)" + std::to_string(i) + "}";
  const std::string tail = R"(,"image":[)" + images +
                           R"(],"hasSche":1,"effective":[{"startTime":")" + std::string(40, 's') +
                           R"(","endTime":"20:00","templateId":2}]})";
  Bytes table;
  for (int i = 0; i < 7; ++i) {
    table.i32(1).i32(1);
    for (int k = 0; k < 7; ++k) table.i32(0);
    table.i32(i).i32(0).i32(0).i32(0).i32(0);
  }
  table.i32(1).text(std::string(31, 's'), 32).text("20:00", 32).i32(2).zeros(9 * 68).i32(0);
  const struct {
    std::string head;
    std::vector<int> channels;
  } cases[] = {
      {R"({"cnt":2,"chnid":[3,-1])", {3}},
      {R"({"cnt":100,"chnid":[70,4,-2,63])", {4, 63}},
      {R"({"cnt":1,"chnid":[5,6])", {5}},
      {R"({"cnt":-3,"chnid":[5,6])", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(web.post("/2047", c.head + tail), kOk) << c.head;
    auto sent = web.sent();
    ASSERT_EQ(sent.size(), c.channels.size()) << c.head;
    for (std::size_t i = 0; i < sent.size(); ++i) {
      EXPECT_EQ(sent[i].type, 3279u);
      EXPECT_EQ(sent[i].hex, Bytes().i32(c.channels[i]).hex() + table.hex()) << c.head;
    }
  }
}

TEST_F(ParamRequests, AreaChangeAndSelection) {
  EXPECT_EQ(
      web.post("/2040", R"({"enable":1,"cnt":3,"chnid":[5,99,7,8],)"
                        R"("area":[{"enable":1,"left":10,"top":20,"right":30,"bottom":40}]})"),
      kOk);
  Bytes want;
  want.i32(5).i32(7).zeros(62 * 4).i32(1).i32(2).i32(1).i32(10).i32(20).i32(30).i32(40);
  want.zeros(15 * 20);
  EXPECT_EQ(only(web.sent(), 3288), want.hex());

  EXPECT_EQ(web.post("/2050", R"({"chan_id":4,"area_id":16})"), kOk);
  EXPECT_EQ(only(web.sent(), 3284), Bytes().i32(4).i32(16).hex());
  for (const char* body : {R"({"chan_id":4,"area_id":17})", R"({"chan_id":64,"area_id":0})",
                           R"({"chan_id":4,"area_id":-1})"}) {
    EXPECT_EQ(web.post("/2050", body), kJsonErrorBody) << body;
    EXPECT_TRUE(web.sent().empty());
  }
}

// A schedule body of 8 days of 11 entries; entry j of day d starts at "d:j" and its end
// text is 40 characters long.
std::string schedule_body(bool exposure) {
  std::string days;
  for (int d = 0; d < 8; ++d) {
    std::string entries;
    for (int j = 0; j < 11; ++j) {
      entries += std::string(j ? "," : "") + "[\"" + std::to_string(d) + ":" + std::to_string(j) +
                 "\",\"" + std::string(40, 'e') + "\"," + std::to_string(100 * d + j);
      if (exposure) entries += "," + std::to_string(d) + "," + std::to_string(j);
      entries += "]";
    }
    days += std::string(d ? "," : "") + "[" + entries + "]";
  }
  return R"({"channel":[0,64,2],"schedule":[)" + days + "]}";
}

// The change message: the channel list, days 0..6 with slots 0..9 filled, cut at `length`.
std::string schedule_bytes(bool exposure, std::size_t length) {
  Bytes b;
  channel_slots(b, {0, 2});
  for (int d = 0; d < 8; ++d) {
    for (int j = 0; j < 48; ++j) {
      const bool filled = d < 7 && j < 10;
      b.text(filled ? std::to_string(d) + ":" + std::to_string(j) : "", 32)
          .text(filled ? std::string(31, 'e') : "", 32)
          .i32(filled ? 100 * d + j : 0);
      if (exposure) b.i32(filled ? d : 0).i32(filled ? j : 0);
    }
    if (!exposure) b.zeros(8);
  }
  return b.str().substr(0, length);
}

TEST_F(ParamRequests, ScheduleChangesFillSevenDaysOfTenSlots) {
  const struct {
    const char* path;
    uint32_t type;
    bool exposure;
    std::size_t length;
  } cases[] = {
      {"/2042", 3281, false, 26180}, {"/2044", 3282, true, 29188}, {"/2046", 3283, false, 26180}};
  for (const auto& c : cases) {
    EXPECT_EQ(web.post(c.path, schedule_body(c.exposure)), kOk) << c.path;
    auto sent = web.sent();
    ASSERT_EQ(sent.size(), 1u) << c.path;
    EXPECT_EQ(sent[0].type, c.type);
    EXPECT_EQ(sent[0].length, c.length);
    EXPECT_EQ(nvrtest::bytes_of(sent[0]), schedule_bytes(c.exposure, c.length)) << c.path;
    EXPECT_EQ(web.post(c.path, R"({"channel":[1]})"), "") << c.path;
    EXPECT_TRUE(web.sent().empty());
  }
}

TEST_F(ParamRequests, ScheduleModeAndAreaQueriesNeedAChannel) {
  for (const char* path : {"/2037", "/2039", "/2041", "/2043", "/2045"})
    for (const char* body : {R"({"id":64})", R"({"id":-1})", "{}"}) {
      EXPECT_EQ(web.post(path, body), kJsonErrorBody) << path << " " << body;
      EXPECT_TRUE(web.sent().empty());
    }
  for (const char* path : {"/2019", "/2021", "/2023"}) {
    EXPECT_EQ(web.post(path, R"({"id":64})"), kTextErrorBody) << path;
    EXPECT_TRUE(web.sent().empty());
  }
}

TEST(ExposureList, SettingsPair) {
  nvrtest::check_settings_pair(
      {.name = "exposure list",
       .set_path = "/2048",
       .body = R"({"channel":5,"exposure":[{"exposureTime":10,"gainLevel":20},7,)"
               R"({"exposureTime":30,"gainLevel":40}]})",
       .get_path = "/2049",
       .get_query = R"({"channel":5})",
       .get_contains = R"({"exposure":[{"exposureTime":10,"gainLevel":20},)"
                       R"({"exposureTime":30,"gainLevel":40}]})",
       .refused = {"not json", R"({"channel":5,"exposure":3})", R"({"channel":5})"},
       .table = "exposure"});
}

TEST(ExposureList, BoundsAndEmptyLists) {
  InProcess& web = InProcess::instance();
  std::string many;
  for (int i = 0; i < 150; ++i)
    many += std::string(i ? "," : "") + R"({"exposureTime":)" + std::to_string(i) +
            R"(,"gainLevel":1})";
  EXPECT_EQ(web.post("/2048", R"({"channel":9,"exposure":[)" + many + "]}"), kOk);
  nvrtest::JsonTree list(web.post("/2049", R"({"channel":9})").substr(kJsonHeader.size()));
  ASSERT_TRUE(list.ok());
  EXPECT_EQ(json_object_array_length(list.at("exposure")), 140u);
  EXPECT_EQ(web.post("/2049", R"({"channel":10})"), kJsonErrorBody);  // never stored
  EXPECT_EQ(web.post("/2048", R"({"channel":10,"exposure":[]})"), kOk);
  EXPECT_EQ(web.post("/2049", R"({"channel":10})"), kJsonErrorBody);  // stored empty
  EXPECT_EQ(web.post("/2049", R"({"channel":64})"), kJsonErrorBody);
  EXPECT_EQ(web.post("/2048", R"({"channel":64,"exposure":[]})"), kJsonErrorBody);
  EXPECT_TRUE(web.sent().empty());
}

}  // namespace
