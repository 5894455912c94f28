// Channel management answered from the store, through webcgi and coresim processes:
// add, edit, delete, login and transport changes read back from the store, the notices
// and log records they send, refused bodies and store writes that fail.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <string>
#include <vector>

#include "camera_process.h"
#include "dvfs_log.h"

namespace {

using camtest::Bytes;
using camtest::CameraProcess;
using camtest::kJson;
using camtest::kJsonError;
using camtest::kText;
using camtest::kTextError;

const std::string kAddBody =
    R"({"id":3,"name":"Front door","enable":1,"camProtocol":0,"ipAddr":"192.168.1.50",)"
    R"("managePort":8080,"userName":"admin","password":"pw","transmitProtocol":3,)"
    R"("enableSubStream":1,"syncTime":1,"mainRtspPort":9999,"mainSourcePath":"/x",)"
    R"("poechannel":2,"physicalport":5,"ddns":"cam.example","httpsPort":8443,"minorid":7,)"
    R"("mac_addr":"AA:BB:CC:00:11:22","otherPoe":1})";

const nvrtest::JournalEntry* find_type(const std::vector<nvrtest::JournalEntry>& entries,
                                       std::uint32_t type) {
  for (const auto& e : entries)
    if (e.type == type) return &e;
  return nullptr;
}

// The payload hex of the message of `type`, or "absent".
std::string payload_of(const std::vector<nvrtest::JournalEntry>& entries, std::uint32_t type) {
  const nvrtest::JournalEntry* e = find_type(entries, type);
  return e != nullptr ? e->hex : "absent";
}

// Main type, sub type, parameter type and channel of the log record sent (all 0 if none).
std::vector<int64_t> log_kind(const OperationLogRecord& log) {
  return {log.mainType, log.subType, log.paramType, log.channel};
}
OperationLogRecord logged(const std::vector<nvrtest::JournalEntry>& entries) {
  const nvrtest::JournalEntry* e = find_type(entries, 3485);
  return e != nullptr ? camtest::log_record(*e) : OperationLogRecord{};
}

// The detail block of a log record (empty when none was packed).
std::string detail_of(const OperationLogRecord& rec, int* kind) {
  std::string block(512, '\0');
  int n = dvfs_log_unpack_detail(rec.detail, kind, block.data(), block.size());
  return n > 0 ? block.substr(0, static_cast<std::size_t>(n)) : std::string();
}

// The camera detail as the log search expects it.
std::string camera_detail(int param, const std::string& address, int port, int channel,
                          const std::string& protocol, const std::string& transport, int sync) {
  return Bytes()
             .i32(param)
             .text(address, 64)
             .i32(port)
             .i32(channel)
             .zeros(64)
             .text(protocol, 16)
             .text(transport, 16)
             .str() +
         std::string(1, static_cast<char>(sync)) + std::string(3, '\0');
}

class Channels : public CameraProcess {
 protected:
  // Makes every write of `table` fail, as a full or damaged store would.
  void refuse_writes(const std::string& table) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(root_.at("/mnt/nand/app/dvdb.db").c_str(), &db), SQLITE_OK);
    std::string sql = "CREATE TRIGGER refuse_" + table + " BEFORE INSERT ON " + table +
                      " BEGIN SELECT RAISE(ABORT, 'refused'); END;";
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
  }
};

