// The log and upgrade pieces in process: language names, the reset flag and channel-mask
// texts, shown addresses, and the module callback given answers built by hand (a search
// page with translated texts, short answers, an upgrade status kept apart from the flag).
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>

#include "dvfs_log.h"
#include "dvtrans.h"
#include "nvr_root.h"
#include "support/answer_capture.h"
#include "support/bytes.h"
#include "support/json_tree.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

using nvrtest::Bytes;
using nvrtest::JsonTree;

const std::string kJson = "Content-type: application/json\r\n\r\n";

// A 672-byte log record as the core stores it; the detail packed as the log library does.
std::string log_bytes(int main_type, int sub, int time, int param, int channel,
                      const std::string& addr, const std::string& user, const std::string& detail) {
  Bytes b;
  b.i32(main_type).i32(0).i32(sub).i32(sub < 0 ? -1 : 0).i32(0).i32(time).i32(param).i32(1);
  b.i32(channel).text(addr, 46).text(user, 66).i32(0);
  b.i32(7).i32(static_cast<int32_t>(detail.size())).text(detail, 504).zeros(8);
  return b;
}

class LogUpgradeAnswers : public nvrtest::AnswerCapture {
 protected:
  std::string answer(int type, const std::string& payload) {
    fresh();
    const std::uint32_t header[8] = {kDvMagic, 0,
                                     1,        static_cast<std::uint32_t>(type),
                                     1,        static_cast<std::uint32_t>(payload.size()),
                                     0,        0};
    on_system_ipc_callback(nullptr, header, payload.empty() ? nullptr : payload.data());
    return output();
  }
};

TEST(LogLanguage, OnlyPlainNamesReachTheLanguageFiles) {
  for (const char* ok : {"en", "zh_CN", "pt-BR", "x1"}) EXPECT_TRUE(trans_language_ok(ok)) << ok;
  for (const char* bad : {"", "../en", "en/../../etc/passwd", "en.lang", "en;rm -rf /", "e n",
                          "abcdefghijklmnopqrstuvwxyz0123456789"})
    EXPECT_FALSE(trans_language_ok(bad)) << bad;
  EXPECT_FALSE(trans_language_ok(nullptr));
  EXPECT_EQ(trans_init("../../etc/passwd"), -1);
  char text[8] = "x";
  EXPECT_EQ(trans_get_value(3, text, sizeof text), -1);
  EXPECT_STREQ(text, "");
}

TEST(LogPieces, CategoriesAddressesAndTimes) {
  const int mains[][2] = {{1, 1}, {2, 2}, {4, 3}, {8, 4}, {32, 5}, {64, 6}, {16, -1}, {0, -1}};
  for (auto [main_type, category] : mains) EXPECT_EQ(log_main_category(main_type), category);
  const char* addresses[][2] = {{"::ffff:192.168.1.5", "192.168.1.5"},
                                {"fe80::1%eth0", "fe80::1"},
                                {"::ffff:abcd", "::ffff:abcd"},
                                {"10.0.0.2", "10.0.0.2"}};
  for (auto [stored, shown] : addresses) {
    OperationLogRecord r{};
    std::snprintf(r.remoteAddr, sizeof r.remoteAddr, "%s", stored);
    char out[128];
    log_shown_address(r, out, sizeof out);
    EXPECT_STREQ(out, shown);
  }
  OperationLogRecord full{};
  std::memset(full.remoteAddr, 'a', sizeof full.remoteAddr);  // no NUL in its field
  char out[128];
  log_shown_address(full, out, sizeof out);
  EXPECT_EQ(std::string(out), std::string(46, 'a'));
  int32_t t = 0;
  EXPECT_FALSE(log_parse_time("2024-13-45 99:00:00", "%Y-%m-%d %H:%M:%S", &t));
  EXPECT_FALSE(log_parse_time("yesterday", "%Y-%m-%d %H:%M:%S", &t));
  EXPECT_FALSE(log_parse_time(nullptr, "%Y-%m-%d %H:%M:%S", &t));
  EXPECT_TRUE(log_parse_time("2024-03-01T10:00:00", "%Y-%m-%dT%H:%M:%S", &t));
}

TEST(UpgradeTexts, ResetFlagAndChannelMask) {
  EXPECT_EQ(upgrade_reset_flag("temp & reset=1"), 1);
  EXPECT_EQ(upgrade_reset_flag("temp & a=1&reset=0"), 1);  // the word, wherever it stands
  EXPECT_EQ(upgrade_reset_flag("temp & a=1 reset=1"), 0);  // after white space: not the query
  EXPECT_EQ(upgrade_reset_flag("temp & RESET"), 0);
  EXPECT_EQ(upgrade_reset_flag("temp"), 0);
  EXPECT_EQ(upgrade_reset_flag(std::string("temp & ").append(5000, 'x').append("reset").c_str()),
            0);  // beyond what a query holds
  EXPECT_EQ(upgrade_channel_mask("1010"), 0x5u);
  EXPECT_EQ(upgrade_channel_mask("11x1"), 0x3u);
  EXPECT_EQ(upgrade_channel_mask(std::string(70, '1').c_str()), ~uint64_t{0});
  EXPECT_EQ(upgrade_channel_mask(nullptr), 0u);
}

