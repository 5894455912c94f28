// Login, logout, the mail-link guest login and the language list, through webcgi and
// coresim processes on a private root seeded with nvrdb.
#include <gtest/gtest.h>

#include <json-c/json.h>
#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "loginfo.h"
#include "support/cgi_runner.h"
#include "support/coresim.h"

namespace {

using nvrtest::CgiRequest;
using nvrtest::CoreSim;
using nvrtest::ProcessResult;
using nvrtest::TempRoot;

const std::string& kText = nvrtest::kTextHeader;
const std::string kAdminMd5 = "0192023a7bbd73250516f069df18b500";  // "admin123"

class Login : public ::testing::Test {
 protected:
  void SetUp() override {
    nvrdb({"init"});
    ASSERT_TRUE(core_.ok());
  }
  void nvrdb(const std::vector<std::string>& args) {
    ASSERT_EQ(nvrtest::run_nvrdb(root_, args).exit_code, 0) << args[0];
  }
  ProcessResult post(const std::string& path, const std::string& body,
                     const std::string& cookie = "") {
    return nvrtest::run_webcgi(root_, nvrtest::json_post(path, body, cookie));
  }
  ProcessResult login(const std::string& user, const std::string& md5) {
    return post("/1000", "{\"userName\":\"" + user + "\",\"md5\":\"" + md5 + "\"}");
  }
  OperationLogRecord logged(std::size_t count = 1) {
    auto sent = core_.wait_journal(count);
    OperationLogRecord rec{};
    if (sent.size() >= count && sent[count - 1].type == 3485 &&
        sent[count - 1].bytes().size() == sizeof rec)
      std::memcpy(&rec, sent[count - 1].bytes().data(), sizeof rec);
    return rec;
  }

