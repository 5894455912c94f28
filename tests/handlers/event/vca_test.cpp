// Smart-event (VCA) pages in process against one coresim: the camera records each answer
// writer reads (built here by hand), the records each setter sends (checked at their
// offsets), the coordinate conversions, and the range checks of the linkage pages.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cgi.h"
#include "cgi_ipc.h"
#include "event/vca_core.h"
#include "event/video_ipc.h"
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

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

InProcess& web() {
  return InProcess::instance();
}

// Feeds one answer to the module's callback; what it wrote.
std::string deliver(int type, const std::string& payload) {
  FILE* out = std::tmpfile();
  cgiOut = out;
  cgi_ipc_begin_exchange();
  const std::uint32_t header[8] = {kDvMagic, 0,
                                   1,        static_cast<std::uint32_t>(type),
                                   1,        static_cast<std::uint32_t>(payload.size()),
                                   0,        0};
  on_video_ipc_callback(nullptr, header, payload.data());
  std::fflush(out);
  std::rewind(out);
  std::string s;
  char buf[1024];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, out)) > 0;) s.append(buf, n);
  cgiOut = nullptr;
  std::fclose(out);
  return s;
}

std::string json_plain(const std::string& out) {
  EXPECT_EQ(out.rfind(kJson, 0), 0u) << out;
  return JsonTree(out.size() >= kJson.size() ? out.substr(kJson.size()) : "").plain();
}

// Bytes n..n+len of a payload.
std::string at(const std::string& bytes, std::size_t offset, std::size_t length) {
  return offset + length <= bytes.size() ? bytes.substr(offset, length) : std::string();
}

// The message of `type` among those sent, its payload as bytes.
std::string sent_payload(const std::vector<JournalEntry>& sent, std::uint32_t type) {
  for (const JournalEntry& e : sent)
    if (e.type == type) return nvrtest::bytes_of(e);
  ADD_FAILURE() << "nothing of type " << type << " was sent";
  return {};
}

// An area record: channel 3, on, the given event values, one region with two polygons.
std::string area_record() {
  return Bytes()
      .i32(3)
      .i32(1)
      .zeros(16)
      .i32(40)  // sensitivity
      .i32(12)  // time
      .i32(3)   // size
      .i32(7)   // tracks
      .text("0110", 300)
      .i32(4)  // ignore time
      .i32(2)  // object type
      .text("1,2,3", 64)
      .text("4,5,6", 64)
      .zeros(4480 - 476);
}

TEST(VcaAnswers, AreaPagesPickTheirKeys) {
  const std::string rec = area_record();
  struct Row {
    int type;
    std::string expected;
  } rows[] = {
      {8237, R"({"region":"0110","enable":1,"sensitivity":40,"objtype":2,"polygonX":"1,2,3",)"
             R"("polygonY":"4,5,6"})"},
      {8238, R"({"region":"0110","enable":1,"sensitivity":40,"objtype":2,"polygonX":"1,2,3",)"
             R"("polygonY":"4,5,6"})"},
      {8239, R"({"region":"0110","enable":1,"sensitivity":40,"ignore_time":4,"objtype":2,)"
             R"("polygonX":"1,2,3","polygonY":"4,5,6"})"},
      {8240, R"({"enable":1,"sensitivity":40})"},
      {8242, R"({"region":"0110","enable":1,"time":12,"size":3,"objtype":2,)"
             R"("polygonX":"1,2,3","polygonY":"4,5,6"})"},
      {8243, R"({"enable":1,"tracks":7})"},
  };
  for (const Row& row : rows)
    EXPECT_EQ(json_plain(deliver(row.type, rec)), row.expected) << row.type;
  // A short record is no record: nothing is written.
  EXPECT_EQ(deliver(8237, rec.substr(0, 4479)), "");
}

TEST(VcaAnswers, LineAndObjectRecords) {
  Bytes line;
  line.i32(2).i32(1).i32(1920).i32(1080);
  line.i32(960).i32(540).i32(0).i32(1080).i32(1).zeros(104);
  for (int l = 1; l < 4; ++l) line.zeros(124);
  line.i32(2).text("", 65).zeros(31);
  EXPECT_EQ(json_plain(deliver(8241, line)),
            R"({"line":[{"direction":1,"position":"230;130;1;260"},)"
            R"({"direction":0,"position":"1;1;1;1"},{"direction":0,"position":"1;1;1;1"},)"
            R"({"direction":0,"position":"1;1;1;1"}],"enable":1,"width":1920,"height":1080,)"
            R"("objtype":2})");

  const std::string object = Bytes()
                                 .i32(1)
                                 .i32(60)
                                 .i32(1)
                                 .i32(0)
                                 .i32(30)
                                 .zeros(16)
                                 .text("11", 300)
                                 .text("7", 64)
                                 .text("8", 64)
                                 .str() +
                             std::string(4468 - 464, '\0');
  EXPECT_EQ(json_plain(deliver(8268, object)),
            R"({"region":"11","left_enable":1,"remove_enable":0,"min_time":30,)"
            R"("sensitivity":60,"polygonX":"7","polygonY":"8"})");
}

