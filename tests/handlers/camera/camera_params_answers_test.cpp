// The camera stream and image answers in-process: answer bytes built by hand become the
// page's JSON, short answers and channel ids outside the store give the error body.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "camera/camera_ipc.h"
#include "camera/camera_record.h"
#include "camera/osd_record.h"
#include "camera_bytes.h"
#include "cgi_ipc.h"
#include "support/answer_capture.h"
#include "support/json_tree.h"

namespace {

const std::string kText = "Content-type: text/plain\r\n\r\n";
const std::string kJson = "Content-type: application/json\r\n\r\n";
const std::string kJsonError = kJson + R"({status:"CGI ERROR"})";

using camtest::Bytes;
using camtest::Sizes;
using camtest::stream_answer;
using nvrtest::JsonTree;

class ParamAnswers : public nvrtest::AnswerCapture {
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
  std::string json(int type, const std::string& payload) {
    std::string out = answer(type, payload);
    return out.rfind(kJson, 0) == 0 ? out.substr(kJson.size()) : "not JSON: " + out;
  }
};

TEST(ParamAnswerTables, EveryParameterAnswerIsRoutedOnce) {
  std::set<int> seen;
  for (const IpcAnswerTable& table : CameraRouter::kTables)
    for (const IpcAnswerRoute& row : table) EXPECT_TRUE(seen.insert(row.answer_type).second);
  for (int type : {8203, 8204, 8221, 8222, 8223, 8224, 8225, 8226, 8271, 8273, 8275, 8277, 8278})
    EXPECT_EQ(seen.count(type), 1u) << type;
}

TEST_F(ParamAnswers, StreamSettingsJoinTheStoredChannel) {
  CameraRecord cam;
  ASSERT_EQ(store_read(kStoreMain, 5, &cam), 0);
  cam.manage_port = 8080;
  cam.https_port = 8443;
  cam.sync_time = 1;
  ASSERT_EQ(store_write(kStoreMain, cam), 0);
  OsdRecord osd;
  ASSERT_EQ(store_read(kStoreMain, 5, &osd), 0);
  std::snprintf(osd.name, sizeof osd.name, "Yard");
  ASSERT_EQ(store_write(kStoreMain, osd), 0);

  JsonTree o(json(8204, stream_answer(0, 5, {{2560, 1440}, {1920, 1080}}, 1920, 1080)));
  ASSERT_TRUE(o.ok());
  const std::vector<std::string> keys = {"stateCode",
                                         "id",
                                         "name",
                                         "subEnable",
                                         "audioEnable",
                                         "videoTypeEnable",
                                         "mainVideoType",
                                         "subVideoType",
                                         "ipc_type",
                                         "syncTime",
                                         "protocol",
                                         "managePort",
                                         "physicalport",
                                         "poechannel",
                                         "mac_addr",
                                         "transmitProtocol",
                                         "ddns",
                                         "httpsPort",
                                         "mainStream",
                                         "subStream",
                                         "SupportSmartStream",
                                         "SmartStream",
                                         "SmartStreamLevel",
                                         "SubSupportSmartStream",
                                         "SubSmartStream",
                                         "SubSmartStreamLevel",
                                         "main",
                                         "sub",
                                         "mainGop",
                                         "subGop",
                                         "thirdGop"};
  EXPECT_EQ(o.keys(), keys);
  EXPECT_EQ(o.text("name"), R"("Yard")");
  EXPECT_EQ(o.text("managePort"), "8080");
  EXPECT_EQ(o.text("httpsPort"), "8443");
  EXPECT_EQ(o.text("syncTime"), "1");
  EXPECT_EQ(o.text("ipc_type"), "5");
  EXPECT_EQ(o.text("SmartStreamLevel"), "3");
  EXPECT_EQ(o.text("thirdGop"), "10");
  EXPECT_EQ(
      o.text("main"),
      R"({"curRes":1,"res":[{"width":2560,"height":1440,"name":"2560*1440"},)"
      R"({"width":1920,"height":1080,"name":"1920*1080"}],"framerateMax":30,)"
      R"("framerateMin":1,"bitrateMax":8192,"bitrateMin":256,"framerate":25,"bitrate":4096,)"
      R"("iframeinterval":50,"iframeIntervalMin":1,"iframeIntervalMax":200,"bitrateCtrl":2})");
  EXPECT_EQ(
      o.text("sub"),
      R"({"curRes":0,"res":[{"width":704,"height":576,"name":"704*576"}],"framerateMax":15,)"
      R"("framerateMin":1,"bitrateMax":2048,"bitrateMin":64,"framerate":15,"bitrate":1024,)"
      R"("iframeinterval":30,"iframeIntervalMin":1,"iframeIntervalMax":100,"bitrateCtrl":0})");
}

TEST_F(ParamAnswers, StreamResolutionLists) {
  Sizes full;
  for (int i = 0; i < 24; ++i) full.emplace_back(320 + 16 * i, 240 + 8 * i);
  const struct {
    const char* name;
    Sizes sizes;
    int width, height;
    int entries, current;
  } cases[] = {
      {"24 pairs", full, full[23].first, full[23].second, 24, 23},
      {"third width 0", {{1920, 1080}, {1280, 720}, {0, 480}, {640, 480}}, 1280, 720, 2, 1},
      {"third height 0", {{1920, 1080}, {1280, 720}, {640, 0}}, 1920, 1080, 2, 0},
      {"current not listed", {{1920, 1080}, {1280, 720}}, 800, 600, 2, 0},
  };
  for (const auto& c : cases) {
    JsonTree o(json(8204, stream_answer(0, 0, c.sizes, c.width, c.height)));
    ASSERT_TRUE(o.ok()) << c.name;
    json_object* main = o.at("main");
    EXPECT_EQ(json_object_array_length(json_object_object_get(main, "res")),
              static_cast<std::size_t>(c.entries))
        << c.name;
    EXPECT_EQ(json_object_get_int(json_object_object_get(main, "curRes")), c.current) << c.name;
  }
}

TEST_F(ParamAnswers, StreamStateShortAnswersAndChannelsOutsideTheStore) {
  EXPECT_EQ(json(8204, stream_answer(3, 0, {}, 0, 0)), R"({ "stateCode": 3 })");
  for (int channel : {64, -1, 1 << 20})
    EXPECT_EQ(answer(8204, stream_answer(0, channel, {{1920, 1080}}, 1920, 1080)), kJsonError)
        << channel;
  // One byte short of the record: no record at all.
  EXPECT_EQ(answer(8204, stream_answer(0, 1, {}, 0, 0).substr(0, 619)), kJsonError);
}

TEST_F(ParamAnswers, StreamChangeResultMask) {
  std::string text(64, '0');
  text[3] = text[40] = '1';
  EXPECT_EQ(json(8203, Bytes().channel_mask((uint64_t{1} << 3) | (uint64_t{1} << 40)).str()),
            R"({ "res": ")" + text + "\" }");
  EXPECT_EQ(g_callback_done, 2);  // taken by a camera: the handler logs it
  EXPECT_EQ(json(8203, Bytes().channel_mask(0).str()),
            R"({ "res": ")" + std::string(64, '0') + "\" }");
  EXPECT_EQ(g_callback_done, 1);
  EXPECT_EQ(answer(8203, Bytes().i32(1).str()), kJsonError);
}

