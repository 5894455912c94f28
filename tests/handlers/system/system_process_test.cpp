// The system pages through webcgi and coresim processes on a private root: an account's
// whole life and its login, the system information of a scripted 8400, configuration
// export, download and import with the profile tool's recording stand-in (and uploads whose
// names try to escape), restart and restore with their notices and log records.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/handler_process.h"
#include "support/json_tree.h"
#include "support/store_sql.h"

namespace {

using nvrtest::Bytes;
using nvrtest::CgiRequest;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;
using nvrtest::ProcessResult;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;
const std::string kBobMd5 = "9f9d51bc70ef21ca5c14f307980a29d8";  // "bob"

std::vector<uint32_t> types_of(const std::vector<JournalEntry>& sent) {
  std::vector<uint32_t> types;
  for (const auto& e : sent) types.push_back(e.type);
  return types;
}

// The messages of one request, ordered by type: the log record travels apart from the
// notices, so their arrival order is not the order sent.
std::vector<JournalEntry> by_type(std::vector<JournalEntry> sent, std::size_t from,
                                  std::size_t to) {
  std::vector<JournalEntry> part(sent.begin() + static_cast<std::ptrdiff_t>(from),
                                 sent.begin() + static_cast<std::ptrdiff_t>(to));
  std::stable_sort(part.begin(), part.end(),
                   [](const JournalEntry& a, const JournalEntry& b) { return a.type < b.type; });
  return part;
}

class SystemPages : public nvrtest::HandlerProcessTest {
 protected:
  std::string json_of(const ProcessResult& r) {
    EXPECT_EQ(r.out.rfind(kJson, 0), 0u) << r.out;
    return r.out.size() >= kJson.size() ? r.out.substr(kJson.size()) : "";
  }
  // The profile tool's stand-in and a plain "uptime" in the root's programs.
  void install_programs() {
    std::ifstream in(std::string(NVR_SOURCE_DIR) + "/sim/standins/dvprofile");
    std::stringstream script;
    script << in.rdbuf();
    root_.write("/usr/bin/dvprofile", script.str(), 0755);
    root_.write("/usr/bin/uptime",
                "#!/bin/sh\necho ' 09:15:27 up 12 days,  3:41,  2 users,  load average: 0.08'\n",
                0755);
  }
  std::string calls() const {
    return root_.exists("/tmp/dvprofile.calls") ? root_.read("/tmp/dvprofile.calls") : "";
  }
  ProcessResult upload(const std::string& path, const std::string& filename,
                       const std::string& content) {
    CgiRequest req;
    req.method = "POST";
    req.path = path;
    req.cookie = cookie_;
    req.content_type = "multipart/form-data; boundary=B";
    req.body = "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + filename +
               "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--B--\r\n";
    return run_webcgi(root_, req);
  }
};

TEST_F(SystemPages, AnAccountsLifeAndLogin) {
  const std::string bob =
      R"({"name":"bob","password":")" + kBobMd5 +
      R"(","type":1,"permission":0,"remotePermission":0,"localLiveView":1,"remoteplayback":"11"})";
  EXPECT_EQ(post("/6071", bob).out, kText + "id=1");
  EXPECT_EQ(post("/6071", bob).out, kText + "SAMEUSER");
  auto sent = by_type(core_->wait_journal(2), 0, 2);
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{3485, 3505}));
  EXPECT_EQ(sent[1].length, 0u);
  EXPECT_EQ(nvrtest::log_record(sent[0]).paramType, 921);
  EXPECT_EQ(nvrtest::log_record(sent[0]).subType, 204);
  EXPECT_EQ(post("/6072", R"({"id":1,"type":2,"remoteLiveView":1})").out, kText + "OK");
  sent = core_->wait_journal(3);
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[2].type, 3505u);
  EXPECT_EQ(sent[2].hex, Bytes().i32(1).hex());

  JsonTree list(json_of(get("/6070")));
  ASSERT_EQ(json_object_array_length(list.get()), 2u);
  JsonTree bob_shown(json_object_to_json_string(json_object_array_get_idx(list.get(), 1)));
  EXPECT_EQ(bob_shown.text("password"), "\"" + kBobMd5 + "\"");
  EXPECT_EQ(bob_shown.text("type"), "2");
  EXPECT_EQ(bob_shown.text("remoteLiveView"), "1");
  EXPECT_EQ(bob_shown.text("remoteplayback"), R"("11")");
  EXPECT_EQ(bob_shown.keys().size(), 31u);

  JsonTree login(
      post("/1000", R"({"userName":"bob","md5":")" + kBobMd5 + R"("})").out.substr(kText.size()));
  EXPECT_EQ(login.text("type"), "2");
  EXPECT_EQ(login.text("userName"), R"("bob")");

  EXPECT_EQ(post("/6073", R"({"id":1,"type":2})").out, kText + "OK");
  sent = by_type(core_->wait_journal(6), 4, 6);  // after the login's log record
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{3485, 3505}));
  EXPECT_EQ(sent[1].hex, Bytes().i32(1).hex());
  EXPECT_EQ(nvrtest::log_record(sent[0]).paramType, 922);
  EXPECT_EQ(json_object_array_length(JsonTree(json_of(get("/6070"))).get()), 1u);
  JsonTree refused(
      post("/1000", R"({"userName":"bob","md5":")" + kBobMd5 + R"("})").out.substr(kText.size()));
  EXPECT_EQ(refused.text("type"), "-1");

  // A full table is answered before the body is looked at.
  EXPECT_EQ(nvrtest::store_sql(root_,
                               "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                               "FROM n WHERE i < 99) INSERT OR REPLACE INTO user "
                               "(id, enable, name) SELECT i, 1, 'u' || i FROM n"),
            "");
  EXPECT_EQ(post("/6071", bob).out, kText + "FAILED_FULL");
  EXPECT_EQ(core_->wait_journal(7, 0.5).size(), 6u);
}

