// Image records of the cameras and their common parameters: "/2019" and "/2020" the
// enhancement record (WDR, exposure, defog ...), "/2021" and "/2022" the display record
// (day/night, IR, mirror, white light ...), "/2023" and "/2024" one named parameter of a
// camera page. Reads wait for the camera's answer; the enhancement change is pushed without
// one.
#include <json-c/json.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "camera/camera_ipc.h"
#include "camera/camera_params.h"
#include "cgi_ipc.h"
#include "handler_kit.h"

namespace {

// Fields the web sets in an enhancement change; the camera-reported ones (dismode,
// exposurectrl, sdkversion) stay zero. Index 41 goes by another key when written.
constexpr auto kEnhancementWriteKeys =
    pick_renamed(kImageEnhancementKind, {{"smartir", "smartir"},
                                         {"whiteblance", "whiteblance"},
                                         {"focusmode", "focusmode"},
                                         {"antiblurry", "antiblurry"},
                                         {"wdrenable", "wdrenable"},
                                         {"wdrlevel", "wdrlevel"},
                                         {"wdrstarthour", "wdrstarthour"},
                                         {"wdrstartminute", "wdrstartminute"},
                                         {"wdrstophour", "wdrstophour"},
                                         {"wdrstopminute", "wdrstopminute"},
                                         {"regiontype", "regiontype"},
                                         {"hlcmode", "hlcmode"},
                                         {"exclude", "exclude"},
                                         {"exposemode", "exposemode"},
                                         {"exposeregion", "exposeregion"},
                                         {"modelType", "modelType"},
                                         {"imageschemode", "imageschemode"},
                                         {"hlcday", "hlcday"},
                                         {"hlcnight", "hlcnight"},
                                         {"redgain", "redgain"},
                                         {"bluegain", "bluegain"},
                                         {"defogmode", "defogmode"},
                                         {"defoglevel", "defoglevel"},
                                         {"exposetime", "exposetime"},
                                         {"exposegain", "exposegain"},
                                         {"af_level", "aflevel"},
                                         {"hlclevel", "hlclevel"},
                                         {"enblur", "enblur"},
                                         {"deblur", "deblur"},
                                         {"lensType", "lensType"},
                                         {"reduceVideoStuttering", "reduceVideoStuttering"}});

// Fields the web sets in a display change: its settings, not the texts that describe the
// camera; white light strength goes by another key, and the white-LED block is written only.
constexpr auto kDisplayWriteKeys =
    pick_renamed(kImageDisplayKind, {{"colorkiller", "colorkiller"},
                                     {"modestarthour", "modestarthour"},
                                     {"modestartminute", "modestartminute"},
                                     {"modestophour", "modestophour"},
                                     {"modestopminute", "modestopminute"},
                                     {"exposurectrl", "exposurectrl"},
                                     {"lighttype", "lighttype"},
                                     {"mirctrl", "mirctrl"},
                                     {"localdisplay", "localdisplay"},
                                     {"ircutaddaytonight", "ircutaddaytonight"},
                                     {"ircutadnighttoday", "ircutadnighttoday"},
                                     {"corridormode", "corridormode"},
                                     {"imagerotation", "imagerotation"},
                                     {"saveCorridor", "saveCorridor"},
                                     {"smartIRType", "smartIRType"},
                                     {"nearIRLevel", "nearIRLevel"},
                                     {"farIRLevel", "farIRLevel"},
                                     {"midIRLevel", "midIRLevel"},
                                     {"lencorrect", "lencorrect"},
                                     {"smartIrMath", "smartIrMath"},
                                     {"smartIrLimit", "smartIrLimit"},
                                     {"nearSmartirValue", "nearSmartirValue"},
                                     {"farSmartirValue", "farSmartirValue"},
                                     {"midSmartirValue", "midSmartirValue"},
                                     {"lenCorrectType", "lenCorrectType"},
                                     {"fovadjust", "fovadjust"},
                                     {"smokeddomecover", "smokeddomecover"},
                                     {"white_strength", "whiteLedLevel"},
                                     {"dnRefocus", "dnRefocus"},
                                     {"structuretype", "structuretype"},
                                     {"keepCorrectAspectRatio", "keepCorrectAspectRatio"},
                                     {"dayNightSens", "dayNightSens"},
                                     {"nightDaySens", "nightDaySens"},
                                     {"zoomLimit", "zoomLimit"},
                                     {"whiteledLightCtrl", "whiteledLightCtrl"},
                                     {"whiteledSensitivity", "whiteledSensitivity"},
                                     {"whiteledDelay", "whiteledDelay"},
                                     {"whiteledStart", "whiteledStart"},
                                     {"whiteledStop", "whiteledStop"},
                                     {"whiteledBrightnessCtrl", "whiteledBrightnessCtrl"},
                                     {"whiteledBrightness", "whiteledBrightness"}});

constexpr auto kCommonQueryKeys =
    pick_keys(kCommonParamKind, {"id", "pagename", "httpname", "key"});

// Changes of the rate control restart the camera's encoder; the camera takes the next
// command only after a pause of 50 poll steps (2 s at the recorder's 40 ms; shorter under
// the test seam of cgi_ipc.h).
constexpr int kRateControlPausePolls = 50;

void pause_polls(int polls) {
  const long long us = static_cast<long long>(ipc_timing().poll_us) * polls;
  timespec ts{static_cast<time_t>(us / 1000000), static_cast<long>(us % 1000000) * 1000};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// The body's "id" as a channel; the text error body (these pages' error form) otherwise.
std::optional<int32_t> body_channel(json_object* tree) {
  auto id = channel_from_json(tree, "id");
  if (!id) {
    std::fprintf(stderr, "webcgi: camera image request without a channel 0 to 63\n");
    cgi_error_to_webserver(kCgiText);
  }
  return id;
}

// {"id": channel, record keys...} of an answer that starts with the channel id.
int answer_channel_record(const RecordKind& kind, int32_t channel, const void* record) {
  json_object* out = json_object_new_object();
  json_object_object_add(out, "id", json_object_new_int(channel));
  (void)record_to_json(kind, record, out);
  return answer_json(out);
}

// "OK" when the answer's first int is 0, "ERROR" for any other status.
int answer_status(int count, const void* payload) {
  auto code = ipc_record<int32_t>(payload, count, 0);
  if (!code) return answer_error(kCgiText);
  return answer_text(*code == 0 ? "OK" : "ERROR");
}

// Reads the common parameter request of a body ("value" too when `with_value`).
std::optional<CommonParamRequest> common_param(json_object* tree, bool with_value) {
  auto id = body_channel(tree);
  if (!id) return std::nullopt;
  CommonParamRequest req{};
  if (with_value)
    (void)record_from_json(kCommonParamKind, tree, &req);
  else
    (void)record_from_json(kCommonQueryKeys, tree, &req);
  req.id = *id;
  return req;
}

}  // namespace

int on_get_ipc_ipcimage_enhancement_cb(int count, const void* payload) {
  auto answer = ipc_record<ImageEnhancementAnswer>(payload, count, 0);
  if (!answer) return answer_error(kCgiText);
  return answer_channel_record(kImageEnhancementKind, answer->chnid, &answer->image);
}

int on_get_ipc_ipcimage_display_cb(int count, const void* payload) {
  auto answer = ipc_record<ImageDisplayMessage>(payload, count, 0);
  if (!answer) return answer_error(kCgiText);
  return answer_channel_record(kImageDisplayKind, answer->chnid, &answer->image);
}

int on_set_ipc_ipcimage_display_cb(int count, const void* payload) {
  return answer_status(count, payload);
}

int on_get_ipc_common_param_cb(int count, const void* payload) {
  auto answer = ipc_record<CommonParamAnswer>(payload, count, 0);
  if (!answer) return answer_error(kCgiText);
  json_object* out = json_object_new_object();
  (void)record_to_json(kCommonParamAnswerKind, &*answer, out);
  return answer_json(out);
}

int on_set_ipc_common_param_cb(int count, const void* payload) {
  return answer_status(count, payload);
}

int on_get_ipc_image_enhancement(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto id = body_channel(tree.get());
  if (!id) return -1;
  kCameraCore.query(kReqEnhancementQuery, *id, kCgiText);
  return 0;
}

int on_set_ipc_image_enhancement(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  json_object* channels = json_member(tree.get(), "channel");
  if (!json_object_is_type(channels, json_type_array)) {
    std::fprintf(stderr, "webcgi: image enhancement change without a \"channel\" array\n");
    return -1;
  }
  ImageEnhancementChange req{};
  for (int32_t& c : req.channels.channel) c = -1;
  (void)json_channel_ids(channels, kMaxChannels, req.channels.channel, kMaxChannels);
  (void)record_from_json(kEnhancementWriteKeys, tree.get(), &req.image);
  kCameraCore.notice(kReqEnhancementChange, req);
  write_ok();
  return 0;
}

int on_get_ipc_image_display(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto id = body_channel(tree.get());
  if (!id) return -1;
  kCameraCore.query(kReqDisplayQuery, *id, kCgiText);
  return 0;
}

int on_set_ipc_image_display(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto id = body_channel(tree.get());
  if (!id) return -1;
  ImageDisplayMessage req{};
  req.chnid = *id;
  (void)record_from_json(kDisplayWriteKeys, tree.get(), &req.image);
  kCameraCore.query(kReqDisplayChange, req, kCgiText);
  return 0;
}

int on_get_ipc_common_param(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto req = common_param(tree.get(), false);
  if (!req) return -1;
  req->no_page = req->pagename[0] == '\0' ? 1 : 0;
  kCameraCore.query(kReqCommonParamQuery, *req, kCgiText);
  return 0;
}

int on_set_ipc_common_param(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto req = common_param(tree.get(), true);
  if (!req) return -1;
  if (std::strcmp(req->key, "ratecontrol1") == 0 || std::strcmp(req->key, "ratecontrol2") == 0)
    pause_polls(kRateControlPausePolls);
  kCameraCore.query(kReqCommonParamChange, *req, kCgiText);
  return 0;
}
