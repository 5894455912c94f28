// Firmware upgrades of the recorder and its cameras. webcgi never reads an image: the
// uploaded or downloaded images lie in shared memory under fixed names, and these requests
// start, query and cancel the core's jobs on them.
#include <json-c/json.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "cgi.h"
#include "handler_kit.h"
#include "loginfo.h"
#include "nvr_root.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"

std::atomic<int> g_upgrade_status{0};

namespace {

constexpr std::size_t kQueryMax = 1024;
constexpr useconds_t kPrepareDelayUs = 500000;

bool image_exists(const char* image) {
  return access(nvr_path(image).c_str(), F_OK) == 0;
}

void remove_image(const char* image) {
  std::string path = nvr_path(image);
  if (unlink(path.c_str()) != 0 && errno != ENOENT)
    std::fprintf(stderr, "upgrade: cannot remove %s: %s\n", path.c_str(), std::strerror(errno));
}

// Starts the installation of the recorder image (1713) and waits. Nothing when the core
// never answered; else its status, 0 meaning success.
std::optional<int> start_install(int reset) {
  g_upgrade_status = -1;
  int32_t flag = reset;
  if (kSystemCore.query(kUpgradeStart, flag, -1) == 0) {
    std::fprintf(stderr, "upgrade: no answer to the installation request\n");
    return std::nullopt;
  }
  return g_upgrade_status.load();
}

json_object* result_object(int value) {
  json_object* o = json_object_new_object();
  json_object_object_add(o, "res", json_object_new_int(value));
  return o;
}

void write_result(int value) {
  Json o(result_object(value));
  write_json(o.get());
}

}  // namespace

int upgrade_reset_flag(const char* text) {
  if (text == nullptr) return 0;
  const char* query = std::strstr(text, " & ");
  if (query == nullptr) return 0;
  query += 3;
  char token[kQueryMax];
  std::size_t n = 0;
  while (n + 1 < sizeof token && query[n] != '\0' &&
         std::strchr(" \t\r\n\v\f", query[n]) == nullptr) {
    token[n] = query[n];
    ++n;
  }
  token[n] = '\0';
  return std::strstr(token, "reset") != nullptr ? 1 : 0;
}

uint64_t upgrade_channel_mask(const char* text) {
  uint64_t mask = 0;
  for (int i = 0; text != nullptr && i < 64 && (text[i] == '0' || text[i] == '1'); ++i)
    if (text[i] == '1') mask |= uint64_t{1} << i;
  return mask;
}

// ---- Recorder image ------------------------------------------------------------------------

