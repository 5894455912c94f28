// The aging quick settings: SSH access, automatic local login, the record mode of every
// channel, the start-up wizard, and one camera channel added or removed with a minimal
// set of keys. None writes an operation log record.
#include "camera/aging.h"

#include <json-c/json.h>

#include "camera/camera_record.h"
#include "camera/camera_wire.h"
#include "dvstd.h"
#include "network/port_record.h"
#include "record/record_ipc.h"
#include "record/record_store.h"

namespace {

// What a quick camera change takes; the protocol is always ONVIF.
constexpr auto kQuickCameraKeys =
    pick_keys(kCameraKind, {"id", "enable", "ipAddr", "managePort", "userName", "password"});

// The body's one switch (an absent key counts as 0) stored as the parameter `param`.
int set_switch(const char* text, const char* key, const char* param) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  if (set_param_int(kStoreMain, param, json_int(tree.get(), key).value_or(0)) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

// check_ipc_parms: "id" 0 to 63, "enable" 0 or 1, a non-empty "ipAddr", a "managePort" not
// below 0.
Json checked_quick_camera(const char* text) {
  Json tree = request_checked(text, kQuickCameraKeys, {"id", "enable", "ipAddr", "managePort"});
  if (tree == nullptr || !json_text_nonempty(tree.get(), "ipAddr") ||
      json_int(tree.get(), "managePort").value_or(-1) < 0)
    return nullptr;
  return tree;
}

}  // namespace

void on_aging_callback(void* /*context*/, const std::uint32_t* /*header_words*/,
                       const void* /*payload*/) {}

int on_set_ssh_enable(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  PortRecord port;
  if (store_read(kStoreMain, 0, &port) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  port.enableSsh = json_int(tree.get(), "sshEnable").value_or(0);
  if (store_write(kStoreMain, port) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  // After the answer: applying the switch may restart services the tool is talking to.
  const SshSwitchNotice notice{"more"};
  kAgingCore.notice(kSshSwitched, notice);
  return 0;
}

int on_set_auto_login(char* text) {
  return set_switch(text, "autoLoginEnable", "local_auth_enable");
}

int on_set_wizard_enable(char* text) {
  return set_switch(text, "wizardEnable", "wizard_enable");
}

// Only the records read are written back: a short read must not overwrite the channels it
// missed with zeroed settings. The core is still told about all 64 channels, as the tools
// expect.
int on_set_all_record_mode(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  const int mode = json_int(tree.get(), "recordMode").value_or(0);
  RecordSettings records[kMaxChannels];
  int count = 0;
  bool stored = store_list(kStoreMain, records, &count) == 0;
  for (int i = 0; stored && i < count; ++i) {
    records[i].mode = mode;
    stored = store_write(kStoreMain, records[i]) == 0;
  }
  if (stored)
    write_ok();
  else
    cgi_error_to_webserver(kCgiText);
  for (int32_t id = 0; id < kMaxChannels; ++id) kAgingCore.notice(kRecordChannelChanged, id);
  return stored ? 0 : -1;
}

int on_set_ipc_quick(char* text) {
  Json tree = checked_quick_camera(text);
  if (tree == nullptr) return -1;
  const int32_t id = *json_int(tree.get(), "id");
  CameraRecord cam;
  if (store_read(kStoreMain, id, &cam) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  (void)record_from_json(kQuickCameraKeys, tree.get(), &cam);
  cam.model = kCameraProtocolOnvif;
  if (store_write(kStoreMain, cam) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kAgingCore.notice(cam.enable != 0 ? kReqChannelAdded : kReqChannelDeleted, id);
  write_ok();
  return 0;
}
