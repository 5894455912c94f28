// "/1003": the log selection as a CSV download. The core writes the selected records and
// their descriptions to a file and names it in its answer; the answer callback streams that
// file as CSV lines and removes it. "/tmp/log/log_web" exists while the export runs, so
// the pages can poll "/1022".
#include <fcntl.h>
#include <json-c/json.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "cgi.h"
#include "dvtrans.h"
#include "handler_kit.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

constexpr const char* kExportMarker = "/tmp/log/log_web";
constexpr int kInfoMainType = 4;
constexpr int kAllSubTypes = 10;
constexpr int kMaskBases[] = {101, 131, 200};
constexpr int kMaskBits = 30;

// What the answer callback needs of its request (webcgi serves one request).
char g_language[kLanguageNameMax + 1];
int g_main_type;

const char* json_text(json_object* tree, const char* key) {
  json_object* value = json_member(tree, key);
  return value != nullptr ? json_object_get_string(value) : nullptr;
}

// The information types arrive as three masks offset by 10 (bases 101, 131 and 200); a
// missing element, or one below 10, selects nothing of its group.
void expand_info_masks(LogQuery* query) {
  int64_t masks[3] = {};
  for (int g = 0; g < 3; ++g) {
    int64_t element = g < query->sub_type_count ? query->sub_types[g] : 0;
    masks[g] = element > kAllSubTypes ? element - kAllSubTypes : 0;
  }
  int n = 0;
  for (int g = 0; g < 3; ++g)
    for (int i = 0; i < kMaskBits && n < kLogMaxSubTypes; ++i)
      if ((masks[g] >> i) & 1) query->sub_types[n++] = kMaskBases[g] + i;
  for (int i = n; i < kLogMaxSubTypes; ++i) query->sub_types[i] = 0;
  query->sub_type_count = n;
}

// A path the core names: absolute, no "." or ".." segment, resolved under the root.
bool core_file_path(const LogExportAnswer& answer, std::string* out) {
  char path[sizeof answer.path + 1];
  ipc_copy_text(path, answer.path);
  if (path[0] != '/') return false;
  for (const char* p = path; *p != '\0';) {
    const char* seg = p + 1;
    std::size_t len = std::strcspn(seg, "/");
    if ((len == 1 && seg[0] == '.') || (len == 2 && seg[0] == '.' && seg[1] == '.')) return false;
    p = seg + len;
  }
  *out = nvr_path(path);
  return true;
}

void put_text(const char* code_text) {
  std::fputs(code_text, cgiOut);
  std::fputc(',', cgiOut);
}

void put_code(int code, bool empty_as_na) {
  char text[kTransTextMax + 1];
  (void)trans_get_value(code, text, sizeof text);
  put_text(text[0] == '\0' && empty_as_na ? "N/A" : text);
}

void write_line(int number, const LogExportEntry& e) {
  const OperationLogRecord& r = e.record;
  char when[32];
  log_format_time(r.time, when, sizeof when);
  std::fprintf(cgiOut, "%d,%s,", number, when);
  put_code(log_main_category(r.mainType), false);
  put_code(static_cast<int>(r.subType), false);
  put_code(r.paramType, true);
  char user[sizeof r.userName + 1];
  ipc_copy_text(user, r.userName);
  char address[128];
  log_shown_address(r, address, sizeof address);
  // User and address each end their column, as the header line names them.
  std::fprintf(cgiOut, "%s,%s,%d,", user, address, r.channel);
  char detail[kLogExportDetailSize + 1];
  ipc_copy_text(detail, e.detail);
  std::fprintf(cgiOut, "\"%s\",\r\n", detail[0] == '\0' ? "N/A" : detail);
  std::fflush(cgiOut);
}

// Streams the records of the core's file; stops at the first record or description that
// cannot be read whole.
void stream_file(int fd) {
  int32_t count = 0;
  if (read(fd, &count, sizeof count) != static_cast<ssize_t>(sizeof count)) return;
  auto entry = std::make_unique<LogExportEntry>();
  for (int32_t i = 0; i < count; ++i) {
    std::size_t got = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(entry.get());
    while (got < sizeof *entry) {
      ssize_t n = read(fd, bytes + got, sizeof *entry - got);
      if (n <= 0) return;
      got += static_cast<std::size_t>(n);
    }
    write_line(i + 1, *entry);
  }
}

}  // namespace

int on_download_logfile(char* text) {
  Json tree = request_object(text);
  if (!check_log_query(tree.get())) return -1;  // a refused export gets no answer
  LogQuery query{};
  if (!log_parse_time(json_text(tree.get(), "startTime"), "%Y-%m-%dT%H:%M:%S", &query.start_time) ||
      !log_parse_time(json_text(tree.get(), "endTime"), "%Y-%m-%dT%H:%M:%S", &query.end_time)) {
    std::fprintf(stderr, "log export: a time does not parse\n");
    return -1;
  }
  log_query_types(tree.get(), &query);
  if (query.main_type == kInfoMainType && query.sub_types[0] != kAllSubTypes)
    expand_info_masks(&query);
  query.no_channel = json_int(tree.get(), "na").value_or(0);
  const char* channels = json_text(tree.get(), "ch");
  query.channel_mask = channels != nullptr ? std::strtoull(channels, nullptr, 10) : 0;
  query.page = 1;
  g_main_type = query.main_type;
  const char* language = json_text(tree.get(), "language");  // checked above: a plain name
  std::snprintf(g_language, sizeof g_language, "%s", language != nullptr ? language : "");

  std::string marker = nvr_path(kExportMarker);
  mkdir(nvr_path("/tmp/log").c_str(), 0755);
  int fd = open(marker.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::fprintf(stderr, "log export: cannot create %s\n", marker.c_str());
  int done = kSystemCore.query(kLogExport, query, kCgiJson);
  if (fd >= 0) {
    close(fd);
    unlink(marker.c_str());
  }
  return done != 0 ? 0 : -1;
}

int on_log_web_export_info_cb(int count, const void* payload) {
  if (!cgi_claim_response()) return -1;
  (void)trans_init(g_language);
  char mac[64];
  (void)read_mac_conf(mac, sizeof mac);
  char now[32];
  time_t t = time(nullptr);
  struct tm tm;
  std::memset(&tm, 0, sizeof tm);
  localtime_r(&t, &tm);
  std::snprintf(now, sizeof now, "%4d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  std::fputs("Content-Type:application/octet-stream\r\n", cgiOut);
  std::fprintf(cgiOut, "Content-Disposition: attachment; filename= %s_log_%s_%s.csv\r\n\r\n",
               log_category_name(log_main_category(g_main_type)), mac, now);
  std::fputs("Number,Time,Main,Sub,Parameter,User,Ip,Channel,Log information,\r\n", cgiOut);
  std::fflush(cgiOut);
  auto answer = ipc_record<LogExportAnswer>(payload, count, 0);
  std::string path;
  if (answer && core_file_path(*answer, &path)) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
      stream_file(fd);
      close(fd);
    }
    // Only the file the core named: never through the shell.
    if (unlink(path.c_str()) != 0)
      std::fprintf(stderr, "log export: cannot remove %s\n", path.c_str());
  } else if (answer) {
    std::fprintf(stderr, "log export: refused core file path\n");
  }
  trans_deinit();
  g_callback_done = 1;
  return 0;
}