  TempRoot root_;
  CoreSim core_{root_};
};

std::vector<std::string> keys_of(const std::string& json_text) {
  std::vector<std::string> keys;
  json_object* o = json_tokener_parse(json_text.c_str());
  if (o == nullptr) return keys;
  json_object_object_foreach(o, key, value) {
    (void)value;
    keys.emplace_back(key);
  }
  json_object_put(o);
  return keys;
}

TEST_F(Login, SuccessAnswersTheAccountAndDeviceFactsInOrder) {
  nvrdb({"param", "set", "same_channel_exist", "2"});
  nvrdb({"param", "set", "model", "NVR-32"});
  // The hash is compared without regard to letter case.
  std::string upper = kAdminMd5;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  ProcessResult r = login("admin", upper);
  ASSERT_EQ(r.out.rfind(kText, 0), 0u) << r.out;
  std::string body = r.out.substr(kText.size());
  const std::vector<std::string> expected = {"type",
                                             "userName",
                                             "permission",
                                             "localLiveView",
                                             "localPlayback",
                                             "localRetrieve",
                                             "localSmartAnalysis",
                                             "localEvent",
                                             "localCamera",
                                             "localStorage",
                                             "localSettings",
                                             "localStatus",
                                             "localShutdown",
                                             "localliveview",
                                             "localplayback",
                                             "remotePermisson",
                                             "remoteLiveView",
                                             "remotePlayback",
                                             "remoteRetrieve",
                                             "remoteSmartAnalysis",
                                             "remoteEvent",
                                             "remoteCamera",
                                             "remoteStorage",
                                             "remoteSettings",
                                             "remoteStatus",
                                             "remoteShutdown",
                                             "remoteliveview",
                                             "remoteplayback",
                                             "sessionId",
                                             "failoverMode",
                                             "sameChannel",
                                             "hardwareVersion",
                                             "softwareVersion",
                                             "model"};
  EXPECT_EQ(keys_of(body), expected);
  EXPECT_NE(body.find("\"type\": 0,"), std::string::npos) << body;
  EXPECT_NE(body.find("\"sameChannel\": 1,"), std::string::npos);
  EXPECT_NE(body.find("\"hardwareVersion\": \"V1.1\", \"softwareVersion\": \"7x.7.0.9\", "
                      "\"model\": \"NVR-32\""),
            std::string::npos);
  EXPECT_TRUE(std::regex_search(body, std::regex("\"sessionId\": \"[0-9]{32}\"")));

  OperationLogRecord rec = logged();
  EXPECT_EQ(rec.mainType, 4);
  EXPECT_EQ(rec.subType, 201);
  EXPECT_EQ(rec.paramType, 900);
  EXPECT_STREQ(rec.userName, "admin");  // from the request, not the cookie
  EXPECT_STREQ(rec.remoteAddr, "192.168.1.100");
}

TEST_F(Login, SessionIdentifiersDiffer) {
  std::regex id("\"sessionId\": \"([0-9]{32})\"");
  std::smatch a, b;
  std::string first = login("admin", kAdminMd5).out, second = login("admin", kAdminMd5).out;
  ASSERT_TRUE(std::regex_search(first, a, id));
  ASSERT_TRUE(std::regex_search(second, b, id));
  EXPECT_NE(a[1].str(), b[1].str());
}

TEST_F(Login, RefusalsCarryOnlyTheType) {
  nvrdb({"user", "add", "guest3", "pw", "3"});
  nvrdb({"user", "add", "nohash", "pw", "1"});
  nvrdb({"record", "set", "user", "2", "password="});
  nvrdb({"user", "add", "guest3bare", "pw", "3"});
  nvrdb({"record", "set", "user", "3", "password="});
  const struct {
    std::string user, md5, body;
  } cases[] = {
      {"admin", "0192023a7bbd73250516f069df18b501", "{ \"type\": -1 }"},
      {"nobody", "", "{ \"type\": -1 }"},
      {"", "", "{ \"type\": -1 }"},
      {"nohash", "", "{ \"type\": -1 }"},  // an empty stored hash matches nothing
      {"guest3", "83878c91171338902e0fe0fb97a8c47a", "{ \"type\": -2 }"},
      {"guest3", "wrong", "{ \"type\": -2 }"},
      {"guest3bare", "", "{ \"type\": -2 }"},  // type 3 whatever the stored hash
  };
  for (const auto& c : cases) EXPECT_EQ(login(c.user, c.md5).out, kText + c.body) << c.user;
  EXPECT_EQ(post("/1000", "not json").out, "");
  EXPECT_EQ(post("/1000", "{\"md5\":\"x\"}").out, kText + "{ \"type\": -1 }");
  // No log record for a refused login.
  EXPECT_TRUE(core_.journal().empty());
}

TEST_F(Login, LogoutIsLogged) {
  EXPECT_EQ(post("/1014", "", "lang=en; userName=admin").out, kText + "OK");
  OperationLogRecord rec = logged();
  EXPECT_EQ(rec.subType, 202);
  EXPECT_EQ(rec.paramType, 900);
  EXPECT_STREQ(rec.userName, "admin");
}

TEST_F(Login, LoginCreatesTheCertificateFolders) {
  login("admin", kAdminMd5);
  struct stat st;
  EXPECT_EQ(stat(root_.at("/mnt/nand/ssl/tmp").c_str(), &st), 0);
}

class MailLink : public ::testing::Test {
 protected:
  ProcessResult follow(const std::string& scenario, const std::string& host) {
    CoreSim core(root_, scenario);
    EXPECT_TRUE(core.ok());
    CgiRequest req;
    req.path = "/1018";
    req.query = "token=abc&x=1";
    req.host = host;
    ProcessResult r = nvrtest::run_webcgi(root_, req);
    journal_ = core.journal();
    return r;
  }
  TempRoot root_;
  std::vector<nvrtest::JournalEntry> journal_;
};

TEST_F(MailLink, AcceptedLinkSetsFiveGuestCookies) {
  ProcessResult r = follow("", "192.168.1.10:8080");
  std::string cookie_re =
      "; domain=192\\.168\\.1\\.10; expires=(Sun|Mon|Tue|Wed|Thu|Fri|Sat), "
      "\\d\\d-(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec)-\\d{4} "
      "\\d\\d:\\d\\d:\\d\\d GMT; path=/\r\n";
  std::regex whole(
      "Location: \\.\\./\\.\\./html/index\\.html\r\n"
      "Set-Cookie: userName=temp" +
      cookie_re + "Set-Cookie: userType=2" + cookie_re + "Set-Cookie: permission=0" + cookie_re +
      "Set-Cookie: sessionId=0" + cookie_re + "Set-Cookie: language=en-US" + cookie_re + "\r\n");
  EXPECT_TRUE(std::regex_match(r.out, whole)) << r.out;
  ASSERT_EQ(journal_.size(), 1u);
  EXPECT_EQ(journal_[0].type, 3504u);
  std::string payload(256, '\0');
  payload.replace(0, 13, "token=abc&x=1");
  EXPECT_EQ(journal_[0].hex, nvrtest::to_hex(payload));
}

TEST_F(MailLink, RefusedLinkGoesHomeAndSilenceIsAnError) {
  EXPECT_EQ(follow("3504 hex=01000000\n", "h").out, "Location: ../../html/home.html\r\n\r\n");
  EXPECT_EQ(follow("3504 silent\n", "h").out, kText + "CGI ERROR");
}

TEST_F(MailLink, HostHeaderCannotInjectHeaderText) {
  const struct {
    std::string host, domain;
  } cases[] = {
      {"10.0.0.1:80", "10.0.0.1"},
      {"nvr.example-site.org", "nvr.example-site.org"},
      {"[fe80::1]:8080", "[fe80::1]"},
      {"evil.com\r\nSet-Cookie: admin=1", "evil.com"},
      {"a b;c", "a"},
      {std::string(80, 'h'), std::string(49, 'h')},
  };
  for (const auto& c : cases) {
    std::string out = follow("", c.host).out;
    EXPECT_NE(out.find("userName=temp; domain=" + c.domain + "; expires="), std::string::npos)
        << c.host << "\n"
        << out;
    EXPECT_EQ(out.find("admin=1"), std::string::npos);
  }
}

class Languages : public ::testing::Test {
 protected:
  ProcessResult change(const std::string& body) {
    CgiRequest req;
    req.method = "POST";
    req.path = "/1001";
    req.content_type = "application/json";
    req.body = body;
    return nvrtest::run_webcgi(root_, req);
  }
  TempRoot root_;
};

TEST_F(Languages, ValidListReplacesTheFileWhole) {
  root_.write("/opt/app/www/webfile/json/languages.json", "old\n");
  std::string body =
      "{\"defaultLan\":\"en-US\",\"list\":[{\"value\":\"en-US\",\"name\":\"English\","
      "\"isDefault\":true},{\"value\":\"de-DE\",\"name\":\"Deutsch\",\"isDefault\":false}]}";
  EXPECT_EQ(change(body).out, kText + "OK");
  EXPECT_EQ(root_.read("/opt/app/www/webfile/json/languages.json"), body + "\n");
  EXPECT_FALSE(root_.exists("/opt/app/www/webfile/json/languages_bak.json"));
}

TEST_F(Languages, InvalidListsChangeNothing) {
  root_.write("/opt/app/www/webfile/json/languages.json", "old\n");
  const std::string bad[] = {
      "not json",
      "{\"list\":[{\"value\":\"a\",\"name\":\"b\",\"isDefault\":true}]}",
      "{\"defaultLan\":\"\",\"list\":[{\"value\":\"a\",\"name\":\"b\",\"isDefault\":true}]}",
      "{\"defaultLan\":\"a\",\"list\":[]}",
      "{\"defaultLan\":\"a\",\"list\":{}}",
      "{\"defaultLan\":\"a\",\"list\":[{\"value\":\"a\",\"name\":\"b\",\"isDefault\":true},"
      "{\"value\":\"c\",\"name\":\"d\"}]}",
      "{\"defaultLan\":\"a\",\"list\":[{\"value\":\"a\",\"name\":\"b\",\"isDefault\":1}]}",
      "{\"defaultLan\":\"a\",\"list\":[{\"value\":\"\",\"name\":\"b\",\"isDefault\":true}]}",
      "{\"defaultLan\":\"a\",\"list\":[3]}",
  };
  for (const auto& body : bad) EXPECT_EQ(change(body).out, "") << body;
  EXPECT_EQ(root_.read("/opt/app/www/webfile/json/languages.json"), "old\n");
}

TEST_F(Languages, AFailedWriteAnswersNothing) {
  // The folder does not exist: nothing can be written, and nothing is answered.
  std::string body =
      "{\"defaultLan\":\"a\",\"list\":[{\"value\":\"a\",\"name\":\"b\",\"isDefault\":true}]}";
  EXPECT_EQ(change(body).out, "");
}

}  // namespace