int on_upgrade_system(char* text) {
  if (text == nullptr) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  int reset = upgrade_reset_flag(text);
  send_system_log(kLogSubLocalUpgrade, kLogParamNone);
  auto status = start_install(reset);
  if (!status) {
    // No answer is no success: the error body, never a status the page could take for 0.
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (*status != 0) {
    char body[16];
    std::snprintf(body, sizeof body, "%d", *status);
    cgi_writeback_webserver(kCgiText, body);
    return -1;
  }
  write_ok();
  return on_restart_device(nullptr);
}

int on_clean_upgrade_files(char* /*text*/) {
  cgi_writeback_webserver(kCgiText, image_exists(kRecorderImage) ? "Error" : "OK");
  return 0;
}

int on_cgi_upgrade_system_init(char* /*text*/) {
  kSystemCore.notice(kUpgradePrepare);
  usleep(kPrepareDelayUs);
  write_result(0);
  return 0;
}

int on_nvr_online_upgrade(char* /*text*/) {
  kSystemCore.notice(kUpgradePrepare);
  send_system_log(kLogSubLocalUpgrade, kLogParamNone);
  auto status = start_install(0);
  if (!status) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_result(*status);
  if (*status != 0) return -1;
  send_system_log(kLogSubRestart, kLogParamNone);
  kSystemCore.notice(kRestart);
  return 0;
}

int on_check_nvr_online_upgrade(char* /*text*/) {
  return kSystemCore.query(kOnlineCheck, nullptr, 0, kCgiText) != 0 ? 0 : -1;
}

int on_get_online_upgrade(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  int type = json_int(tree.get(), "type").value_or(0);
  if (type != 0 && type != 1) {
    std::fprintf(stderr, "online upgrade: unknown type %d\n", type);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  OnlineDownload download{};
  json_object* url = json_member(tree.get(), "url");
  std::snprintf(download.url, sizeof download.url, "%s",
                url != nullptr ? json_object_get_string(url) : "");
  std::snprintf(download.path, sizeof download.path, "%s",
                type == 0 ? kRecorderImage : kCameraImage);
  kSystemCore.notice(kUpgradePrepare);
  return kSystemCore.query(kOnlineDownload, download, kCgiText) != 0 ? 0 : -1;
}

int on_del_online_upgrade(char* text) {
  Json tree = request_object(text);
  auto type = tree != nullptr ? json_int(tree.get(), "type").value_or(0) : -1;
  if (type == 0) {
    if (image_exists(kRecorderImage)) remove_image(kRecorderImage);
    write_result(0);
    return 0;
  }
  if (type == 1) return kSystemCore.query(kOnlineRemove, nullptr, 0, kCgiText) != 0 ? 0 : -1;
  cgi_error_to_webserver(kCgiJson);
  return -1;
}

int on_upgrade_status_cb(int count, const void* payload) {
  auto status = ipc_record<int32_t>(payload, count, 0);
  if (!status) return -1;
  g_upgrade_status = *status;
  g_callback_done = 1;  // an answer came; what it says is in g_upgrade_status
  return 0;
}

int on_upgrade_result_cb(int count, const void* payload) {
  auto result = ipc_record<int32_t>(payload, count, 0);
  if (!result) return answer_error(kCgiJson);
  return answer_json(result_object(*result));
}

int on_online_check_cb(int count, const void* payload) {
  auto info = ipc_record<UpgradeInfo>(payload, count, 0);
  if (!info) return answer_error(kCgiJson);
  json_object* o = json_object_new_object();
  record_to_json(kUpgradeInfoKind, &*info, o);
  return answer_json(o);
}

// ---- Camera images --------------------------------------------------------------------------

int on_upgrade_camera(char* /*text*/) {
  cgi_writeback_webserver(kCgiText, image_exists(kCameraImage) ? "OK" : "Error");
  return 0;
}

int on_start_upgrade_camera(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  // A missing channel reads as the first; one the recorder cannot have is refused.
  auto channel = channel_from_json(tree.get(), "chnid");
  if (json_member(tree.get(), "chnid") != nullptr && !channel) {
    std::fprintf(stderr, "camera upgrade: no such channel\n");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  CameraUpgradeStart start{};
  start.chnid = channel.value_or(0);
  start.reset = json_int(tree.get(), "reset").value_or(0);
  std::snprintf(start.path, sizeof start.path, "%s", kCameraImage);
  return kSystemCore.query(kCameraUpgradeStart, start, kCgiText) != 0 ? 0 : -1;
}

int on_start_upgrade_camera_cb(int count, const void* payload) {
  auto result = ipc_record<CameraUpgradeResult>(payload, count, 0);
  if (!result) return answer_error(kCgiJson);
  json_object* o = json_object_new_object();
  json_object_object_add(o, "chnid", json_object_new_int(result->chnid));
  json_object_object_add(o, "status", json_object_new_int(result->status));
  return answer_json(o);
}

int on_stop_upgrade_camera(char* /*text*/) {
  remove_image(kCameraImage);
  kSystemCore.notice(kCameraUpgradeStop);
  write_ok();
  return 0;
}

int on_check_ipc_online_upgrade(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  json_object* ch = json_member(tree.get(), "ch");
  uint64_t mask = upgrade_channel_mask(ch != nullptr ? json_object_get_string(ch) : nullptr);
  // Low 32 bits first, whatever the host's byte order.
  const uint32_t words[2] = {static_cast<uint32_t>(mask), static_cast<uint32_t>(mask >> 32)};
  return kSystemCore.query(kCameraOnlineCheck, words, kCgiText) != 0 ? 0 : -1;
}

int on_check_ipc_online_cb(int count, const void* payload) {
  if (count < 1 || payload == nullptr) return answer_error(kCgiJson);
  // Only the records the answer holds, at most one per channel.
  int n = count < kCameraCheckRecords ? count : kCameraCheckRecords;
  json_object* list = json_object_new_array();
  for (int i = 0; i < n; ++i) {
    auto info = ipc_record<UpgradeInfo>(payload, count, i);
    json_object* o = json_object_new_object();
    record_to_json(kUpgradeInfoKind, &*info, o);
    json_object_array_add(list, o);
  }
  json_object* answer = json_object_new_object();
  json_object_object_add(answer, "check", list);
  return answer_json(answer);
}
