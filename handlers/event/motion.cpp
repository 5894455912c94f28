// Motion detection pages. The record and its linkage go through the shared event-linkage
// piece (kMotionLinkage); what is left here is what motion does differently: the basic
// setters, the camera's own schedule and motion map, and the copy to several cameras.
//
// Every setter stores first and tells the core afterwards: a store call that fails is
// answered with the request's error form, and then no change notice and no log record
// are sent.
#include "event/motion.h"

#include <json-c/json.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <string_view>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "dvdb.h"
#include "event/motion_core.h"
#include "event/motion_record.h"
#include "event/video_ipc.h"
#include "event_linkage.h"
#include "loginfo.h"
#include "record_json.h"
#include "web_utils.h"

namespace {

constexpr int kLogParamMotion = 909;

struct JsonPut {
  void operator()(json_object* o) const { json_object_put(o); }
};
using Json = std::unique_ptr<json_object, JsonPut>;

// The request as a JSON object, or null.
Json parse_object(const char* text) {
  Json tree(get_request_tokener_json_object(text));
  if (tree != nullptr && !json_object_is_type(tree.get(), json_type_object)) tree.reset();
  return tree;
}

json_object* member(json_object* tree, const char* key) {
  json_object* v = nullptr;
  return tree != nullptr && json_object_object_get_ex(tree, key, &v) ? v : nullptr;
}

bool has(json_object* tree, const char* key) {
  return member(tree, key) != nullptr;
}

template <class Payload>
void tell_core(int type, const Payload& payload) {
  static_assert(std::is_trivially_copyable_v<Payload>);
  int rc = cgi_start_ipc(on_video_ipc_callback, type, sizeof payload, &payload, 1);
  cgi_stop_ipc(rc);
}

void log_motion_change(int channel) {
  cgi_send_log(on_video_ipc_callback, cgi_make_log(kLogSubParameter, kLogParamMotion, channel));
}

void answer_ok() {
  cgi_writeback_webserver(kCgiText, "OK");
}

void answer_json(json_object* o) {
  cgi_writeback_webserver(kCgiJson, json_object_to_json_string(o));
}

// Overlays the `keys` the request carries on the record, sets its channel and rebuilds the
// trigger mask.
void overlay(json_object* tree, std::span<const JsonKeyMap> keys, int channel, MotionRecord* rec) {
  record_from_json_as(kMotionKind, tree, rec, keys.data(), static_cast<int>(keys.size()));
  rec->chn = channel;
  event_linkage_rebuild_trigger_mask(kMotionLinkage, rec);
}

// Puts the camera on its own motion schedule, or on the all-day one ("enableDV" 1).
void send_camera_schedule(int channel, bool full_day) {
  CameraScheduleSwitch sw{};
  sw.channel = channel;
  sw.full_day = full_day ? 1 : 0;
  tell_core(kCameraScheduleSwitch, sw);
  if (full_day) tell_core(kCameraDayScheduleSet, camera_all_day_schedule(channel, 0));
}

// Copies text cut to the camera's map size (299 characters).
void copy_map_text(char (&out)[kMotionMapText], std::string_view text) {
  std::size_t n = std::min(text.size(), sizeof out - 1);
  std::memset(out, 0, sizeof out);
  std::memcpy(out, text.data(), n);
}

std::string_view grid_of(const MotionRecord& rec) {
  return {rec.grid, strnlen(rec.grid, sizeof rec.grid)};
}

// "/6012": every key of the basic motion settings.
constexpr const char* kBasicRequired[] = {"enable",   "sensitivity", "triChannels", "triAlarms",
                                          "interval", "motionTable", "enableDV"};
constexpr JsonKeyMap kBasicKeys[] = {
    {"enabled", "enable"},           {"sensitivity", "sensitivity"}, {"alarm_outputs", "triAlarms"},
    {"interval", "interval"},        {"full_day", "enableDV"},       {"grid", "motionTable"},
    {"tri_channels", "triChannels"},
};
// "/6113".
constexpr JsonKeyMap kScheduleInfoKeys[] = {
    {"sensitivity", "sensitivity"}, {"full_day", "enableDV"}, {"enabled", "enable"},
    {"alarm_outputs", "triAlarms"}, {"interval", "interval"},
};
// "/6114".
constexpr JsonKeyMap kBasicInfoKeys[] = {
    {"sensitivity", "sensitivity"}, {"tri_channels", "triChannels"}, {"alarm_outputs", "triAlarms"},
    {"interval", "interval"},       {"full_day", "enableDV"},
};
// "/6112": what the copy takes from the request besides the linkage.
constexpr JsonKeyMap kCopyKeys[] = {{"sensitivity", "sensitivity"}, {"full_day", "enableDV"}};
// "/6119" by "type".
constexpr JsonKeyMap kOthersChannels[] = {{"tri_channels", "triChannels"}};
constexpr JsonKeyMap kOthersAlarms[] = {{"alarm_outputs", "triAlarms"}};

// The basic check: "camId" a channel, every basic key present, values of their types and
// ranges (enable 0 to 2; sensitivity, triAlarms and interval not negative).
[[nodiscard]] std::optional<int> check_movedetect_info(json_object* tree) {
  auto channel = linkage_channel_of(tree, "camId");
  if (!channel) return std::nullopt;
  if (record_validate(kMotionKind, tree, kBasicRequired,
                      static_cast<int>(std::size(kBasicRequired))) != 0)
    return std::nullopt;
  return channel;
}

// Reads the channel's record, overlays `keys`, stores it and sends 1403. False, with the
// text error answered and nothing sent, when the read or the write fails.
[[nodiscard]] bool store_motion(json_object* tree, int channel, std::span<const JsonKeyMap> keys,
                                MotionRecord* rec) {
  *rec = MotionRecord{};
  if (read_motion(kStoreMain, rec, channel) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  overlay(tree, keys, channel, rec);
  if (write_motion(kStoreMain, rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  event_linkage_notify(kMotionLinkage, on_video_ipc_callback, channel);
  return true;
}

enum class DialogSave { kNothing, kSaved, kFailed };

// The full linkage save of the motion dialog: every part the object carries, for the
// object's own "chnid" (the request's channel when the object names none). Sends 1403
// after a good save.
[[nodiscard]] DialogSave save_motion_dialog_data(json_object* dialog, int request_channel) {
  if (dialog == nullptr || !json_object_is_type(dialog, json_type_object))
    return DialogSave::kNothing;
  std::optional<int> channel = has(dialog, "chnid") ? linkage_channel_of(dialog, "chnid")
                                                    : std::optional<int>(request_channel);
  if (!channel) return DialogSave::kNothing;
  MotionRecord rec{};
  if (event_linkage_save(kMotionLinkage, dialog, *channel, &rec, nullptr) != 0)
    return DialogSave::kFailed;
  event_linkage_notify(kMotionLinkage, on_video_ipc_callback, *channel);
  return DialogSave::kSaved;
}

}  // namespace

std::optional<int> channel_from_text(const char* text) {
  if (text == nullptr) return std::nullopt;
  while (std::isspace(static_cast<unsigned char>(*text))) ++text;
  if (!std::isdigit(static_cast<unsigned char>(*text))) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text, &end, 10);
  while (std::isspace(static_cast<unsigned char>(*end))) ++end;
  if (errno != 0 || *end != '\0' || v < 0 || v >= kMaxChannels) return std::nullopt;
  return static_cast<int>(v);
}

int on_get_motion_map_cb(int count, const void* payload) {
  auto rec = ipc_record<MotionMapRecord>(payload, count, 0);
  if (!rec) return -1;
  Json o(json_object_new_object());
  record_to_json(kMotionMapKind, &*rec, o.get());
  if (!cgi_claim_response()) return -1;
  answer_json(o.get());
  g_callback_done = 1;
  return 0;
}

int on_get_movedetect_info(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "chnid");
  Json answer(channel ? event_linkage_json(kMotionLinkage, *channel) : nullptr);
  if (answer == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  answer_json(answer.get());
  return 0;
}

int OnGetMotionSchedule(char* text) {
  auto channel = channel_from_text(text);
  if (!channel) return -1;
  auto block = std::make_unique<ScheduleBlock>();
  if (read_motion_audible_schedule(kStoreMain, block.get(), *channel) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(get_schedule_json_object_ex(block.get()));
  answer_json(answer.get());
  return 0;
}

int on_set_movedetect_info(char* text) {
  Json tree = parse_object(text);
  auto channel = check_movedetect_info(tree.get());
  if (!channel) return -1;

  // Read first and overlay: the linkage fields this page does not carry stay as stored.
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, kBasicKeys, &rec)) return -1;
  MotionMapRecord map{};
  map.enable = 0;
  map.channel = *channel;
  map.sensitivity = rec.sensitivity;
  copy_map_text(map.map, grid_of(rec));
  tell_core(kMotionMapWrite, map);
  send_camera_schedule(*channel, rec.full_day == 1);
  log_motion_change(*channel);
  answer_ok();
  return 0;
}

int OnSetMotionSchedule(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "camId");
  auto block = std::make_unique<ScheduleBlock>();
  if (!channel || get_schedule_by_json(tree.get(), "schedule", block.get()) != 0) return -1;
  if (write_motion_schedule(kStoreMain, block.get(), *channel) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  event_linkage_notify(kMotionLinkage, on_video_ipc_callback, *channel);
  answer_ok();
  return 0;
}

int on_get_motion_map(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "id");  // check_motion_map_info
  if (!channel) return -1;
  int32_t payload = *channel;
  int rc = cgi_start_ipc(on_video_ipc_callback, kMotionMapRead, sizeof payload, &payload, 0);
  if (g_callback_done == 0) cgi_error_to_webserver(kCgiText);
  cgi_stop_ipc(rc);
  return 0;
}

