// The camera module's answer callback in-process: how each answer of channel management
// becomes the response, with answers that are short, overlong, unterminated or carry ids
// outside the store, and the answer tables as a whole.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "camera/camera_ipc.h"
#include "camera_bytes.h"
#include "camera/osd_record.h"
#include "cgi.h"
#include "cgi_ipc.h"
#include "dvstd.h"
#include "support/answer_capture.h"

namespace {

const std::string kText = "Content-type: text/plain\r\n\r\n";
const std::string kJson = "Content-type: application/json\r\n\r\n";

using camtest::Bytes;

// A search result entry of 760 bytes.
std::string search_entry(const std::string& ip, const std::string& name) {
  return Bytes()
      .text(ip, 32)
      .text("00:11:22:33:44:55", 32)
      .i32(80)
      .i32(0)
      .text("maker", 192)
      .text("sn1", 128)
      .text("v1", 64)
      .text("M1", 64)
      .i32(7)
      .text("255.255.255.0", 32)
      .text("8.8.8.8", 32)
      .text("10.0.0.1", 32)
      .text("eth0", 8)
      .i32(1)
      .text(name, 64)
      .text("real", 64)
      .str();
}

// A channel list entry of 1040 bytes.
std::string channel_entry(int32_t id, const std::string& ip) {
  Bytes b;
  b.i32(id)
      .i32(80)
      .i32(0)
      .i32(1)
      .i32(554)
      .text(ip, 32)
      .text("maker", 192)
      .text("sn", 128)
      .text("fw", 64)
      .text("mac", 48)
      .text("model", 324);
  for (int v : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}) b.i32(v);  // poechannel .. connectState
  b.text("snr", 64).text("dd", 64).text("chip", 64);
  return b.str();
}

class CameraAnswers : public nvrtest::AnswerCapture {
 protected:
  // Hands one answer to the module callback and returns what it wrote.
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

json_object* body_json(const std::string& out) {
  if (out.rfind(kJson, 0) != 0) return nullptr;
  return json_tokener_parse(out.c_str() + kJson.size());
}

TEST(CameraAnswerTables, EveryAnswerTypeHasOneRowAndARecordSize) {
  std::set<int> seen;
  for (const IpcAnswerTable& table : CameraRouter::kTables) {
    for (const IpcAnswerRoute& row : table) {
      EXPECT_TRUE(seen.insert(row.answer_type).second) << row.answer_type << " routed twice";
      EXPECT_GT(row.record_size, 0u) << row.answer_type;
      EXPECT_NE(row.handler, nullptr) << row.answer_type;
    }
  }
  for (int type : {8200, 8201, 8202, 8205, 8227, 8230, 7503, 7505, 8307, 9002, 9003})
    EXPECT_EQ(seen.count(type), 1u) << type;
}

TEST_F(CameraAnswers, NullPayloadsAndUnknownTypesWriteNothing) {
  EXPECT_EQ(answer(8200, ""), "");
  EXPECT_EQ(g_callback_done, 0);
  EXPECT_EQ(answer(8299, std::string(8, '\0')), "");
  EXPECT_EQ(g_callback_done, 0);
}

TEST_F(CameraAnswers, SearchCountsWholeEntriesAndBlanksNamesOutsideAscii) {
  std::string two = search_entry("10.0.0.5", "Lobby") + search_entry("10.0.0.6", "Caf\xc3\xa9");
  json_object* o = body_json(answer(8200, two + std::string(100, 'x')));  // a partial third entry
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(g_callback_done, 1);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(o, "resultString")), "OK");
  json_object* list = json_object_object_get(o, "IPC");
  ASSERT_EQ(json_object_array_length(list), 2u);
  json_object* first = json_object_array_get_idx(list, 0);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(first, "name")), "Lobby");
  EXPECT_STREQ(json_object_get_string(json_object_object_get(first, "netif")), "eth0");
  EXPECT_EQ(json_object_get_int(json_object_object_get(first, "modelId")), 7);
  EXPECT_STREQ(
      json_object_get_string(json_object_object_get(json_object_array_get_idx(list, 1), "name")),
      "");
  // Key order of an entry, as the search page reads it.
  std::vector<std::string> keys;
  json_object_object_foreach(first, key, value) {
    (void)value;
    keys.emplace_back(key);
  }
  const std::vector<std::string> want = {
      "ipAddr",    "managePort",    "protocol", "macAddr", "vendor", "sn",
      "fwVersion", "model",         "modelId",  "netmask", "dns",    "gateway",
      "netif",     "active_status", "name",     "snReal"};
  EXPECT_EQ(keys, want);
  json_object_put(o);
}

