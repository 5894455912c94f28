// The log pages: "/1002" searches the core's log page by page, "/1021" asks the core for
// the description of one record, "/1022" tells whether an export is running and "/1015"
// lists the main and sub types with their texts. Texts come from the translation library
// in the page's language.
#include <json-c/json.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "cgi.h"
#include "dvfs_log.h"
#include "dvstd.h"
#include "dvtrans.h"
#include "handler_kit.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

namespace {

constexpr const char* kExportMarker = "/tmp/log/log_web";
constexpr std::size_t kLogTextSize = kTransTextMax + 1;

// What the search's answer callback needs of its request (webcgi serves one request).
char g_language[kLanguageNameMax + 1];
int g_page;

// `text` cut to size-1 characters.
void copy_cut(char* out, std::size_t size, const char* text) {
  std::snprintf(out, size, "%s", text != nullptr ? text : "");
}

const char* json_text(json_object* tree, const char* key) {
  json_object* value = json_member(tree, key);
  return value != nullptr ? json_object_get_string(value) : nullptr;
}

json_object* code_text(int code) {
  char text[kLogTextSize];
  (void)trans_get_value(code, text, sizeof text);
  return json_object_new_string(text);
}

// "detail": the block the log library packed, as text; a field that holds no packing is
// read as text within its 512 bytes.
json_object* detail_text(const OperationLogRecord& record) {
  char text[sizeof record.detail + 1];
  int length = dvfs_log_unpack_detail(record.detail, nullptr, text, sizeof text - 1);
  if (length < 0) {
    ipc_copy_text(text, sizeof text, reinterpret_cast<const char*>(record.detail),
                  sizeof record.detail);
  } else {
    text[length] = '\0';
  }
  return json_object_new_string(text);
}

json_object* record_object(int index, const OperationLogRecord& r) {
  json_object* o = json_object_new_object();
  json_object_object_add(o, "no", json_object_new_int(index));
  json_object_object_add(o, "mainTypeValue", json_object_new_int(r.mainType));
  json_object_object_add(o, "mainType", code_text(log_main_category(r.mainType)));
  json_object_object_add(o, "subTypeValue", json_object_new_int64(r.subType));
  json_object_object_add(o, "subType", code_text(static_cast<int>(r.subType)));
  json_object_object_add(o, "pts", json_object_new_int(r.time));
  char when[32];
  log_format_time(r.time, when, sizeof when);
  json_object_object_add(o, "ptc", json_object_new_string(when));
  json_object_object_add(o, "parameterValue", json_object_new_int(r.paramType));
  json_object_object_add(o, "parameter", code_text(r.paramType));
  json_object_object_add(o, "remote", json_object_new_int(r.remote));
  json_object_object_add(o, "chanNo", json_object_new_int(r.channel));
  json_object_object_add(o, "disk",
                         json_object_new_int(log_channo_is_disk(r.mainType, r.subType) ? 1 : 0));
  json_object_object_add(o, "size", json_object_new_int(r.size));
  json_object_object_add(o, "detail", detail_text(r));
  json_object* words = json_object_new_array();
  for (std::size_t i = 0; i < sizeof r.detail; i += 4) {
    uint32_t w = static_cast<uint32_t>(r.detail[i]) << 24 |
                 static_cast<uint32_t>(r.detail[i + 1]) << 16 |
                 static_cast<uint32_t>(r.detail[i + 2]) << 8 | r.detail[i + 3];
    json_object_array_add(words, json_object_new_int(static_cast<int32_t>(w)));
  }
  json_object_object_add(o, "detail2", words);
  char address[128];
  log_shown_address(r, address, sizeof address);
  json_object_object_add(o, "ip", json_object_new_string(address));
  char user[sizeof r.userName + 1];
  ipc_copy_text(user, r.userName);
  json_object_object_add(o, "user", json_object_new_string(user));
  return o;
}

// Sub types of each main type in the catalogue, after the entry 10 for all of them.
void add_range(json_object* list, int from, int to, std::initializer_list<int> skip = {}) {
  for (int k = from; k <= to; ++k) {
    bool skipped = false;
    for (int s : skip) skipped = skipped || s == k;
    if (skipped) continue;
    json_object* entry = json_object_new_object();
    json_object_object_add(entry, "key", json_object_new_int(k));
    json_object_object_add(entry, "name", code_text(k));
    json_object_array_add(list, entry);
  }
}

json_object* sub_types_of(int main_type) {
  json_object* list = json_object_new_array();
  add_range(list, 10, 10);
  switch (main_type) {
    case 2:
      if (get_param_int(kStoreMain, "oem_type", 0) == 90)
        add_range(list, 11, 36, {31, 32});
      else
        add_range(list, 11, 36, {15, 16, 31, 32});
      add_range(list, 38, 41);
      add_range(list, 37, 37);
      add_range(list, 42, 44);
      break;
    case 4:
      add_range(list, 101, 143);
      add_range(list, 200, 225);
      break;
    case 8:
      add_range(list, 500, 519, {507, 508, 509, 510});
      break;
    case 32:
      add_range(list, 400, 412, {408});
      break;
    case 64:
      add_range(list, 600, 603);
      break;
    default:
      break;
  }
  return list;
}

}  // namespace

