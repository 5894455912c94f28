// Regional people counting pages in process against one coresim: the camera record the
// setter sends (expected bytes built here by hand), the regions' linkage stored, copied
// and answered, and the requests refused before anything is stored or sent.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "event/regional_record.h"
#include "kind_store.h"
#include "linkage.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JsonTree;

const std::string& kJson = nvrtest::kJsonHeader;

InProcess& web() {
  return InProcess::instance();
}

JsonTree json_of(const std::string& out) {
  EXPECT_EQ(out.rfind(kJson, 0), 0u) << out;
  return JsonTree(out.size() >= kJson.size() ? out.substr(kJson.size()) : "");
}

// The keys of an object in order, joined by commas.
std::string keys_of(const JsonTree& tree) {
  std::string joined;
  for (const std::string& k : tree.keys()) joined += (joined.empty() ? "" : ",") + k;
  return joined;
}

RegionalPcntEventRecord region_record(int channel, int region) {
  RegionalPcntEventRecord rec{};
  EXPECT_EQ(read_regional_pcnt_event(kStoreMain, &rec, channel, region), 0);
  return rec;
}

std::string hour(int h) {
  return (h < 10 ? "0" : "") + std::to_string(h);
}

// A row of twelve sections "hh:00" to "hh:30", hours from `first`.
std::string week_row(int first) {
  std::string row;
  for (int s = first; s < first + 12; ++s)
    row += std::string(row.empty() ? "[" : ",") + R"([")" + hour(s) + R"(:00",")" + hour(s) +
           R"(:30",1])";
  return row + "]";
}

TEST(RegionalPages, SaveSendsTheCameraRecordAndGetAnswersTheLinkage) {
  // Twelve sections in each of eight rows; the camera form takes ten of rows 0 to 6.
  std::string effective = "[";
  for (int d = 0; d < 8; ++d) effective += (d > 0 ? "," : "") + week_row(d);
  effective += "]";
  const std::string region = R"({"enable":1,"polygonX":")" + std::string(80, 'x') +
                             R"(","polygonY":"1,2","maxStayEnable":1,"maxStayValue":9,)"
                             R"("minStayEnable":1,"minStayValue":2,"maxStayTimeEnable":1,)"
                             R"("maxStayTimeValue":30})";
  const std::string body =
      R"({"chnid":5,"sensitivity":40,"minObjX":1,"minObjY":2,"minObjWidth":3,"minObjHeight":4,)"
      R"("maxObjX":5,"maxObjY":6,"maxObjWidth":7,"maxObjHeight":8,"copyChn":"",)"
      R"("regional":[)" +
      region + "," + region + R"(,{},{"enable":1},{"enable":7},{"enable":8}],"effective":)" +
      effective +
      R"(,"action":[{"interval":15,"triAlarms":6,"triChannels":"0110","audioId":2,)"
      R"("audible":)" +
      effective +
      R"(,"whiteInfo":[[3,1,10]],"httpParams":{"url":"http://h/x","username":"u",)"
      R"("password":"p"},"ptzParams":[{"acto_ptz_channel":2,"acto_ptz_type":1,)"
      R"("acto_ptz_preset":4}],"triChnAlarms":["1","01"]}]})";
  (void)web().sent();
  EXPECT_EQ(web().post("/6097", body), kJson + R"({ "res": 0 })");
  auto sent = web().sent();
  ASSERT_EQ(sent.size(), 1u);
  ASSERT_EQ(sent[0].type, 1221u);
  const std::string rec = nvrtest::bytes_of(sent[0]);
  ASSERT_EQ(rec.size(), 26912u);

  Bytes area, head;
  area.i32(1).text(std::string(63, 'x'), 64).text("1,2", 64);
  for (int v : {1, 9, 1, 2, 1, 30}) area.i32(v);
  for (int v : {0, 5, 40, 1, 2, 3, 4, 5, 6, 7, 8}) head.i32(v);
  head.text(area.str() + area.str(), 312).zeros(156).i32(1).zeros(152);
  EXPECT_EQ(rec.substr(0, 668), head.str());  // the fifth and sixth regions are not read
  EXPECT_EQ(rec.substr(668, 68), std::string(68, '\0'));
  for (int d = 0; d < 8; ++d) {
    Bytes row;  // ten sections of rows 0 to 6 without their action, whole day; row 7 empty
    for (int s = 0; s < (d < 7 ? 10 : 0); ++s)
      row.text(hour(d + s) + ":00", 32).text(hour(d + s) + ":30", 32).i32(0);
    row.zeros((d < 7 ? 38 : 48) * 68).i32(d < 7 ? 1 : 0).i32(0);
    EXPECT_EQ(rec.substr(736 + d * 3272u, 3272), row.str()) << "row " << d;
  }

  JsonTree got = json_of(web().post("/6096", R"({"chnid":5})"));
  EXPECT_EQ(keys_of(got),
            "result,chnid,sensitivity,minObjX,minObjY,minObjWidth,minObjHeight,"
            "maxObjX,maxObjY,maxObjWidth,maxObjHeight,regional,effective,action");
  EXPECT_EQ(json_object_array_length(got.at("regional")), 4u);
  ASSERT_EQ(json_object_array_length(got.at("action")), 4u);
  JsonTree action(json_object_to_json_string(json_object_array_get_idx(got.at("action"), 0)));
  EXPECT_EQ(keys_of(action),
            "audible,interval,audioId,email,email_interval,email_pic_enable,tri_channels_pic,ptz,"
            "ptz_interval,ptzParams,white,whiteInfo,white_interval,httpSche,httpParams,"
            "http_notification_interval,alarmout_interval,triAlarms,triChannels,triChnAlarms");
  EXPECT_EQ(action.text("interval"), "15");
  EXPECT_EQ(action.text("whiteInfo"), R"([{"chnid":3,"mode":1,"time":10}])");
  EXPECT_EQ(
      action.text("ptzParams"),
      R"([{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":4,"acto_ptz_patrol":0}])");
  EXPECT_EQ(action.text("triChnAlarms"), R"(["1","01"])");
  EXPECT_EQ(region_record(5, 0).trigger_mask, 0x6u);
  // The PTZ linkage is region 0's own event type, and no other.
  PtzLinkBlock ptz{};
  int count = 0;
  ASSERT_EQ(read_ptz_params(kStoreMain, &ptz, 22, 5, &count), 0);
  EXPECT_EQ(ptz.entry[0].preset, 4);
  ASSERT_EQ(read_ptz_params(kStoreMain, &ptz, 23, 5, &count), 0);
  EXPECT_EQ(ptz.entry[0].preset, 0);
}

