#include "cgi_runner.h"

#include <cstdlib>

namespace nvrtest {

std::map<std::string, std::string> cgi_environment(const TempRoot& root, const CgiRequest& req) {
  std::map<std::string, std::string> env = {
      {"NVR_ROOT", root.path()},
      {"GATEWAY_INTERFACE", "CGI/1.1"},
      {"SERVER_PROTOCOL", "HTTP/1.1"},
      {"SERVER_SOFTWARE", "test"},
      {"SCRIPT_NAME", "/cgi-bin/webcgi"},
      {"REQUEST_METHOD", req.method},
      {"PATH_INFO", req.path},
      {"QUERY_STRING", req.query},
      {"REMOTE_ADDR", req.remote_addr},
      {"HTTP_HOST", req.host},
  };
  if (!req.content_type.empty()) env["CONTENT_TYPE"] = req.content_type;
  if (!req.body.empty()) env["CONTENT_LENGTH"] = std::to_string(req.body.size());
  if (!req.cookie.empty()) env["HTTP_COOKIE"] = req.cookie;
  if (req.seam) {
    env["NVR_IPC_POLL_US"] = std::to_string(req.seam->poll_us);
    env["NVR_IPC_SEND_RETRY_US"] = std::to_string(req.seam->send_retry_us);
    env["NVR_IPC_SEND_ATTEMPTS"] = std::to_string(req.seam->send_attempts);
  }
  for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char* v = std::getenv(name)) env[name] = v;
  for (const auto& [k, v] : req.extra_env) env[k] = v;
  return env;
}

ProcessResult run_cgi(const std::string& program, const std::vector<std::string>& args,
                      const TempRoot& root, const CgiRequest& req) {
  ProcessSpec spec;
  spec.argv.push_back(program);
  spec.argv.insert(spec.argv.end(), args.begin(), args.end());
  spec.env = cgi_environment(root, req);
  spec.input = req.body;
  spec.timeout_seconds = req.timeout_seconds;
  return run_process(spec);
}

ProcessResult run_webcgi(const TempRoot& root, const CgiRequest& req) {
  return run_cgi(bin_path("webcgi"), {}, root, req);
}

CgiRequest json_post(const std::string& path, const std::string& body, const std::string& cookie) {
  CgiRequest req;
  req.method = "POST";
  req.path = path;
  req.content_type = "application/json";
  req.body = body;
  req.cookie = cookie;
  return req;
}

ProcessResult run_nvrdb(const TempRoot& root, const std::vector<std::string>& args) {
  ProcessSpec spec;
  spec.argv = {bin_path("nvrdb")};
  spec.argv.insert(spec.argv.end(), args.begin(), args.end());
  spec.env = {{"NVR_ROOT", root.path()}};
  return run_process(spec);
}

}  // namespace nvrtest