// ---- Shared pieces --------------------------------------------------------------------------

int log_main_category(int main_type) {
  switch (main_type) {
    case 1:
      return 1;
    case 2:
      return 2;
    case 4:
      return 3;
    case 8:
      return 4;
    case 32:
      return 5;
    case 64:
      return 6;
    default:
      return -1;
  }
}

const char* log_category_name(int category) {
  switch (category) {
    case 2:
      return "Event";
    case 3:
      return "Operation";
    case 4:
      return "Information";
    case 5:
      return "Exception";
    case 6:
      return "Debug";
    default:
      return "All";
  }
}

void log_shown_address(const OperationLogRecord& record, char* out, std::size_t size) {
  char stored[sizeof record.remoteAddr + 1];
  ipc_copy_text(stored, record.remoteAddr);
  constexpr const char* kMapped = "::ffff:";
  if (std::strncmp(stored, kMapped, 7) == 0 && std::strchr(stored, '.') != nullptr) {
    copy_cut(out, size, stored + 7);
    return;
  }
  stored[std::strcspn(stored, "%")] = '\0';
  copy_cut(out, size, stored);
}

bool log_parse_time(const char* text, const char* pattern, int32_t* seconds) {
  if (text == nullptr) return false;
  char cut[32];
  copy_cut(cut, sizeof cut, text);
  struct tm tm;
  std::memset(&tm, 0, sizeof tm);
  const char* end = strptime(cut, pattern, &tm);
  if (end == nullptr || *end != '\0') return false;
  tm.tm_isdst = -1;
  time_t t = mktime(&tm);
  if (t == static_cast<time_t>(-1) || t < INT32_MIN || t > INT32_MAX) return false;
  *seconds = static_cast<int32_t>(t);
  return true;
}