TEST_F(ParamAnswers, ChangeStatusAnswers) {
  for (int type : {8222, 8224, 8226}) {
    EXPECT_EQ(answer(type, Bytes().i32(0).str()), kText + "OK") << type;
    EXPECT_EQ(answer(type, Bytes().i32(7).str()), kText + "ERROR") << type;
    EXPECT_EQ(answer(type, "ab"), kText + "CGI ERROR") << type;
  }
}

TEST_F(ParamAnswers, EnhancementAndDisplayRecords) {
  Bytes e;
  e.i32(9);
  for (int i = 0; i < 14; ++i) e.i32(i);
  e.text("0,0,10,10", 64);
  for (int i = 30; i < 46; ++i) e.i32(i);
  e.text(std::string(32, 'v'), 32);  // fills its field: read within it
  e.i32(54).i32(55).i32(56);
  JsonTree o(json(8221, e.str()));
  ASSERT_TRUE(o.ok());
  EXPECT_EQ(o.keys().front(), "id");
  EXPECT_EQ(o.text("id"), "9");
  EXPECT_EQ(o.text("exposemode"), "13");
  EXPECT_EQ(o.text("exposeregion"), R"("0,0,10,10")");
  EXPECT_EQ(o.text("wdraflevel"), "41");
  EXPECT_EQ(o.text("sdkversion"), "\"" + std::string(32, 'v') + "\"");
  EXPECT_EQ(o.text("reduceVideoStuttering"), "55");
  EXPECT_EQ(answer(8221, e.str().substr(0, 231)), kText + "CGI ERROR");

  Bytes d;
  d.i32(2);
  for (int i = 0; i < 22; ++i) d.i32(i);
  d.text("MIPI", 64);
  for (int i = 38; i < 43; ++i) d.i32(i);
  d.text("IMX", 16).text("M1", 32).text("V1", 32).i32(63).i32(64).i32(65).text("S", 32);
  for (int i = 74; i < 89; ++i) d.i32(i);
  JsonTree v(json(8223, d.str()));
  ASSERT_TRUE(v.ok());
  EXPECT_EQ(v.text("smartwhitestrength"), "64");
  EXPECT_EQ(v.text("zoomLimit"), "78");
  EXPECT_EQ(v.text("productmodel"), R"("M1")");
  for (const char* written_only : {"saveCorridor", "whiteLedLevel", "whiteledBrightness"})
    EXPECT_EQ(v.text(written_only), "(absent)") << written_only;
}

