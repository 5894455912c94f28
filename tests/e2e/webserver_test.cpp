// webcgi behind lighttpd with mod_cgi, driven by curl, as a browser would reach it.
#include <gtest/gtest.h>

#include <string>

#include "background.h"
#include "coresim.h"
#include "process.h"
#include "temp_root.h"

namespace {

class WebServer : public ::testing::Test {
 protected:
  void start(const std::string& program) {
    port_ = nvrtest::free_tcp_port();
    server_ = std::make_unique<nvrtest::Background>(
        std::vector<std::string>{std::string(NVR_SOURCE_DIR) + "/scripts/webserver.sh",
                                 root_.path(), std::to_string(port_), nvrtest::bin_path(program)},
        std::map<std::string, std::string>{}, root_.at("/tmp/webserver.log"));
    ASSERT_TRUE(nvrtest::wait_for_tcp(port_, 10)) << root_.read("/tmp/webserver.log");
  }
  // Status line and body of one request.
  std::pair<std::string, std::string> curl(const std::vector<std::string>& args) {
    nvrtest::ProcessSpec spec;
    spec.argv = {"/usr/bin/curl", "-s", "-g", "-i", "--max-time", "20"};
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.env = {{"PATH", "/usr/bin:/bin"}};
    nvrtest::ProcessResult r = nvrtest::run_process(spec);
    auto end_of_status = r.out.find("\r\n");
    auto body = r.out.find("\r\n\r\n");
    if (end_of_status == std::string::npos || body == std::string::npos) return {r.out, ""};
    return {r.out.substr(0, end_of_status), r.out.substr(body + 4)};
  }
  std::string url(const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port_) + "/cgi-bin/webcgi" + path;
  }

  nvrtest::TempRoot root_;
  int port_ = 0;
  std::unique_ptr<nvrtest::Background> server_;
};

TEST_F(WebServer, RequestsReachTheHandlerWithTheirText) {
  start("webcgi_echo");
  // Only "%22" is decoded by the front end; handlers decode the rest themselves.
  auto [status, body] = curl({url("/echo?chn=%22x%22&y=%7B")});
  EXPECT_EQ(status, "HTTP/1.1 200 OK");
  EXPECT_EQ(body, "chn=\"x\"&y=%7B");
  std::tie(status, body) = curl(
      {"-H", "Content-Type: application/json", "--data-binary", "{\"a\": [1, 2]}", url("/echo")});
  EXPECT_EQ(status, "HTTP/1.1 200 OK");
  EXPECT_EQ(body, "{\"a\": [1, 2]}");
}

TEST_F(WebServer, UploadsThroughTheServer) {
  start("webcgi_echo");
  root_.write("/tmp/src/fw.bin", std::string(5000, 'F'));
  // The handler takes the upload (moves it on); one it left behind would be removed.
  auto [status, body] =
      curl({"-F", "file=@" + root_.at("/tmp/src/fw.bin"), url("/echo?take&param:v1")});
  EXPECT_EQ(status, "HTTP/1.1 200 OK");
  EXPECT_EQ(body, root_.at("/tmp/fw.bin") + " & v1\n[file 5000]");
  EXPECT_EQ(root_.read("/tmp/fw.bin.taken"), std::string(5000, 'F'));
}

TEST_F(WebServer, UnknownPathsProduceNoAnswerFromWebcgi) {
  start("webcgi");
  auto [status, body] = curl({url("/9998")});
  // webcgi writes nothing; the web server decides what the client sees.
  EXPECT_EQ(status, "HTTP/1.1 500 Internal Server Error");
}

}  // namespace

namespace {

// The demo's path: a factory-default store, the simulated core, lighttpd and curl.
TEST_F(WebServer, LoginAndLogoutThroughTheServer) {
  nvrtest::ProcessSpec init;
  init.argv = {nvrtest::bin_path("nvrdb"), "init"};
  init.env = {{"NVR_ROOT", root_.path()}};
  ASSERT_EQ(nvrtest::run_process(init).exit_code, 0);
  nvrtest::CoreSim core(root_);
  ASSERT_TRUE(core.ok());
  start("webcgi");

  auto [status, body] =
      curl({"-H", "Content-Type: application/json", "--data-binary",
            "{\"userName\":\"admin\",\"md5\":\"0192023a7bbd73250516f069df18b500\"}", url("/1000")});
  EXPECT_EQ(status, "HTTP/1.1 200 OK");
  EXPECT_EQ(body.rfind("{ \"type\": 0, \"userName\": \"admin\", ", 0), 0u) << body;
  EXPECT_NE(body.find("\"sessionId\": \""), std::string::npos);

  std::tie(status, body) = curl({"-H", "Content-Type: application/json", "--data-binary",
                                 "{\"userName\":\"admin\",\"md5\":\"bad\"}", url("/1000")});
  EXPECT_EQ(body, "{ \"type\": -1 }");

  std::tie(status, body) = curl({"-b", "userName=admin", "-H", "Content-Type: application/json",
                                 "--data-binary", "{}", url("/1014")});
  EXPECT_EQ(body, "OK");
  auto sent = core.wait_journal(2);
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].type, 3485u);
  EXPECT_EQ(sent[1].type, 3485u);
}

}  // namespace