TEST_F(Channels, AddStoresTheChannelTellsTheCoreAndLogs) {
  EXPECT_EQ(post("/2004", kAddBody).out, kText + "OK");

  json_object* cam = stored("camera", 3);
  ASSERT_NE(cam, nullptr);
  auto i = [&](const char* k) { return json_object_get_int(json_object_object_get(cam, k)); };
  auto t = [&](const char* k) {
    return std::string(json_object_get_string(json_object_object_get(cam, k)));
  };
  EXPECT_EQ(i("enable"), 1);
  EXPECT_EQ(t("ipaddr"), "192.168.1.50");
  EXPECT_EQ(i("manage_port"), 8080);
  EXPECT_EQ(i("model"), 0);
  EXPECT_EQ(t("username"), "admin");
  EXPECT_EQ(t("password"), "pw");
  EXPECT_EQ(i("transmit_protocol"), 3);
  EXPECT_EQ(i("enable_sub_stream"), 1);
  EXPECT_EQ(i("sync_time"), 1);
  EXPECT_EQ(i("main_rtsp_port"), 554);  // RTSP settings only for RTSP channels
  EXPECT_EQ(t("main_source_path"), "");
  EXPECT_EQ(i("poechannel"), 2);
  EXPECT_EQ(i("physicalport"), 5);
  EXPECT_EQ(t("ddns"), "cam.example");
  EXPECT_EQ(i("https_port"), 8443);
  EXPECT_EQ(i("minorid"), 7);
  EXPECT_EQ(t("mac_addr"), "AA:BB:CC:00:11:22");
  json_object_put(cam);
  EXPECT_EQ(stored_text("osd", 3, "name"), "Front door");

  auto msgs = sent(3);
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(payload_of(msgs, 1201), Bytes().i32(3).hex());
  EXPECT_EQ(payload_of(msgs, 1206), Bytes().i32(3).i32(1).hex());
  OperationLogRecord log = logged(msgs);
  EXPECT_EQ(log_kind(log), (std::vector<int64_t>{4, 210, 901, 4}));
  EXPECT_STREQ(log.userName, "admin");
  int kind = 0;
  EXPECT_EQ(
      nvrtest::to_hex(detail_of(log, &kind)),
      nvrtest::to_hex(camera_detail(901, "192.168.1.50", 8080, 4, "ONVIF", "RTSP Over HTTPS", 1)));
  EXPECT_EQ(kind, 111);
}

