// Camera channel requests answered from the store: a channel's settings, adding,
// editing and deleting channels, the login and transport of a camera, channel names, the
// protocol catalogue, PoE facts and IPv6 presence.
//
// Every change is stored first; only after every store write has succeeded is the core
// told (no-wait notices 1201 to 1206), the operation logged and "OK" answered. A failed
// read or write answers the text error and tells nobody.
#include "camera/camera_channels.h"

#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <vector>

#include "handler_kit.h"
#include "camera/camera_ipc.h"
#include "camera/camera_record.h"
#include "camera/camera_wire.h"
#include "camera/ipc_catalog_record.h"
#include "camera/osd_record.h"
#include "camera/privacy_mask_record.h"
#include "cgi_json.h"
#include "cgi_response.h"
#include "dvdb.h"
#include "dvfs_log.h"
#include "dvstd.h"
#include "loginfo.h"
#include "field_json.h"

namespace {

// Operation log values of channel changes.
constexpr int kLogSubAddChannel = 210;
constexpr int kLogSubDeleteChannel = 211;

constexpr const char* kDefaultPoePassword = "zq4821";

// ---- Keys taken from requests -------------------------------------------------------------

// The settings that add and edit take from the body, in the order they are applied.
constexpr auto kChannelKeys =
    pick_keys(kCameraKind, {"minorid", "enable", "ipAddr", "managePort", "camProtocol",
                            "transmitProtocol", "enableSubStream", "syncTime"});
constexpr auto kLoginKeys = pick_keys(kCameraKind, {"userName", "password"});
// Only RTSP channels carry their stream addresses.
constexpr auto kRtspKeys = pick_keys(kCameraKind, {"mainRtspPort", "mainSourcePath", "subRtspPort",
                                                   "subSourcePath", "mainrtspurl", "subrtspurl"});
// The PoE wiring comes only with an add; an edit keeps it.
constexpr auto kWiringKeys = pick_keys(kCameraKind, {"poechannel", "physicalport"});
constexpr auto kTailKeys = pick_keys(kCameraKind, {"ddns", "httpsPort"});
constexpr auto kTransportKeys =
    pick_keys(kCameraKind, {"transmitProtocol", "syncTime", "httpsPort"});

// ---- Keys of the channel settings answer (/2000), around "name" and "protocol" ----------

constexpr auto kInfoHead = pick_keys(kCameraKind, {"id"});
constexpr auto kInfoAddress = pick_keys(kCameraKind, {"ipAddr", "managePort"});
constexpr auto kInfoRest = pick_renamed(kCameraKind, {{"model", "model"},
                                                      {"username", "userName"},
                                                      {"password", "password"},
                                                      {"transmit_protocol", "transmitProtocol"},
                                                      {"main_rtsp_port", "mainRtspPort"},
                                                      {"main_source_path", "mainSourcePath"},
                                                      {"enable_sub_stream", "subRtspEnable"},
                                                      {"sub_rtsp_port", "subRtspPort"},
                                                      {"sub_source_path", "subSourcePath"},
                                                      {"sync_time", "syncTime"},
                                                      {"mainrtspurl", "mainRtspUrl"},
                                                      {"subrtspurl", "subRtspUrl"},
                                                      {"physicalport", "physicalport"},
                                                      {"poechannel", "poechannel"},
                                                      {"mac_addr", "mac_addr"},
                                                      {"minorid", "minorid"},
                                                      {"ddns", "ddns"},
                                                      {"https_port", "httpsPort"}});

// The channel name as the add and edit bodies carry it, and the name list's entries.
constexpr auto kOsdNameKey = pick_renamed(kOsdKind, {{"name", "name"}});
constexpr auto kNameKeys = pick_renamed(kOsdKind, {{"channel", "id"}, {"name", "name"}});

int apply_keys(json_object* tree, CameraRecord* cam, const FieldKeys& keys) {
  return record_from_json(keys, tree, cam);
}
int add_keys(json_object* out, const CameraRecord& cam, const FieldKeys& keys) {
  return record_to_json(keys, &cam, out);
}

// ---- Log ---------------------------------------------------------------------------------

const char* protocol_text(int model) {
  switch (model) {
    case kCameraProtocolOnvif:
      return "ONVIF";
    case kCameraProtocolRtsp:
      return "RTSP";
    default:
      return "DVSF";
  }
}

const char* transport_text(int transport) {
  switch (transport) {
    case 0:
      return "UDP";
    case 3:
      return "RTSP Over HTTPS";
    default:
      return "TCP";
  }
}

// Logs a change of the channel `cam` with the camera detail (kind 111).
void log_channel_change(int sub_type, int param_type, const CameraRecord& cam) {
  CameraLogDetail detail{};
  detail.paramType = param_type;
  std::memcpy(detail.address, cam.ipaddr, sizeof detail.address);
  detail.address[sizeof detail.address - 1] = '\0';
  detail.port = cam.manage_port;
  detail.channel = cam.id + 1;
  std::snprintf(detail.protocol, sizeof detail.protocol, "%s", protocol_text(cam.model));
  std::snprintf(detail.transport, sizeof detail.transport, "%s",
                transport_text(cam.transmit_protocol));
  detail.syncTime = static_cast<uint8_t>(cam.sync_time);
  OperationLogRecord log = cgi_make_log(sub_type, param_type, cam.id);
  (void)dvfs_log_pack_detail(&log, kLogDetailCamera, &detail, sizeof detail);
  cgi_send_log(kCameraCore.callback, log);
}

// ---- Add and edit --------------------------------------------------------------------------

// The check of an add or edit body: "id" 0 to 63, "name" present, "enable" 0 or 1,
// "camProtocol" 0 to 7, "transmitProtocol" 0 to 3, and unless the protocol needs no
// address, a non-empty "ipAddr" and a "managePort" not below 0.
bool check_digital_channel(json_object* tree) {
  json_object* name = nullptr;
  if (!json_int_in(tree, "id", 0, kMaxChannels - 1) ||
      !json_object_object_get_ex(tree, "name", &name) || !json_int_in(tree, "enable", 0, 1) ||
      !json_int_in(tree, "camProtocol", 0, kCameraProtocolMax) ||
      !json_int_in(tree, "transmitProtocol", 0, kTransmitProtocolMax))
    return false;
  if (json_int(tree, "camProtocol") == kCameraProtocolNoAddress) return true;
  return json_text_nonempty(tree, "ipAddr") && json_int_in(tree, "managePort", 0, INT32_MAX);
}

enum class SaveMode { kAdd, kEdit };

// Stores the channel's name and settings from a checked body. False when a read or a
// write failed (the OSD name may then be stored without the settings).
[[nodiscard]] bool store_channel(json_object* tree, SaveMode mode, CameraRecord* cam) {
  const int id = *json_int(tree, "id");
  OsdRecord osd;
  if (store_read(kStoreMain, id, cam) != 0 || store_read(kStoreMain, id, &osd) != 0) return false;
  (void)record_from_json(kOsdNameKey, tree, &osd);
  if (store_write(kStoreMain, osd) != 0) return false;

  (void)apply_keys(tree, cam, kChannelKeys);
  // An edit of type 0 changes the login; other types leave the stored one.
  if (mode == SaveMode::kAdd || json_int(tree, "type").value_or(0) == 0)
    (void)apply_keys(tree, cam, kLoginKeys);
  if (json_int(tree, "camProtocol") == kCameraProtocolRtsp) (void)apply_keys(tree, cam, kRtspKeys);
  if (mode == SaveMode::kAdd) {
    // An added camera's MAC address is the body's or none; "(null)" is how a page
    // without one says so.
    char mac[sizeof cam->mac_addr] = "";
    if (on_cgi_get_string_from_json(tree, "mac_addr", mac, sizeof mac) == 0 &&
        std::strcmp(mac, "(null)") == 0)
      mac[0] = '\0';
    std::memcpy(cam->mac_addr, mac, sizeof mac);
    (void)apply_keys(tree, cam, kWiringKeys);
  }
  (void)apply_keys(tree, cam, kTailKeys);
  return store_write(kStoreMain, *cam) == 0;
}

int save_channel(char* text, SaveMode mode) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  if (!check_digital_channel(tree.get())) return -1;
  CameraRecord cam;
  bool stored = store_channel(tree.get(), mode, &cam);
  const int other_poe = json_int(tree.get(), "otherPoe").value_or(0);
  if (!stored) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }

  const int32_t id = cam.id;
  if (mode == SaveMode::kAdd) {
    kCameraCore.notice(kReqChannelAdded, &id, sizeof id);
    ChannelPoeNotice poe{id, other_poe == 1 ? 1 : 0};
    kCameraCore.notice(kReqChannelPoe, &poe, sizeof poe);
    log_channel_change(kLogSubAddChannel, kLogParamAddChannel, cam);
  } else {
    kCameraCore.notice(kReqChannelChanged, &id, sizeof id);
    log_channel_change(kLogSubParameter, kLogParamChannel, cam);
  }
  write_ok();
  return 0;
}

