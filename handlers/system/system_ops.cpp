// Restart and restore ("/1004" to "/1006"), carried out by the core, and the configuration
// file: "/1007" exports it with the profile tool, "/1013" downloads the exported file and
// "/1008" imports an uploaded one. The exported file's name comes from the profile tool's
// marker file and the imported file's from the upload: neither is trusted as a path until
// it is checked to be a plain file directly in "/tmp".
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "cgi.h"
#include "cgi_utils.h"
#include "event/motion_record.h"
#include "handler_kit.h"
#include "loginfo.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

constexpr const char* kCoreRunning = "/tmp/dvcore";
constexpr const char* kExportMarker = "/tmp/.export_down_file";
constexpr const char* kProfileTool = "dvprofile";
// A motion record whose repeat or e-mail interval is 0 gets this one (seconds).
constexpr int kDefaultMotionInterval = 20;

// Reads at most size-1 bytes of the system file `path` into `out`, cut at its first line
// end (the marker names one path). False when it cannot be read.
bool read_marker(const char* path, char* out, std::size_t size) {
  out[0] = '\0';
  int fd = open(nvr_path(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::size_t got = 0;
  while (got + 1 < size) {
    ssize_t n = read(fd, out + got, size - 1 - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  close(fd);
  out[got] = '\0';
  out[std::strcspn(out, "\r\n")] = '\0';
  return true;
}

// The part of a path after its last "/".
const char* base_name(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

}  // namespace

bool is_plain_tmp_path(const char* path) {
  if (path == nullptr || std::strncmp(path, "/tmp/", 5) != 0) return false;
  const char* name = path + 5;
  if (name[0] == '\0' || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  for (const char* p = name; *p != '\0'; ++p)
    if (*p == '/' || std::iscntrl(static_cast<unsigned char>(*p))) return false;
  return std::strlen(path) < 256;
}

void send_system_log(int sub_type, int param_type) {
  cgi_send_log(kSystemCore.callback, cgi_make_log(sub_type, param_type));
}

int on_restart_device(char* /*text*/) {
  send_system_log(kLogSubRestart, kLogParamNone);
  kSystemCore.notice(kRestart);
  write_ok();
  return 0;
}

int on_get_restart_state(char* /*text*/) {
  // Recorders that stored 0 for these intervals would repeat motion alarms without pause;
  // mend channel 0's record on the way, from a record actually read.
  MotionRecord motion;
  if (store_read(kStoreMain, 0, &motion) == 0) {
    bool mend = motion.interval == 0 || motion.email_interval == 0;
    if (motion.interval == 0) motion.interval = kDefaultMotionInterval;
    if (motion.email_interval == 0) motion.email_interval = kDefaultMotionInterval;
    if (mend && store_write(kStoreMain, motion) != 0)
      std::fprintf(stderr, "1005: motion record 0 not mended: %s\n", store_last_error());
  } else {
    std::fprintf(stderr, "1005: motion record 0 not read: %s\n", store_last_error());
  }
  bool running = access(nvr_path(kCoreRunning).c_str(), R_OK) == 0;
  cgi_writeback_webserver(kCgiText, running ? "OK" : "NO OK");
  return 0;
}

int on_restore_device(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  RestoreRequest restore{json_int(tree.get(), "keepIp").value_or(0),
                         json_int(tree.get(), "keepUser").value_or(0)};
  // The core restarts the recorder: the answer must be on its way first.
  write_ok();
  kSystemCore.notice(kRestore, restore);
  kSystemCore.notice(kRestoreFollow);
  send_system_log(kLogSubRestore, kLogParamNone);
  kSystemCore.notice(kRestart);
  return 0;
}

int on_export_config(char* /*text*/) {
  if (web_system("dvprofile -e \"/tmp\"") != 0) {
    std::fprintf(stderr, "1007: the profile tool failed to export\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  char path[257];
  std::string answer = "OK";
  if (read_marker(kExportMarker, path, sizeof path) && std::strchr(path, '/') != nullptr)
    answer = std::string("OK filename=") + base_name(path) + "\r\n";
  send_system_log(kLogSubExportConfig, kLogParamNone);
  cgi_writeback_webserver(kCgiText, answer.c_str());
  return 0;
}

int on_download_config(char* /*text*/) {
  char path[1168];
  if (!read_marker(kExportMarker, path, sizeof path)) return -1;
  // The marker is a file anyone on the box could write: stream and delete only a regular
  // file of our own folder, never a link or a path elsewhere.
  if (!is_plain_tmp_path(path)) {
    std::fprintf(stderr, "1013: refused export path %s\n", path);
    return -1;
  }
  std::string file = nvr_path(path);
  int fd = open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fprintf(stderr, "1013: %s is no regular file\n", path);
    if (fd >= 0) close(fd);
    return -1;
  }
  std::fputs("Content-Type:application/octet-stream\r\n", cgiOut);
  std::fprintf(cgiOut, "Content-Disposition: attachment; filename= %s\r\n\r\n", base_name(path));
  char chunk[4095];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) break;
    if (std::fwrite(chunk, 1, static_cast<std::size_t>(n), cgiOut) != static_cast<std::size_t>(n))
      break;
  }
  std::fflush(cgiOut);
  close(fd);
  if (unlink(file.c_str()) != 0) std::fprintf(stderr, "1013: %s not removed\n", path);
  return 0;
}

int on_import_config(char* text) {
  // The request text is "<uploaded file> & <query>"; the file part only.
  std::string path = text != nullptr ? text : "";
  std::size_t amp = path.find(" & ");
  if (amp != std::string::npos) path.resize(amp);
  // The front end names the file as it lies on this machine (under the root off the board).
  const std::string root = nvr_root();
  if (!root.empty() && path.starts_with(root + "/")) path.erase(0, root.size());
  if (!is_plain_tmp_path(path.c_str())) {
    std::fprintf(stderr, "1008: refused upload path %s\n", path.c_str());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  std::string file = nvr_path(path);
  const char* argv[] = {kProfileTool, "-i", file.c_str(), nullptr};
  if (web_exec(argv) != 0) {
    std::fprintf(stderr, "1008: the profile tool refused %s\n", path.c_str());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (unlink(file.c_str()) != 0) {
    std::fprintf(stderr, "1008: %s not removed\n", path.c_str());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  send_system_log(kLogSubImportConfig, kLogParamNone);
  write_ok();
  return 0;
}
