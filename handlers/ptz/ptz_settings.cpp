// The serial PTZ port of a channel ("/6050", "/6051") and its PTZ speeds ("/6053",
// "/6054"), kept in the store. A port change is told to the core per channel; speeds are
// read by the core when it drives the camera.
#include <json-c/json.h>

#include <algorithm>
#include <cstring>

#include "handler_kit.h"
#include "ptz/ptz_handlers.h"
#include "ptz/ptz_ipc.h"
#include "ptz/ptz_store.h"

void ptz_port_defaults(void* record, RecordKey /*key*/) {
  PtzPortRecord port{};
  port.baudRate = 9600;
  port.dataBits = 8;
  port.stopBits = 1;
  port.address = 1;
  std::memcpy(record, &port, sizeof port);
}

namespace {

// The "camId" of a body as a channel; nothing for a missing body or another value.
std::optional<int> body_camera(json_object* tree) {
  return tree != nullptr ? channel_from_json(tree, "camId") : std::nullopt;
}

}  // namespace

// Every channel's port can be saved (0 to 63), so every one can be read back too.
int on_get_ptzport_info(char* text) {
  Json tree = request_object(text);
  auto chn = tree != nullptr ? channel_from_json(tree.get(), "chnid") : std::nullopt;
  PtzPortRecord port;
  if (!chn || store_read(kStoreMain, *chn, &port) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json out(json_object_new_object());
  (void)record_to_json(kPtzPortKind, &port, out.get());
  write_json(out.get());
  return 0;
}

// check_ptzport_info: "cnt" and the "chnid" array present, every port key present and in
// its range. The record is the request's, not merged with what was stored.
int on_set_ptzport_info(char* text) {
  Json tree = request_checked(
      text, kPtzPortSaveKeys,
      {"connectType", "baudRate", "dataBits", "stopBits", "parityType", "protocol", "address"});
  if (tree == nullptr) return -1;
  json_object* list = json_member(tree.get(), "chnid");
  auto cnt = json_int(tree.get(), "cnt");
  if (!cnt || !json_object_is_type(list, json_type_array)) return -1;
  PtzPortRecord port{};
  (void)record_from_json(kPtzPortSaveKeys, tree.get(), &port);

  const std::size_t n = std::min<std::size_t>(json_object_array_length(list),
                                              static_cast<std::size_t>(std::max(*cnt, 0)));
  for (std::size_t i = 0; i < n; ++i) {
    // An element that names no channel (70, "abc", 2.5) is passed over.
    auto chn = channel_from_text(json_object_get_string(json_object_array_get_idx(list, i)));
    if (!chn) continue;
    port.camId = *chn;
    if (store_write(kStoreMain, port) != 0) {
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
    kPtzCore.notice(kPtzPortChanged, port.camId);
    ptz_log(kLogParamPtz, port.camId);
  }
  write_ok();
  return 0;
}

int on_get_ptz_speed(char* text) {
  Json tree = request_object(text);
  auto cam = body_camera(tree.get());
  PtzSpeedRecord speed;
  if (!cam || store_read(kStoreMain, *cam, &speed) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json out(json_object_new_object());
  (void)record_to_json(kPtzSpeedKeys, &speed, out.get());
  write_json(out.get());
  return 0;
}

int on_set_ptz_speed(char* text) {
  Json tree = request_checked(text, kPtzSpeedKeys, {});
  auto cam = body_camera(tree.get());
  if (!cam) return -1;
  PtzSpeedRecord speed;
  if (store_read(kStoreMain, *cam, &speed) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  (void)record_from_json(kPtzSpeedKeys, tree.get(), &speed);
  if (store_write(kStoreMain, speed) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  ptz_log(kLogParamPtz, *cam);
  write_ok();
  return 0;
}
