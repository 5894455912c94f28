// Plate recognition pages in process against one coresim: each list mode's linkage kept apart
// from the others (mode -1 above all, which has no lamps, HTTP target or PTZ of its own), the
// recognition settings and plate format sent at their offsets with every array held to its
// record's length, and the refused requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;

const std::string kOk = nvrtest::kTextHeader + "OK";

InProcess& web() {
  return InProcess::instance();
}

std::string body_of(const std::string& out) {
  EXPECT_EQ(out.rfind(nvrtest::kJsonHeader, 0), 0u) << out;
  return out.substr(std::min(out.size(), nvrtest::kJsonHeader.size()));
}

std::string sent_payload(const std::vector<JournalEntry>& sent, std::uint32_t type) {
  for (const JournalEntry& e : sent)
    if (e.type == type) return nvrtest::bytes_of(e);
  ADD_FAILURE() << "nothing of type " << type << " was sent";
  return {};
}

std::string at(const std::string& bytes, std::size_t offset, std::size_t length) {
  return offset + length <= bytes.size() ? bytes.substr(offset, length) : std::string();
}

// A week of 8 rows, each starting with the section `from` to 18:00.
std::string schedule(const std::string& from) {
  std::string row = R"([[")" + from + R"(","18:00",1])";
  for (int s = 1; s < 12; ++s) row += R"(,["00:00","00:00",0])";
  std::string week = "[";
  for (int d = 0; d < 8; ++d) week += (d > 0 ? "," : "") + row + "]";
  return week + "]";
}

// n elements made by `element(i)`, comma separated, in brackets.
template <class F>
std::string list(int n, F element) {
  std::string s = "[";
  for (int i = 0; i < n; ++i) s += (i > 0 ? "," : "") + element(i);
  return s + "]";
}

std::string get_mode(int channel, int mode) {
  return body_of(web().post("/6179", R"({"chnid":)" + std::to_string(channel) + R"(,"mode":)" +
                                         std::to_string(mode) + "}"));
}

TEST(AnprLinkage, ModesKeepTheirOwnTables) {
  (void)web().sent();
  ASSERT_EQ(
      web().post("/6180", R"({"chnid":5,"mode":0,"enable":1,"dialog":{"triAlarms":3,)"
                          R"("effective":)" +
                              schedule("08:00") +
                              R"(,"whiteInfo":[[5,1,10]],"httpParams":{"url":"black-url"},)"
                              R"("ptzChnId":5,"ptzType":15,"ptzParams":[)"
                              R"({"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":4}]}})"),
      kOk);
  EXPECT_EQ(sent_payload(web().sent(), 1416), Bytes().i32(5).i32(0).str());
  ASSERT_EQ(
      web().post("/6180", R"({"chnid":5,"mode":2,"dialog":{"triAlarms":6,"effective":)" +
                              schedule("09:00") +
                              R"(,"whiteInfo":[[5,2,20]],"httpParams":{"url":"visitor-url"}}})"),
      kOk);
  EXPECT_EQ(sent_payload(web().sent(), 1416), Bytes().i32(5).i32(2).str());

  JsonTree black(get_mode(5, 0));
  EXPECT_EQ(black.keys(), (std::vector<std::string>{"chnid",
                                                    "mode",
                                                    "enable",
                                                    "triAlarms",
                                                    "interval",
                                                    "email_interval",
                                                    "email_pic_enable",
                                                    "tri_channels_pic",
                                                    "ptz_interval",
                                                    "alarmout_interval",
                                                    "white_interval",
                                                    "http_notification_interval",
                                                    "triChannels",
                                                    "effective",
                                                    "audible",
                                                    "email",
                                                    "ptz",
                                                    "triChnAlarms",
                                                    "white",
                                                    "whiteInfo",
                                                    "httpSche",
                                                    "httpParams",
                                                    "audioId",
                                                    "audioIdMask",
                                                    "ptzParams"}));
  EXPECT_EQ(black.text("enable") + black.text("triAlarms"), "13");
  EXPECT_NE(black.text("effective").find("08:00"), std::string::npos);
  EXPECT_EQ(black.text("whiteInfo"), R"([{"chnid":5,"mode":1,"time":10}])");
  EXPECT_NE(black.text("httpParams").find("black-url"), std::string::npos);
  EXPECT_EQ(
      black.text("ptzParams"),
      R"([{"acto_ptz_channel":2,"acto_ptz_type":1,"acto_ptz_preset":4,"acto_ptz_patrol":0}])");

  const std::string visitor_before = get_mode(5, 2);
  JsonTree visitor(visitor_before);
  EXPECT_EQ(visitor.text("enable") + visitor.text("triAlarms"), "06");
  EXPECT_NE(visitor.text("effective").find("09:00"), std::string::npos);
  EXPECT_EQ(visitor.text("effective").find("08:00"), std::string::npos);
  EXPECT_EQ(visitor.text("whiteInfo"), R"([{"chnid":5,"mode":2,"time":20}])");
  EXPECT_NE(visitor.text("httpParams").find("visitor-url"), std::string::npos);
  EXPECT_EQ(visitor.text("ptzParams"), "[]");
  JsonTree white(get_mode(5, 1));
  EXPECT_EQ(white.text("triAlarms") + white.text("whiteInfo"), "0[]");

  // Mode -1 stores its schedule and values, and nothing in the visitor tables.
  ASSERT_EQ(web().post("/6180", R"({"chnid":5,"mode":-1,"dialog":{"triAlarms":9,"effective":)" +
                                    schedule("10:00") + R"(,"httpSche":)" + schedule("11:00") +
                                    R"(,"whiteInfo":[[5,3,30]],"httpParams":{"url":"own-url"},)"
                                    R"("ptzChnId":5,"ptzType":14,"ptzParams":[)"
                                    R"({"acto_ptz_channel":3,"acto_ptz_type":1}]}})"),
            kOk);
  EXPECT_EQ(sent_payload(web().sent(), 1416), Bytes().i32(5).i32(-1).str());
  JsonTree own(get_mode(5, -1));
  EXPECT_EQ(own.keys(), (std::vector<std::string>{"chnid", "mode", "effective"}));
  EXPECT_EQ(own.text("mode"), "-1");
  EXPECT_NE(own.text("effective").find("10:00"), std::string::npos);
  EXPECT_EQ(get_mode(5, 2), visitor_before);
}

