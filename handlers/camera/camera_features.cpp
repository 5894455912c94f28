// Camera feature settings the cameras keep themselves, read and changed through the core:
// camera-side motion detection ("/2051", "/2052"), the camera's log ("/2053"), auto
// tracking ("/2054", "/2055"), PTZ support and camera type ("/2056", "/2057"), watermark
// ("/2058", "/2059"), event stream ("/2060", "/2061"), licence-plate night mode ("/2062"),
// audio ("/2063", "/2064"), system capabilities ("/2065"), custom parameters ("/2068"),
// the camera firmware upgrade ("/2078" to "/2081") and the liveness check ("/2082").
//
// Every channel a body names is checked (0 to 63) before it reaches a payload; selection
// texts are read only as far as a 64-bit mask goes; answers are read with their bounds.
#include <json-c/json.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "camera/camera_feature_wire.h"
#include "camera/camera_features.h"
#include "camera/camera_ipc.h"
#include "cgi_ipc.h"
#include "cgi_json.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

// The body's channel under `key`, or the error body of `error_kind` (-1: none) and nothing.
// A body that is not JSON is refused the same way.
std::optional<int32_t> body_channel(json_object* tree, const char* key, int error_kind) {
  auto channel = channel_from_json(tree, key);
  if (!channel) {
    std::fprintf(stderr, "webcgi: camera feature request without a \"%s\" 0 to 63\n", key);
    if (error_kind >= 0) cgi_error_to_webserver(error_kind);
  }
  return channel;
}

// Sends `query(channel)` for a body whose only input is its "chnid"; the JSON error body for
// a missing body or channel.
template <class Payload>
int query_channel(const char* text, int type, Payload (*payload)(int32_t, json_object*)) {
  Json tree = request_object(text);
  auto channel = body_channel(tree.get(), "chnid", kCgiJson);
  if (!channel) return -1;
  kCameraCore.query(type, payload(*channel, tree.get()), kCgiJson);
  return 0;
}

int32_t just_channel(int32_t channel, json_object*) {
  return channel;
}

// {"res": first int of the answer}.
int answer_res(int count, const void* payload) {
  auto code = ipc_record<int32_t>(payload, count, 0);
  if (!code) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  json_object_object_add(out, "res", json_object_new_int(*code));
  return answer_json(out);
}

uint64_t channel_bit(int32_t channel) {
  return uint64_t{1} << channel;
}

// The upgrade's 16-character selection text of a mask.
std::string upgrade_mask_text(uint64_t mask) {
  std::string text(kUpgradeChannels, '0');
  for (int c = 0; c < kUpgradeChannels; ++c)
    if ((mask >> c) & 1u) text[c] = '1';
  return text;
}

uint64_t mask_of(const CoreChannelMask& m) {
  return uint64_t{m.low} | uint64_t{m.high} << 32;
}

}  // namespace

// ---- Answers -----------------------------------------------------------------------------

int on_get_ipc_motion_cb(int count, const void* payload) {
  auto answer = ipc_record<IpcMotionAnswer>(payload, count, 0);
  if (!answer) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  (void)record_to_json(kIpcMotionKind, &answer->motion, out);
  json_object_object_add(out, "effective", get_schedule_json_object_ipc(&answer->motion.effective));
  json_object_object_add(out, "isNtPlatform", json_object_new_int(answer->isNtPlatform));
  return answer_json(out);
}

int on_get_auto_tracking_cb(int count, const void* payload) {
  auto answer = ipc_record<AutoTracking>(payload, count, 0);
  if (!answer) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  (void)record_to_json(kAutoTrackingKind, &*answer, out);
  json_object_object_add(out, "schedule", get_schedule_json_object(&answer->schedule));
  return answer_json(out);
}

int on_get_ipc_log_cb(int length, const void* payload) {
  if (payload == nullptr || length <= 0) return answer_error(kCgiText);
  // The camera's text need not end in a NUL: it is cut at the answer's length.
  const char* text = static_cast<const char*>(payload);
  std::string body(text, strnlen(text, static_cast<std::size_t>(length)));
  return answer_body(kCgiText, body.c_str());
}