TEST_F(ParamAnswers, CommonParameter) {
  std::string a = Bytes()
                      .i32(4)
                      .i32(99)
                      .text("image", 64)
                      .text("http", 64)
                      .text("ratecontrol1", 128)
                      .text("2", 128)
                      .str();
  EXPECT_EQ(json(8225, a), R"({ "id": 4, "pagename": "image", "httpname": "http", )"
                           R"("key": "ratecontrol1", "value": "2" })");
}

TEST_F(ParamAnswers, ImageModesAndAreas) {
  Bytes m;
  m.i32(3);
  for (int mode = 0; mode < 7; ++mode)
    for (int k = 0; k < 14; ++k) m.i32(mode * 100 + k);
  m.i32(1).zeros(680).i32(0);
  JsonTree o(json(8278, m.str()));
  ASSERT_TRUE(o.ok());
  json_object* image = o.at("image");
  ASSERT_EQ(json_object_array_length(image), 7u);
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(image, 6), JSON_C_TO_STRING_PLAIN),
      R"({"id":6,"enable":601,"startHour":602,"startMinute":603,"endHour":604,)"
      R"("endMinute":605,"exposureLevel":606,"maxShutter":608,"minShutter":607,)"
      R"("gainLevel":609,"irCutLatency":610,"irCutState":611,"irLedState":612,)"
      R"("colorMode":613})");
  EXPECT_EQ(answer(8278, m.str().substr(0, 1083)), kJsonError);

  Bytes a;
  a.i32(3).i32(1).i32(0).text("V2", 32);
  for (int i = 0; i < 16; ++i) a.i32(i % 2).i32(i).i32(i + 1).i32(i + 2).i32(i + 3);
  JsonTree r(json(8271, a.str()));
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.keys(), (std::vector<std::string>{"enable", "sdkversion", "area"}));
  ASSERT_EQ(json_object_array_length(r.at("area")), 16u);
  EXPECT_STREQ(json_object_to_json_string_ext(json_object_array_get_idx(r.at("area"), 15),
                                              JSON_C_TO_STRING_PLAIN),
               R"({"id":15,"enable":1,"left":15,"top":16,"right":17,"bottom":18})");
  EXPECT_EQ(answer(8271, a.str().substr(0, 363)), kJsonError);
}

// A schedule answer: the channel id, then 8 rows of 48 slots of `ints` ints after the two
// texts, and `tail` bytes per row; slot j of day d reads "d:j".
std::string schedule_answer(int ints, std::size_t tail) {
  Bytes b;
  b.i32(1);
  for (int d = 0; d < 8; ++d) {
    for (int j = 0; j < 48; ++j) {
      b.text(std::to_string(d) + ":" + std::to_string(j), 32).text("23:59", 32);
      for (int k = 0; k < ints; ++k) b.i32(100 * d + j + k);
    }
    b.zeros(tail);
  }
  return b.str();
}

TEST_F(ParamAnswers, SchedulesShowSevenDays) {
  const struct {
    int type;
    std::string payload;
    std::size_t slots;
    std::string last;
  } cases[] = {
      {8273, schedule_answer(1, 8), 10,
       R"({"startTime":"6:9","endTime":"23:59","actionType":609})"},
      {8277, schedule_answer(1, 8), 12,
       R"({"startTime":"6:11","endTime":"23:59","actionType":611})"},
      {8275, schedule_answer(3, 0), 12,
       R"({"startTime":"6:11","endTime":"23:59","actionType":611,"exposureTime":612,)"
       R"("gainLevel":613})"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(c.payload.size(), c.type == 8275 ? 29188u : 26180u);
    JsonTree o(json(c.type, c.payload));
    ASSERT_TRUE(o.ok()) << c.type;
    json_object* days = o.at("schedule");
    ASSERT_EQ(json_object_array_length(days), 7u);
    json_object* day6 = json_object_array_get_idx(days, 6);
    ASSERT_EQ(json_object_array_length(day6), c.slots) << c.type;
    EXPECT_EQ(json_object_to_json_string_ext(json_object_array_get_idx(day6, c.slots - 1),
                                             JSON_C_TO_STRING_PLAIN),
              c.last);
    EXPECT_EQ(answer(c.type, c.payload.substr(0, c.payload.size() - 1)), kJsonError) << c.type;
  }
}

}  // namespace
