// The camera's alarm input and sound detection, in process against one coresim: the
// camera's answer as JSON, the bytes of the request and of the camera command, the stored
// trigger settings, the log record, and every refusal.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/store_sql.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string kOk = kText + "OK";
const std::string& kJsonError = nvrtest::kJsonErrorBody;
const std::string& kTextError = nvrtest::kTextErrorBody;

InProcess& web() {
  return InProcess::instance();
}

std::string plain(const std::string& answer) {
  if (answer.rfind(kJson, 0) != 0) return "(no JSON answer) " + answer;
  return nvrtest::JsonTree(answer.substr(kJson.size())).plain();
}

int64_t stored(const std::string& query) {
  return nvrtest::store_query_int(web().root(), query);
}

TEST(CameraAlarm, GettersAskTheCamera) {
  (void)web().sent();
  EXPECT_EQ(plain(web().get("/6090", "12")),
            R"({"camId":12,"enable":0,"type":0,"triActions":0,"triChannels":""})");
  EXPECT_EQ(plain(web().get("/6092", "13")),
            R"({"camId":13,"enable":0,"type":1,"volume":50,"duration":3,"onEvent":1,)"
            R"("offEvent":2,"ongoingEvent":3,"triActions":0,"triChannels":""})");
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3213u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(12).hex());
  EXPECT_EQ(sent[1].type, 3215u);
  EXPECT_EQ(sent[1].hex, Bytes().i32(13).hex());
  for (const char* q : {"64", "-1", "x"}) {
    EXPECT_EQ(web().get("/6090", q), kJsonError);
    EXPECT_EQ(web().get("/6092", q), kJsonError);
  }
  EXPECT_TRUE(web().sent().empty());
}

TEST(CameraAlarm, SettersStoreSendAndLog) {
  (void)web().sent();
  const std::string trigger(70, '1');
  EXPECT_EQ(web().post("/6091", R"({"camId":4,"enable":1,"type":1,"triActions":6,)"
                                R"("triChannels":"0101)" +
                                    trigger + R"("})"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3214u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(4).i32(1).i32(1).hex());
  EXPECT_EQ(sent[1].type, 3485u);
  EXPECT_EQ(nvrtest::log_record(sent[1]).paramType, 923);
  EXPECT_EQ(nvrtest::log_record(sent[1]).channel, 5);
  EXPECT_EQ(stored("SELECT triActions FROM camera_io WHERE camId = 4"), 6);
  EXPECT_EQ(stored("SELECT length(triChannels) FROM camera_io WHERE camId = 4"), 64);
  // Bits 1 and 3, then every channel from 4 to 31.
  EXPECT_EQ(stored("SELECT trigger_mask FROM camera_io WHERE camId = 4"), 0xFFFFFFFAll);

  EXPECT_EQ(web().post("/6093", R"({"camId":9,"enable":1,"type":2,"volume":70,"duration":5,)"
                                R"("onEvent":4,"offEvent":5,"ongoingEvent":6,"triActions":1,)"
                                R"("triChannels":"1"})"),
            kOk);
  sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3216u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(9).i32(1).i32(2).i32(70).i32(5).i32(4).i32(5).i32(6).hex());
  EXPECT_EQ(nvrtest::log_record(sent[1]).paramType, 924);
  EXPECT_EQ(stored("SELECT trigger_mask FROM volume_detect WHERE camId = 9"), 1);
}