TEST_F(CameraAnswers, SearchTextsFillingTheirFieldsAreReadWithinIt) {
  // Every text field full to the last byte: no field may run into the next.
  std::string e = Bytes()
                      .text(std::string(32, 'a'), 32)
                      .text(std::string(32, 'b'), 32)
                      .i32(80)
                      .i32(0)
                      .text(std::string(192, 'c'), 192)
                      .text(std::string(128, 'd'), 128)
                      .text(std::string(64, 'e'), 64)
                      .text(std::string(64, 'f'), 64)
                      .i32(1)
                      .text(std::string(32, 'g'), 32)
                      .text(std::string(32, 'h'), 32)
                      .text(std::string(32, 'i'), 32)
                      .text(std::string(8, 'j'), 8)
                      .i32(1)
                      .text(std::string(64, 'k'), 64)
                      .text(std::string(64, 'l'), 64)
                      .str();
  ASSERT_EQ(e.size(), 760u);
  json_object* o = body_json(answer(8200, e));
  ASSERT_NE(o, nullptr);
  json_object* first = json_object_array_get_idx(json_object_object_get(o, "IPC"), 0);
  EXPECT_EQ(json_object_get_string(json_object_object_get(first, "ipAddr")), std::string(32, 'a'));
  EXPECT_EQ(json_object_get_string(json_object_object_get(first, "netif")), std::string(8, 'j'));
  EXPECT_EQ(json_object_get_string(json_object_object_get(first, "snReal")), std::string(64, 'l'));
  json_object_put(o);
}

TEST_F(CameraAnswers, SearchShorterThanAnEntryFindsNothing) {
  EXPECT_EQ(answer(8200, std::string(4, '\0')), kJson + R"({ "resultString": "NO", "IPC": [ ] })");
}

TEST_F(CameraAnswers, ChannelListNamesFromTheStoreAndSkipsIdsOutsideIt) {
  OsdRecord osd;
  ASSERT_EQ(store_read(kStoreMain, 5, &osd), 0);
  std::snprintf(osd.name, sizeof osd.name, "Gate");
  ASSERT_EQ(store_write(kStoreMain, osd), 0);
  std::string payload = channel_entry(5, "10.1.1.5") + channel_entry(64, "10.1.1.64") +
                        channel_entry(-1, "x") + channel_entry(6, "10.1.1.6");
  json_object* o = body_json(answer(8201, payload));
  ASSERT_NE(o, nullptr);
  json_object* list = json_object_object_get(o, "IPC");
  ASSERT_EQ(json_object_array_length(list), 2u);
  json_object* gate = json_object_array_get_idx(list, 0);
  EXPECT_EQ(json_object_get_int(json_object_object_get(gate, "id")), 5);
  EXPECT_EQ(json_object_get_int(json_object_object_get(gate, "enable")), 1);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(gate, "name")), "Gate");
  EXPECT_STREQ(json_object_get_string(json_object_object_get(gate, "model")), "model");
  EXPECT_EQ(json_object_get_int(json_object_object_get(gate, "poechannel")), 1);
  EXPECT_EQ(json_object_get_int(json_object_object_get(gate, "minorid")), 8);
  EXPECT_EQ(json_object_get_int(json_object_object_get(gate, "connectState")), 10);
  EXPECT_STREQ(
      json_object_get_string(json_object_object_get(json_object_array_get_idx(list, 1), "name")),
      "CAM7");
  // "max_cameras" unset in this store.
  EXPECT_EQ(json_object_get_int(json_object_object_get(o, "maxIPCNums")), 32);
  json_object_put(o);
}

TEST_F(CameraAnswers, LoginTestCodes) {
  const struct {
    int code;
    std::string text;
    int flag;
  } cases[] = {{0, "OK", 2},
               {4, "OK", 2},
               {1, "NETWORKERROR", 1},
               {2, "USERERROR", 1},
               {5, "BANDWIDTHERROR", 1},
               {3, "UNKOWNERROR", 1},
               {-7, "UNKOWNERROR", 1}};
  for (int type : {8202, 8227}) {
    for (const auto& c : cases) {
      EXPECT_EQ(answer(type, Bytes().i32(c.code).str()), kText + c.text) << type << " " << c.code;
      EXPECT_EQ(g_callback_done, c.flag) << c.code;
    }
    EXPECT_EQ(answer(type, "ab"), kText + "CGI ERROR");  // shorter than the code
  }
}