// Reads the channel of the body's "id" (0 to 63), applies `keys`, stores it, tells the
// core and logs the change. `check` decides beforehand whether the body is acceptable;
// a refused body gets no response.
int update_camera(char* text, bool (*check)(json_object*), const FieldKeys& keys) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  if (!json_int_in(tree.get(), "id", 0, kMaxChannels - 1) || !check(tree.get())) return -1;
  CameraRecord cam;
  bool stored = store_read(kStoreMain, *json_int(tree.get(), "id"), &cam) == 0;
  if (stored) {
    (void)apply_keys(tree.get(), &cam, keys);
    stored = store_write(kStoreMain, cam) == 0;
  }
  if (!stored) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const int32_t id = cam.id;
  kCameraCore.notice(kReqChannelChanged, &id, sizeof id);
  log_channel_change(kLogSubParameter, kLogParamChannel, cam);
  write_ok();
  return 0;
}

bool check_login(json_object* tree) {
  return json_text_nonempty(tree, "userName") && json_text_nonempty(tree, "password");
}

bool accept_any(json_object*) {
  return true;
}

// ---- Delete --------------------------------------------------------------------------------

// Clears the channel's privacy masks, camera and name. False when a store call failed.
[[nodiscard]] bool clear_channel(int id) {
  PrivacyMaskRecord masks;
  bool stored = false;
  if (read_privacy_mask(kStoreMain, &masks, id, &stored) != 0) return false;
  // A channel whose masks were never stored has none to clear.
  if (stored && masks.id == id) {
    std::memset(masks.area, 0, sizeof masks.area);
    if (write_privacy_mask(kStoreMain, &masks) != 0) return false;
  }

  CameraRecord cam;
  if (store_read(kStoreMain, id, &cam) != 0) return false;
  const int32_t slot_kind = cam.slot_kind;
  std::memset(&cam, 0, sizeof cam);
  cam.id = id;
  cam.enable = 0;
  cam.slot_kind = slot_kind;
  cam.cleared = 1;
  if (store_write(kStoreMain, cam) != 0) return false;

  OsdRecord osd;
  if (store_read(kStoreMain, id, &osd) != 0) return false;
  osd_default_name(id, osd.name);
  return store_write(kStoreMain, osd) == 0;
}

