// Channel management requests the core answers, through webcgi and coresim processes:
// the payload bytes webcgi sends, the responses to coresim's answers, refused bodies
// that send nothing, and answers that never come.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "camera_process.h"

namespace {

using camtest::Bytes;
using camtest::CameraProcess;
using camtest::kJson;
using camtest::kJsonError;
using camtest::kText;
using camtest::kTextError;

class Queries : public CameraProcess {
 protected:
  json_object* json_answer(const nvrtest::ProcessResult& r) {
    return json_tokener_parse(camtest::body_of(r, kJson).c_str());
  }
  // The one request webcgi sent for a waited query.
  nvrtest::JournalEntry only_sent() {
    auto all = core_->journal();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? nvrtest::JournalEntry{} : all[0];
  }
};

const std::string kChangeBody =
    R"({"macAddr":"00:1a:2b:3c:4d:01","oldIpcAddr":"192.168.1.201","newIpcAddr":"192.168.1.77",)"
    R"("netmask":"255.255.255.0","gateway":"192.168.1.1","primaryDNS":"8.8.8.8","port":65535,)"
    R"("username":"admin","password":"pw","protocol":2,"netif":"eth1"})";

std::string change_bytes(const std::string& mac, const std::string& old_ip,
                         const std::string& new_ip, int port, const std::string& password,
                         int protocol, const std::string& netif) {
  return Bytes()
      .text(mac, 48)
      .text(old_ip, 32)
      .text(new_ip, 32)
      .text("255.255.255.0", 32)
      .text("192.168.1.1", 32)
      .text("8.8.8.8", 32)
      .i32(port)
      .text("admin", 64)
      .text(password, 33)
      .zeros(3)
      .i32(protocol)
      .zeros(64)
      .text(netif, 6)
      .zeros(2)
      .str();
}

TEST_F(Queries, SearchFindsEightCamerasOfTwoModels) {
  auto r = post("/2006", R"({"protocol":2,"nic":"eth0"})");
  json_object* o = json_answer(r);
  ASSERT_NE(o, nullptr) << r.out;
  EXPECT_STREQ(json_object_get_string(json_object_object_get(o, "resultString")), "OK");
  json_object* list = json_object_object_get(o, "IPC");
  ASSERT_EQ(json_object_array_length(list), 8u);
  std::vector<std::string> models;
  for (std::size_t i = 0; i < 8; ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    EXPECT_EQ(json_object_get_int(json_object_object_get(e, "protocol")), 2);
    std::string m = json_object_get_string(json_object_object_get(e, "model"));
    if (std::find(models.begin(), models.end(), m) == models.end()) models.push_back(m);
  }
  EXPECT_EQ(models.size(), 2u);
  json_object_put(o);
  auto msg = only_sent();
  EXPECT_EQ(msg.type, 3200u);
  EXPECT_EQ(msg.hex, Bytes().i32(2).hex());
}

TEST_F(Queries, SearchThatFindsNothingAndRefusedProtocols) {
  start_core("3200 hex=00000000\n");
  EXPECT_EQ(post("/2006", R"({"protocol":0})").out,
            kJson + R"({ "resultString": "NO", "IPC": [ ] })");
  start_core("");
  for (const char* body : {R"({"protocol":8})", R"({"protocol":-1})", R"({"nic":"eth0"})", "x"})
    EXPECT_EQ(post("/2006", body).out, "") << body;
  EXPECT_TRUE(sent_before_marker().empty());
}

TEST_F(Queries, ChannelListShowsTheStoredChannelsByName) {
  ASSERT_EQ(post("/2004", R"({"id":5,"name":"Gate","enable":1,"camProtocol":0,"ipAddr":"10.0.0.5",)"
                          R"("managePort":80,"transmitProtocol":0})")
                .out,
            kText + "OK");
  nvrdb({"param", "set", "max_cameras", "16"});
  for (const char* path : {"/2001", "/2007"}) {
    json_object* o = json_answer(get(path));
    ASSERT_NE(o, nullptr) << path;
    json_object* list = json_object_object_get(o, "IPC");
    ASSERT_EQ(json_object_array_length(list), 1u);
    json_object* gate = json_object_array_get_idx(list, 0);
    EXPECT_EQ(json_object_get_int(json_object_object_get(gate, "id")), 5);
    EXPECT_STREQ(json_object_get_string(json_object_object_get(gate, "name")), "Gate");
    EXPECT_STREQ(json_object_get_string(json_object_object_get(gate, "ipAddr")), "10.0.0.5");
    EXPECT_EQ(json_object_get_int(json_object_object_get(o, "maxIPCNums")), 16);
    json_object_put(o);
  }
}

TEST_F(Queries, EmptyChannelListAndNoAnswer) {
  EXPECT_EQ(get("/2001").out, kJson + R"({ "IPC": [ ], "maxIPCNums": 32 })");
  start_core("3307 silent\n2505 silent\n");
  EXPECT_EQ(get("/2028").out, kTextError);
  EXPECT_EQ(get("/2029").out, kJsonError);
}

TEST_F(Queries, AddressChangeSendsTheRecordAndAcceptsPortsUpTo65535) {
  EXPECT_EQ(post("/2011", kChangeBody).out, kJson + R"({ "resultString": "OK" })");
  auto msg = only_sent();
  EXPECT_EQ(msg.type, 3205u);
  EXPECT_EQ(msg.hex, nvrtest::to_hex(change_bytes("00:1a:2b:3c:4d:01", "192.168.1.201",
                                                  "192.168.1.77", 65535, "pw", 2, "eth1")));
  start_core("3205 hex=04000000\n");
  EXPECT_EQ(post("/2011", kChangeBody).out, kJson + R"({ "resultString": "PROTO_NOT_SUPPORT" })");
}

TEST_F(Queries, RefusedAddressChangesSendNothing) {
  std::vector<std::string> bodies;
  for (std::string key : {"macAddr", "oldIpcAddr", "newIpcAddr", "netmask", "gateway", "primaryDNS",
                          "port", "username", "password", "protocol"}) {
    std::string b = kChangeBody;
    std::size_t at = b.find("\"" + key + "\"");
    std::size_t end = b.find_first_of(",}", b.find(':', at));
    b.erase(at, end - at + (b[end] == ',' ? 1 : 0));
    bodies.push_back(b);
  }
  for (std::string port : {"65536", "-1"}) {
    std::string b = kChangeBody;
    b.replace(b.find("65535"), 5, port);
    bodies.push_back(b);
  }
  std::string proto = kChangeBody;
  proto.replace(proto.find("\"protocol\":2"), 12, "\"protocol\":8");
  bodies.push_back(proto);
  bodies.push_back("{}");
  for (const auto& b : bodies) EXPECT_EQ(post("/2011", b).out, "") << b;
  EXPECT_TRUE(sent_before_marker().empty());
}

TEST_F(Queries, BatchChangeSendsOneRecordPerEntryThenTheResultsAreFetched) {
  std::string entry =
      R"({"macAddr":")" + std::string(60, 'm') +
      R"(","oldIpcAddr":"1.1.1.1","newIpcAddr":"1.1.1.2","netmask":"255.255.255.0",)"
      R"("gateway":"192.168.1.1","primaryDNS":"8.8.8.8","port":80,"username":"admin",)"
      R"("password":")" +
      std::string(40, 'p') + R"(","protocol":0,"netif":"eth0123","channelId":9,"modifynum":2})";
  EXPECT_EQ(post("/2032", R"({"cnt":5,"oIPCAddr":[)" + entry + ",7," + entry + "]}").out,
            kText + "OK");
  auto msgs = sent(2);
  ASSERT_EQ(msgs.size(), 2u);
  std::string want = change_bytes(std::string(47, 'm'), "1.1.1.1", "1.1.1.2", 80,
                                  std::string(32, 'p'), 0, "eth01") +
                     Bytes().i32(9).i32(2).str();
  for (const auto& m : msgs) {
    EXPECT_EQ(m.type, 3229u);
    EXPECT_EQ(m.hex, nvrtest::to_hex(want));
  }

  start_core("");
  auto r = get("/2033");
  EXPECT_EQ(r.out, kJson + R"({ "IPC": [ { "mac": "00:1a:2b:3c:4d:01", "result": 0 }, )"
                           R"({ "mac": "00:1a:2b:3c:4d:02", "result": 1 } ] })");
  EXPECT_EQ(only_sent().type, 3230u);
}