TEST(AnprSettings, RoundTripHoldsEveryArrayToItsRecord) {
  (void)web().sent();
  JsonTree got(body_of(web().post("/6181", R"({"chnid":4})")));
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(got.keys().front() + got.keys().back(), "chnidaitype");
  EXPECT_EQ(json_object_array_length(got.at("region")), 32u);
  EXPECT_EQ(got.text("cur_area") + got.text("aitype"), R"("EU"11)");
  EXPECT_EQ(json_object_to_json_string_ext(json_object_array_get_idx(got.at("preset"), 0),
                                           JSON_C_TO_STRING_PLAIN),
            std::string(R"([{"name":"lane","startX":0,"startY":0,"endX":230,"endy":130},)") +
                R"({"name":"","startX":0,"startY":0,"endX":0,"endy":0},)" +
                R"({"name":"","startX":0,"startY":0,"endX":0,"endy":0},)" +
                R"({"name":"","startX":0,"startY":0,"endX":0,"endy":0}])");
  EXPECT_EQ(sent_payload(web().sent(), 3289), Bytes().i32(4).str());

  // The page's answer sent back with longer arrays and texts than the record holds.
  auto area = [](const std::string& name, bool preset) {
    return R"({"name":")" + name + R"(","startX":1,"startY":2,"endX":3,")" +
           (preset ? "endy" : "endY") + R"(":4})";
  };
  json_object* body = got.get();
  auto set = [&](const char* key, const std::string& json) {
    json_object_object_add(body, key, json_tokener_parse(json.c_str()));
  };
  set("region", list(40, [](int i) { return "\"R" + std::to_string(i) + "\""; }));
  set("roi", list(6, [&](int i) { return area("roi" + std::to_string(i), false); }));
  set("preset", list(5, [&](int g) {
        return list(6, [&](int a) { return area(std::to_string(g) + std::to_string(a), true); });
      }));
  set("normalPolygons", list(6, [](int i) {
        return R"({"name":"p)" + std::to_string(i) + R"(","polygonX":"1,2","polygonY":"3,4"})";
      }));
  set("post_http_url", "\"" + std::string(600, 'x') + "\"");
  set("dialog", R"({"triAlarms":1,"effective":)" + schedule("07:00") + "}");
  set("formatData", R"({"filter":1,"wildcards":[{"enable":1,"cr_count":7,"format":"AA9"}]})");
  const std::string text = json_object_to_json_string_ext(body, JSON_C_TO_STRING_PLAIN);
  ASSERT_EQ(web().post("/6182", text), kOk);

  auto sent = web().sent();
  EXPECT_EQ(sent_payload(sent, 1416), Bytes().i32(4).i32(-1).str());
  EXPECT_EQ(sent_payload(sent, 1208).size(), 228u);
  const std::string rec = sent_payload(sent, 3290);
  ASSERT_EQ(rec.size(), 4472u);
  auto area_bytes = [](const std::string& name) {
    return Bytes().text(name, 64).i32(1).i32(2).i32(3).i32(4).str();
  };
  EXPECT_EQ(at(rec, 0, 8), Bytes().i32(4).i32(1).str());
  EXPECT_EQ(at(rec, 204, 512), Bytes().text(std::string(511, 'x'), 512).str());
  EXPECT_EQ(at(rec, 720 + 31 * 32, 32), Bytes().text("R31", 32).str());
  EXPECT_EQ(at(rec, 1744, 32), Bytes().text("EU", 32).str());
  EXPECT_EQ(at(rec, 1792 + 3 * 80, 80), area_bytes("roi3"));
  EXPECT_EQ(at(rec, 2112, 80), area_bytes("00"));
  EXPECT_EQ(at(rec, 2112 + 15 * 80, 80), area_bytes("33"));
  EXPECT_EQ(at(rec, 3392, 264), Bytes().zeros(264).str());
  EXPECT_EQ(at(rec, 3700 + 3 * 192, 192),
            Bytes().text("p3", 64).text("1,2", 64).text("3,4", 64).str());
  EXPECT_EQ(at(rec, 4468, 4), Bytes().i32(11).str());
  EXPECT_NE(JsonTree(get_mode(4, -1)).text("effective").find("07:00"), std::string::npos);

  // Another analysis type draws no polygons: none are sent.
  set("aitype", "5");
  ASSERT_EQ(web().post("/6182", json_object_to_json_string_ext(body, JSON_C_TO_STRING_PLAIN)), kOk);
  EXPECT_EQ(at(sent_payload(web().sent(), 3290), 3700, 768), Bytes().zeros(768).str());
}