TEST_F(Channels, AddTakesRtspSettingsOnlyForRtspAndNeedsNoAddressForProtocolSeven) {
  EXPECT_EQ(post("/2004",
                 R"({"id":0,"name":"r","enable":1,"camProtocol":1,"ipAddr":"h","managePort":554,)"
                 R"("transmitProtocol":1,"mainRtspPort":8554,"mainSourcePath":"/live",)"
                 R"("subRtspPort":8555,"subSourcePath":"/sub","mainrtspurl":"rtsp://h/live",)"
                 R"("subrtspurl":"rtsp://h/sub"})")
                .out,
            kText + "OK");
  EXPECT_EQ(stored_int("camera", 0, "main_rtsp_port"), 8554);
  EXPECT_EQ(stored_text("camera", 0, "sub_source_path"), "/sub");
  EXPECT_EQ(stored_text("camera", 0, "mainrtspurl"), "rtsp://h/live");
  EXPECT_EQ(stored_int("camera", 0, "poechannel"), 0);

  EXPECT_EQ(
      post("/2004", R"({"id":1,"name":"p","enable":1,"camProtocol":7,"transmitProtocol":0})").out,
      kText + "OK");
  EXPECT_EQ(stored_int("camera", 1, "model"), 7);
  EXPECT_EQ(stored_int("camera", 1, "enable"), 1);
}

TEST_F(Channels, AddWithoutMacAddressStoresNone) {
  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  std::string null_mac = kAddBody;
  null_mac.replace(null_mac.find("AA:BB:CC:00:11:22"), 17, "(null)");
  ASSERT_EQ(post("/2004", null_mac).out, kText + "OK");
  EXPECT_EQ(stored_text("camera", 3, "mac_addr"), "");

  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  std::string no_mac = kAddBody;
  no_mac.replace(no_mac.find(R"("mac_addr":"AA:BB:CC:00:11:22",)"), 31, "");
  ASSERT_EQ(post("/2004", no_mac).out, kText + "OK");
  EXPECT_EQ(stored_text("camera", 3, "mac_addr"), "");
}

TEST_F(Channels, TextsAreCutToTheirFields) {
  std::string body = kAddBody;
  body.replace(body.find("Front door"), 10, std::string(100, 'n'));
  body.replace(body.find("cam.example"), 11, std::string(80, 'd'));
  ASSERT_EQ(post("/2004", body).out, kText + "OK");
  EXPECT_EQ(stored_text("osd", 3, "name"), std::string(63, 'n'));
  EXPECT_EQ(stored_text("camera", 3, "ddns"), std::string(63, 'd'));
}

TEST_F(Channels, RefusedAddOrEditBodiesGetNoResponseAndChangeNothing) {
  const std::string base =
      R"("name":"n","enable":1,"camProtocol":0,"ipAddr":"h","managePort":80,"transmitProtocol":0)";
  const std::string cases[] = {
      "{\"id\":64," + base + "}",
      "{\"id\":-1," + base + "}",
      "{" + base + "}",
      R"({"id":3,"enable":1,"camProtocol":0,"ipAddr":"h","managePort":80,"transmitProtocol":0})",
      R"({"id":3,"name":"n","enable":2,"camProtocol":0,"ipAddr":"h","managePort":80,"transmitProtocol":0})",
      R"({"id":3,"name":"n","enable":1,"camProtocol":8,"ipAddr":"h","managePort":80,"transmitProtocol":0})",
      R"({"id":3,"name":"n","enable":1,"camProtocol":0,"ipAddr":"h","managePort":80,"transmitProtocol":4})",
      R"({"id":3,"name":"n","enable":1,"camProtocol":0,"ipAddr":"","managePort":80,"transmitProtocol":0})",
      R"({"id":3,"name":"n","enable":1,"camProtocol":0,"managePort":80,"transmitProtocol":0})",
      R"({"id":3,"name":"n","enable":1,"camProtocol":0,"ipAddr":"h","managePort":-1,"transmitProtocol":0})",
      R"({"id":3,"name":"n","enable":1,"camProtocol":0,"ipAddr":"h","transmitProtocol":0})",
      "not json",
      "[1,2]",
  };
  for (const std::string& body : cases) {
    EXPECT_EQ(post("/2004", body).out, "") << body;
    EXPECT_EQ(post("/2003", body).out, "") << body;
  }
  EXPECT_EQ(stored_int("camera", 3, "enable"), 0);
  EXPECT_EQ(stored_text("osd", 3, "name"), "CAM4");
  EXPECT_TRUE(sent_before_marker().empty());
}

TEST_F(Channels, EditKeepsTheLoginUnlessTypeZeroAndKeepsThePoeWiring) {
  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  ASSERT_EQ(sent(3).size(), 3u);
  start_core("");  // a fresh journal

  const std::string edit =
      R"({"id":3,"type":1,"name":"Back door","enable":1,"camProtocol":0,"ipAddr":"192.168.1.51",)"
      R"("managePort":81,"userName":"other","password":"secret","transmitProtocol":0,"syncTime":0,)"
      R"("poechannel":9,"physicalport":9,"mac_addr":"FF","otherPoe":1})";
  EXPECT_EQ(post("/2003", edit).out, kText + "OK");
  EXPECT_EQ(stored_text("camera", 3, "ipaddr"), "192.168.1.51");
  EXPECT_EQ(stored_text("camera", 3, "username"), "admin");
  EXPECT_EQ(stored_text("camera", 3, "password"), "pw");
  EXPECT_EQ(stored_int("camera", 3, "poechannel"), 2);
  EXPECT_EQ(stored_int("camera", 3, "physicalport"), 5);
  EXPECT_EQ(stored_text("camera", 3, "mac_addr"), "AA:BB:CC:00:11:22");
  EXPECT_EQ(stored_text("osd", 3, "name"), "Back door");

  auto msgs = sent(2);
  ASSERT_EQ(msgs.size(), 2u);
  EXPECT_EQ(payload_of(msgs, 1203), Bytes().i32(3).hex());
  OperationLogRecord log = logged(msgs);
  EXPECT_EQ(log_kind(log), (std::vector<int64_t>{4, 204, 903, 4}));
  int kind = 0;
  EXPECT_EQ(nvrtest::to_hex(detail_of(log, &kind)),
            nvrtest::to_hex(camera_detail(903, "192.168.1.51", 81, 4, "ONVIF", "UDP", 0)));

  std::string type0 = edit;
  type0.replace(type0.find("\"type\":1"), 8, "\"type\":0");
  EXPECT_EQ(post("/2003", type0).out, kText + "OK");
  EXPECT_EQ(stored_text("camera", 3, "username"), "other");
  EXPECT_EQ(stored_text("camera", 3, "password"), "secret");
  EXPECT_EQ(find_type(sent_before_marker(), 1206), nullptr);
}

TEST_F(Channels, DeleteClearsMasksCameraAndName) {
  nvrdb(
      {"record", "set", "privacy_mask", "3",
       R"(area=[{"area_id":1,"enable":1,"start_x":10,"area_width":50},{"area_id":2,"enable":1}])"});
  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  nvrdb({"record", "set", "camera", "3", "slot_kind=1"});
  ASSERT_EQ(sent(3).size(), 3u);
  start_core("");

  EXPECT_EQ(get("/2005", R"({"chnid":3})").out, kText + "OK");
  json_object* masks = stored("privacy_mask", 3);
  json_object* first = json_object_array_get_idx(json_object_object_get(masks, "area"), 0);
  EXPECT_EQ(json_object_get_int(json_object_object_get(first, "area_id")), 0);
  EXPECT_EQ(json_object_get_int(json_object_object_get(first, "enable")), 0);
  EXPECT_EQ(json_object_get_int(json_object_object_get(first, "start_x")), 0);
  json_object_put(masks);
  EXPECT_EQ(stored_int("camera", 3, "enable"), 0);
  EXPECT_EQ(stored_text("camera", 3, "ipaddr"), "");
  EXPECT_EQ(stored_text("camera", 3, "password"), "");
  EXPECT_EQ(stored_int("camera", 3, "slot_kind"), 1);
  EXPECT_EQ(stored_int("camera", 3, "cleared"), 1);
  EXPECT_EQ(stored_text("osd", 3, "name"), "CAM4");

  auto msgs = sent(3);
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(payload_of(msgs, 1202), Bytes().i32(3).hex());
  EXPECT_EQ(payload_of(msgs, 1206), Bytes().i32(3).i32(0).hex());
  OperationLogRecord log = logged(msgs);
  EXPECT_EQ(log_kind(log), (std::vector<int64_t>{4, 211, 902, 4}));
  int kind = 0;
  EXPECT_EQ(detail_of(log, &kind), "");
}

TEST_F(Channels, DeleteChecksTheChannelAndCreatesNoMaskRecord) {
  EXPECT_EQ(get("/2005", R"({"chnid":64})").out, kJsonError);
  EXPECT_EQ(get("/2005", R"({"chnid":-1})").out, kJsonError);
  EXPECT_EQ(get("/2005", "chnid=3").out, kJsonError);
  EXPECT_TRUE(sent_before_marker().empty());
  // Every channel of the recorder can be deleted, not only the first sixteen.
  EXPECT_EQ(get("/2005", R"({"chnid":40})").out, kText + "OK");
  EXPECT_EQ(stored_text("osd", 40, "name"), "CAM41");
  EXPECT_EQ(nvrdb({"record", "get", "privacy_mask", "40"}).rfind("(never written", 0), 0u);
}

TEST_F(Channels, ChannelSettingsAnswerInThePagesKeyOrder) {
  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  nvrdb({"record", "set", "camera", "3", "model=2"});
  auto r = get("/2000", R"({"chnid":3})");
  json_object* o = json_tokener_parse(camtest::body_of(r, kJson).c_str());
  ASSERT_NE(o, nullptr) << r.out;
  std::vector<std::string> keys;
  json_object_object_foreach(o, key, value) {
    (void)value;
    keys.emplace_back(key);
  }
  const std::vector<std::string> want = {"id",           "name",           "ipAddr",
                                         "managePort",   "protocol",       "model",
                                         "userName",     "password",       "transmitProtocol",
                                         "mainRtspPort", "mainSourcePath", "subRtspEnable",
                                         "subRtspPort",  "subSourcePath",  "syncTime",
                                         "mainRtspUrl",  "subRtspUrl",     "physicalport",
                                         "poechannel",   "mac_addr",       "minorid",
                                         "ddns",         "httpsPort"};
  EXPECT_EQ(keys, want);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(o, "name")), "Front door");
  EXPECT_EQ(json_object_get_int(json_object_object_get(o, "model")), 2);
  EXPECT_EQ(json_object_get_int(json_object_object_get(o, "protocol")), 2);  // model 2's protocol
  EXPECT_EQ(json_object_get_int(json_object_object_get(o, "subRtspEnable")), 1);
  json_object_put(o);

  EXPECT_EQ(get("/2000", R"({"chnid":64})").out, kJsonError);
  EXPECT_EQ(get("/2000", "garbage").out, kJsonError);
  EXPECT_EQ(get("/2000", R"({"id":3})").out, kJsonError);
}