void log_format_time(time_t seconds, char* out, std::size_t size) {
  struct tm tm;
  std::memset(&tm, 0, sizeof tm);
  localtime_r(&seconds, &tm);
  std::snprintf(out, size, "%4d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

bool check_log_query(json_object* tree) {
  json_object* subs = json_member(tree, "subTypeArr");
  const char* language = json_text(tree, "language");
  bool subs_ok = subs != nullptr && json_object_is_type(subs, json_type_array) &&
                 json_object_array_length(subs) > 0 &&
                 json_object_get_int64(json_object_array_get_idx(subs, 0)) >= 10;
  bool ok = tree != nullptr && trans_language_ok(language) &&
            json_int_in(tree, "mainType", 1, 64) && subs_ok &&
            json_member(tree, "startTime") != nullptr && json_member(tree, "endTime") != nullptr &&
            json_member(tree, "curPageNum") != nullptr;
  if (!ok) std::fprintf(stderr, "log query refused\n");
  return ok;
}

void log_query_types(json_object* tree, LogQuery* query) {
  query->main_type = json_int(tree, "mainType").value_or(0);
  json_object* subs = json_member(tree, "subTypeArr");
  std::size_t n = json_object_array_length(subs);
  if (n > kLogMaxSubTypes) n = kLogMaxSubTypes;
  for (std::size_t i = 0; i < n; ++i)
    query->sub_types[i] = json_object_get_int64(json_object_array_get_idx(subs, i));
  query->sub_type_count = static_cast<int32_t>(n);
}

// ---- Search ---------------------------------------------------------------------------------

int on_get_log_info(char* text) {
  Json tree = request_object(text);
  if (!check_log_query(tree.get())) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  LogQuery query{};
  copy_cut(g_language, sizeof g_language, json_text(tree.get(), "language"));
  if (!log_parse_time(json_text(tree.get(), "startTime"), "%Y-%m-%d %H:%M:%S", &query.start_time) ||
      !log_parse_time(json_text(tree.get(), "endTime"), "%Y-%m-%d %H:%M:%S", &query.end_time)) {
    std::fprintf(stderr, "log search: a time does not parse\n");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  log_query_types(tree.get(), &query);
  g_page = json_int(tree.get(), "curPageNum").value_or(0);
  query.page = g_page;
  const char* mask = json_text(tree.get(), "chnMask");
  for (int i = 0; mask != nullptr && i < 64 && mask[i] != '\0'; ++i)
    if (mask[i] == '1') query.channel_mask |= uint64_t{1} << i;
  query.no_channel = json_int(tree.get(), "searchNoChn").value_or(0);
  int done = kSystemCore.query(kLogSearch, query, kCgiJson);
  return done != 0 ? 0 : -1;
}

int on_log_search_info_cb(int count, const void* payload) {
  if (count < 1 || payload == nullptr) return answer_body(kCgiJson, "ERROR");
  // One 67208-byte page: copied out of the socket library's buffer onto the heap.
  auto page = std::make_unique<LogSearchPage>();
  std::memcpy(page.get(), payload, sizeof *page);
  int n = page->count;
  if (n < 0) n = 0;
  if (n > kLogPageSize) n = kLogPageSize;
  (void)trans_init(g_language);
  json_object* logs = json_object_new_array();
  for (int i = 0; i < n; ++i) json_object_array_add(logs, record_object(i, page->records[i]));
  json_object* answer = json_object_new_object();
  json_object_object_add(answer, "count", json_object_new_int(page->total));
  json_object_object_add(answer, "num", json_object_new_int(n));
  json_object_object_add(answer, "curPageNum", json_object_new_int(g_page));
  json_object_object_add(answer, "log", logs);
  int rc = answer_json(answer);
  trans_deinit();
  return rc;
}

// ---- Detail ---------------------------------------------------------------------------------

int on_get_log_details(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  OperationLogRecord record{};
  json_object* t = tree.get();
  record.mainType = json_int(t, "mainTypeValue").value_or(0);
  json_object* sub = json_member(t, "subTypeValue");
  record.subType = sub != nullptr ? json_object_get_int64(sub) : 0;
  record.time = json_int(t, "pts").value_or(0);
  record.paramType = json_int(t, "parameterValue").value_or(0);
  record.remote = json_int(t, "remote").value_or(0);
  record.channel = json_int(t, "chanNo").value_or(0);
  record.size = json_int(t, "size").value_or(0);
  json_object* words = json_member(t, "detail2");
  if (words != nullptr && json_object_is_type(words, json_type_array)) {
    std::size_t n = json_object_array_length(words);
    if (n > sizeof record.detail / 4) n = sizeof record.detail / 4;
    for (std::size_t i = 0; i < n; ++i) {
      auto w = static_cast<uint32_t>(json_object_get_int64(json_object_array_get_idx(words, i)));
      for (int b = 0; b < 4; ++b)
        record.detail[4 * i + static_cast<std::size_t>(b)] =
            static_cast<unsigned char>(w >> (24 - 8 * b));
    }
  }
  copy_cut(record.remoteAddr, sizeof record.remoteAddr, json_text(t, "ip"));
  copy_cut(record.userName, 64, json_text(t, "user"));
  int done = kSystemCore.query(kLogDetail, record, kCgiText);
  return done != 0 ? 0 : -1;
}

int on_log_web_get_log_detail_cb(int count, const void* payload) {
  if (count < 1 || payload == nullptr) return answer_text("N/A");
  std::string text(static_cast<const char*>(payload),
                   strnlen(static_cast<const char*>(payload), static_cast<std::size_t>(count)));
  return answer_text(text.empty() ? "N/A" : text.c_str());
}

// ---- Export marker and type catalogue -------------------------------------------------------

int on_check_download_log(char* /*text*/) {
  bool running = access(nvr_path(kExportMarker).c_str(), F_OK) == 0;
  cgi_writeback_webserver(kCgiText, running ? "OK" : "NO");
  return 0;
}

int on_get_log_type_list(char* text) {
  Json tree = request_object(text);
  char language[16];
  copy_cut(language, sizeof language, json_text(tree.get(), "lan"));
  if (tree == nullptr || !trans_language_ok(language)) {
    std::fprintf(stderr, "log types: refused request or language\n");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  (void)trans_init(language);
  json_object* mains = json_object_new_array();
  json_object* subs = json_object_new_array();
  for (int main_type : {1, 2, 4, 8, 32, 64}) {
    json_object* entry = json_object_new_object();
    json_object_object_add(entry, "key", json_object_new_int(main_type));
    json_object_object_add(entry, "name", code_text(log_main_category(main_type)));
    json_object_array_add(mains, entry);
    json_object_array_add(subs, sub_types_of(main_type));
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "mainType", mains);
  json_object_object_add(answer.get(), "subType", subs);
  write_json(answer.get());
  trans_deinit();
  return 0;
}
