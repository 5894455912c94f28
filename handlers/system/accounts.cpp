// User accounts: "/6070" lists them, "/6071" adds, "/6072" changes and "/6073" deletes one,
// "/6074" lists a customised build's read-only accounts, "/6075" to "/6077" pass the PoE
// camera password and account notices to the core. Every change tells the core (3505) so
// that it reloads the accounts the login reads.
#include <unistd.h>

#include <json-c/json.h>

#include <cstdio>
#include <cstring>

#include "handler_kit.h"
#include "loginfo.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"
#include "system/user_record.h"

namespace {

// What an add takes from the request; the slot, "enable" and the hidden fields are the
// handler's.
constexpr auto kAddKeys =
    pick_keys(kUserKind, {"name",           "password",         "type",
                          "permission",     "remotePermission", "localLiveView",
                          "localPlayback",  "localRetrieve",    "localSmartAnalysis",
                          "localEvent",     "localCamera",      "localStorage",
                          "localSettings",  "localStatus",      "localShutdown",
                          "localliveview",  "localplayback",    "remoteLiveView",
                          "remotePlayback", "remoteRetrieve",   "remoteSmartAnalysis",
                          "remoteEvent",    "remoteCamera",     "remoteStorage",
                          "remoteSettings", "remoteStatus",     "remoteShutdown",
                          "remoteliveview", "remoteplayback"});
// What a change takes: the same less the two permissions (and the name, checked apart).
constexpr auto kChangeKeys =
    pick_keys(kUserKind, {"password",       "type",           "localLiveView",
                          "localPlayback",  "localRetrieve",  "localSmartAnalysis",
                          "localEvent",     "localCamera",    "localStorage",
                          "localSettings",  "localStatus",    "localShutdown",
                          "localliveview",  "localplayback",  "remoteLiveView",
                          "remotePlayback", "remoteRetrieve", "remoteSmartAnalysis",
                          "remoteEvent",    "remoteCamera",   "remoteStorage",
                          "remoteSettings", "remoteStatus",   "remoteShutdown",
                          "remoteliveview", "remoteplayback"});
// The add's own check: the account type and both permissions must be given.
constexpr auto kAddCheckKeys = pick_keys(kUserKind, {"type", "permission", "remotePermission"});
// A delete names the slot and the account's type.
constexpr auto kDeleteKeys = pick_keys(kUserKind, {"id", "type"});
// The customised build's list shows these.
constexpr auto kOemKeys = pick_keys(
    kUserKind, {"id", "enable", "name", "password", "type", "permission", "remotePermission"});

// The name of the request, when present, as the record keeps it (63 characters at most).
bool request_name(json_object* tree, char (&name)[64]) {
  json_object* value = json_member(tree, "name");
  if (value == nullptr) return false;
  std::snprintf(name, sizeof name, "%s", json_object_get_string(value));
  return true;
}

// Every enabled record of `users` as a JSON array under the pick's keys (or all of the kind's).
template <class Keys>
void write_enabled(const Keys& keys, const UserRecord* users, int count) {
  json_object* array = json_object_new_array();
  for (int i = 0; i < count && i < kMaxUsers; ++i) {
    if (users[i].enable == 0) continue;
    json_object* o = json_object_new_object();
    record_to_json(keys, &users[i], o);
    json_object_array_add(array, o);
  }
  write_json(array);
  json_object_put(array);
}

}  // namespace