TEST_F(Channels, SetLoginAndTransport) {
  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  ASSERT_EQ(sent(3).size(), 3u);
  start_core("");

  EXPECT_EQ(post("/2017", R"({"id":3,"userName":"op","password":"new"})").out, kText + "OK");
  EXPECT_EQ(stored_text("camera", 3, "username"), "op");
  EXPECT_EQ(stored_text("camera", 3, "password"), "new");
  EXPECT_EQ(stored_text("camera", 3, "ipaddr"), "192.168.1.50");
  auto msgs = sent(2);
  EXPECT_EQ(payload_of(msgs, 1203), Bytes().i32(3).hex());
  OperationLogRecord log = logged(msgs);
  EXPECT_EQ(log_kind(log), (std::vector<int64_t>{4, 204, 903, 4}));
  int kind = 0;
  EXPECT_EQ(
      nvrtest::to_hex(detail_of(log, &kind)),
      nvrtest::to_hex(camera_detail(903, "192.168.1.50", 8080, 4, "ONVIF", "RTSP Over HTTPS", 1)));

  EXPECT_EQ(post("/2031", R"({"id":3,"transmitProtocol":1,"syncTime":0,"httpsPort":9443})").out,
            kText + "OK");
  EXPECT_EQ(stored_int("camera", 3, "transmit_protocol"), 1);
  EXPECT_EQ(stored_int("camera", 3, "sync_time"), 0);
  EXPECT_EQ(stored_int("camera", 3, "https_port"), 9443);
  EXPECT_EQ(stored_text("camera", 3, "username"), "op");
}

