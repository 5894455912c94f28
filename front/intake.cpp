// The three intakes: each collects the request text of its kind into a fixed buffer
// and dispatches it to the handler of the path.
#include <cstdlib>
#include <cstring>

#include "cgi.h"
#include "cgi_utils.h"
#include "webres.h"

namespace {

constexpr int kPathSize = 128;    // paths of 127 characters at most
constexpr int kQuerySize = 1024;  // query strings of 1023 characters at most
constexpr int kPostSize = 30720;  // POST bodies of 30719 characters at most
constexpr int kPostLines = 128;
constexpr int kUploadTextSize = 1088;
constexpr int kParamMax = 255;

// Copies the path cut to 127 characters; false when it is empty.
bool copy_path(char (&path)[kPathSize]) {
  std::strncpy(path, cgiPathInfo, kPathSize - 1);
  path[kPathSize - 1] = '\0';
  return path[0] != '\0';
}

bool is_raw_upload(const char* path) {
  return std::strcmp(path, "/1010") == 0 || std::strcmp(path, "/6082") == 0 ||
         std::strcmp(path, "/2079") == 0;
}

// The client's file name without its client-side folders ("\\" or "/").
const char* base_name(const char* name) {
  const char* a = std::strrchr(name, '\\');
  const char* b = std::strrchr(name, '/');
  const char* last = a > b ? a : b;
  return last != nullptr ? last + 1 : name;
}

}  // namespace

int cgiDealGet() {
  char path[kPathSize];
  if (!copy_path(path)) return 0;
  char query[kQuerySize];
  std::strncpy(query, cgiQueryString, kQuerySize - 1);
  query[kQuerySize - 1] = '\0';
  // "%22" becomes one character, so the replaced text never grows.
  char text[kQuerySize];
  strrpl(text, query, "%22", "\"");
  return DispatchWebReq(path, text);
}

int cgiDealPost() {
  char path[kPathSize];
  if (!copy_path(path)) return 0;
  char* body = static_cast<char*>(std::calloc(kPostSize, 1));
  if (body == nullptr) return 0;
  std::size_t len = 0;
  for (int line = 0; line < kPostLines && len < kPostSize - 1; ++line) {
    if (std::fgets(body + len, static_cast<int>(kPostSize - len), cgiIn) == nullptr) break;
    len += std::strlen(body + len);
  }
  int rc = DispatchWebReq(path, body);
  std::free(body);
  return rc;
}

int cgiDealUpload() {
  char path[kPathSize];
  if (!copy_path(path)) return 0;

  char text[kUploadTextSize];
  if (is_raw_upload(path)) {
    std::snprintf(text, sizeof text, "%s & %s", "temp", cgiQueryString);
    return DispatchWebReq(path, text);
  }

  char file_name[128];
  if (cgiFormFileName("file", file_name, sizeof file_name) != cgiFormSuccess) return 0;
  FormEntry* entry = findFormEntry("file");
  if (entry == nullptr) return 0;

  if (std::strcmp(path, "/1019") == 0 || std::strcmp(path, "/oem") == 0) {
    std::snprintf(text, sizeof text, "%s & %s", entry->tfileName, cgiQueryString);
    return DispatchWebReq(path, text);
  }

  // The file is renamed to the client's base name beside its temporary file. The name
  // comes from the client: it never reaches a shell, and "", "." and ".." are refused.
  const char* base = base_name(file_name);
  if (base[0] == '\0' || std::strcmp(base, ".") == 0 || std::strcmp(base, "..") == 0) return 0;
  const char* tmp = entry->tfileName;
  const char* slash = std::strrchr(tmp, '/');
  std::size_t dir_len = slash != nullptr ? static_cast<std::size_t>(slash - tmp) + 1 : 0;
  char new_path[kUploadTextSize];
  int n = std::snprintf(new_path, sizeof new_path, "%.*s%s", static_cast<int>(dir_len), tmp, base);
  if (n < 0 || n >= static_cast<int>(sizeof new_path)) return 0;
  (void)move_file(tmp, new_path);

  std::snprintf(text, sizeof text, "%s", new_path);
  const char* param = std::strstr(cgiQueryString, "param:");
  if (param != nullptr) {
    param += 6;
    std::size_t plen = std::strcspn(param, "&");
    if (plen > kParamMax) plen = kParamMax;
    std::size_t used = std::strlen(text);
    std::snprintf(text + used, sizeof text - used, " & %.*s", static_cast<int>(plen), param);
  }
  return DispatchWebReq(path, text);
}