int on_cgi_res_cb(int count, const void* payload) {
  return answer_res(count, payload);
}

int on_get_ipc_type_cb(int count, const void* payload) {
  return answer_record_json<ChannelModelEntry>(kChannelModelKind, count, payload);
}

int on_get_watermark_cb(int count, const void* payload) {
  return answer_record_json<Watermark>(kWatermarkKind, count, payload);
}

int on_get_event_stream_cb(int count, const void* payload) {
  return answer_record_json<EventStream>(kEventStreamKind, count, payload);
}

int on_get_lpr_night_mode_cb(int count, const void* payload) {
  return answer_record_json<NightModeAnswer>(kNightModeKind, count, payload);
}

// {"res", "support", "supportMode", "supportInputMode", "options": [{"encodeValue",
// "sampleRates": [{"sampleRateValue", "bitrates": [...]}]}], then the current configuration's
// keys}. The counts are the camera's: each is clamped to its array's room.
int on_get_ipc_audio_info_cb(int count, const void* payload) {
  auto a = ipc_record<AudioAnswer>(payload, count, 0);
  if (!a) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  json_object_object_add(out, "res", json_object_new_int(a->res));
  json_object_object_add(out, "support", json_object_new_int(a->support));
  json_object_object_add(out, "supportMode", json_object_new_int(a->supportMode));
  json_object_object_add(out, "supportInputMode", json_object_new_int(a->supportInputMode));
  json_object* options = json_object_new_array();
  const int option_count = std::clamp(a->optionCount, 0, kAudioOptions);
  for (int i = 0; i < option_count; ++i) {
    const AudioOption& o = a->option[i];
    json_object* option = json_object_new_object();
    json_object_object_add(option, "encodeValue", json_object_new_int(o.encodeValue));
    json_object* rates = json_object_new_array();
    const int rate_count = std::clamp(o.sampleRateCount, 0, kAudioSampleRates);
    for (int j = 0; j < rate_count; ++j) {
      const AudioSampleRate& r = o.rate[j];
      json_object* rate = json_object_new_object();
      json_object_object_add(rate, "sampleRateValue", json_object_new_int(r.sampleRateValue));
      json_object* bitrates = json_object_new_array();
      const int bitrate_count = std::clamp(r.bitrateCount, 0, kAudioBitrates);
      for (int k = 0; k < bitrate_count; ++k)
        json_object_array_add(bitrates, json_object_new_int(r.bitrate[k]));
      json_object_object_add(rate, "bitrates", bitrates);
      json_object_array_add(rates, rate);
    }
    json_object_object_add(option, "sampleRates", rates);
    json_object_array_add(options, option);
  }
  json_object_object_add(out, "options", options);
  (void)record_to_json(kAudioConfigKind, &a->current, out);
  return answer_json(out);
}

int on_set_ipc_audio_info_cb(int count, const void* payload) {
  auto code = ipc_record<int32_t>(payload, count, 0);
  if (!code) return answer_error(kCgiText);
  return answer_text(*code == 0 ? "OK" : "ERROR");
}

int on_get_ipc_system_info_cb(int count, const void* payload) {
  return answer_record_json<IpcSystemInfo>(kIpcSystemInfoKind, count, payload);
}

int on_get_ipc_custom_param_cb(int count, const void* payload) {
  return answer_record_json<CustomParamAnswer>(kCustomParamKind, count, payload);
}

// "chnid=<mask>", "status<i>=<status>" of each set channel 0 to 15, "chnMask=<16 chars>".
int on_get_ipc_upgrade_status_cb(int count, const void* payload) {
  auto s = ipc_record<UpgradeStatus>(payload, count, 0);
  if (!s) return answer_error(kCgiText);
  const uint64_t mask = mask_of(s->channels);
  std::string body = "chnid=" + std::to_string(static_cast<long long>(mask)) + "\r\n";
  for (int c = 0; c < kUpgradeChannels; ++c)
    if ((mask >> c) & 1u)
      body += "status" + std::to_string(c) + "=" + std::to_string(s->status[c]) + "\r\n";
  body += "chnMask=" + upgrade_mask_text(mask) + "\r\n";
  return answer_body(kCgiText, body.c_str());
}