// The "chnid" of a query text, when it parses and names a channel.
std::optional<int> query_channel(const char* text) {
  int id = -1;
  if (on_cgi_get_value_by_json(text, "chnid", &id) != 0 || !channel_valid(id)) return std::nullopt;
  return id;
}

void write_text_int(int value) {
  char body[16];
  std::snprintf(body, sizeof body, "%d", value);
  cgi_writeback_webserver(kCgiText, body);
}

}  // namespace

int on_get_ipc_channel_info(char* text) {
  auto id = query_channel(text);
  CameraRecord cam;
  OsdRecord osd;
  if (!id || store_read(kStoreMain, *id, &cam) != 0 || store_read(kStoreMain, *id, &osd) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  // A model id the catalogue does not hold reads as protocol 0.
  IpcModelRecord model{};
  if (read_ipc_model(kStoreMain, &model, cam.model) != 0) model.protocol = 0;

  Json out(json_object_new_object());
  add_keys(out.get(), cam, kInfoHead);
  (void)record_to_json(kOsdNameKey, &osd, out.get());
  add_keys(out.get(), cam, kInfoAddress);
  json_object_object_add(out.get(), "protocol", json_object_new_int(model.protocol));
  add_keys(out.get(), cam, kInfoRest);
  write_json(out.get());
  return 0;
}

int on_add_ipc_channel(char* text) {
  return save_channel(text, SaveMode::kAdd);
}

int on_edit_ipc_channel(char* text) {
  return save_channel(text, SaveMode::kEdit);
}

int on_delete_ipc_channel(char* text) {
  auto id = query_channel(text);
  if (!id) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  if (!clear_channel(*id)) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const int32_t chn = *id;
  kCameraCore.notice(kReqChannelDeleted, &chn, sizeof chn);
  ChannelPoeNotice poe{chn, 0};
  kCameraCore.notice(kReqChannelPoe, &poe, sizeof poe);
  cgi_send_log(kCameraCore.callback,
               cgi_make_log(kLogSubDeleteChannel, kLogParamDeleteChannel, chn));
  write_ok();
  return 0;
}

int on_set_ipc_login(char* text) {
  return update_camera(text, check_login, kLoginKeys);
}

int on_set_ipc_transport(char* text) {
  return update_camera(text, accept_any, kTransportKeys);
}

int on_get_ipc_protocols(char* /*text*/) {
  std::vector<IpcProtocolRecord> protocols(kMaxIpcProtocols);
  std::vector<IpcModelRecord> models(kMaxIpcModels);
  int count = 0;
  if (read_ipc_protocols(kStoreMain, protocols.data(), kMaxIpcProtocols, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    IpcProtocolRecord& p = protocols[i];
    // The recorder's own protocol never offers its model list: a store that still asks
    // for it is corrected (and shown as stored when the correction cannot be written).
    if (p.id == kIpcProtocolOwn && p.display_model == 1) {
      IpcProtocolRecord fixed = p;
      fixed.display_model = 0;
      if (write_ipc_protocol(kStoreMain, &fixed) == 0) p = fixed;
    }
    json_object* entry = json_object_new_object();
    (void)record_to_json(kIpcProtocolKind, &p, entry);
    json_object* model_list = json_object_new_array();
    int n = 0;
    if (read_ipc_models_by_protocol(kStoreMain, p.id, models.data(), kMaxIpcModels, &n) == 0) {
      for (int m = 0; m < n; ++m) {
        json_object* model = json_object_new_object();
        (void)record_to_json(kIpcModelKind, &models[m], model);
        json_object_array_add(model_list, model);
      }
    }
    json_object_object_add(entry, "models", model_list);
    json_object_array_add(list, entry);
  }
  Json out(json_object_new_object());
  json_object_object_add(out.get(), "protocols", list);
  write_json(out.get());
  return 0;
}

int on_get_channel_names(char* /*text*/) {
  std::vector<OsdRecord> osds(kMaxChannels);
  int count = 0;
  if (store_list(kStoreMain, std::span(osds.data(), kMaxChannels), &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const int shown = std::min(max_cameras(), count);
  json_object* list = json_object_new_array();
  for (int i = 0; i < shown; ++i) {
    json_object* entry = json_object_new_object();
    (void)record_to_json(kNameKeys, &osds[i], entry);
    json_object_array_add(list, entry);
  }
  Json out(json_object_new_object());
  json_object_object_add(out.get(), "IPC", list);
  write_json(out.get());
  return 0;
}

int on_get_poe_password(char* /*text*/) {
  char password[64];
  get_param_value(kStoreMain, "poepsd", password, sizeof password, kDefaultPoePassword);
  cgi_writeback_webserver(kCgiText, password);
  return 0;
}

int on_get_max_poe_num(char* /*text*/) {
  write_text_int(get_param_int(kStoreMain, "max_poe_num", 0));
  return 0;
}

int on_get_have_ipv6(char* /*text*/) {
  write_text_int(net_is_haveipv6());
  return 0;
}
