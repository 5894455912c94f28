// The log and upgrade requests through the real webcgi and coresim: the search query as
// sent and refused, a CSV export compared byte for byte, the detail record rebuilt, every
// upgrade status path (time-outs included), the image files under "/dev/shm", and a round
// trip in which the search finds the demo's own log records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"

namespace {

using nvrtest::Bytes;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;
using nvrtest::kJsonErrorBody;
using nvrtest::kJsonHeader;
using nvrtest::kTextErrorBody;
using nvrtest::kTextHeader;

std::string log_bytes(int main_type, int sub, int time, int param, int channel,
                      const std::string& addr, const std::string& user) {
  Bytes b;
  b.i32(main_type).i32(0).i32(sub).i32(0).i32(0).i32(time).i32(param).i32(1).i32(channel);
  return b.text(addr, 46).text(user, 66).i32(0).zeros(520);
}

int32_t i32_at(const std::string& b, std::size_t offset) {
  int32_t v = 0;
  std::memcpy(&v, b.data() + offset, 4);  // the journal's bytes are little-endian, as is x86
  return v;
}

class LogUpgradeProcess : public nvrtest::HandlerProcessTest {
 protected:
  void SetUp() override {
    HandlerProcessTest::SetUp();
    root_.write("/opt/app/lang/en.lang",
                "3=Operation\n5=Exception\n200=Restart\n201=Login\n913=General\n400=Disk full\n");
    root_.write("/etc/mac.conf", "00:1a:2b:3c:4d:5e\n");
  }
  nvrtest::ProcessResult request(const std::string& path, const std::string& body,
                                 const std::string& query = "") {
    nvrtest::CgiRequest req = nvrtest::json_post(path, body, cookie_);
    req.query = query;
    req.extra_env["TZ"] = "UTC0";
    return run_webcgi(root_, req);
  }
  std::vector<JournalEntry> sent(int type) {
    std::vector<JournalEntry> out;
    for (const auto& e : core_->journal())
      if (e.type == static_cast<std::uint32_t>(type)) out.push_back(e);
    return out;
  }
  // The types received, sorted: messages sent without waiting travel on connections of
  // their own, so the order in which the core reads them is not the order sent.
  std::vector<std::uint32_t> types(std::size_t count) {
    std::vector<std::uint32_t> t;
    for (const auto& e : core_->wait_journal(count, 5)) t.push_back(e.type);
    std::sort(t.begin(), t.end());
    return t;
  }
};

TEST_F(LogUpgradeProcess, SearchQueryAndPage) {
  Bytes page;
  page.i32(1).i32(1).text(log_bytes(4, 201, 3600, 913, 2, "::ffff:10.0.0.7", "admin"), 672);
  start_core("3495 hex=" + page.zeros(99 * 672).hex() + "\n");
  auto r = request("/1002", R"({"language":"en","mainType":4,"subTypeArr":[201,202],)"
                            R"("startTime":"2024-03-01 00:00:00","endTime":"2024-03-02 00:00:00",)"
                            R"("curPageNum":3,"chnMask":"0101","searchNoChn":1})");
  JsonTree tree(r.out.substr(kJsonHeader.size()));
  ASSERT_TRUE(tree.ok()) << r.out;
  EXPECT_EQ(tree.text("curPageNum"), "3");
  std::string first = json_object_to_json_string_ext(json_object_array_get_idx(tree.at("log"), 0),
                                                     JSON_C_TO_STRING_PLAIN);
  EXPECT_NE(first.find(R"("mainType":"Operation","subTypeValue":201,"subType":"Login")"),
            std::string::npos);
  EXPECT_NE(first.find(R"("ptc":"1970-01-01 01:00:00")"), std::string::npos);
  auto q = sent(3495);
  ASSERT_EQ(q.size(), 1u);
  std::string b = nvrtest::bytes_of(q[0]);
  ASSERT_EQ(b.size(), 840u);
  EXPECT_EQ(i32_at(b, 0), 1709251200);  // 2024-03-01 00:00:00 UTC
  EXPECT_EQ(i32_at(b, 4), 1709337600);
  EXPECT_EQ(i32_at(b, 8), 4);
  EXPECT_EQ(i32_at(b, 16), 201);
  EXPECT_EQ(i32_at(b, 24), 202);
  EXPECT_EQ(i32_at(b, 816), 2);
  EXPECT_EQ(i32_at(b, 820), 3);
  EXPECT_EQ(i32_at(b, 824), 0xA);  // channels 2 and 4
  EXPECT_EQ(i32_at(b, 832), 1);

  // A page one byte short is no page.
  start_core("3495 hex=" + std::string(2 * 67207, '0') + "\n");
  EXPECT_EQ(request("/1002", R"({"language":"en","mainType":1,"subTypeArr":[10],)"
                             R"("startTime":"2024-03-01 00:00:00","endTime":"2024-03-02 00:00:00",)"
                             R"("curPageNum":1})")
                .out,
            kJsonHeader + "ERROR");
}

TEST_F(LogUpgradeProcess, RefusedQueriesSendNothing) {
  const std::string time = R"("startTime":"2024-03-01 00:00:00","endTime":"2024-03-02 00:00:00",)";
  const std::string refused[] = {
      "not json",
      R"({"language":"en","mainType":4,"subTypeArr":[9],)" + time + R"("curPageNum":1})",
      R"({"language":"en","mainType":4,"subTypeArr":[],)" + time + R"("curPageNum":1})",
      R"({"language":"en","mainType":65,"subTypeArr":[10],)" + time + R"("curPageNum":1})",
      R"({"language":"../../etc/x","mainType":4,"subTypeArr":[10],)" + time + R"("curPageNum":1})",
      R"({"language":"en","mainType":4,"subTypeArr":[10],"startTime":"soon",)"
      R"("endTime":"2024-03-02 00:00:00","curPageNum":1})",
      R"({"language":"en","mainType":4,"subTypeArr":[10],)" + time + "}",
  };
  for (const std::string& body : refused) {
    EXPECT_EQ(request("/1002", body).out, kJsonErrorBody) << body;
    EXPECT_EQ(request("/1003", body).out, "") << body;
  }
  for (const char* lan : {R"({"lan":"../en"})", R"({"lan":"en;id"})", R"({"lan":""})", "x"})
    EXPECT_EQ(request("/1015", lan).out, kJsonErrorBody) << lan;
  EXPECT_TRUE(sent(3495).empty());
  EXPECT_TRUE(sent(3494).empty());
  JsonTree types(request("/1015", R"({"lan":"en"})").out.substr(kJsonHeader.size()));
  EXPECT_EQ(json_object_to_json_string_ext(json_object_array_get_idx(types.at("mainType"), 2),
                                           JSON_C_TO_STRING_PLAIN),
            std::string(R"({"key":4,"name":"Operation"})"));
  EXPECT_EQ(json_object_array_length(json_object_array_get_idx(types.at("subType"), 2)), 70u);
}

TEST_F(LogUpgradeProcess, ExportStreamsTheCoreFileAsCsv) {
  root_.mkdirs("/tmp/log");
  Bytes file;
  file.i32(2);
  file.text(log_bytes(4, 201, 86400, 913, 3, "::ffff:192.168.1.5", "admin"), 672);
  file.text(R"(said "hi", twice)", 4096);
  file.text(log_bytes(32, 400, 90061, 900, 1, "fe80::1%eth0", "guest"), 672).text("", 4096);
  root_.write("/tmp/log/core.dat", file);
  start_core("3494 hex=" + Bytes().i32(0).text("/tmp/log/core.dat", 64).hex() + "\n");
  auto r = request("/1003", R"({"language":"en","mainType":4,"subTypeArr":[12,10,10],)"
                            R"("startTime":"2024-03-01T00:00:00","endTime":"2024-03-02T00:00:00",)"
                            R"("curPageNum":1,"ch":"5","na":0})");
  const std::string head =
      "Content-Type:application/octet-stream\r\n"
      "Content-Disposition: attachment; filename= Operation_log_00:1a:2b:3c:4d:5e_";
  ASSERT_EQ(r.out.rfind(head, 0), 0u) << r.out;
  const std::string csv =
      ".csv\r\n\r\n"
      "Number,Time,Main,Sub,Parameter,User,Ip,Channel,Log information,\r\n"
      "1,1970-01-02 00:00:00,Operation,Login,General,admin,192.168.1.5,3,\"said \"hi\", "
      "twice\",\r\n"
      "2,1970-01-02 01:01:01,Exception,Disk full,N/A,guest,fe80::1,1,\"N/A\",\r\n";
  EXPECT_EQ(r.out.substr(head.size() + 14), csv);
  EXPECT_FALSE(root_.exists("/tmp/log/core.dat"));  // the core's file, removed
  EXPECT_FALSE(root_.exists("/tmp/log/log_web"));   // the marker, gone after the export
  std::string q = nvrtest::bytes_of(sent(3494).at(0));
  EXPECT_EQ(i32_at(q, 16), 102);  // bit 1 of 12 - 10, base 101
  EXPECT_EQ(i32_at(q, 816), 1);
  EXPECT_EQ(i32_at(q, 820), 1);
  EXPECT_EQ(i32_at(q, 824), 5);

  EXPECT_EQ(request("/1022", "").out, kTextHeader + "NO");
  root_.write("/tmp/log/log_web", "");
  EXPECT_EQ(request("/1022", "").out, kTextHeader + "OK");

  // A file the core names outside its own folders is neither read nor removed.
  root_.write("/keep.dat", file);
  start_core("3494 hex=" + Bytes().i32(0).text("/tmp/../keep.dat", 64).hex() + "\n");
  r = request("/1003", R"({"language":"en","mainType":2,"subTypeArr":[10],)"
                       R"("startTime":"2024-03-01T00:00:00","endTime":"2024-03-02T00:00:00",)"
                       R"("curPageNum":1})");
  EXPECT_EQ(r.out.substr(r.out.find(".csv")),
            ".csv\r\n\r\nNumber,Time,Main,Sub,Parameter,User,Ip,Channel,Log information,\r\n");
  EXPECT_TRUE(root_.exists("/keep.dat"));
}

TEST_F(LogUpgradeProcess, DetailRebuildsTheRecord) {
  auto r = request("/1021", R"({"mainTypeValue":4,"subTypeValue":204,"pts":99,)"
                            R"("parameterValue":913,"remote":1,"chanNo":3,"size":0,)"
                            R"("detail2":[117440512,134217728,1718775661,544695650],)"
                            R"("ip":"10.0.0.9","user":"admin"})");
  EXPECT_EQ(r.out, kTextHeader + "from web");
  std::string b = nvrtest::bytes_of(sent(3488).at(0));
  ASSERT_EQ(b.size(), 672u);
  EXPECT_EQ(b.substr(152, 16), Bytes().i32(7).i32(8).text("from web", 8).str());
  EXPECT_EQ(b.substr(36, 9), std::string("10.0.0.9\0", 9));
  EXPECT_EQ(request("/1021", "not json").out, kTextErrorBody);
}

struct StatusCase {
  const char* rule;
  const char* path;
  const char* query;
  std::string out;
  std::vector<std::uint32_t> types;
};

TEST_F(LogUpgradeProcess, EveryUpgradeStatusPath) {
  const std::string ok = kTextHeader + "OK";
  const StatusCase cases[] = {
      {"1713 hex=00000000", "/1010", "reset=1", ok + ok, {3485, 1713, 3485, 1703}},
      {"1713 hex=01000000", "/1010", "", kTextHeader + "1", {3485, 1713}},
      {"1713 hex=fbffffff", "/1010", "x=2", kTextHeader + "-5", {3485, 1713}},
      {"1713 silent", "/1010", "", kTextErrorBody, {3485, 1713}},
      {"1713 hex=00000000",
       "/6088",
       "",
       kJsonHeader + R"({ "res": 0 })",
       {1721, 3485, 1713, 3485, 1703}},
      {"1713 hex=01000000", "/6088", "", kJsonHeader + R"({ "res": 1 })", {1721, 3485, 1713}},
      {"1713 silent", "/6088", "", kJsonErrorBody, {1721, 3485, 1713}},
  };
  for (const StatusCase& c : cases) {
    start_core(std::string(c.rule) + "\n");
    nvrtest::CgiRequest req;
    req.method = "POST";
    req.path = c.path;
    req.query = c.query;
    // "/1010" arrives as an upload whose body webcgi never reads; "/6088" as a plain POST.
    req.content_type =
        std::string(c.path) == "/1010" ? "multipart/form-data; boundary=b" : "application/json";
    req.cookie = cookie_;
    EXPECT_EQ(run_webcgi(root_, req).out, c.out) << c.rule << " " << c.path;
    std::vector<std::uint32_t> expected = c.types;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(types(c.types.size()), expected) << c.rule << " " << c.path;
    auto install = sent(1713);
    ASSERT_EQ(install.size(), 1u);
    EXPECT_EQ(install[0].hex, std::string(c.query) == "reset=1" ? "01000000" : "00000000");
    std::vector<std::int64_t> subs;
    for (const auto& e : sent(3485)) subs.push_back(nvrtest::log_record(e).subType);
    std::sort(subs.begin(), subs.end());
    const std::vector<std::int64_t> logged =
        c.types.size() > 3 ? std::vector<std::int64_t>{200, 203} : std::vector<std::int64_t>{203};
    EXPECT_EQ(subs, logged);
  }
}

TEST_F(LogUpgradeProcess, ImageFilesAndOnlineRequests) {
  root_.mkdirs("/dev/shm");
  EXPECT_EQ(request("/1011", "").out, kTextHeader + "OK");
  EXPECT_EQ(request("/6082", "").out, kTextHeader + "Error");
  root_.write("/dev/shm/updateFM.bin", "image");
  root_.write("/dev/shm/updateIPCFM.bin", "camera image");
  EXPECT_EQ(request("/1011", "").out, kTextHeader + "Error");
  EXPECT_EQ(request("/6082", "").out, kTextHeader + "OK");
  EXPECT_EQ(request("/6084", "").out, kTextHeader + "OK");
  EXPECT_FALSE(root_.exists("/dev/shm/updateIPCFM.bin"));
  EXPECT_EQ(request("/6086", R"({"type":0})").out, kJsonHeader + R"({ "res": 0 })");
  EXPECT_FALSE(root_.exists("/dev/shm/updateFM.bin"));
  EXPECT_EQ(request("/6086", R"({"type":0})").out, kJsonHeader + R"({ "res": 0 })");
  EXPECT_EQ(request("/6085", R"({"type":2,"url":"http://x"})").out, kJsonErrorBody);
  EXPECT_EQ(request("/6086", R"({"type":5})").out, kJsonErrorBody);
  EXPECT_EQ(types(1), std::vector<std::uint32_t>{3351});  // the core heard only the stop

  EXPECT_EQ(request("/6085", R"({"type":1,"url":"http://upgrade.example.com/c.bin"})").out,
            kJsonHeader + R"({ "res": 0 })");
  auto download = nvrtest::bytes_of(sent(1716).at(0));
  EXPECT_EQ(download, Bytes()
                          .text("http://upgrade.example.com/c.bin", 128)
                          .text("/dev/shm/updateIPCFM.bin", 128)
                          .str());
  EXPECT_EQ(request("/6089", R"({"ch":"1010"})").out.substr(0, kJsonHeader.size() + 10),
            kJsonHeader + R"({ "check":)");
  EXPECT_EQ(sent(3365).at(0).hex, Bytes().channel_mask(0x5).hex());
  EXPECT_EQ(request("/6083", R"({"chnid":64,"reset":0})").out, kJsonErrorBody);
  EXPECT_EQ(request("/6083", R"({"chnid":3,"reset":1})").out,
            kJsonHeader + R"({ "chnid": 3, "status": 0 })");
  EXPECT_EQ(nvrtest::bytes_of(sent(3350).at(0)),
            Bytes().i32(3).i32(1).text("/dev/shm/updateIPCFM.bin", 256).str());
  JsonTree check(request("/6087", "").out.substr(kJsonHeader.size()));
  EXPECT_EQ(check.text("state"), "1");
  start_core("1715 silent\n3350 silent\n");
  EXPECT_EQ(request("/6087", "").out, kTextErrorBody);
}

TEST_F(LogUpgradeProcess, SearchFindsTheRecordersOwnLog) {
  EXPECT_EQ(request("/1004", "").out, kTextHeader + "OK");  // logs a restart (sub type 200)
  core_->wait_journal(2, 5);
  auto r = request("/1002", R"({"language":"en","mainType":4,"subTypeArr":[200],)"
                            R"("startTime":"2000-01-01 00:00:00","endTime":"2037-12-31 00:00:00",)"
                            R"("curPageNum":1,"chnMask":""})");
  JsonTree tree(r.out.substr(kJsonHeader.size()));
  ASSERT_TRUE(tree.ok()) << r.out;
  EXPECT_EQ(tree.text("count"), "1");
  std::string first = json_object_to_json_string_ext(json_object_array_get_idx(tree.at("log"), 0),
                                                     JSON_C_TO_STRING_PLAIN);
  EXPECT_NE(first.find(R"("subType":"Restart")"), std::string::npos) << first;
  EXPECT_NE(first.find(R"("ip":"192.168.1.100","user":"admin"})"), std::string::npos) << first;
  r = request("/1003", R"({"language":"en","mainType":4,"subTypeArr":[10],)"
                       R"("startTime":"2000-01-01T00:00:00","endTime":"2037-12-31T00:00:00",)"
                       R"("curPageNum":1})");
  EXPECT_NE(r.out.find(",Operation,Restart,N/A,admin,192.168.1.100,0,"), std::string::npos)
      << r.out;
}

}  // namespace
