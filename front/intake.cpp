// The three intakes: each collects the request text of its kind into a fixed buffer
// and dispatches it to the handler of the path.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// An upload under the client's base name. The intake owns it until the handler takes it
// (moves or deletes it); the identity of the file tells whether it is still the upload.
struct MovedUpload {
  char path[kUploadTextSize];
  dev_t dev;
  ino_t ino;
};

// Gives the temporary file its new name beside it. link(2) never replaces a file, so a
// name that is taken (another upload, "/tmp/cgilockfile") refuses the upload and nothing
// is written. false, with the reason on standard error, when nothing was moved.
[[nodiscard]] bool move_upload(const char* tmp, MovedUpload* to) {
  if (link(tmp, to->path) != 0) {
    std::fprintf(stderr, "webcgi: upload refused, cannot name it %s: %s\n", to->path,
                 std::strerror(errno));
    return false;
  }
  struct stat st;
  if (lstat(to->path, &st) != 0) {
    std::fprintf(stderr, "webcgi: upload %s vanished: %s\n", to->path, std::strerror(errno));
    return false;
  }
  to->dev = st.st_dev;
  to->ino = st.st_ino;
  // The temporary name would be removed at exit anyway; dropping it now keeps one name.
  unlink(tmp);
  return true;
}

// Removes the upload when the handler left it where the intake put it.
void release_upload(const MovedUpload& upload) {
  struct stat st;
  if (lstat(upload.path, &st) == 0 && st.st_dev == upload.dev && st.st_ino == upload.ino)
    unlink(upload.path);
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

  // Only a path with a handler gets the file under a new name: nothing else would ever
  // remove it. The temporary file itself is deleted when the request ends.
  if (FindWebHandler(path) == nullptr) return 0;

  // The file is renamed to the client's base name beside its temporary file. The name
  // comes from the client: it never reaches a shell, and "", "." and ".." are refused.
  const char* base = base_name(file_name);
  if (base[0] == '\0' || std::strcmp(base, ".") == 0 || std::strcmp(base, "..") == 0) return 0;
  const char* tmp = entry->tfileName;
  const char* slash = std::strrchr(tmp, '/');
  std::size_t dir_len = slash != nullptr ? static_cast<std::size_t>(slash - tmp) + 1 : 0;
  MovedUpload upload;
  int n = std::snprintf(upload.path, sizeof upload.path, "%.*s%s", static_cast<int>(dir_len), tmp,
                        base);
  if (n < 0 || n >= static_cast<int>(sizeof upload.path)) return 0;
  if (!move_upload(tmp, &upload)) return 0;

  std::snprintf(text, sizeof text, "%s", upload.path);
  const char* param = std::strstr(cgiQueryString, "param:");
  if (param != nullptr) {
    param += 6;
    std::size_t plen = std::strcspn(param, "&");
    if (plen > kParamMax) plen = kParamMax;
    std::size_t used = std::strlen(text);
    std::snprintf(text + used, sizeof text - used, " & %.*s", static_cast<int>(plen), param);
  }
  int rc = DispatchWebReq(path, text);
  release_upload(upload);
  return rc;
}