TEST_F(Channels, SetLoginAndTransportRefuseChannelsOutsideTheStore) {
  const struct {
    std::string path, body;
  } cases[] = {
      {"/2017", R"({"id":64,"userName":"op","password":"new"})"},
      {"/2017", R"({"id":-1,"userName":"op","password":"new"})"},
      {"/2017", R"({"id":3,"userName":"op","password":""})"},
      {"/2017", R"({"id":3,"password":"x"})"},
      {"/2031", R"({"id":64,"transmitProtocol":1})"},
      {"/2031", R"({"id":-5,"transmitProtocol":1})"},
      {"/2031", R"({"transmitProtocol":1})"},
      {"/2031", "nope"},
  };
  for (const auto& c : cases) EXPECT_EQ(post(c.path, c.body).out, "") << c.path << " " << c.body;
  EXPECT_TRUE(sent_before_marker().empty());
  EXPECT_EQ(stored_text("camera", 3, "username"), "");
}

TEST_F(Channels, FailedStoreWritesAreNotAnsweredOk) {
  ASSERT_EQ(post("/2004", kAddBody).out, kText + "OK");
  ASSERT_EQ(sent(3).size(), 3u);
  refuse_writes("camera");
  start_core("");

  std::string other = kAddBody;
  other.replace(other.find("\"id\":3"), 6, "\"id\":4");
  EXPECT_EQ(post("/2004", other).out, kTextError);
  EXPECT_EQ(post("/2003", kAddBody).out, kTextError);
  EXPECT_EQ(post("/2017", R"({"id":3,"userName":"op","password":"new"})").out, kTextError);
  EXPECT_EQ(post("/2031", R"({"id":3,"transmitProtocol":1})").out, kTextError);
  EXPECT_EQ(get("/2005", R"({"chnid":3})").out, kTextError);
  EXPECT_TRUE(sent_before_marker().empty());
  EXPECT_EQ(stored_text("camera", 3, "username"), "admin");
  EXPECT_EQ(stored_int("camera", 4, "enable"), 0);
}

