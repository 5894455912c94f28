// webcgi as the web server runs it: a child process with a CGI environment and a body on
// standard input. "webcgi_echo" is the real front end plus one echo route, so the exact
// request text a handler receives can be seen.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <string>

#include "process.h"
#include "temp_root.h"

namespace {

using nvrtest::ProcessResult;

const std::string kText = "Content-type: text/plain\r\n\r\n";

class WebcgiProcess : public ::testing::Test {
 protected:
  ProcessResult run(const std::string& program, std::map<std::string, std::string> env,
                    const std::string& body = "") {
    env["NVR_ROOT"] = root_.path();
    env.emplace("GATEWAY_INTERFACE", "CGI/1.1");
    if (!body.empty() && !env.count("CONTENT_LENGTH"))
      env["CONTENT_LENGTH"] = std::to_string(body.size());
    nvrtest::ProcessSpec spec;
    spec.argv = {nvrtest::bin_path(program)};
    spec.env = env;
    spec.input = body;
    spec.timeout_seconds = 20;
    return nvrtest::run_process(spec);
  }
  ProcessResult echo_get(const std::string& query, const std::string& path = "/echo") {
    return run("webcgi_echo",
               {{"REQUEST_METHOD", "GET"}, {"PATH_INFO", path}, {"QUERY_STRING", query}});
  }
  ProcessResult echo_post(const std::string& body, const std::string& type = "application/json",
                          const std::string& method = "POST") {
    return run("webcgi_echo",
               {{"REQUEST_METHOD", method}, {"PATH_INFO", "/echo"}, {"CONTENT_TYPE", type}}, body);
  }
  ProcessResult upload(const std::string& path, const std::string& body,
                       const std::string& query = "") {
    return run("webcgi_echo",
               {{"REQUEST_METHOD", "POST"},
                {"PATH_INFO", path},
                {"QUERY_STRING", query},
                {"CONTENT_TYPE", "multipart/form-data; boundary=XyZ"}},
               body);
  }
  std::size_t temp_files() {
    std::size_t n = 0;
    for (const auto& name : root_.list("/tmp"))
      if (name.rfind("cgic", 0) == 0) ++n;
    return n;
  }

  nvrtest::TempRoot root_;
};

std::string file_body(const std::string& filename, const std::string& content) {
  return "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"" + filename +
         "\"\r\nContent-Type: application/octet-stream\r\n\r\n" + content + "\r\n--XyZ--\r\n";
}

TEST_F(WebcgiProcess, UnknownPathsMethodsAndTypesWriteNothing) {
  const std::map<std::string, std::string> envs[] = {
      {{"REQUEST_METHOD", "GET"}, {"PATH_INFO", "/1000"}},
      {{"REQUEST_METHOD", "GET"}, {"PATH_INFO", "/9998"}},
      {{"REQUEST_METHOD", "GET"}, {"PATH_INFO", ""}},
      {{"REQUEST_METHOD", "HEAD"}, {"PATH_INFO", "/1000"}},
      {{"REQUEST_METHOD", "PUT"}, {"PATH_INFO", "/1000"}, {"CONTENT_TYPE", "application/json"}},
      {{"REQUEST_METHOD", "POST"}, {"PATH_INFO", "/1000"}, {"CONTENT_TYPE", "text/plain"}},
      {{"PATH_INFO", "/1000"}},
  };
  for (const auto& env : envs) {
    ProcessResult r = run("webcgi", env, "{}");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exit_code, 0);
  }
  // The same for the echo route when the method or type is not served.
  EXPECT_EQ(echo_post("{}", "text/plain").out, "");
  EXPECT_EQ(echo_post("{}", "application/json", "PUT").out, "");
}

TEST_F(WebcgiProcess, GetQueryReplacesOnlyPercent22AndIsCut) {
  EXPECT_EQ(echo_get("{%22a%22:%221%20%22}").out, kText + "{\"a\":\"1%20\"}");
  EXPECT_EQ(echo_get("%2522").out, kText + "%2522");
  std::string long_query(1500, 'q');
  EXPECT_EQ(echo_get(long_query).out, kText + std::string(1023, 'q'));
  EXPECT_EQ(run("webcgi_echo", {{"REQUEST_METHOD", "get"}, {"PATH_INFO", "/echo"}}).out, kText);
}