int on_set_move_action(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "chnid");
  MotionRecord rec{};
  if (!channel || event_linkage_save(kMotionLinkage, tree.get(), *channel, &rec, nullptr,
                                     kMotionActionScope) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  event_linkage_notify(kMotionLinkage, on_video_ipc_callback, *channel);
  answer_ok();
  return 0;
}

int on_set_motion_dialog(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "chnid");
  if (!channel) return -1;
  if (save_motion_dialog_data(member(tree.get(), "dialog"), *channel) == DialogSave::kFailed) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }

  // The source's record, with the sensitivity and all-day flag of the request, goes to
  // every channel of the copy mask together with all its linkage.
  uint64_t mask = get_copy_flag_by_json(tree.get(), "copyChn", "copyCnt");
  MotionRecord rec{};
  if (read_motion(kStoreMain, &rec, *channel) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  overlay(tree.get(), kCopyKeys, *channel, &rec);
  if (event_linkage_copy(kMotionLinkage, *channel, &rec, mask) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }

  cgi_send_log_mask(on_video_ipc_callback,
                    cgi_make_log(kLogSubParameter, kLogParamMotion, *channel), mask);
  const bool full_day = rec.full_day == 1;
  MotionCopyRecord copy{};
  json_object* table = member(tree.get(), "motionTable");
  copy_map_text(copy.map,
                table != nullptr ? std::string_view(json_object_get_string(table)) : grid_of(rec));
  copy.sensitivity = rec.sensitivity;
  copy.source = *channel;
  copy.full_day = rec.full_day;
  copy.list = core_channel_list(mask);
  tell_core(kMotionCopyToCameras, copy);
  event_linkage_notify_copy(kMotionLinkage, on_video_ipc_callback, mask);
  CameraScheduleSwitch sw{};
  sw.channel = *channel;
  sw.full_day = full_day ? 1 : 0;
  sw.list = copy.list;
  tell_core(kCameraScheduleSwitch, sw);
  if (full_day) tell_core(kCameraDayScheduleCopy, camera_all_day_schedule(0, mask));
  answer_ok();
  return 0;
}