TEST_F(SystemPages, SystemInformationFromTheCore) {
  install_programs();
  nvrdb({"param", "set", "company", "Harbour Security"});
  nvrdb({"param", "set", "stream_information", "2"});
  Bytes info;
  info.i32(42).i32(16).zeros(8).i32(8).i32(2).zeros(4).i32(2).i32(1).zeros(8).i32(1).zeros(4);
  info.i32(2).zeros(4).i32(7).zeros(4).i32(1);
  info.text(std::string(65, 'S'), 65);  // a serial number without its NUL
  info.text("PFX", 16).text("NVR-16", 32).text("V8.1", 32).text("HW2", 192);
  info.text("00:11:22:33:44:55", 43).i32(1).zeros(136);
  ASSERT_EQ(info.str().size(), 592u);
  start_core("3400 hex=" + info.hex() + "\n");

  ProcessResult r = get("/1009");
  JsonTree shown(json_of(r));
  const std::vector<std::string> order = {
      "hostName", "deviceName",    "deviceId",       "product",
      "hwver",    "software",      "oemversion",     "sn",
      "prefix",   "pluginVersion", "mpluginVersion", "macAddress",
      "dvddns",   "uptime",        "sncode",         "resource",
      "dvfsDbup", "transProtocol", "streamInfo",     "oemonlineupdate",
      "company",  "isSupportTalk"};
  EXPECT_EQ(shown.keys(), order);
  EXPECT_EQ(shown.text("deviceId"), "42");
  EXPECT_EQ(shown.text("product"), R"("NVR-16")");
  EXPECT_EQ(shown.text("sn"), "\"" + std::string(65, 'S') + "\"");  // not into "prefix"
  EXPECT_EQ(shown.text("prefix"), R"("PFX")");
  EXPECT_EQ(shown.text("uptime"), R"(" 09:15:27 up 12 days,  3:41")");
  EXPECT_EQ(shown.text("resource"),
            R"({"displayNum":1,"maxAudioOut":2,"maxNetworkLan":2,"maxSensor":8,"maxAlarm":2,)"
            R"("maxCameras":16,"masRs485":1})");
  EXPECT_EQ(shown.text("company"), R"("Harbour Security")");
  EXPECT_EQ(shown.text("streamInfo"), "2");
  EXPECT_EQ(shown.text("oemversion"), "7");
  EXPECT_EQ(get("/1020").out, r.out);

  start_core("3400 silent\n");
  EXPECT_EQ(get("/1009").out, nvrtest::kJsonErrorBody);
}