TEST(VcaAnswers, SettingsPeopleAndSupport) {
  const std::string settings = Bytes()
                                   .i32(0)
                                   .i32(1)
                                   .i32(8)
                                   .i32(0)
                                   .i32(1)
                                   .i32(1)
                                   .i32(1920)
                                   .i32(1080)
                                   .i32(960)
                                   .i32(540)
                                   .i32(96)
                                   .i32(54)
                                   .i32(0)
                                   .i32(0)
                                   .i32(1920)
                                   .i32(1080);
  EXPECT_EQ(json_plain(deliver(8259, settings)),
            R"({"fps":8,"mode":0,"installation":1,"analysis":1,"width":1920,"height":1080,)"
            R"("vcaType":1,"minStartX":960,"minStartY":540,"minWidth":96,"minHeight":54,)"
            R"("maxStartX":0,"maxStartY":0,"maxWidth":1920,"maxHeight":1080,"position":[)"
            R"({"minStartX":230,"minStartY":130,"minWidth":23,"minHeight":13,"maxStartX":1,)"
            R"("maxStartY":1,"maxWidth":460,"maxHeight":260}]})");

  Bytes people;
  people.i32(5).i32(1920).i32(1080).i32(1).i32(2).i32(3).i32(50).u32(0xffffff04).i32(1);
  people.zeros(64 - 36);
  people.u32(0x01000101).i32(960).i32(0).i32(960).i32(1080).i32(6).i32(23).i32(59).i32(58);
  people.i32(1).zeros(16);
  for (int l = 1; l < 4; ++l) people.zeros(56);
  const std::string bytes = people.str() + std::string(26536 - 288, '\0');
  const std::string got = json_plain(deliver(8253, bytes));
  EXPECT_NE(got.find(R"({"width":1920,"height":1080,"osdEnable":1,"osdFontSize":2,)"
                     R"("osdTextPos":3,"osdType":4,"sensitivity":50,"lineNum":1,)"
                     R"("lineEnable":[1,0,0,0],"autoResetEnable":[1,0,0,0],)"
                     R"("direction":[0,0,0,0],"showCntEnable":[1,0,0,0],)"
                     R"("startX":[960,0,0,0])"),
            std::string::npos)
      << got;
  EXPECT_NE(got.find(R"("autoResetHour":[23,0,0,0],"autoResetMin":[59,0,0,0],)"
                     R"("autoResetSec":[58,0,0,0],"position":["230;1;230;260","1;1;1;1",)"),
            std::string::npos)
      << got;

  Bytes support;
  for (int t = 0; t < 3; ++t) support.i32(t).i32(t != 1).zeros(36);
  EXPECT_EQ(json_plain(deliver(8257, support)),
            R"([{"support":1,"type":0},{"support":0,"type":1},{"support":1,"type":2}])");
}

TEST(VcaCoordinates, PartCasesAndLargeValues) {
  EXPECT_EQ(vca_from_web(230, 1920, kVcaWebWidth), 960);
  EXPECT_EQ(vca_from_web(130, 1080, kVcaWebHeight), 540);
  EXPECT_EQ(vca_to_web(960, 1920, kVcaWebWidth), 230);
  EXPECT_EQ(vca_to_web(540, 1080, kVcaWebHeight), 130);
  EXPECT_EQ(vca_from_web(0, 1920, kVcaWebWidth), 1);
  EXPECT_EQ(vca_to_web(0, 1920, kVcaWebWidth), 1);
  EXPECT_EQ(vca_to_web(5, 0, kVcaWebWidth), 0);
  // Products beyond 32 bits.
  EXPECT_EQ(vca_to_web(100000000, 200000000, kVcaWebWidth), 230);
  EXPECT_EQ(vca_from_web(460, 2000000000, kVcaWebWidth), 2000000000);
  EXPECT_EQ(vca_from_web(2000000000, 2000000000, kVcaWebWidth), INT32_MAX);

  int32_t p[4];
  vca_parse_position("230;130", p);
  EXPECT_EQ(std::vector<int32_t>(p, p + 4), (std::vector<int32_t>{230, 130, 0, 0}));
  vca_parse_position("1;2;3;4;5", p);
  EXPECT_EQ(std::vector<int32_t>(p, p + 4), (std::vector<int32_t>{1, 2, 3, 4}));
  // Only the first 31 characters are read.
  vca_parse_position((std::string(28, '0') + "1;9;9;9").c_str(), p);
  EXPECT_EQ(std::vector<int32_t>(p, p + 4), (std::vector<int32_t>{1, 9, 0, 0}));
  const int32_t wide[4] = {INT32_MIN, INT32_MAX, -1, 0};
  char text[64];
  vca_format_position(wide, text, sizeof text);
  EXPECT_STREQ(text, "-2147483648;2147483647;-1;0");
  char small[8];
  vca_format_position(wide, small, sizeof small);
  EXPECT_STREQ(small, "-214748");
}