TEST_F(LogUpgradeAnswers, ASearchPageWithTranslatedTexts) {
  setenv("TZ", "UTC0", 1);
  tzset();
  std::string lang = nvr_path("/opt/app/lang");
  std::filesystem::create_directories(lang);
  FILE* f = std::fopen((lang + "/en.lang").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("# test\n3=Operation\n201=Login\n913=General\n5=Exception\n400=Disk full\n", f);
  std::fclose(f);
  // No core in this process: the request fails at once (one send attempt) and answers the
  // error body, keeping its language and page for the answer handed over below.
  setenv("NVR_IPC_SEND_ATTEMPTS", "1", 1);
  setenv("NVR_IPC_SEND_RETRY_US", "0", 1);
  setenv("NVR_IPC_POLL_US", "1", 1);
  char query[] =
      R"({"language":"en","mainType":1,"subTypeArr":[10],"startTime":"1970-01-01 00:00:00",)"
      R"("endTime":"2030-01-01 00:00:00","curPageNum":2,"chnMask":"1"})";
  EXPECT_EQ(on_get_log_info(query), -1);
  Bytes page;
  page.i32(57).i32(2);
  page.text(log_bytes(4, 201, 86400, 913, 3, "::ffff:192.168.1.5", "admin", "from web"), 672);
  page.text(log_bytes(32, 400, 90061, 900, 2, "fe80::1%eth0", "", ""), 672);
  page.zeros(98 * 672);
  std::string out = answer(8495, page);
  ASSERT_EQ(out.rfind(kJson, 0), 0u) << out;
  JsonTree tree(out.substr(kJson.size()));
  ASSERT_TRUE(tree.ok()) << out;
  EXPECT_EQ(tree.text("count"), "57");
  EXPECT_EQ(tree.text("num"), "2");
  EXPECT_EQ(tree.text("curPageNum"), "2");
  json_object* logs = tree.at("log");
  ASSERT_EQ(json_object_array_length(logs), 2u);
  std::string first =
      json_object_to_json_string_ext(json_object_array_get_idx(logs, 0), JSON_C_TO_STRING_PLAIN);
  EXPECT_EQ(
      first.substr(0, first.find("\"detail2\"")),
      R"({"no":0,"mainTypeValue":4,"mainType":"Operation","subTypeValue":201,)"
      R"("subType":"Login","pts":86400,"ptc":"1970-01-02 00:00:00","parameterValue":913,)"
      R"("parameter":"General","remote":1,"chanNo":3,"disk":0,"size":0,"detail":"from web",)");
  // detail2: the field's words, most significant byte first: kind 7, length 8, "from".
  EXPECT_NE(first.find(R"("detail2":[117440512,134217728,1718775661,)"), std::string::npos)
      << first;
  EXPECT_NE(first.find(R"("ip":"192.168.1.5","user":"admin"})"), std::string::npos) << first;
  std::string second =
      json_object_to_json_string_ext(json_object_array_get_idx(logs, 1), JSON_C_TO_STRING_PLAIN);
  EXPECT_NE(second.find(R"("mainType":"Exception","subTypeValue":400,"subType":"Disk full")"),
            std::string::npos);
  EXPECT_NE(second.find(R"("parameter":"","remote":1,"chanNo":2,"disk":1)"), std::string::npos);
  EXPECT_NE(second.find(R"("ptc":"1970-01-02 01:01:01")"), std::string::npos);
  EXPECT_NE(second.find(R"("ip":"fe80::1")"), std::string::npos);

  EXPECT_EQ(answer(8495, std::string(67207, '\0')), kJson + "ERROR");  // one byte short
  // A count beyond the page is read as the page's 100 records.
  JsonTree over(answer(8495, Bytes().i32(500).i32(150).zeros(100 * 672)).substr(kJson.size()));
  EXPECT_EQ(over.text("num"), "100");
  EXPECT_EQ(json_object_array_length(over.at("log")), 100u);
}

TEST_F(LogUpgradeAnswers, UpgradeStatusIsKeptApartFromTheFlag) {
  const int statuses[] = {0, 1, -5};
  for (int status : statuses) {
    EXPECT_EQ(answer(6713, Bytes().i32(status)), "");  // the handler answers, not the callback
    EXPECT_EQ(g_callback_done, 1);
    EXPECT_EQ(g_upgrade_status.load(), status);
  }
}

TEST_F(LogUpgradeAnswers, CameraCheckReadsOnlyTheRecordsSent) {
  Bytes two;
  two.i32(1).i32(1000).text("V2", 64).text("x.bin", 128).text("new", 128);
  two.i32(0).i32(0).text("", 64).text("", 128).text("", 128);
  std::string out = answer(8365, two.str() + "xyz");  // a trailing partial record is no record
  JsonTree tree(out.substr(kJson.size()));
  ASSERT_TRUE(tree.ok()) << out;
  EXPECT_EQ(tree.plain(),
            R"({"check":[{"state":1,"fileSize":1000,"softversion":"V2","url":"x.bin",)"
            R"("description":"new"},{"state":0,"fileSize":0,"softversion":"","url":"",)"
            R"("description":""}]})");
  EXPECT_EQ(answer(8350, Bytes().i32(5).i32(-2)), kJson + R"({ "chnid": 5, "status": -2 })");
  EXPECT_EQ(answer(6716, Bytes().i32(3)), kJson + R"({ "res": 3 })");
}

}  // namespace