TEST_F(Channels, ChannelNamesFollowMaxCamerasUpToSixtyFour) {
  nvrdb({"record", "set", "osd", "1", "name=Yard"});
  const struct {
    std::string max;
    std::size_t count;
  } cases[] = {{"2", 2}, {"32", 32}, {"100", 64}, {"-3", 0}};
  for (const auto& c : cases) {
    nvrdb({"param", "set", "max_cameras", c.max});
    json_object* o = json_tokener_parse(camtest::body_of(get("/2012"), kJson).c_str());
    ASSERT_NE(o, nullptr) << c.max;
    json_object* list = json_object_object_get(o, "IPC");
    EXPECT_EQ(json_object_array_length(list), c.count) << c.max;
    if (c.count >= 2) {
      json_object* yard = json_object_array_get_idx(list, 1);
      EXPECT_EQ(json_object_get_int(json_object_object_get(yard, "id")), 1);
      EXPECT_STREQ(json_object_get_string(json_object_object_get(yard, "name")), "Yard");
    }
    json_object_put(o);
  }
}

TEST_F(Channels, ProtocolCatalogueHidesTheOwnProtocolsModelList) {
  nvrdb({"record", "set", "ipc_protocol", "2", "display_model=1"});
  nvrdb({"record", "set", "ipc_model", "5", "protocol=2", "name=Dome", "alarm_type=1"});
  auto r = get("/2008");
  json_object* o = json_tokener_parse(camtest::body_of(r, kJson).c_str());
  ASSERT_NE(o, nullptr) << r.out;
  json_object* protocols = json_object_object_get(o, "protocols");
  ASSERT_EQ(json_object_array_length(protocols), 3u);
  json_object* own = json_object_array_get_idx(protocols, 2);
  EXPECT_EQ(json_object_get_int(json_object_object_get(own, "display_model")), 0);
  json_object* models = json_object_object_get(own, "models");
  ASSERT_EQ(json_object_array_length(models), 2u);
  EXPECT_STREQ(json_object_to_json_string(json_object_array_get_idx(models, 1)),
               R"({ "id": 5, "name": "Dome", "alarm_type": 1, "default_model": 0 })");
  json_object_put(o);
  EXPECT_EQ(stored_int("ipc_protocol", 2, "display_model"), 0);
}

TEST_F(Channels, PoeFactsAndIpv6) {
  EXPECT_EQ(get("/2016").out, kText + "zq4821");
  EXPECT_EQ(get("/2018").out, kText + "0");
  nvrdb({"param", "set", "poepsd", "s3cret"});
  nvrdb({"param", "set", "max_poe_num", "8"});
  EXPECT_EQ(get("/2016").out, kText + "s3cret");
  EXPECT_EQ(get("/2018").out, kText + "8");

  EXPECT_EQ(get("/2034").out, kText + "0");  // no address list
  root_.write("/proc/net/if_inet6",
              "00000000000000000000000000000001 01 80 10 80       lo\n"
              "fe800000000000000211223344556677 02 40 20 80     eth0\n");
  EXPECT_EQ(get("/2034").out, kText + "0");
  root_.write("/proc/net/if_inet6",
              "fe800000000000000211223344556677 02 40 20 80     eth0\n"
              "20010db8000000000211223344556677 02 40 00 00     eth0\n");
  EXPECT_EQ(get("/2034").out, kText + "1");
}

TEST_F(Channels, PathsNotBuiltYetStaySilent) {
  EXPECT_EQ(get("/2013").out, "");
}

}  // namespace
