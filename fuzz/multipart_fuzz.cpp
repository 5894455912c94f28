// libFuzzer target for the content-type split and the multipart parser.
// Input: the CONTENT_TYPE value up to the first "\n", then the request body.
#include <stdlib.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "cgi.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static char dir[] = "/tmp/nvrfuzz.XXXXXX";
  if (mkdtemp(dir) != nullptr) {
    setenv("NVR_ROOT", dir, 1);
    std::string tmp = std::string(dir) + "/tmp";
    mkdir(tmp.c_str(), 0700);
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string input(reinterpret_cast<const char*>(data), size);
  std::size_t nl = input.find('\n');
  std::string type = nl == std::string::npos ? input : input.substr(0, nl);
  std::string body = nl == std::string::npos ? std::string() : input.substr(nl + 1);
  type.erase(std::find(type.begin(), type.end(), '\0'), type.end());
  setenv("CONTENT_TYPE", type.c_str(), 1);
  setenv("CONTENT_LENGTH", std::to_string(body.size()).c_str(), 1);
  cgi_capture_environment();
  FILE* in = fmemopen(body.empty() ? nullptr : body.data(), body.empty() ? 1 : body.size(), "rb");
  cgiIn = in;
  int rc = parse_multipart_body();
  if (rc < 0 || rc > 2) __builtin_trap();
  for (FormEntry* e = cgiFormEntryList(); e != nullptr; e = e->next) {
    if (e->valueLength < 0) __builtin_trap();
    (void)std::strlen(e->name);
  }
  char name[128];
  (void)cgiFormFileName("file", name, sizeof name);
  cgiFreeResources();
  std::fclose(in);
  return 0;
}
