// Login and sessions. No session table is kept: the identifier is generated and returned,
// access control lies with the web server in front.
#include "system/login.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <json-c/json.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "cgi.h"
#include "cgi_ipc.h"
#include "ipc_router.h"
#include "cgi_json.h"
#include "cgi_response.h"
#include "cgi_utils.h"
#include "dvdb.h"
#include "dvstd.h"
#include "loginfo.h"
#include "nvr_root.h"
#include "field_json.h"
#include "handler_kit.h"
#include "system/system_ipc.h"
#include "system/user_record.h"
#include "web_utils.h"

namespace {

constexpr int kMailLinkCheck = 3504;
constexpr int kMailLinkAnswer = 8504;
constexpr int kGuestCookieSeconds = 600;
constexpr const char* kLanguageFile = "/opt/app/www/webfile/json/languages.json";
constexpr const char* kLanguageTemp = "/opt/app/www/webfile/json/languages_bak.json";
constexpr const char* kLockFile = "/tmp/cgilockfile";

constexpr dv_sock_callback on_login_ipc_callback = on_system_ipc_callback;
static_assert(kLoginAnswers[0].answer_type == kMailLinkAnswer);

// Ensures the certificate folders exist (created when missing, like the board's start-up).
void make_certificate_dirs() {
  for (const char* dir : {"/mnt/nand/ssl", "/mnt/nand/ssl/tmp"}) {
    std::string path = nvr_path(dir);
    if (IsDirExisted(path.c_str()) != 0) mkdir(path.c_str(), 0755);
  }
}

// The login result: the account's type, -1 (no such account, wrong hash, free or empty
// slot) or -2 (type 3 accounts may not log in, whatever their stored hash).
int login_result(const UserRecord& user, bool found, const char* md5) {
  if (!found || user.enable == 0 || user.name[0] == '\0') return -1;
  if (user.type == 3) return -2;
  if (user.password[0] == '\0') return -1;
  char stored[33];
  std::memcpy(stored, user.password, sizeof stored);
  stored[32] = '\0';
  return strcasecmp(stored, md5) == 0 ? user.type : -1;
}

void add_int(json_object* o, const char* key, int v) {
  json_object_object_add(o, key, json_object_new_int(v));
}

void add_param_text(json_object* o, const char* key, const char* param, const char* fallback) {
  char value[256];
  get_param_value(kStoreMain, param, value, sizeof value, fallback);
  json_object_object_add(o, key, json_object_new_string(value));
}

void write_json_as_text(json_object* o) {
  cgi_writeback_webserver(kCgiText, json_object_to_json_string(o));
}

bool is_nonempty_string(json_object* o, const char* key) {
  json_object* v = nullptr;
  return json_object_object_get_ex(o, key, &v) && json_object_is_type(v, json_type_string) &&
         json_object_get_string_len(v) > 0;
}

// The language list: "defaultLan" a non-empty text, "list" a non-empty array of objects
// each with non-empty "value" and "name" texts and a boolean "isDefault".
bool language_list_is_valid(json_object* tree) {
  if (tree == nullptr || !json_object_is_type(tree, json_type_object)) return false;
  if (!is_nonempty_string(tree, "defaultLan")) return false;
  json_object* list = nullptr;
  if (!json_object_object_get_ex(tree, "list", &list) ||
      !json_object_is_type(list, json_type_array) || json_object_array_length(list) == 0)
    return false;
  for (std::size_t i = 0; i < json_object_array_length(list); ++i) {
    json_object* e = json_object_array_get_idx(list, i);
    json_object* flag = nullptr;
    if (e == nullptr || !json_object_is_type(e, json_type_object) ||
        !is_nonempty_string(e, "value") || !is_nonempty_string(e, "name") ||
        !json_object_object_get_ex(e, "isDefault", &flag) ||
        !json_object_is_type(flag, json_type_boolean))
      return false;
  }
  return true;
}

// Writes `text` and a line feed to `temp` and renames it over `target`. False, with the
// target untouched, when any step fails.
bool replace_file(const std::string& temp, const std::string& target, const char* text) {
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  std::string content = std::string(text) + "\n";
  std::size_t done = 0;
  bool ok = true;
  while (done < content.size()) {
    ssize_t n = write(fd, content.data() + done, content.size() - done);
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (ok && fsync(fd) != 0) ok = false;
  if (close(fd) != 0) ok = false;
  if (ok) ok = rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}

}  // namespace

int on_user_login_from_mail_cb(int count, const void* payload) {
  if (count < 1 || payload == nullptr || !cgi_claim_response()) return -1;
  int32_t verdict;
  std::memcpy(&verdict, payload, sizeof verdict);
  if (verdict != 0) {
    std::fputs("Location: ../../html/home.html\r\n\r\n", cgiOut);
  } else {
    char domain[64];
    cookie_domain_from_host(cgiServerAddr, domain, sizeof domain);
    std::fputs("Location: ../../html/index.html\r\n", cgiOut);
    cgiHeaderCookieSetString("userName", "temp", kGuestCookieSeconds, "/", domain);
    cgiHeaderCookieSetString("userType", "2", kGuestCookieSeconds, "/", domain);
    cgiHeaderCookieSetString("permission", "0", kGuestCookieSeconds, "/", domain);
    cgiHeaderCookieSetString("sessionId", "0", kGuestCookieSeconds, "/", domain);
    cgiHeaderCookieSetString("language", "en-US", kGuestCookieSeconds, "/", domain);
    std::fputs("\r\n", cgiOut);
  }
  std::fflush(cgiOut);
  g_callback_done = 1;
  return 0;
}

bool get_session_id(char (&out)[33]) {
  int filled = 0;
  unsigned char bytes[64];
  while (filled < 32) {
    ssize_t n = getrandom(bytes, sizeof bytes, 0);
    if (n <= 0) return false;
    for (ssize_t i = 0; i < n && filled < 32; ++i)
      if (bytes[i] < 250) out[filled++] = static_cast<char>('0' + bytes[i] % 10);  // 250 = 25 * 10
  }
  out[32] = '\0';
  return true;
}

void cookie_domain_from_host(const char* host, char* out, std::size_t size) {
  std::size_t n = 0;
  bool ipv6 = host[0] == '[';
  for (const char* p = host; *p != '\0' && n + 1 < size && n < 49; ++p) {
    char c = *p;
    bool ok = std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-';
    if (ipv6) ok = ok || c == '[' || c == ']' || c == ':';
    if (!ok) break;
    out[n++] = c;
    if (ipv6 && c == ']') break;
  }
  out[n] = '\0';
}

int on_user_login(char* text) {
  Json tree(get_request_tokener_json_object(text));
  if (tree == nullptr) return -1;
  make_certificate_dirs();

  char name[256] = "", md5[33] = "";
  on_cgi_get_string_from_json(tree.get(), "userName", name, sizeof name);
  on_cgi_get_string_from_json(tree.get(), "md5", md5, sizeof md5);

  UserRecord user{};
  bool found = read_user_by_name(kStoreMain, name, &user) == 0;
  int type = login_result(user, found, md5);

  Json answer(json_object_new_object());
  add_int(answer.get(), "type", type);
  char session[33];
  if (type >= 0 && get_session_id(session)) {
    record_to_json(kUserLoginKeys, &user, answer.get());
    json_object_object_add(answer.get(), "sessionId", json_object_new_string(session));
    add_int(answer.get(), "failoverMode", get_param_int(kStoreMain, "failover_mode", 0));
    add_int(answer.get(), "sameChannel",
            get_param_int(kStoreMain, "same_channel_exist", 0) == 2 ? 1 : 0);
    add_param_text(answer.get(), "hardwareVersion", "hardware_version", "V1.1");
    add_param_text(answer.get(), "softwareVersion", "software_version", "7x.7.0.9");
    add_param_text(answer.get(), "model", "model", "");

    OperationLogRecord log = cgi_make_log(kLogSubLogin, kLogParamNone);
    std::snprintf(log.userName, sizeof log.userName, "%.63s", name);
    cgi_send_log(on_login_ipc_callback, log);
  } else if (type >= 0) {
    // No random source: refuse rather than hand out a guessable id.
    answer.reset(json_object_new_object());
    add_int(answer.get(), "type", -1);
  }
  write_json_as_text(answer.get());
  return 0;
}

int on_user_logout(char* /*text*/) {
  cgi_send_log(on_login_ipc_callback, cgi_make_log(kLogSubLogout, kLogParamNone));
  cgi_writeback_webserver(kCgiText, "OK");
  return 0;
}

int on_user_login_from_mail(char* text) {
  char payload[256] = {};
  std::snprintf(payload, sizeof payload, "%s", text != nullptr ? text : "");
  kSystemCore.query(kMailLinkCheck, payload, kCgiText);
  return 0;
}

int on_change_language(char* text) {
  if (!language_list_is_valid(Json(get_request_tokener_json_object(text)).get())) return -1;

  int lock = file_lock(nvr_path(kLockFile).c_str());
  bool replaced = replace_file(nvr_path(kLanguageTemp), nvr_path(kLanguageFile), text);
  file_unlock(lock);
  if (replaced) cgi_writeback_webserver(kCgiText, "OK");
  return 0;
}
