// webcgi with one extra route, "/echo", whose handler answers the request text it
// received (as text, unchanged) and, for an upload, the size of the file it names.
// Used to test the real front end as a process: intakes, limits and upload renaming.
// With "take" in the query string the handler takes an upload as real handlers do, by
// moving it away (to its path plus ".taken").
#include <stdio.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cgi.h"
#include "cgi_response.h"
#include "webres.h"

namespace {

int echo_handler(char* text) {
  std::string body = text;
  // For uploads the text starts with the file path; report what is there.
  std::string path = body.substr(0, body.find(" & "));
  struct stat st;
  if (!path.empty() && path[0] == '/' && stat(path.c_str(), &st) == 0) {
    body += "\n[file " + std::to_string(st.st_size) + "]";
    if (std::strstr(cgiQueryString, "take") != nullptr)
      rename(path.c_str(), (path + ".taken").c_str());
  }
  cgi_writeback_webserver(0, body.c_str());
  return 0;
}

constexpr WebReq kEchoRoutes[] = {{"/echo", echo_handler},
                                  {"/1019", echo_handler},
                                  {"/6082", echo_handler},
                                  {"/9999", echo_handler},
                                  {"/1010", echo_handler}};

struct Registration {
  Registration() {
    // First, so that its paths win over the real tables' slots of the same name.
    WebResRegister(kEchoRoutes, static_cast<int>(std::size(kEchoRoutes)));
    register_module_routes();
  }
  ~Registration() {
    WebResUnregister(kEchoRoutes, static_cast<int>(std::size(kEchoRoutes)));
    unregister_module_routes();
  }
} g_registration;

}  // namespace

int main() {
  return cgi_main();
}