int on_start_ipc_upgrade_cb(int count, const void* payload) {
  auto s = ipc_record<UpgradeStatus>(payload, count, 0);
  if (!s) return answer_error(kCgiJson);
  const uint64_t mask = mask_of(s->channels);
  json_object* out = json_object_new_object();
  json_object_object_add(out, "chnid", json_object_new_int(static_cast<int32_t>(s->channels.low)));
  json_object* status = json_object_new_array();
  for (int c = 0; c < kUpgradeChannels; ++c)
    if ((mask >> c) & 1u) json_object_array_add(status, json_object_new_int(s->status[c]));
  json_object_object_add(out, "status", status);
  json_object_object_add(out, "chnMask", json_object_new_string(upgrade_mask_text(mask).c_str()));
  return answer_json(out);
}

// ---- Camera motion, log, auto tracking ---------------------------------------------------

int on_get_ipc_motion(char* text) {
  return query_channel(text, kReqIpcMotionQuery, just_channel);
}

int on_set_ipc_motion(char* text) {
  Json tree = request_object(text);
  auto channel = body_channel(tree.get(), "chnid", kCgiJson);
  if (!channel) return -1;
  IpcMotionChange req{};
  (void)record_from_json(kIpcMotionKind, tree.get(), &req.motion);
  req.motion.chnid = *channel;
  (void)get_schedule_by_json_ipc(tree.get(), "effective", &req.motion.effective);
  req.copy = core_channel_mask(get_copy_flag_by_json(tree.get(), "copyChn", "copyCnt") |
                               channel_bit(*channel));
  kCameraCore.query(kReqIpcMotionChange, req, kCgiJson);
  return 0;
}

int on_get_ipc_log(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  auto channel = body_channel(tree.get(), "chnid", kCgiText);
  if (!channel) return -1;
  IpcLogQuery req{};
  (void)record_from_json(kIpcLogQueryKind, tree.get(), &req);
  req.chnid = *channel;
  kCameraCore.query(kReqIpcLog, req, kCgiText);
  return 0;
}

int on_cgi_get_auto_tracking_status(char* text) {
  return query_channel(text, kReqAutoTrackingQuery, just_channel);
}

int on_cgi_set_auto_tracking_status(char* text) {
  Json tree = request_object(text);
  auto channel = body_channel(tree.get(), "chnid", kCgiJson);
  if (!channel) return -1;
  AutoTrackingChange req{};
  (void)record_from_json(kAutoTrackingKind, tree.get(), &req.tracking);
  req.tracking.chnid = *channel;
  // A schedule that does not convert is sent all zero (the block stays cleared).
  (void)get_schedule_by_json(tree.get(), "schedule", &req.tracking.schedule);
  req.channels = core_channel_mask(json_text_mask(tree.get(), "channels", kChannelTextMax) |
                                   channel_bit(*channel));
  kCameraCore.query(kReqAutoTrackingChange, req, kCgiJson);
  return 0;
}

// ---- PTZ support, camera type, watermark, event stream, night mode -------------------------

int on_cgi_get_ptz_support(char* text) {
  return query_channel(text, kReqPtzSupport, just_channel);
}

int on_cgi_get_ipc_type(char* text) {
  return query_channel(text, kReqIpcType, just_channel);
}

int on_cgi_get_watermark(char* text) {
  return query_channel(text, kReqWatermarkQuery, just_channel);
}

int on_cgi_set_watermark(char* text) {
  Json tree = request_object(text);
  auto channel = body_channel(tree.get(), "chnid", kCgiJson);
  if (!channel) return -1;
  WatermarkChange req{};
  (void)record_from_json(kWatermarkKind, tree.get(), &req.mark);
  req.mark.chnid = *channel;
  // The core reads all 64 characters: a short text is filled with "0".
  std::memset(req.copy, '0', sizeof req.copy);
  const uint64_t copy = json_text_mask(tree.get(), "copy", kChannelTextMax) | channel_bit(*channel);
  for (int c = 0; c < kChannelTextMax; ++c)
    if ((copy >> c) & 1u) req.copy[c] = '1';
  kCameraCore.query(kReqWatermarkChange, req, kCgiJson);
  return 0;
}