TEST_F(Queries, BatchStopsAtTheCountAndAtSixtyFour) {
  std::string small = R"({"macAddr":"a","port":1})";
  std::string list;
  for (int i = 0; i < 70; ++i) list += (i ? "," : "") + small;
  EXPECT_EQ(post("/2032", R"({"cnt":2,"oIPCAddr":[)" + list + "]}").out, kText + "OK");
  // Each notice travels on a connection of its own: wait for both before the marker.
  EXPECT_EQ(sent(2).size(), 2u);
  EXPECT_EQ(sent_before_marker().size(), 2u);
  start_core("");
  EXPECT_EQ(post("/2032", R"({"cnt":100,"oIPCAddr":[)" + list + "]}").out, kText + "OK");
  EXPECT_EQ(sent(64).size(), 64u);
  EXPECT_EQ(sent_before_marker().size(), 64u);
  start_core("");
  // Without an "oIPCAddr" array the loop runs zero times: nothing sent, "OK".
  EXPECT_EQ(post("/2032", R"({"cnt":3})").out, kText + "OK");
  EXPECT_EQ(post("/2032", R"({"cnt":3,"oIPCAddr":{}})").out, kText + "OK");
  EXPECT_EQ(post("/2032", "not json").out, "");
  EXPECT_TRUE(sent_before_marker().empty());
}