TEST(RegionalPages, ActionElementsReachTheirRegionsOnly) {
  (void)web().post("/6097", R"({"chnid":6,"action":[{"interval":1},{"interval":2},)"
                            R"({"interval":3},{"interval":4},{"interval":5}]})");
  EXPECT_EQ(region_record(6, 3).interval, 4);
  EXPECT_EQ(web().post("/6097", R"({"chnid":6,"action":[{"interval":20},{"interval":21}]})"),
            kJson + R"({ "res": 0 })");
  const int expected[kRegionalRegions] = {20, 21, 3, 4};
  for (int r = 0; r < kRegionalRegions; ++r)
    EXPECT_EQ(region_record(6, r).interval, expected[r]) << "region " << r;
}

TEST(RegionalPages, CopyChnSelectsTheChannelsThatGetTheLinkage) {
  struct Row {
    int channel;
    std::string copy_chn;
    std::vector<int> reached, untouched;
  } rows[] = {
      {7, "", {}, {8, 9}},
      {20, "0000000000011", {11, 12}, {10, 13, 21}},
  };
  for (const Row& row : rows) {
    const int interval = 100 + row.channel;
    (void)web().sent();
    EXPECT_EQ(web().post("/6097", R"({"chnid":)" + std::to_string(row.channel) + R"(,"copyChn":")" +
                                      row.copy_chn + R"(","action":[{},{"interval":)" +
                                      std::to_string(interval) + R"(,"white":)" + "[" +
                                      week_row(1) + "]}]}"),
              kJson + R"({ "res": 0 })");
    EXPECT_EQ(region_record(row.channel, 1).interval, interval);
    ScheduleBlock block{};
    for (int c : row.reached) {
      EXPECT_EQ(region_record(c, 1).interval, interval) << c;
      EXPECT_EQ(region_record(c, 1).chn, c);
      ASSERT_EQ(read_schedule(kStoreMain, "regional_pcnt1_whiteled_esche", c, &block), 0);
      EXPECT_STREQ(block.day[0].section[0].start, "01:00") << c;
      EXPECT_EQ(region_record(c, 0).interval, 0) << c;
    }
    for (int c : row.untouched) EXPECT_EQ(region_record(c, 1).interval, 0) << c;
  }
}

TEST(RegionalPages, RefusedRequestsStoreAndSendNothing) {
  const std::string bodies[] = {
      "not json",           R"({"chnid":-1})",      R"({"chnid":64})",
      R"({"chnid":"abc"})", R"({"sensitivity":1})", "[5]",
  };
  for (const char* path : {"/6096", "/6097"})
    for (const std::string& body : bodies) {
      (void)web().sent();
      EXPECT_EQ(web().post(path, body), nvrtest::kJsonErrorBody) << path << " " << body;
      EXPECT_TRUE(web().sent().empty()) << path << " " << body;
    }
}

TEST(RegionalPages, AFailedStorePartIsNotAnsweredAsSuccess) {
  (void)web().post("/6097", R"({"chnid":40,"action":[{"interval":1}]})");
  web().refuse_writes("regional_pcnt_event");
  (void)web().sent();
  EXPECT_EQ(web().post("/6097", R"({"chnid":40,"action":[{"interval":2}]})"),
            nvrtest::kJsonErrorBody);
  web().allow_writes("regional_pcnt_event");
  EXPECT_TRUE(web().sent().empty());
  EXPECT_EQ(region_record(40, 0).interval, 1);
}

}  // namespace