TEST_F(SystemPages, ExportDownloadAndImport) {
  install_programs();
  EXPECT_EQ(post("/1007", "").out, kText + "OK filename=nvr_config.bin\r\n");
  std::string exported = root_.read("/tmp/nvr_config.bin");
  ProcessResult down = get("/1013");
  EXPECT_EQ(down.out,
            "Content-Type:application/octet-stream\r\n"
            "Content-Disposition: attachment; filename= nvr_config.bin\r\n\r\n" +
                exported);
  EXPECT_FALSE(root_.exists("/tmp/nvr_config.bin"));

  EXPECT_EQ(upload("/1008", "saved config.bin", exported).out, kText + "OK");
  EXPECT_FALSE(root_.exists("/tmp/saved config.bin"));
  EXPECT_EQ(calls(), "dvprofile -e " + root_.at("/tmp") + "\ndvprofile -i " +
                         root_.at("/tmp/saved config.bin") + "\n");
  auto sent = core_->wait_journal(2);
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{3485, 3485}));
  EXPECT_EQ(nvrtest::log_record(sent[0]).subType, 213);
  EXPECT_EQ(nvrtest::log_record(sent[1]).subType, 214);

  // The tool refuses a file it did not write: the error, no log record.
  EXPECT_EQ(upload("/1008", "other.bin", "not a profile").out, kText + "CGI ERROR");
  EXPECT_EQ(core_->wait_journal(3, 0.5).size(), 2u);
}

TEST_F(SystemPages, HostileNamesRunNothingAndTouchNothingOutsideTmp) {
  install_programs();
  root_.write("/mnt/nand/keep.txt", "keep");
  // Request texts that name no plain file in /tmp: the tool is never started.
  for (const char* text : {"/tmp/../mnt/nand/keep.txt", "/mnt/nand/keep.txt", "/tmp/", "/tmp/a/b",
                           "/tmp/x\"; rm -rf /mnt; \"", "$(touch /tmp/pwned)"})
    EXPECT_EQ(post("/1008", text).out, kText + "CGI ERROR") << text;
  EXPECT_EQ(calls(), "");
  // Upload names the client made up: the file lands in /tmp under its base name, the tool
  // gets it as one argument and refuses it; no shell ever sees the name.
  for (const char* name :
       {"../../mnt/nand/keep.txt", "$(touch pwned).bin", "a & b.bin", "x\";touch pwned;\".bin"})
    EXPECT_EQ(upload("/1008", name, "data").out, kText + "CGI ERROR") << name;
  EXPECT_EQ(root_.read("/mnt/nand/keep.txt"), "keep");
  EXPECT_FALSE(root_.exists("/tmp/pwned"));
  EXPECT_FALSE(root_.exists("/pwned"));
  EXPECT_NE(calls().find("dvprofile -i " + root_.at("/tmp/$(touch pwned).bin") + "\n"),
            std::string::npos);

  // An export marker that names a file elsewhere, or a link, is neither sent nor removed.
  root_.write("/tmp/.export_down_file", "/mnt/nand/keep.txt\n");
  EXPECT_EQ(get("/1013").out, "");
  ASSERT_EQ(symlink(root_.at("/mnt/nand/keep.txt").c_str(), root_.at("/tmp/link.bin").c_str()), 0);
  root_.write("/tmp/.export_down_file", "/tmp/link.bin\n");
  EXPECT_EQ(get("/1013").out, "");
  EXPECT_EQ(root_.read("/mnt/nand/keep.txt"), "keep");
  EXPECT_TRUE(root_.exists("/tmp/link.bin"));
  EXPECT_TRUE(core_->journal().empty());
}

TEST_F(SystemPages, RestartAndRestore) {
  EXPECT_EQ(post("/1004", "").out, kText + "OK");
  auto sent = by_type(core_->wait_journal(2), 0, 2);
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{1703, 3485}));
  EXPECT_EQ(nvrtest::log_record(sent[1]).subType, 200);
  EXPECT_EQ(nvrtest::log_record(sent[1]).paramType, 900);
  EXPECT_EQ(post("/1006", R"({"keepIp":1})").out, kText + "OK");
  EXPECT_EQ(post("/1006", "not json").out, "");
  sent = by_type(core_->wait_journal(6), 2, 6);
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{1703, 3311, 3410, 3485}));
  EXPECT_EQ(sent[1].hex, Bytes().i32(1).i32(0).hex());
  EXPECT_EQ(nvrtest::log_record(sent[3]).subType, 215);
  EXPECT_STREQ(nvrtest::log_record(sent[3]).userName, "admin");
  EXPECT_EQ(core_->wait_journal(7, 0.5).size(), 6u);

  // The restart state follows the core's marker, and mends motion intervals of 0.
  EXPECT_EQ(get("/1005").out, kText + "NO OK");
  root_.write("/tmp/dvcore", "");
  EXPECT_EQ(get("/1005").out, kText + "OK");
  EXPECT_EQ(nvrtest::store_query_int(root_, "SELECT interval FROM motion WHERE chn = 0"), 20);
  EXPECT_EQ(nvrtest::store_query_int(root_, "SELECT email_interval FROM motion WHERE chn = 0"), 20);
}

}  // namespace
