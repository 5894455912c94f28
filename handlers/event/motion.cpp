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
#include <cstring>
#include <memory>
#include <string_view>

#include "cgi_ipc.h"
#include "event/motion_core.h"
#include "event/motion_record.h"
#include "event/video_ipc.h"
#include "event_linkage.h"
#include "field_json.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

// Overlays the `keys` the request carries on the record, sets its channel and rebuilds the
// trigger mask.
void overlay(json_object* tree, const FieldKeys& keys, int channel, MotionRecord* rec) {
  (void)record_from_json(keys, tree, rec);
  rec->chn = channel;
  event_linkage_rebuild_trigger_mask(kMotionLinkage, rec);
}

// Puts the camera on its own motion schedule, or on the all-day one ("enableDV" 1).
void send_camera_schedule(int channel, bool full_day) {
  CameraScheduleSwitch sw{};
  sw.channel = channel;
  sw.full_day = full_day ? 1 : 0;
  kVideoCore.notice(kCameraScheduleSwitch, sw);
  if (full_day) kVideoCore.notice(kCameraDayScheduleSet, camera_all_day_schedule(channel, 0));
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
constexpr auto kBasicKeys = pick_keys(
    kMotionKind,
    {"enable", "sensitivity", "triAlarms", "interval", "enableDV", "motionTable", "triChannels"});
// "/6113".
constexpr auto kScheduleInfoKeys =
    pick_keys(kMotionKind, {"sensitivity", "enableDV", "enable", "triAlarms", "interval"});
// "/6114".
constexpr auto kBasicInfoKeys =
    pick_keys(kMotionKind, {"sensitivity", "triChannels", "triAlarms", "interval", "enableDV"});
// "/6112": what the copy takes from the request besides the linkage.
constexpr auto kCopyKeys = pick_keys(kMotionKind, {"sensitivity", "enableDV"});
// "/6119" by "type".
constexpr auto kOthersChannels = pick_keys(kMotionKind, {"triChannels"});
constexpr auto kOthersAlarms = pick_keys(kMotionKind, {"triAlarms"});

// The basic check: "camId" a channel, every basic key present, values of their types and
// ranges (enable 0 to 2; sensitivity, triAlarms and interval not negative).
[[nodiscard]] std::optional<int> check_movedetect_info(json_object* tree) {
  auto channel = channel_from_json(tree, "camId");
  if (!channel) return std::nullopt;
  if (record_validate(kMotionKind, tree, kBasicRequired,
                      static_cast<int>(std::size(kBasicRequired))) != 0)
    return std::nullopt;
  return channel;
}

// Reads the channel's record, overlays `keys`, stores it and sends 1403. False, with the
// text error answered and nothing sent, when the read or the write fails.
[[nodiscard]] bool store_motion(json_object* tree, int channel, const FieldKeys& keys,
                                MotionRecord* rec) {
  *rec = MotionRecord{};
  if (store_read(kStoreMain, channel, rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  overlay(tree, keys, channel, rec);
  if (store_write(kStoreMain, *rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  event_linkage_notify(kMotionLinkage, kVideoCore.callback, channel);
  return true;
}

enum class DialogSave { kNothing, kSaved, kFailed };

// The full linkage save of the motion dialog: every part the object carries, for the
// object's own "chnid" (the request's channel when the object names none). Sends 1403
// when any part reached the store, also when another failed: the core must not run on
// settings older than the store's.
[[nodiscard]] DialogSave save_motion_dialog_data(json_object* dialog, int request_channel) {
  if (dialog == nullptr || !json_object_is_type(dialog, json_type_object))
    return DialogSave::kNothing;
  std::optional<int> channel = json_member(dialog, "chnid") != nullptr
                                   ? channel_from_json(dialog, "chnid")
                                   : std::optional<int>(request_channel);
  if (!channel) return DialogSave::kNothing;
  MotionRecord rec{};
  LinkageSaveResult result;
  int rc = event_linkage_save(kMotionLinkage, dialog, *channel, &rec, &result);
  if (result.stored || rc == 0) event_linkage_notify(kMotionLinkage, kVideoCore.callback, *channel);
  return rc == 0 ? DialogSave::kSaved : DialogSave::kFailed;
}

void log_motion_change(int channel) {
  kVideoCore.log(kLogParamMotion, channel);
}

}  // namespace

int on_get_motion_map_cb(int count, const void* payload) {
  auto rec = ipc_record<MotionMapRecord>(payload, count, 0);
  if (!rec) return -1;
  json_object* o = json_object_new_object();
  (void)record_to_json(kMotionMapKind, &*rec, o);
  return answer_json(o);
}

int on_get_movedetect_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  Json answer(channel ? event_linkage_json(kMotionLinkage, *channel) : nullptr);
  if (answer == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_json(answer.get());
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
  write_json(answer.get());
  return 0;
}

int on_set_movedetect_info(char* text) {
  Json tree = request_object(text);
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
  kVideoCore.notice(kMotionMapWrite, map);
  send_camera_schedule(*channel, rec.full_day == 1);
  log_motion_change(*channel);
  write_ok();
  return 0;
}

// Stores the schedule the request carries under "schedule" (an absent schedule is a part
// that was not sent: nothing stored) and sends 1403 either way. False, with the text error
// answered and nothing sent, when the write fails.
[[nodiscard]] static bool store_motion_schedule(json_object* tree, int channel) {
  auto block = std::make_unique<ScheduleBlock>();
  if (get_schedule_by_json(tree, "schedule", block.get()) == 0 &&
      write_motion_schedule(kStoreMain, block.get(), channel) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  event_linkage_notify(kMotionLinkage, kVideoCore.callback, channel);
  return true;
}

int OnSetMotionSchedule(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel || !store_motion_schedule(tree.get(), *channel)) return -1;
  write_ok();
  return 0;
}

int on_get_motion_map(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "id");  // check_motion_map_info
  if (!channel) return -1;
  kVideoCore.query(kMotionMapRead, int32_t{*channel}, kCgiText);
  return 0;
}

int on_set_move_action(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  MotionRecord rec{};
  LinkageSaveResult result;
  int rc =
      event_linkage_save(kMotionLinkage, tree.get(), *channel, &rec, &result, kMotionActionScope);
  // The core follows whatever reached the store; "OK" only when all of it did.
  if (result.stored || rc == 0) event_linkage_notify(kMotionLinkage, kVideoCore.callback, *channel);
  if (rc != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_ok();
  return 0;
}

int on_set_motion_dialog(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return -1;
  if (save_motion_dialog_data(json_member(tree.get(), "dialog"), *channel) == DialogSave::kFailed) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }

  // The source's record, with the sensitivity and all-day flag of the request, goes to
  // every channel of the copy mask together with all its linkage.
  uint64_t mask = get_copy_flag_by_json(tree.get(), "copyChn", "copyCnt");
  MotionRecord rec{};
  if (store_read(kStoreMain, *channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  overlay(tree.get(), kCopyKeys, *channel, &rec);
  // Every part is copied even when another fails, so the core hears of a failed copy too;
  // the cameras and the log only hear of a copy that went through whole.
  if (event_linkage_copy(kMotionLinkage, *channel, &rec, mask) != 0) {
    event_linkage_notify_copy(kMotionLinkage, kVideoCore.callback, mask);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }

  kVideoCore.log_mask(kLogParamMotion, *channel, mask);
  const bool full_day = rec.full_day == 1;
  MotionCopyRecord copy{};
  json_object* table = json_member(tree.get(), "motionTable");
  copy_map_text(copy.map,
                table != nullptr ? std::string_view(json_object_get_string(table)) : grid_of(rec));
  copy.sensitivity = rec.sensitivity;
  copy.source = *channel;
  copy.full_day = rec.full_day;
  copy.list = core_channel_list(mask);
  kVideoCore.notice(kMotionCopyToCameras, copy);
  event_linkage_notify_copy(kMotionLinkage, kVideoCore.callback, mask);
  CameraScheduleSwitch sw{};
  sw.channel = *channel;
  sw.full_day = full_day ? 1 : 0;
  sw.list = copy.list;
  kVideoCore.notice(kCameraScheduleSwitch, sw);
  if (full_day) kVideoCore.notice(kCameraDayScheduleCopy, camera_all_day_schedule(0, mask));
  write_ok();
  return 0;
}

int on_set_motion_schedule_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel) return -1;
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, kScheduleInfoKeys, &rec) ||
      !store_motion_schedule(tree.get(), *channel))
    return -1;
  send_camera_schedule(*channel, rec.full_day == 1);
  write_ok();
  return 0;
}

int on_set_motion_basic_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel) return -1;
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, kBasicInfoKeys, &rec)) return -1;
  log_motion_change(*channel);
  write_ok();
  return 0;
}

int on_set_move_others(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const int kind = json_int(tree.get(), "type").value_or(0);
  FieldKeys keys{&kMotionKind, {}};
  if (kind == 1) keys = kOthersChannels;
  if (kind == 2) keys = kOthersAlarms;
  MotionRecord rec;
  if (!store_motion(tree.get(), *channel, keys, &rec)) return -1;
  log_motion_change(*channel);
  write_ok();
  return 0;
}
