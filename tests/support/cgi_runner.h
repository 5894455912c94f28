// Running webcgi (or a program that plays a handler) as the web server would: a CGI
// environment built from a request description, the body on standard input, and a
// private NVR_ROOT.
//
//   CgiRequest req;
//   req.method = "POST";
//   req.path = "/1018";
//   req.content_type = "application/json";
//   req.body = R"({"a":1})";
//   ProcessResult r = run_webcgi(root, req);
//   EXPECT_EQ(r.out, "Content-type: text/plain\r\n\r\nCGI ERROR");
//
// By default the core-messaging timing is shortened (CgiRequest::seam) so that a
// request the core never answers fails in about a second instead of 40 s; set
// `seam = std::nullopt` for the recorder's own timing.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "process.h"
#include "temp_root.h"

namespace nvrtest {

// Values for NVR_IPC_POLL_US, NVR_IPC_SEND_RETRY_US and NVR_IPC_SEND_ATTEMPTS.
struct IpcSeam {
  long poll_us = 1000;  // default budget of 1000 polls: 1 s
  long send_retry_us = 1000;
  int send_attempts = 50;
};

struct CgiRequest {
  std::string method = "GET";
  std::string path;          // PATH_INFO, e.g. "/1000"
  std::string query;         // QUERY_STRING
  std::string content_type;  // CONTENT_TYPE
  std::string body;          // standard input; CONTENT_LENGTH is its size
  std::string cookie;        // HTTP_COOKIE
  std::string remote_addr = "192.168.1.100";
  std::string host = "192.168.1.10";  // HTTP_HOST
  std::optional<IpcSeam> seam = IpcSeam{};
  std::map<std::string, std::string> extra_env;  // added last, may override
  double timeout_seconds = 60;
};

// The whole environment of the child: the CGI variables, NVR_ROOT, the seam, PATH and
// the sanitizer options of the test process.
std::map<std::string, std::string> cgi_environment(const TempRoot& root, const CgiRequest& req);

// Runs `program` with `args` (after argv[0]) for the request.
ProcessResult run_cgi(const std::string& program, const std::vector<std::string>& args,
                      const TempRoot& root, const CgiRequest& req);

// Runs build/bin/webcgi for the request.
ProcessResult run_webcgi(const TempRoot& root, const CgiRequest& req);

// A POST request with a JSON body, as the web pages send settings.
CgiRequest json_post(const std::string& path, const std::string& body,
                     const std::string& cookie = "");

// Runs build/bin/nvrdb with `args` on the root's store (to seed or read it).
ProcessResult run_nvrdb(const TempRoot& root, const std::vector<std::string>& args);

// The response forms of webcgi: header texts and error bodies.
inline const std::string kTextHeader = "Content-type: text/plain\r\n\r\n";
inline const std::string kJsonHeader = "Content-type: application/json\r\n\r\n";
inline const std::string kTextErrorBody = kTextHeader + "CGI ERROR";
inline const std::string kJsonErrorBody = kJsonHeader + "{status:\"CGI ERROR\"}";

}  // namespace nvrtest