TEST(VcaSetters, AreaRecordAndRegionsByType) {
  (void)web().sent();
  // Five regions, each with six polygons: four regions are read, and of type 1 only the
  // first polygon of each.
  std::string info = "[";
  for (int r = 0; r < 5; ++r) {
    info += std::string(r ? "," : "") + R"({"enable":1,"objType":)" + std::to_string(r + 1) +
            R"(,"region":[)";
    for (int p = 0; p < 6; ++p)
      info += std::string(p ? "," : "") + R"({"polygonX":"x)" + std::to_string(r) +
              std::to_string(p) + R"(","polygonY":"y"})";
    info += "]}";
  }
  info += "]";
  const std::string body = R"({"chnid":3,"type":0,"enable":1,"sensitivity":40,"region":"01",)"
                           R"("objtype":2,"polygonX":"1,2","polygonY":"3,4","copyChn":"0001",)"
                           R"("regionType":1,"regionScene":2,"regionInfo":)" +
                           info + "}";
  EXPECT_EQ(web().post("/6133", body), kText + "OK");
  std::string rec = sent_payload(web().sent(), 3244);
  ASSERT_EQ(rec.size(), 4480u);
  EXPECT_EQ(at(rec, 0, 8), Bytes().i32(3).i32(1).str());
  EXPECT_EQ(at(rec, 24, 4), Bytes().i32(40).str());
  EXPECT_EQ(at(rec, 40, 3), std::string("01\0", 3));
  EXPECT_EQ(at(rec, 344, 4), Bytes().i32(2).str());
  EXPECT_EQ(at(rec, 348, 4), std::string("1,2\0", 4));
  EXPECT_EQ(at(rec, 476, 5), std::string("0001\0", 5));
  EXPECT_EQ(at(rec, 564, 8), Bytes().i32(1).i32(2).str());
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(at(rec, 572 + 976 * r, 4), Bytes().i32(1).str()) << r;
    EXPECT_EQ(at(rec, 584 + 976 * r, 4), Bytes().i32(r + 1).str()) << r;
    EXPECT_EQ(at(rec, 652 + 976 * r, 4), "x" + std::to_string(r) + "0" + '\0') << r;
    EXPECT_EQ(at(rec, 652 + 976 * r + 192, 64), std::string(64, '\0')) << r;
  }
  EXPECT_EQ(at(rec, 4476, 4), std::string(4, '\0'));

  // Type 2 reads all five polygons; the fifth ends where the next region starts.
  std::string five = body;
  five.replace(five.find(R"("regionType":1)"), 14, R"("regionType":2)");
  EXPECT_EQ(web().post("/6135", five), kText + "OK");
  rec = sent_payload(web().sent(), 3246);
  EXPECT_EQ(at(rec, 652 + 192 * 4, 4), std::string("x04\0", 4));
  EXPECT_EQ(at(rec, 716 + 192 * 4, 2), std::string("y\0", 2));
  EXPECT_EQ(at(rec, 652 + 976 * 3 + 192 * 4, 4), std::string("x34\0", 4));

  // Type 0 reads no regions at all.
  std::string none = body;
  none.replace(none.find(R"("regionType":1)"), 14, R"("regionType":0)");
  EXPECT_EQ(web().post("/6141", none), kText + "OK");
  rec = sent_payload(web().sent(), 3249);
  EXPECT_EQ(at(rec, 572, 4480 - 572), std::string(4480 - 572, '\0'));
}