TEST(AnprWildcards, SetAndGet) {
  (void)web().sent();
  EXPECT_EQ(
      body_of(web().post("/6190", R"({"chnid":2})")),
      std::string(R"({ "chnid": 2, "filter": 1, "maxPlateCharNum": 10, "wildcards": [ )") +
          R"({ "enable": 1, "cr_count": 7, "format": "AA999AA" }, )" +
          R"({ "enable": 1, "cr_count": 7, "format": "A999AAA" }, )" +
          R"({ "enable": 0, "cr_count": 0, "format": "" }, { "enable": 0, "cr_count": 0, "format": "" }, )" +
          R"({ "enable": 0, "cr_count": 0, "format": "" }, { "enable": 0, "cr_count": 0, "format": "" }, )" +
          R"({ "enable": 0, "cr_count": 0, "format": "" }, { "enable": 0, "cr_count": 0, "format": "" }, )" +
          R"({ "enable": 0, "format": "" } ] })");
  EXPECT_EQ(sent_payload(web().sent(), 1207), Bytes().i32(2).str());

  // Twelve wildcards: nine switches and texts, eight counts; texts cut to 15 characters.
  const std::string wildcards = list(12, [](int i) {
    return R"({"enable":1,"cr_count":)" + std::to_string(i + 1) + R"(,"format":"F)" +
           std::to_string(i) + std::string(20, 'w') + R"("})";
  });
  ASSERT_EQ(web().post("/6191", R"({"chnid":2,"filter":1,"maxPlateCharNum":8,"wildcards":)" +
                                    wildcards + "}"),
            kOk);
  Bytes expected;
  expected.i32(2).i32(1);
  for (int i = 0; i < 9; ++i) expected.i32(1);
  expected.i32(0);
  for (int i = 0; i < 8; ++i) expected.i32(i + 1);
  for (int i = 0; i < 9; ++i) expected.text("F" + std::to_string(i) + std::string(13, 'w'), 16);
  expected.i32(8);
  EXPECT_EQ(nvrtest::to_hex(sent_payload(web().sent(), 1208)), expected.hex());
}

TEST(AnprPages, RefusedRequestsSendNothing) {
  (void)web().sent();
  struct Row {
    const char* path;
    const char* body;
  };
  const Row rows[] = {
      {"/6179", R"({"chnid":0,"mode":3})"},
      {"/6179", R"({"chnid":0,"mode":-2})"},
      {"/6179", R"({"chnid":64,"mode":0})"},
      {"/6179", R"({"chnid":0})"},
      {"/6179", "not json"},
      {"/6180", R"({"chnid":0,"mode":3,"enable":1})"},
      {"/6180", R"({"chnid":-1,"mode":0})"},
      {"/6180", R"({"chnid":0,"mode":0,"enable":2})"},
      {"/6180", R"({"chnid":0,"mode":1,"dialog":5})"},
      {"/6181", R"({"chnid":64})"},
      {"/6182", R"({"chnid":"x"})"},
      {"/6182", R"({"chnid":1,"formatData":{"chnid":70}})"},
      {"/6186", R"({"chnid":-1})"},
      {"/6189", R"({})"},
      {"/6190", R"({"chnid":99})"},
      {"/6191", "not json"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.path) + " " + row.body);
    EXPECT_EQ(web().post(row.path, row.body), nvrtest::kJsonErrorBody);
  }
  EXPECT_TRUE(web().sent().empty());
}

TEST(AnprPages, SupportZoomAndAFailedStore) {
  EXPECT_EQ(body_of(web().post("/6186", R"({"chnid":3})")),
            R"({ "chnid": 3, "vca_support": 1, "vca_version": 2 })");
  EXPECT_EQ(body_of(web().post("/6189", R"({"chnid":3})")),
            R"({ "chnid": 3, "state": 0, "zoomNumber": 1 })");
  (void)web().sent();

  ASSERT_EQ(web().post("/6180", R"({"chnid":7,"mode":1,"enable":1})"), kOk);
  web().refuse_writes("anpr_event");
  EXPECT_EQ(web().post("/6180", R"({"chnid":7,"mode":1,"enable":0})"), nvrtest::kTextErrorBody);
  web().allow_writes("anpr_event");
  EXPECT_EQ(JsonTree(get_mode(7, 1)).text("enable"), "1");
}

}  // namespace