TEST_F(WebcgiProcess, LongPathsNeverMatch) {
  EXPECT_EQ(echo_get("x", "/echo" + std::string(200, 'x')).out, "");
  EXPECT_EQ(echo_get("x", "/ECHO").out, "");
}

TEST_F(WebcgiProcess, PostBodyLimits) {
  EXPECT_EQ(echo_post("{\"a\":1}", "Application/JSON", "Post").out, kText + "{\"a\":1}");
  EXPECT_EQ(echo_post("a=1&b=2", "application/x-www-form-urlencoded").out, kText + "a=1&b=2");
  std::string lines;
  for (int i = 0; i < 200; ++i) lines += "l" + std::to_string(i) + "\n";
  std::string first128;
  for (int i = 0; i < 128; ++i) first128 += "l" + std::to_string(i) + "\n";
  EXPECT_EQ(echo_post(lines).out, kText + first128);
  std::string big(40000, 'b');
  EXPECT_EQ(echo_post(big).out, kText + std::string(30719, 'b'));
  // CONTENT_LENGTH is not consulted: the body ends where standard input ends.
  EXPECT_EQ(run("webcgi_echo",
                {{"REQUEST_METHOD", "POST"},
                 {"PATH_INFO", "/echo"},
                 {"CONTENT_TYPE", "application/json"},
                 {"CONTENT_LENGTH", "2"}},
                "abcdef")
                .out,
            kText + "abcdef");
}

TEST_F(WebcgiProcess, UploadIsRenamedToTheClientBaseName) {
  // The handler takes the file (moves it on), so its content can be seen afterwards.
  ProcessResult r = upload("/9999", file_body("D:\\dir\\up.bin", "firmware"), "take");
  std::string moved = root_.at("/tmp/up.bin");
  EXPECT_EQ(r.out, kText + moved + "\n[file 8]");
  EXPECT_EQ(root_.read("/tmp/up.bin.taken"), "firmware");
  EXPECT_EQ(temp_files(), 0u);

  r = upload("/9999", file_body("/home/u/cfg.tar", "x"), "a=1&param:abc&x=1");
  EXPECT_EQ(r.out, kText + root_.at("/tmp/cfg.tar") + " & abc\n[file 1]");
  r = upload("/9999", file_body("p.bin", "x"), "param:" + std::string(300, 'z'));
  EXPECT_EQ(r.out, kText + root_.at("/tmp/p.bin") + " & " + std::string(255, 'z') + "\n[file 1]");
}

// The intake owns an upload until a handler takes it: nothing is left behind and nothing
// that was there before is replaced.
TEST_F(WebcgiProcess, UploadsNeverReplaceFilesAndNeverStayBehind) {
  struct Case {
    const char* path;
    const char* query;
    const char* expected_out;  // after the header; null: nothing written
  } cases[] = {
      {"/9998", "", nullptr},     // no such path
      {"/7051", "", nullptr},     // a path whose handler is not built
      {"/9999", "", "[file 5]"},  // a handler that leaves the file where it is
  };
  for (const Case& c : cases) {
    ProcessResult r = upload(c.path, file_body("up.bin", "PWNED"), c.query);
    EXPECT_EQ(r.out, c.expected_out == nullptr
                         ? ""
                         : kText + root_.at("/tmp/up.bin") + "\n" + c.expected_out)
        << c.path;
    EXPECT_FALSE(root_.exists("/tmp/up.bin")) << c.path;
    EXPECT_EQ(temp_files(), 0u) << c.path;
  }

  // A name that is taken -- here the lock of the language change -- refuses the upload.
  for (const char* path : {"/9999", "/9998", "/1008"}) {
    root_.write("/tmp/cgilockfile", "ORIG");
    ProcessResult r = upload(path, file_body("cgilockfile", "PWNED"), "take");
    EXPECT_EQ(r.out, "") << path;
    EXPECT_EQ(root_.read("/tmp/cgilockfile"), "ORIG") << path;
    EXPECT_FALSE(root_.exists("/tmp/cgilockfile.taken")) << path;
    EXPECT_EQ(temp_files(), 0u) << path;
  }
}