TEST(VcaSetters, LinePositionsFromTheWebFrame) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6139", R"({"chnid":1,"enable":1,"objtype":1,"width":1920,)"
                                R"("height":1080,"line":[{"direction":2,"position":"230;130"},)"
                                R"({"direction":1,"position":"460;260;0;0"},{},{},{"direction":)"
                                R"(3,"position":"9;9;9;9"}]})"),
            kText + "OK");
  const std::string rec = sent_payload(web().sent(), 3248);
  ASSERT_EQ(rec.size(), 612u);
  EXPECT_EQ(at(rec, 0, 16), Bytes().i32(1).i32(1).i32(1920).i32(1080).str());
  EXPECT_EQ(at(rec, 16, 20), Bytes().i32(960).i32(540).i32(1).i32(1).i32(2).str());
  EXPECT_EQ(at(rec, 140, 20), Bytes().i32(1920).i32(1080).i32(1).i32(1).i32(1).str());
  EXPECT_EQ(at(rec, 512, 4), Bytes().i32(1).str());
}

TEST(VcaSetters, SettingsBoxesAndCountReset) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6147", R"({"chnid":2,"vcaType":1,"fps":8,"mode":1,"installation":0,)"
                                R"("analysis":1,"width":1920,"height":1080,"position":[)"
                                R"({"minStartX":230,"minStartY":130,"minWidth":23,)"
                                R"("minHeight":13,"maxStartX":0,"maxStartY":0,"maxWidth":460,)"
                                R"("maxHeight":260}]})"),
            kText + "OK");
  const std::string rec = sent_payload(web().sent(), 3260);
  EXPECT_EQ(rec, Bytes()
                     .i32(2)
                     .i32(1)
                     .i32(8)
                     .i32(1)
                     .i32(0)
                     .i32(1)
                     .i32(1920)
                     .i32(1080)
                     .i32(960)
                     .i32(540)
                     .i32(96)
                     .i32(54)
                     .i32(1)
                     .i32(1)
                     .i32(1920)
                     .i32(1080)
                     .str());

  EXPECT_EQ(web().post("/6154", R"({"channel":4,"line":2,"resetdb":1})"), kText + "OK");
  EXPECT_EQ(sent_payload(web().sent(), 3261), Bytes().i32(4).i32(2).i32(1).zeros(8).str());
  EXPECT_EQ(web().post("/6154", R"({"channel":64,"line":2,"resetdb":1})"), kText + "CGI ERROR");
  EXPECT_TRUE(web().sent().empty());
}

TEST(VcaSetters, PeopleCountingStoresTheEventSwitch) {
  (void)web().sent();
  const std::string on =
      R"({"chnid":6,"width":1920,"height":1080,"lineNum":1,"totalAlarmThreshold":[5,6,7,8,9],)"
      R"("line":[{"lineEnable":1,"direction":2,"alarmThreshold":[1,2,3,4,5],)"
      R"("position":"230;0;230;260"}],"dialog":{"chnid":6,"triAlarms":3}})";
  EXPECT_EQ(web().post("/6145", on), kText + "OK");
  auto sent = web().sent();
  const std::string rec = sent_payload(sent, 3254);
  ASSERT_EQ(rec.size(), 26536u);
  EXPECT_EQ(at(rec, 48, 16), Bytes().i32(5).i32(6).i32(7).i32(8).str());
  EXPECT_EQ(at(rec, 64, 20), Bytes().u32(0x00020001).i32(960).i32(1).i32(960).i32(1080).str());
  EXPECT_EQ(at(rec, 104, 16), Bytes().i32(1).i32(2).i32(3).i32(4).str());
  EXPECT_EQ(sent_payload(sent, 1412), Bytes().channel_mask(1u << 6).str());
  EXPECT_EQ(json_plain(web().post("/6151", R"({"channel":6,"type":7})")),
            R"({"chnid":6,"enable":1,"triAlarms":3,"interval":0,"email_interval":0,)"
            R"("email_pic_enable":0,"tri_channels_pic":"","triChannels":""})");

  EXPECT_EQ(web().post("/6145", R"({"chnid":6,"line":[{"lineEnable":0},{"lineEnable":0}]})"),
            kText + "OK");
  EXPECT_NE(json_plain(web().post("/6151", R"({"channel":6,"type":7})")).find(R"("enable":0)"),
            std::string::npos);
}