TEST_F(Queries, LoginTestsSendTheirRecords) {
  const std::string body =
      R"({"ipAddr":"10.0.0.9","managePort":0,"userName":"admin","password":")" +
      std::string(40, 'x') + R"(","camProtocol":3})";
  EXPECT_EQ(post("/2014", body).out, kText + "OK");
  auto msg = only_sent();
  EXPECT_EQ(msg.type, 3202u);
  EXPECT_EQ(msg.hex, Bytes()
                         .text("10.0.0.9", 32)
                         .i32(0)
                         .text("admin", 64)
                         .text(std::string(32, 'x'), 33)
                         .zeros(3)
                         .i32(3)
                         .zeros(72)
                         .hex());

  start_core("3227 hex=04000000\n");
  EXPECT_EQ(post("/2015", body).out, kText + "OK");  // code 4 counts as accepted
  msg = only_sent();
  EXPECT_EQ(msg.type, 3227u);
  EXPECT_EQ(msg.hex, Bytes()
                         .i32(0)
                         .text("10.0.0.9", 32)
                         .i32(80)
                         .text("admin", 64)
                         .text(std::string(32, 'x'), 33)
                         .zeros(3)
                         .i32(3)
                         .i32(0)
                         .hex());

  start_core("3202 hex=02000000\n");
  EXPECT_EQ(post("/2014", body).out, kText + "USERERROR");
}

TEST_F(Queries, RefusedLoginTestsSendNothing) {
  for (const char* body :
       {R"({"ipAddr":"","managePort":80,"camProtocol":0})", R"({"managePort":80,"camProtocol":0})",
        R"({"ipAddr":"h","managePort":-1,"camProtocol":0})",
        R"({"ipAddr":"h","managePort":80,"camProtocol":8})", R"({"ipAddr":"h","camProtocol":0})",
        "nope"}) {
    EXPECT_EQ(post("/2014", body).out, "") << body;
    EXPECT_EQ(post("/2015", body).out, "") << body;
  }
  EXPECT_TRUE(sent_before_marker().empty());
}

TEST_F(Queries, ModelTypeChecksTheChannel) {
  EXPECT_EQ(post("/2025", R"({"id":63})").out, kJson + R"({ "type": 0 })");
  EXPECT_EQ(only_sent().hex, Bytes().i32(63).hex());
  start_core("");
  for (const char* body : {R"({"id":64})", R"({"id":-1})", "{}"})
    EXPECT_EQ(post("/2025", body).out, "") << body;
  EXPECT_TRUE(sent_before_marker().empty());
}

TEST_F(Queries, ConsoleCommandIsOnlyHandedToTheCore) {
  const std::string cmd = "reboot; rm -rf / $(touch /tmp/x) `id`" + std::string(100, 'c');
  auto r = post("/2026", R"({"cmd":")" + cmd + R"("})");
  json_object* o = json_answer(r);
  ASSERT_NE(o, nullptr) << r.out;
  EXPECT_NE(
      std::string(json_object_get_string(json_object_object_get(o, "result"))).find("not run"),
      std::string::npos);
  json_object_put(o);
  auto msg = only_sent();
  EXPECT_EQ(msg.type, 4002u);
  EXPECT_EQ(msg.hex, Bytes().text(cmd.substr(0, 99), 100).hex());
  EXPECT_FALSE(root_.exists("/tmp/x"));

  start_core("4002 answer=9003 hex=" + nvrtest::to_hex(std::string(16, '\0') + "done") + "\n");
  EXPECT_EQ(post("/2026", R"({"cmd":"ls"})").out, kJson + R"({ "result": "done" })");
  start_core("4002 silent\n");
  EXPECT_EQ(post("/2026", R"({"cmd":"ls"})").out, kTextError);
  // Without "cmd" the core is handed an empty command.
  start_core("");
  EXPECT_EQ(post("/2026", R"({"command":"ls"})").out.rfind(kJson, 0), 0u);
  msg = only_sent();
  EXPECT_EQ(msg.type, 4002u);
  EXPECT_EQ(msg.hex, Bytes().text("", 100).hex());
}

TEST_F(Queries, MotionStateAndChannelModels) {
  EXPECT_EQ(get("/2028").out, kJson + R"({ "Motion": "101)" + std::string(61, '0') + "\" }");
  ASSERT_EQ(post("/2004", R"({"id":2,"name":"c","enable":1,"camProtocol":0,"ipAddr":"10.0.0.2",)"
                          R"("managePort":80,"transmitProtocol":0})")
                .out,
            kText + "OK");
  json_object* o = json_answer(get("/2029"));
  ASSERT_NE(o, nullptr);
  json_object* list = json_object_object_get(o, "IPC");
  ASSERT_EQ(json_object_array_length(list), 64u);
  json_object* two = json_object_array_get_idx(list, 2);
  EXPECT_EQ(json_object_get_int(json_object_object_get(two, "chnid")), 2);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(two, "ipaddr")), "10.0.0.2");
  EXPECT_STRNE(json_object_get_string(json_object_object_get(two, "model")), "");
  json_object_put(o);
}

}  // namespace