int on_set_motion_schedule_info(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "camId");
  if (!channel) return -1;
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, kScheduleInfoKeys, &rec)) return -1;
  auto block = std::make_unique<ScheduleBlock>();
  if (get_schedule_by_json(tree.get(), "schedule", block.get()) == 0) {
    if (write_motion_schedule(kStoreMain, block.get(), *channel) != 0) {
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
    event_linkage_notify(kMotionLinkage, on_video_ipc_callback, *channel);
  }
  send_camera_schedule(*channel, rec.full_day == 1);
  answer_ok();
  return 0;
}

int on_set_motion_basic_info(char* text) {
  Json tree = parse_object(text);
  auto channel = linkage_channel_of(tree.get(), "camId");
  if (!channel) return -1;
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, kBasicInfoKeys, &rec)) return -1;
  log_motion_change(*channel);
  answer_ok();
  return 0;
}

int on_set_move_others(char* text) {
  Json tree = parse_object(text);
  if (tree == nullptr) return -1;
  auto channel = linkage_channel_of(tree.get(), "camId");
  if (!channel) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  json_object* type = member(tree.get(), "type");
  int kind = type != nullptr ? json_object_get_int(type) : 0;
  std::span<const JsonKeyMap> keys;
  if (kind == 1) keys = kOthersChannels;
  if (kind == 2) keys = kOthersAlarms;
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, keys, &rec)) return -1;
  log_motion_change(*channel);
  answer_ok();
  return 0;
}
