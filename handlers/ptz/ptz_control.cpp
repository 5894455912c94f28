// Live PTZ control: movement commands (with the speed pushed to the camera), preset
// operations, tour run and stop, patterns, preset calls, zoom and the speed push alone.
// Commands go to the core without waiting; only a push to the camera waits for its answer.
#include <json-c/json.h>

#include <cstdio>

#include "cgi_json.h"
#include "handler_kit.h"
#include "ptz/ptz_handlers.h"
#include "ptz/ptz_ipc.h"
#include "ptz/ptz_wire.h"

namespace {

// What a movement command takes from its body; the preset id and name stay 0.
constexpr auto kMoveKeys =
    pick_keys(kPtzCommandKind, {"channelId", "action", "panSpeed", "tiltSpeed", "zoomSpeed",
                                "focusSpeed", "fisheyeType", "streamId"});
// A movement command checks only these two; its speeds may be anything (a push sends 1
// for any speed below 1).
constexpr auto kMoveCheckKeys = pick_keys(kPtzCommandKind, {"channelId", "action"});
// A preset operation takes the preset id too; its speeds must not be negative.
constexpr auto kPresetKeys =
    pick_keys(kPtzCommandKind, {"channelId", "action", "presetId", "panSpeed", "tiltSpeed",
                                "zoomSpeed", "focusSpeed", "fisheyeType", "streamId"});

constexpr const char* kPushPage = "vsetting.html";
constexpr const char* kSpeedKey = "ptzspeed";
constexpr const char* kFishPresetKey = "ipncptz=setfishpreset";

// True when the body's `key` names a channel below the store's "max_cameras" (which
// max_cameras() keeps within the 64 channels).
bool below_max_cameras(json_object* tree, const char* key) {
  return json_int_in(tree, key, 0, max_cameras() - 1);
}

// Pushes one camera parameter through 3226 and waits; the text error body when no answer
// came. The flag the answer left.
int push_to_camera(int channel, const char* key, const char* value) {
  PtzCommonParam param{};
  param.id = channel;
  std::snprintf(param.httpname, sizeof param.httpname, "%s", kPushPage);
  std::snprintf(param.key, sizeof param.key, "%s", key);
  std::snprintf(param.value, sizeof param.value, "%s", value);
  return kPtzCore.query(kPtzCommonParam, param, kCgiText);
}

int push_speed(int channel, int speed) {
  char value[16];
  std::snprintf(value, sizeof value, "%d", ptz_pushed_speed(speed));
  return push_to_camera(channel, kSpeedKey, value);
}

// The tour control record of a run or stop request; nothing for a body without a valid
// "chn".
std::optional<PtzTourControl> tour_control(const char* text) {
  Json tree = request_checked(text, kPtzTourControlKind, {"chn"});
  if (tree == nullptr) return std::nullopt;
  PtzTourControl control{};
  (void)record_from_json(kPtzTourControlKind, tree.get(), &control);
  return control;
}

int send_tour_control(char* text, int type) {
  auto control = tour_control(text);
  if (!control) return -1;
  kPtzCore.notice(type, *control);
  ptz_log(kLogParamPtzMove, control->chn);
  write_ok();
  return 0;
}

}  // namespace

int ptz_pattern_action_code(int action) {
  static constexpr int kCodes[] = {26, 21, 25, 27, 40};
  return action >= 0 && action < static_cast<int>(std::size(kCodes)) ? kCodes[action] : 0;
}

int ptz_pushed_speed(int speed) {
  return speed < 1 ? 1 : speed - 1;
}

int on_send_ptz_cmd(char* text) {
  Json tree = request_checked(text, kMoveCheckKeys, {"channelId", "action"});
  if (tree == nullptr || !below_max_cameras(tree.get(), "channelId")) return -1;
  PtzCommand cmd{};
  (void)record_from_json(kMoveKeys, tree.get(), &cmd);
  kPtzCore.notice(kPtzCommand, cmd);
  // A camera that focuses by itself is told to do so after a manual focus.
  if (cmd.action == kPtzActionFocus && json_int(tree.get(), "isAutoFocus") == 1) {
    cmd.action = kPtzActionAutoFocus;
    kPtzCore.notice(kPtzCommand, cmd);
  }
  (void)push_speed(cmd.channelId, cmd.panSpeed);
  ptz_log(kLogParamPtzMove, cmd.channelId);
  return 0;
}

int on_preset_op(char* text) {
  Json tree = request_checked(
      text, kPresetKeys,
      {"channelId", "action", "presetId", "panSpeed", "tiltSpeed", "zoomSpeed", "focusSpeed"});
  if (tree == nullptr || !below_max_cameras(tree.get(), "channelId")) return -1;
  PtzCommand cmd{};
  (void)record_from_json(kPresetKeys, tree.get(), &cmd);
  if (cmd.action == kPtzActionSetPreset)
    (void)on_cgi_get_string_from_json(tree.get(), "name", cmd.name, kPtzPresetNameMax + 1);
  kPtzCore.notice(kPtzPresetOp, cmd);
  if (cmd.fisheyeType == 1 && cmd.action == kPtzActionSetPreset) {
    // A fisheye camera keeps the names of its virtual presets itself.
    char value[sizeof PtzCommonParam::value];
    std::snprintf(value, sizeof value, "%d:%d:%s", cmd.streamId, cmd.presetId, cmd.name);
    (void)push_to_camera(cmd.channelId, kFishPresetKey, value);
  } else {
    write_ok();
  }
  ptz_log(kLogParamPtz, cmd.channelId);
  return 0;
}

int on_set_ptz_tour_run(char* text) {
  return send_tour_control(text, kPtzTourRun);
}

int on_set_ptz_tour_stop(char* text) {
  return send_tour_control(text, kPtzTourStop);
}

int on_set_ptz_pattern(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto chn = channel_from_json(tree.get(), "chn");
  if (!chn) return -1;
  PtzCommand cmd{};
  cmd.channelId = *chn;
  cmd.action = ptz_pattern_action_code(json_int(tree.get(), "action").value_or(-1));
  cmd.presetId = json_int(tree.get(), "tourid").value_or(0);
  kPtzCore.notice(kPtzPattern, cmd);
  ptz_log(kLogParamPtz, cmd.channelId);
  write_ok();
  return 0;
}

int on_set_ptz_preset_call(char* text) {
  Json tree = request_checked(text, kPtzPresetCallKind, {"channelId", "action"});
  if (tree == nullptr) return -1;
  PtzPresetCall call{};
  (void)record_from_json(kPtzPresetCallKind, tree.get(), &call);
  kPtzCore.notice(kPtzPresetCall, call);
  ptz_log(kLogParamPtzMove, call.channelId);
  write_ok();
  return 0;
}

int on_set_ptz_zomm(char* text) {
  Json tree = request_checked(text, kPtzZoomKind, {"camId"});
  if (tree == nullptr) return -1;
  PtzZoom zoom{};
  (void)record_from_json(kPtzZoomKind, tree.get(), &zoom);
  kPtzCore.notice(kPtzZoom, zoom);
  ptz_log(kLogParamPtzMove, zoom.camId);
  write_ok();
  return 0;
}

int on_set_ipc_speed(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto chn = channel_from_json(tree.get(), "chn");
  if (!chn) return -1;
  (void)push_speed(*chn, json_int(tree.get(), "Speed").value_or(0));
  // The change is logged also when the camera did not answer: the push was sent.
  ptz_log(kLogParamPtz, *chn);
  return 0;
}