TEST(CameraAlarm, RefusedBodiesAndFailedWrites) {
  const char* io[] = {
      "not json",
      R"({"camId":64,"enable":1,"type":1,"triActions":0,"triChannels":""})",
      R"({"camId":1,"enable":2,"type":1,"triActions":0,"triChannels":""})",
      R"({"camId":1,"enable":1,"type":-1,"triActions":0,"triChannels":""})",
      R"({"camId":1,"enable":1,"triActions":0,"triChannels":""})",
      R"({"camId":1,"enable":1,"type":1,"triChannels":""})",
      R"({"camId":1,"enable":1,"type":1,"triActions":0})",
  };
  (void)web().sent();
  for (const char* b : io) EXPECT_EQ(web().post("/6091", b), "") << b;
  EXPECT_EQ(web().post("/6093", R"({"camId":1,"enable":1,"type":1,"volume":-1,"duration":1,)"
                                R"("onEvent":1,"offEvent":1,"ongoingEvent":1,"triActions":0,)"
                                R"("triChannels":""})"),
            "");
  EXPECT_EQ(web().post("/6093", R"({"camId":1,"enable":1,"type":1,"volume":1,"duration":1,)"
                                R"("onEvent":1,"offEvent":1,"triActions":0,"triChannels":""})"),
            "");
  EXPECT_TRUE(web().sent().empty());
  // The table exists once a record was stored; then its writes are refused.
  ASSERT_EQ(web().post("/6091", R"({"camId":2,"enable":0,"type":0,"triActions":0,)"
                                R"("triChannels":""})"),
            kOk);
  (void)web().sent();
  web().refuse_writes("camera_io");
  EXPECT_EQ(web().post("/6091", R"({"camId":1,"enable":1,"type":1,"triActions":0,)"
                                R"("triChannels":""})"),
            kTextError);
  web().allow_writes("camera_io");
  EXPECT_TRUE(web().sent().empty());
}

// ---- Fisheye ----------------------------------------------------------------------------------

TEST(Fisheye, ModesReadAndSet) {
  (void)web().sent();
  EXPECT_EQ(plain(web().post("/6130", R"({"id":7})")),
            R"({"chnid":7,"result":0,"fishmount":1,"fishdisplay":0,"fishcorrect":1})");
  EXPECT_EQ(web().post("/6131", R"({"chnid":7,"fishcorrect":2,"fishmount":3,"fishdisplay":4})"),
            kOk);
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3232u);
  EXPECT_EQ(sent[0].hex, Bytes().i32(7).hex());
  EXPECT_EQ(sent[1].type, 3231u);
  EXPECT_EQ(sent[1].hex, Bytes().i32(7).i32(3).i32(4).i32(2).i32(0).hex());
  EXPECT_EQ(web().post("/6130", R"({"id":64})"), kTextError);
  EXPECT_EQ(web().post("/6131", R"({"chnid":64,"fishcorrect":2,"fishmount":3,"fishdisplay":4})"),
            "");
  EXPECT_EQ(web().post("/6131", R"({"chnid":1,"fishmount":3,"fishdisplay":4})"), "");
  EXPECT_TRUE(web().sent().empty());
}

TEST(Fisheye, CameraCheckedAndSetUp) {
  (void)web().sent();
  const std::string camera =
      R"("ddns":"","ipaddr":"10.0.0.7","username":"admin","password":"pw","port":80)";
  EXPECT_EQ(plain(web().post("/6196", "{" + camera + "}")),
            R"({"support":1,"transfer":0,"install":1,"display":0,"streamCnt":2})");
  EXPECT_EQ(plain(web().post("/6197", "{" + camera + R"(,"transfer":1,"install":2,"display":3})")),
            R"({"res":0})");
  std::vector<JournalEntry> sent = web().sent();
  ASSERT_EQ(sent.size(), 2u);
  auto login = [] {
    Bytes b;
    b.text("", 64).text("10.0.0.7", 64).text("admin", 64).text("pw", 64).i32(80);
    return b;
  };
  EXPECT_EQ(sent[0].type, 3373u);
  EXPECT_EQ(sent[0].hex, login().hex());
  EXPECT_EQ(sent[1].type, 3374u);
  EXPECT_EQ(sent[1].hex, login().i32(1).i32(2).i32(3).hex());
  EXPECT_EQ(web().post("/6196", R"({"ddns":"","ipaddr":"10.0.0.7","username":"a","password":"b",)"
                                R"("port":70000})"),
            "");
  EXPECT_EQ(web().post("/6197", "{" + camera + "}"), "");
  EXPECT_TRUE(web().sent().empty());
}

}  // namespace
