// The diagnosis package: "/6310" asks the core to make it in "/tmp" and answers its path,
// "/6311" streams it as a download and removes it. The path of "/6311" comes from the
// request, so only a regular file inside "/tmp" (after resolving links and dot segments)
// is ever served and removed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cgi.h"
#include "cgi_utils.h"
#include "dvstd.h"
#include "handler_kit.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

constexpr const char* kExportRunning = "/tmp/tmp_diagnostic";

// The real path of `path` when it names a regular file (itself no link) inside the root's
// "/tmp"; "" otherwise.
std::string resolve_tmp_file(const std::string& path) {
  if (!path.starts_with("/tmp/")) return "";
  std::string file = nvr_path(path);
  struct stat st;
  if (lstat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return "";
  char real[PATH_MAX], tmp[PATH_MAX];
  if (realpath(file.c_str(), real) == nullptr || realpath(nvr_path("/tmp").c_str(), tmp) == nullptr)
    return "";
  std::string inside = std::string(tmp) + "/";
  return std::string(real).starts_with(inside) ? real : "";
}

}  // namespace

int on_export_diagnosis_cb(int count, const void* payload) {
  DiagnosisAnswerHead head;
  if (count < static_cast<int>(sizeof head)) return answer_text("Failed");
  std::memcpy(&head, payload, sizeof head);
  if (head.status < 0) return answer_text("Failed");
  const char* path = static_cast<const char*>(payload) + sizeof head;
  std::string package(path, strnlen(path, static_cast<std::size_t>(count) - sizeof head));
  char encoded[1024];
  if (get_url_encode(package.c_str(), encoded, sizeof encoded) < 0) encoded[0] = '\0';
  std::string answer = std::string("OK/") + encoded + "\r\n";
  answer.resize(std::min<std::size_t>(answer.size(), 255));
  return answer_text(answer.c_str());
}

int on_export_diagnosis(char* /*text*/) {
  if (access(nvr_path(kExportRunning).c_str(), F_OK) == 0) {
    cgi_writeback_webserver(kCgiText, "Failed");
    return -1;
  }
  DiagnosisRequest request{"/tmp"};
  if (kSystemCore.query(kExportDiagnosis, request, -1) == 0) {
    cgi_writeback_webserver(kCgiText, "Failed");
    return -1;
  }
  return 0;
}

int on_download_diagnosis(char* text) {
  char path[256];
  std::snprintf(path, sizeof path, "%s", text != nullptr ? text : "");
  get_url_decode(path);
  std::string file = resolve_tmp_file(path);
  int fd = file.empty() ? -1 : open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "6311: refused download path %s\n", path);
    if (fd >= 0) close(fd);
    return -1;
  }
  const char* slash = std::strrchr(path, '/');
  std::fputs("Content-Type:application/octet-stream\r\n", cgiOut);
  std::fprintf(cgiOut, "Content-Disposition: attachment; filename= %s\r\n\r\n", slash + 1);
  std::fflush(cgiOut);
  char chunk[4096];
  bool copied = true;
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0 ||
        std::fwrite(chunk, 1, static_cast<std::size_t>(n), cgiOut) != static_cast<std::size_t>(n)) {
      copied = false;
      break;
    }
  }
  std::fflush(cgiOut);
  if (!copied) {
    cgi_log("OnSystem", 3636, __func__, "fd_in:%d fd_out:%d filestat.st_size:%d", fd,
            fileno(cgiOut), static_cast<int>(st.st_size));
    cgi_log("OnSystem", 3637, __func__, "Error copying input file [%d] to output file [%d]\n", fd,
            fileno(cgiOut));
  }
  close(fd);
  if (unlink(file.c_str()) != 0) std::fprintf(stderr, "6311: %s not removed\n", path);
  return 0;
}