TEST(VcaLinkage, SaveCopiesAndAnnounces) {
  (void)web().sent();
  EXPECT_EQ(web().post("/6137", R"({"chnid":1,"type":3,"enable":1,"sensitivity":5,)"
                                R"("copyChn":"0000100000","dialog":{"chnid":1,"triAlarms":9,)"
                                R"("interval":20,"triChannels":"0110"}})"),
            kText + "OK");
  auto sent = web().sent();
  EXPECT_EQ(sent_payload(sent, 1412), Bytes().channel_mask((1u << 1) | (1u << 4)).str());
  for (int channel : {1, 4}) {
    const std::string got = json_plain(
        web().post("/6148", R"({"chnid":)" + std::to_string(channel) + R"(,"event":3})"));
    EXPECT_NE(got.find(R"({"action":{"chnid":)" + std::to_string(channel) +
                       R"(,"event":3,"enable":0,"triAlarms":9,"interval":20,)"),
              std::string::npos)
        << got;
    EXPECT_NE(got.find(R"("triChannels":"0110")"), std::string::npos) << got;
  }
}

TEST(VcaLinkage, RangesOfTheLinkagePages) {
  (void)web().sent();
  // A negative event used to index before the table names: nothing is stored or sent.
  EXPECT_EQ(web().post("/6133", R"({"chnid":1,"type":-1,"dialog":{"chnid":1,"triAlarms":4}})"),
            kText + "OK");
  auto sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].type, 3245u);
  EXPECT_EQ(web().post("/6135", R"({"chnid":1,"type":9,"dialog":{"chnid":1,"triAlarms":4}})"),
            kText + "OK");
  EXPECT_EQ(web().sent().size(), 1u);

  const std::string kError = kJson + R"({"error":"CGI ERROR"})";
  for (const char* body : {R"({"chnid":64,"event":0})", R"({"chnid":0,"event":9})",
                           R"({"chnid":0,"event":-1})", R"({"chnid":-1,"event":0})"}) {
    EXPECT_EQ(web().post("/6148", body), web().post("/6148", "not json")) << body;
    EXPECT_EQ(web().post("/6149", std::string(body).insert(1, R"("enable":1,)")),
              web().post("/6148", "not json"))
        << body;
  }
  for (const char* body :
       {R"({"channel":64,"type":0,"event":0})", R"({"channel":0,"type":0,"event":9})",
        R"({"channel":0,"type":0,"event":-1})"})
    EXPECT_EQ(web().post("/6150", body), kText + "ERROT") << body;
  for (const char* body :
       {R"({"channel":0,"type":9})", R"({"channel":0,"type":-1})", R"({"channel":64,"type":0})"})
    EXPECT_EQ(web().post("/6151", body), kText + "CGI ERROR") << body;
  EXPECT_TRUE(web().sent().empty());

  EXPECT_EQ(web().post("/6150", R"({"channel":2,"event":5,"type":1,"triChannels":"101"})"),
            kText + "OK");
  EXPECT_EQ(sent_payload(web().sent(), 1412), Bytes().channel_mask(1u << 2).str());
  EXPECT_NE(
      json_plain(web().post("/6151", R"({"channel":2,"type":5})")).find(R"("triChannels":"101")"),
      std::string::npos);
  EXPECT_EQ(web().post("/6149", R"({"chnid":2,"event":5,"enable":1,"interval":7})"), kText + "OK");
  EXPECT_EQ(sent_payload(web().sent(), 1412), Bytes().channel_mask(1u << 2).str());
  EXPECT_NE(json_plain(web().post("/6151", R"({"channel":2,"type":5})"))
                .find(R"("enable":1,"triAlarms":0,)"
                      R"("interval":7)"),
            std::string::npos);
}

// The linkage page of one smart event: stored, announced with the channel's bit, shown by
// the common-field getter; refused ranges are answered (above), so the row lists none.
const nvrtest::SettingsPair kSmartEventPair{
    .name = "smart_event",
    .set_path = "/6149",
    .body = R"({"chnid":9,"event":6,"enable":1,"triAlarms":2,"interval":25,)"
            R"("email_pic_enable":1,"triChannels":"0011"})",
    .get_path = "/6151",
    .get_query = R"({"channel":9,"type":6})",
    .get_contains = R"({"chnid":9,"enable":1,"triAlarms":2,"interval":25,"email_interval":0,)"
                    R"("email_pic_enable":1,"tri_channels_pic":"","triChannels":"0011"})",
    .notice = 1412,
    .notice_hex = Bytes().channel_mask(1u << 9).hex(),
    .table = "smart_event"};

TEST(VcaLinkage, SettingsPair) {
  nvrtest::check_settings_pair(kSmartEventPair);
}

TEST(VcaGetters, ChannelChecked) {
  (void)web().sent();
  for (const char* path :
       {"/6132", "/6134", "/6136", "/6138", "/6140", "/6142", "/6144", "/6146", "/6172"})
    EXPECT_EQ(web().post(path, R"({"channel":64})"), web().post("/6148", "not json")) << path;
  EXPECT_TRUE(web().sent().empty());
}

}  // namespace