int on_get_user_list(char* /*text*/) {
  UserRecord users[kMaxUsers];
  int count = 0;
  if (store_list(kStoreMain, users, &count) != 0) {
    std::fprintf(stderr, "6070: accounts not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_enabled(kUserKind, users, count);
  return 0;
}

int on_add_new_user(char* text) {
  int in_use = 0;
  if (read_user_count(kStoreMain, &in_use) != 0) {
    std::fprintf(stderr, "6071: accounts not counted: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (in_use >= kMaxUsers) {
    cgi_writeback_webserver(kCgiText, "FAILED_FULL");
    return 0;
  }
  Json tree = request_object(text);
  const char* required[] = {"type", "permission", "remotePermission"};
  if (tree == nullptr || record_validate(kAddCheckKeys, tree.get(), required, 3) != 0) return -1;

  UserRecord user{};
  char name[64] = "";
  (void)request_name(tree.get(), name);
  int holder = -1;
  if (find_user_by_name31(kStoreMain, name, &holder) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (holder >= 0) {
    cgi_writeback_webserver(kCgiText, "SAMEUSER");
    return 0;
  }
  (void)record_from_json(kAddKeys, tree.get(), &user);
  user.enable = 1;
  user_fill_channel_masks(&user);
  std::snprintf(user.extra, sizeof user.extra, "0");

  int id = -1;
  if (add_user(kStoreMain, &user, &id) != 0) {
    // Another request may have taken the last slot since the count.
    std::fprintf(stderr, "6071: account not added: %s\n", store_last_error());
    cgi_writeback_webserver(kCgiText, "FAILED_FULL");
    return 0;
  }
  kSystemCore.notice(kUsersChanged);
  kSystemCore.log(kLogParamUserAdd);
  char answer[32];
  std::snprintf(answer, sizeof answer, "id=%d", id);
  cgi_writeback_webserver(kCgiText, answer);
  return 0;
}

int on_set_user_info(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  // The slot must be named and in use: a free slot is no account to change, and enabling
  // it would let an empty account log in.
  std::optional<int> id = json_whole_int(tree.get(), "id");
  if (!id || *id < 0 || *id >= kMaxUsers) return -1;
  if (json_member(tree.get(), "type") != nullptr && !json_whole_int_in(tree.get(), "type", 0, 3))
    return -1;
  UserRecord user;
  bool stored = false;
  if (store_read(kStoreMain, *id, &user, &stored) != 0) {
    std::fprintf(stderr, "6072: account %d not read: %s\n", *id, store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (!stored || user.enable == 0) {
    std::fprintf(stderr, "6072: slot %d holds no account\n", *id);
    return -1;
  }

  char name[64];
  if (request_name(tree.get(), name)) {
    int holder = -1;
    if (find_user_by_name31(kStoreMain, name, &holder) != 0) {
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
    if (holder >= 0 && holder != *id) {
      cgi_writeback_webserver(kCgiText, "SAMEUSER");
      return 0;
    }
    std::memcpy(user.name, name, sizeof user.name);
  }
  (void)record_from_json(kChangeKeys, tree.get(), &user);
  user.enable = 1;
  if (store_write(kStoreMain, user) != 0) {
    std::fprintf(stderr, "6072: account %d not stored: %s\n", *id, store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kSystemCore.notice(kUsersChanged, int32_t{*id});
  write_ok();
  return 0;
}

int on_del_user_info(char* text) {
  Json tree = request_object(text);
  const char* required[] = {"id", "type"};
  if (tree == nullptr || record_validate(kDeleteKeys, tree.get(), required, 2) != 0) return -1;
  UserRecord user;
  record_reset(kUserKind, &user, 0);
  user.id = *json_int(tree.get(), "id");
  user.enable = 0;
  if (store_write(kStoreMain, user) != 0) {
    std::fprintf(stderr, "6073: account %d not removed: %s\n", user.id, store_last_error());
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kSystemCore.notice(kUsersChanged, int32_t{user.id});
  kSystemCore.log(kLogParamUserDelete);
  write_ok();
  return 0;
}

int on_get_oem_user_list(char* /*text*/) {
  // Only a customised build carries the file; the store would read a missing one as empty.
  if (access(nvr_path(kStoreOem).c_str(), F_OK) != 0) return 0;
  UserRecord users[kMaxUsers];
  int count = 0;
  if (store_list(kStoreOem, users, &count) != 0) {
    std::fprintf(stderr, "6074: customised accounts not read: %s\n", store_last_error());
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_enabled(kOemKeys, users, count);
  return 0;
}

int on_modify_poe_camera_pwd(char* /*text*/) {
  kSystemCore.query(kModifyPoePassword, nullptr, 0, kCgiJson);
  return 0;
}

int on_modify_poe_camera_pwd_cb(int count, const void* payload) {
  int32_t result = 0;
  if (count < 1 || payload == nullptr) return -1;
  std::memcpy(&result, payload, sizeof result);
  char text[16];
  std::snprintf(text, sizeof text, "%d", result);
  return answer_text(text);
}

int on_cgi_notify_core(char* /*text*/) {
  kSystemCore.notice(kPoeNotice);
  write_ok();
  return 0;
}

int on_cgi_set_user_info(char* /*text*/) {
  kSystemCore.notice(kUsersChanged);
  write_ok();
  return 0;
}
