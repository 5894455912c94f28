// PTZ requests the core answers: the whole PTZ state of a channel, PTZ support, the
// camera's basic PTZ settings (read and change), control commands and the light state.
// Each checks its channel, sends and waits; ptz_ipc.cpp writes the answers.
#include <json-c/json.h>

#include "handler_kit.h"
#include "ptz/ptz_handlers.h"
#include "ptz/ptz_ipc.h"
#include "ptz/ptz_wire.h"

namespace {

// The body's channel under `key`, or the error body of `error_kind` (-1: none) and
// nothing.
std::optional<int32_t> body_channel(const char* text, const char* key, int error_kind) {
  Json tree = request_object(text);
  if (tree == nullptr) return std::nullopt;
  auto chn = channel_from_json(tree.get(), key);
  if (!chn && error_kind >= 0) cgi_error_to_webserver(error_kind);
  return chn;
}

}  // namespace

// A fisheye camera ("fisheyeType" 1) keeps a state per stream, asked with 1268; any other
// camera is asked for its one state with 1265.
int on_get_ptz_info(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto chn = channel_from_json(tree.get(), "chn");
  if (!chn) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  if (json_int(tree.get(), "fisheyeType") == 1) {
    const PtzFishStateQuery query{*chn, json_int(tree.get(), "streamId").value_or(0)};
    kPtzCore.query(kPtzFishStateQuery, query, kCgiJson);
  } else {
    const int32_t channel = *chn;
    kPtzCore.query(kPtzStateQuery, channel, kCgiJson);
  }
  return 0;
}

int on_cgi_set_ptz_control(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto chn = channel_from_json(tree.get(), "chnid");
  if (!chn) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  PtzControlRequest req{};
  (void)record_from_json(kPtzControlKind, tree.get(), &req);
  req.chnid = *chn;
  kPtzCore.query(kPtzControl, req, kCgiJson);
  ptz_log(kLogParamPtz, *chn);
  return 0;
}

int on_cgi_get_led_status(char* text) {
  auto chn = body_channel(text, "chnid", kCgiJson);
  if (!chn) return -1;
  kPtzCore.query(kPtzLightQuery, *chn, kCgiJson);
  return 0;
}

int on_cgi_get_ptz_basic(char* text) {
  auto chn = body_channel(text, "chnId", kCgiJson);
  if (!chn) return -1;
  kPtzCore.query(kPtzBasicQuery, *chn, kCgiJson);
  return 0;
}

int on_cgi_set_ptz_basic(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  if (!channel_from_json(tree.get(), "chnId")) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  // The basic keys the body carries; those it leaves out go as 0, the mask as given.
  PtzBasicSettings basic{};
  (void)record_from_json(kPtzBasicKind, tree.get(), &basic);
  kPtzCore.query(kPtzBasicChange, basic, kCgiJson);
  return 0;
}

int on_get_ptzsupport_info(char* text) {
  auto cam = body_channel(text, "camId", kCgiText);
  if (!cam) return -1;
  kPtzCore.query(kPtzSupportQuery, *cam, kCgiText);
  return 0;
}