TEST_F(WebcgiProcess, UploadNamesNeverReachAShell) {
  // Inside the old shell line's double quotes, $(...) and backticks would have run, in the
  // working folder of the process (this test's).
  const std::string name = "a;touch pwned1;$(touch pwned2)`touch pwned3`";
  ProcessResult r = upload("/9999", file_body(name, "x"));
  EXPECT_EQ(r.out, kText + root_.at("/tmp/" + name) + "\n[file 1]");
  for (const char* f : {"pwned1", "pwned2", "pwned3"}) EXPECT_NE(access(f, F_OK), 0) << f;
  for (const char* bad : {"..", ".", "C:\\dir\\", "dir/.."}) {
    EXPECT_EQ(upload("/9999", file_body(bad, "x")).out, "") << bad;
  }
  EXPECT_EQ(temp_files(), 0u);
}

TEST_F(WebcgiProcess, UploadIntakeRules) {
  // Raw paths get "temp & query" whether or not a file came.
  EXPECT_EQ(upload("/6082", file_body("a.bin", "x"), "q=1").out, kText + "temp & q=1");
  EXPECT_EQ(upload("/6082", "--XyZ--\r\n", "q=2").out, kText + "temp & q=2");
  // "/1019" gets the temporary file, which is deleted when the request ends.
  ProcessResult r = upload("/1019", file_body("a.bin", "abc"), "k=v");
  ASSERT_EQ(r.out.rfind(kText + root_.at("/tmp/cgic"), 0), 0u) << r.out;
  EXPECT_NE(r.out.find(" & k=v\n[file 3]"), std::string::npos);
  EXPECT_EQ(temp_files(), 0u);
  // No "file" entry, no file name, or a name of 128 characters or more: nothing.
  EXPECT_EQ(upload("/9999",
                   "--XyZ\r\nContent-Disposition: form-data; name=\"other\"; "
                   "filename=\"a\"\r\n\r\nx\r\n--XyZ--")
                .out,
            "");
  EXPECT_EQ(upload("/9999",
                   "--XyZ\r\nContent-Disposition: form-data; name=\"file\"\r\n\r\n"
                   "x\r\n--XyZ--")
                .out,
            "");
  EXPECT_EQ(upload("/9999", file_body(std::string(128, 'n'), "x")).out, "");
  EXPECT_EQ(upload("/9999", file_body(std::string(127, 'n'), "x")).out,
            kText + root_.at("/tmp/" + std::string(127, 'n')) + "\n[file 1]");
  EXPECT_EQ(temp_files(), 0u);
}

TEST_F(WebcgiProcess, MalformedMultipartEndsWith255AndCleansUp) {
  const std::string bodies[] = {
      "--XyZ\r\nContent-Disposition: form-data; name=\"file\"; filename=\"a\"\r\n\r\ncut",
      "--XyZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--XyZ\r\n"
      "Content-Disposition: form-data; name=\"file\"; filename=\"b\"\r\n\r\n" +
          std::string(70000, 'z'),
  };
  for (const auto& body : bodies) {
    ProcessResult r = upload("/9999", body);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exit_code, 255);
    EXPECT_EQ(temp_files(), 0u);
  }
  // Without any delimiter the form is empty: no "file", no output, status 0.
  ProcessResult r = upload("/9999", "just some bytes");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.exit_code, 0);
  // "/1010" leaves its body unread and gets "temp & query".
  EXPECT_EQ(run("webcgi_echo",
                {{"REQUEST_METHOD", "POST"},
                 {"PATH_INFO", "/1010"},
                 {"CONTENT_TYPE", "multipart/form-data; boundary=XyZ"},
                 {"QUERY_STRING", "s=1"}},
                "garbage without end")
                .out,
            kText + "temp & s=1");
}

}  // namespace