int on_cgi_get_ipc_event_stream(char* text) {
  return query_channel(
      text, kReqEventStreamQuery, +[](int32_t channel, json_object* tree) {
        return EventStreamQuery{channel, json_int(tree, "fisheyeType").value_or(0)};
      });
}

int on_cgi_set_ipc_event_stream(char* text) {
  return query_channel(
      text, kReqEventStreamChange, +[](int32_t channel, json_object* tree) {
        EventStream req{};
        (void)record_from_json(kEventStreamKind, tree, &req);
        req.chnid = channel;
        req.reserved = 0;
        return req;
      });
}

int on_cgi_get_ipc_lpr_night_mode(char* text) {
  return query_channel(text, kReqNightModeQuery, just_channel);
}

// ---- Audio, system capabilities, custom parameters -----------------------------------------

int on_cgi_get_ipc_audio_info(char* text) {
  return query_channel(text, kReqAudioQuery, just_channel);
}

int on_cgi_set_ipc_audio_info(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;  // no answer for a missing body
  int32_t channel = 0;             // a change without a channel still goes to channel 0
  if (json_member(tree.get(), "chnid") != nullptr) {
    auto named = body_channel(tree.get(), "chnid", kCgiJson);
    if (!named) return -1;
    channel = *named;
  }
  AudioChange req{};
  (void)record_from_json(kAudioConfigKind, tree.get(), &req.config);
  req.config.chnid = channel;
  req.channels = core_channel_mask(json_text_mask(tree.get(), "channels", kChannelTextMax) |
                                   channel_bit(channel));
  kCameraCore.query(kReqAudioChange, req, kCgiJson);
  return 0;
}

int on_cgi_get_ipc_system_info(char* text) {
  return query_channel(text, kReqIpcSystemInfo, just_channel);
}

int on_cgi_get_ipc_custom_param(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  auto channel = body_channel(tree.get(), "chnid", kCgiText);
  if (!channel) return -1;
  CustomParamQuery req{};
  req.chnid = *channel;
  (void)on_cgi_get_string_from_json(tree.get(), "url", req.url, sizeof req.url);
  kCameraCore.query(kReqCustomParam, req, kCgiJson);
  return 0;
}

// ---- Camera firmware upgrade and the liveness check ----------------------------------------

int on_prepare_ipc_upgrade(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  UpgradePrepare req{};
  req.channels = core_channel_mask(json_text_mask(tree.get(), "chnMask", kUpgradeChannels));
  req.keep = core_channel_mask(~json_text_mask(tree.get(), "resetMask", kUpgradeChannels));
  req.fileSize = json_int(tree.get(), "fileSize").value_or(0);
  kCameraCore.query(kReqUpgradePrepare, req, kCgiJson);
  return 0;
}

int on_get_ipc_upgrade_status(char* /*text*/) {
  kCameraCore.query(kReqUpgradeStatus, nullptr, 0, kCgiText);
  return 0;
}

int on_start_ipc_upgrade(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  int32_t ids[kMaxChannels];
  const int n =
      json_channel_ids(json_member(tree.get(), "chnAry"), kMaxChannels, ids, kMaxChannels);
  uint64_t mask = 0;
  for (int i = 0; i < n; ++i) mask |= channel_bit(ids[i]);
  UpgradeStart req{};
  req.channels = core_channel_mask(mask);
  req.reset = json_object_get_int64(json_member(tree.get(), "reset"));
  (void)on_cgi_get_string_from_json(tree.get(), "url", req.url, sizeof req.url);
  std::snprintf(req.image, sizeof req.image, "%s", kIpcUpgradeImage);
  kCameraCore.query(kReqUpgradeStart, req, kCgiJson);
  return 0;
}

int on_stop_ipc_upgrade(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  const int32_t stop = json_int(tree.get(), "stop").value_or(0);
  kCameraCore.notice(kReqUpgradeStop, stop);
  return 0;
}

int on_cgi_check(char* text) {
  if (text == nullptr || text[0] == '\0') {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  cgi_writeback_webserver(kCgiText, "CGI SUCCESS");
  return 0;
}