TEST_F(CameraAnswers, AddressChangeCodes) {
  const struct {
    int code;
    std::string result;
  } cases[] = {{0, "OK"},          {1, "NETWORK_ERR"},       {2, "INVALID_USER"},
               {3, "UNKNOWN_ERR"}, {4, "PROTO_NOT_SUPPORT"}, {5, "ERROR"},
               {-1, "ERROR"}};
  for (const auto& c : cases)
    EXPECT_EQ(answer(8205, Bytes().i32(c.code).str()),
              kJson + R"({ "resultString": ")" + c.result + "\" }");
  EXPECT_EQ(answer(8205, "abc"), kJson + R"({status:"CGI ERROR"})");
}

TEST_F(CameraAnswers, MotionMaskBecomesSixtyFourCharacters) {
  std::string text(64, '0');
  for (int n : {0, 31, 32, 63}) text[static_cast<std::size_t>(n)] = '1';
  EXPECT_EQ(answer(8307, Bytes()
                             .i32(static_cast<int32_t>(0x80000001u))
                             .i32(static_cast<int32_t>(0x80000001u))
                             .str()),
            kJson + R"({ "Motion": ")" + text + "\" }");
  EXPECT_EQ(answer(8307, Bytes().i32(1).str()), kText + "CGI ERROR");
}

TEST_F(CameraAnswers, ConsoleResultStartsAtByteSixteenAndEndsWithTheAnswer) {
  std::string head(16, '\x01');
  EXPECT_EQ(answer(9002, head + "done"), kJson + R"({ "result": "done" })");  // no NUL at the end
  EXPECT_EQ(answer(9003, head + std::string("ok\0junk", 7)), kJson + R"({ "result": "ok" })");
  EXPECT_EQ(answer(9002, head), kJson + R"({ "result": "" })");
  EXPECT_EQ(answer(9002, std::string(15, 'x')), kText + "CGI ERROR");
}

TEST_F(CameraAnswers, ModelTypeAndChannelModels) {
  EXPECT_EQ(answer(7503, Bytes().i32(3).str()), kJson + R"({ "type": 3 })");
  EXPECT_EQ(answer(7503, "x"), kText + "CGI ERROR");

  std::string entries;
  for (int i = 0; i < 70; ++i)
    entries += Bytes()
                   .i32(i)
                   .text("10.0.0." + std::to_string(i), 32)
                   .text(std::string(64, 'm'), 64)
                   .text("fw", 64)
                   .str();
  json_object* o = body_json(answer(7505, entries));
  ASSERT_NE(o, nullptr);
  json_object* list = json_object_object_get(o, "IPC");
  ASSERT_EQ(json_object_array_length(list), 64u);
  json_object* last = json_object_array_get_idx(list, 63);
  EXPECT_EQ(json_object_get_int(json_object_object_get(last, "chnid")), 63);
  EXPECT_EQ(json_object_get_string(json_object_object_get(last, "model")), std::string(64, 'm'));
  json_object_put(o);
  EXPECT_EQ(answer(7505, std::string(163, '\0')), kJson + R"({status:"CGI ERROR"})");
}

TEST_F(CameraAnswers, BatchResultsKeepEveryEntryAndStopAtSixtyFour) {
  // An entry with an empty MAC text keeps its place: the page matches results by position.
  std::string entries =
      Bytes().text("aa:01", 48).i32(0).text("", 48).i32(9).text("aa:02", 48).i32(3).str();
  EXPECT_EQ(answer(8230, entries),
            kJson + R"({ "IPC": [ { "mac": "aa:01", "result": 0 }, { "mac": "", "result": 9 }, )"
                    R"({ "mac": "aa:02", "result": 3 } ] })");
  std::string many;
  for (int i = 0; i < 80; ++i) many += Bytes().text("m" + std::to_string(i), 48).i32(i).str();
  json_object* o = body_json(answer(8230, many));
  ASSERT_NE(o, nullptr);
  EXPECT_EQ(json_object_array_length(json_object_object_get(o, "IPC")), 64u);
  json_object_put(o);
  EXPECT_EQ(answer(8230, std::string(10, '\0')), kJson + R"({ "IPC": [ ] })");
}

}  // namespace
