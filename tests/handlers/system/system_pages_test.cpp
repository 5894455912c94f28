// The system module's pages served in process: the maintenance and reboot pairs, the account
// rules (checks, name clashes at 31 characters, a full table, free slots), identity and
// display saves with the exact messages they send, and the text rules of uptime and upload
// paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dvdb.h"
#include "support/bytes.h"
#include "support/cgi_runner.h"
#include "support/inprocess.h"
#include "support/json_tree.h"
#include "support/settings_pair.h"
#include "system/system_handlers.h"
#include "system/system_store.h"
#include "system/user_record.h"

namespace {

using nvrtest::Bytes;
using nvrtest::InProcess;
using nvrtest::JournalEntry;
using nvrtest::JsonTree;
using nvrtest::SettingsPair;

const std::string& kText = nvrtest::kTextHeader;
const std::string& kJson = nvrtest::kJsonHeader;

const SettingsPair kPairs[] = {
    {.name = "maintenance",
     .set_path = "/1017",
     .body = R"({"logRetention":-1,"photoRetention":12})",
     .get_path = "/1016",
     .get_contains = R"({"logRetention":-1,"photoRetention":12})",
     .notice = 2102,
     .refused = {"not json", R"({"logRetention":3,"photoRetention":12})",
                 R"({"logRetention":14,"photoRetention":12})",
                 R"({"logRetention":-2,"photoRetention":0})", R"({"logRetention":0})",
                 R"({"logRetention":"abc","photoRetention":0})"},
     .table = "disk_maintain"},
    {.name = "reboot",
     .set_path = "/1033",
     .body = R"({"enable":1,"wday":3,"hour":4,"minutes":30})",
     .get_path = "/1032",
     .get_contains = R"({"enable":1,"wday":3,"hour":4,"minutes":30,"seconds":0})",
     .notice = 1718,
     .refused = {"not json", "[1,2]"},
     .table = "autoreboot"},
};

class SystemPairs : public ::testing::TestWithParam<SettingsPair> {};

TEST_P(SystemPairs, SaveReadBackRefuseAndFail) {
  nvrtest::check_settings_pair(GetParam());
}

INSTANTIATE_TEST_SUITE_P(Pairs, SystemPairs, ::testing::ValuesIn(kPairs),
                         [](const ::testing::TestParamInfo<SettingsPair>& p) {
                           return p.param.name;
                         });

std::vector<uint32_t> types_of(const std::vector<JournalEntry>& sent) {
  std::vector<uint32_t> types;
  for (const auto& e : sent) types.push_back(e.type);
  return types;
}

std::string account(const std::string& name, int type = 1) {
  return R"({"name":")" + name + R"(","password":"0123456789abcdef0123456789abcdef","type":)" +
         std::to_string(type) + R"(,"permission":0,"remotePermission":0,"localliveview":"101"})";
}

// One request and what it must answer and send; run in order on one store.
struct Step {
  const char* path;
  std::string body;
  std::string answer;
  std::vector<uint32_t> sent;
};

TEST(SystemAccounts, RulesOfAddChangeAndDelete) {
  InProcess& web = InProcess::instance();
  (void)web.sent();
  const std::string name31(31, 'q');
  const Step steps[] = {
      {"/6071", account(name31 + "A"), kText + "id=1", {3505, 3485}},
      // The same first 31 characters are the same account name.
      {"/6071", account(name31 + "B"), kText + "SAMEUSER", {}},
      {"/6071", account("admin"), kText + "SAMEUSER", {}},
      {"/6071", account("bob", 4), "", {}},
      {"/6071", R"({"name":"bob","type":1,"permission":-2,"remotePermission":0})", "", {}},
      {"/6071", R"({"name":"bob","type":1,"permission":0})", "", {}},
      {"/6071", "not json", "", {}},
      {"/6071", account("bob"), kText + "id=2", {3505, 3485}},
      // Renaming to one's own name is no clash; to another's is.
      {"/6072", R"({"id":2,"name":"bob","localShutdown":1})", kText + "OK", {3505}},
      {"/6072", R"({"id":2,"name":"admin"})", kText + "SAMEUSER", {}},
      // A slot must be named, in range, in use, and a type must be one of 0 to 3.
      {"/6072", R"({"name":"x"})", "", {}},
      {"/6072", R"({"id":100,"name":"x"})", "", {}},
      {"/6072", R"({"id":-1})", "", {}},
      {"/6072", R"({"id":2,"type":4})", "", {}},
      {"/6072", R"({"id":7,"name":"ghost"})", "", {}},
      {"/6073", R"({"id":100,"type":1})", "", {}},
      {"/6073", R"({"id":1})", "", {}},
      {"/6073", R"({"id":1,"type":5})", "", {}},
      {"/6073", R"({"id":1,"type":1})", kText + "OK", {3505, 3485}},
      // The freed slot is the next one taken.
      {"/6071", account("carol"), kText + "id=1", {3505, 3485}},
  };
  for (const Step& s : steps) {
    EXPECT_EQ(web.post(s.path, s.body), s.answer) << s.path << " " << s.body;
    EXPECT_EQ(types_of(web.sent()), s.sent) << s.path << " " << s.body;
  }

  JsonTree list(web.get("/6070").substr(kJson.size()));
  ASSERT_TRUE(json_object_is_type(list.get(), json_type_array));
  std::vector<std::string> names;
  for (std::size_t i = 0; i < json_object_array_length(list.get()); ++i)
    names.push_back(json_object_get_string(
        json_object_object_get(json_object_array_get_idx(list.get(), i), "name")));
  EXPECT_EQ(names, (std::vector<std::string>{"admin", "carol", "bob"}));

  UserRecord bob;
  ASSERT_EQ(store_read(kStoreMain, 2, &bob), 0);
  EXPECT_EQ(bob.local_shutdown, 1);
  EXPECT_EQ(bob.local_live_view_mask, 0b101u);
  EXPECT_STREQ(bob.extra, "0");
}

TEST(SystemAccounts, AFullTableAndARefusedAddSendNothing) {
  InProcess& web = InProcess::instance();
  for (int id = 0; id < kMaxUsers; ++id) {
    UserRecord u{};
    u.id = id;
    u.enable = 1;
    std::snprintf(u.name, sizeof u.name, id == 0 ? "admin" : "filler%d", id);
    ASSERT_EQ(store_write(kStoreMain, u), 0);
  }
  (void)web.sent();
  EXPECT_EQ(web.post("/6071", "not even json"), kText + "FAILED_FULL");

  // With a slot free but the store refusing the add, the answer is the same and nothing is
  // announced.
  ASSERT_EQ(web.post("/6073", R"({"id":50,"type":1})"), kText + "OK");
  (void)web.sent();
  web.refuse_writes("user");
  EXPECT_EQ(web.post("/6071", account("dave")), kText + "FAILED_FULL");
  EXPECT_TRUE(web.sent().empty());
  web.allow_writes("user");
  for (int id = 1; id < kMaxUsers; ++id) {
    UserRecord u{};
    u.id = id;
    ASSERT_EQ(store_write(kStoreMain, u), 0);
  }
}

TEST(SystemIdentity, DeviceIdRangeAndTheMessagesOfASave) {
  InProcess& web = InProcess::instance();
  (void)web.sent();
  for (const char* body :
       {R"({"hostName":"nvr","deviceId":0})", R"({"hostName":"nvr","deviceId":256})",
        R"({"hostName":"","deviceId":5})", R"({"deviceId":5})", "not json"})
    EXPECT_EQ(web.post("/1012", body), "") << body;
  EXPECT_TRUE(web.sent().empty());

  EXPECT_EQ(web.post("/1012", R"({"hostName":"gate-nvr","deviceId":255})"), kText + "OK");
  auto sent = web.sent();
  ASSERT_EQ(types_of(sent), (std::vector<uint32_t>{1705, 1702}));
  EXPECT_EQ(sent[0].hex, Bytes().i32(255).hex());
  EXPECT_EQ(sent[1].hex, Bytes().text("hostname", 32).hex());
  JsonTree shown(web.get("/6080").substr(kJson.size()));
  EXPECT_EQ(shown.text("hostname"), R"("gate-nvr")");
  EXPECT_EQ(shown.text("deviceId"), R"("255")");
}

const char* kGeneral =
    R"({"displayMode":1,"hdmihotplug":0,"mainResolution":3,"hdmiAudioOn":1,"subEnable":1,)"
    R"("subResolution":2,"audioOutputOn":1,"audioVolume":70,"hostname":"hall","deviceId":7,)"
    R"("wizardEnable":0,"streamInfo":1,"homologous":0,"isHomologousChanged":0})";

TEST(SystemGeneral, ASaveSendsItsMessagesInOrder) {
  InProcess& web = InProcess::instance();
  DisplayRecord display{};
  ASSERT_EQ(store_write(kStoreMain, display), 0);
  (void)web.sent();
  EXPECT_EQ(web.post("/6081", kGeneral), kText + "OK");
  auto sent = web.sent();
  // Sub output differs from the quick-screen flag: 1023; resolutions changed: 1001 twice, 1015.
  ASSERT_EQ(types_of(sent),
            (std::vector<uint32_t>{1023, 1705, 1702, 1001, 1001, 1015, 1002, 3485}));
  EXPECT_EQ(sent[0].hex, Bytes().i32(1).hex());
  EXPECT_EQ(sent[1].hex, Bytes().i32(7).hex());
  EXPECT_EQ(sent[3].hex, Bytes().i32(0).i32(3).hex());
  EXPECT_EQ(sent[4].hex, Bytes().i32(1).i32(2).hex());
  EXPECT_EQ(sent[6].hex, Bytes().i32(1).i32(1).i32(70).hex());
  EXPECT_EQ(nvrtest::log_record(sent[7]).paramType, 913);

  JsonTree shown(web.get("/6080").substr(kJson.size()));
  EXPECT_EQ(shown.plain(),
            R"({"displayMode":1,"hdmihotplug":"0","mainResolution":3,"hdmiAudioOn":1,)"
            R"("homologous":1,"curControl":0,"subEnable":1,"subResolution":2,"audioOutputOn":1,)"
            R"("audioVolume":70,"deviceId":"7","hostname":"hall","wizardEnable":"0"})");

  // Switching to separate screens restarts the recorder, after the answer; the sub output
  // in control answers "SUB".
  display.cur_control = 1;
  display.main_resolution = 3;
  display.sub_resolution = 2;
  ASSERT_EQ(store_write(kStoreMain, display), 0);
  std::string body = kGeneral;
  body.replace(body.find(R"("isHomologousChanged":0)"), 23, R"("isHomologousChanged":1)");
  EXPECT_EQ(web.post("/6081", body), kText + "SUB");
  EXPECT_EQ(types_of(web.sent()), (std::vector<uint32_t>{1705, 1702, 1002, 3485, 1703}));
  ASSERT_EQ(store_read(kStoreMain, 0, &display), 0);
  EXPECT_EQ(display.quick_screen, 1);

  for (const char* bad : {R"("audioVolume":75)", R"("audioVolume":110)", R"("deviceId":257)",
                          R"("subEnable":2)", R"("wizardEnable":"x")"}) {
    std::string b = kGeneral;
    std::string key = std::string(bad).substr(0, std::string(bad).find(':') + 1);
    std::size_t at = b.find(key);
    b.replace(at, b.find_first_of(",}", at) - at, bad);
    EXPECT_EQ(web.post("/6081", b), "") << b;
  }
  EXPECT_TRUE(web.sent().empty());
}

TEST(SystemText, UptimeCuts) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {" 10:01:02 up 3 days,  2:04,  2 users,  load average: 0.10, 0.20, 0.30",
       " 10:01:02 up 3 days,  2:04"},
      {" 10:01:02 up 5 min,  1 user,  load average: 0.00", " 10:01:02 up 5 min,  1 user,"},
      {"users", ""},
      {"l", ""},
      {"up 2 min", "up 2 min"},
      {"", ""},
  };
  for (const auto& c : cases) {
    char text[64];
    std::snprintf(text, sizeof text, "%s", c.in);
    cut_uptime(text);
    EXPECT_STREQ(text, c.out) << c.in;
  }
}

TEST(SystemText, OnlyAPlainFileInTmpIsAnUploadOrExport) {
  const struct {
    const char* path;
    bool ok;
  } cases[] = {
      {"/tmp/cgicA1b2C3", true},
      {"/tmp/nvr config.bin", true},
      {"/tmp/", false},
      {"/tmp/..", false},
      {"/tmp/.", false},
      {"/tmp/a/b", false},
      {"/tmp/../etc/passwd", false},
      {"/etc/passwd", false},
      {"tmp/x", false},
      {"/tmpx/y", false},
      {"/tmp/a\nb", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(is_plain_tmp_path(c.path), c.ok) << c.path;
  EXPECT_FALSE(is_plain_tmp_path(nullptr));
}

}  // namespace
