// The recorder's alarm inputs 0 to 15: the linkage page ("/6026", "/6027") through the
// shared event-linkage piece, the older simple pages ("/6060" to "/6064") and the names of
// every input, the recorder's and the cameras' ("/6034").
//
// Every setter stores first and tells the core afterwards; a store call that fails is
// answered with the page's error form and no log record.
#include <json-c/json.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "alarm/alarm_handlers.h"
#include "alarm/alarm_ipc.h"
#include "alarm/alarm_names.h"
#include "alarm/alarm_store.h"
#include "event_linkage.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

constexpr int kSimpleScheduleAction = 6;  // the action of every period the simple page sets
constexpr int kSimpleSchedulePeriods = 12;

// "/6060" and the "alarm" object of "/6061".
constexpr auto kInputListKeys =
    pick_keys(kAlarmInKind, {"id", "enable", "name", "type", "triChannels", "triAlarms"});
constexpr auto kInputPageKeys = pick_keys(
    kAlarmInKind,
    {"id", "enable", "name", "type", "triChannels", "triAlarms", "interval", "triSnapshot"});
// What "/6062", "/6063" and "/6064" store.
constexpr auto kInputSaveKeys = pick_keys(
    kAlarmInKind, {"id", "enable", "name", "type", "triChannels", "triAlarms", "interval"});
constexpr auto kInputBasicKeys = pick_keys(kAlarmInKind, {"name", "type", "enable"});
constexpr auto kInputParamKeys =
    pick_keys(kAlarmInKind, {"name", "type", "triChannels", "triAlarms", "interval"});
// The top-level keys of "/6027".
constexpr auto kLinkageTopKeys =
    pick_renamed(kAlarmInKind, {{"type", "alarmType"}, {"name", "name"}});
// What "/6027" copies to other inputs besides the schedules and linkage. The trigger text
// goes with its mask, so that the page shows the channels the core triggers.
constexpr auto kInputCopyFields =
    pick_renamed(kAlarmInKind, {{"type", "type"},
                                {"interval", "interval"},
                                {"interval_mode", "interval_mode"},
                                {"audio_id", "audio_id"},
                                {"email_pic_enable", "email_pic_enable"},
                                {"email_interval", "email_interval"},
                                {"email_interval_mode", "email_interval_mode"},
                                {"tri_snapshot", "tri_snapshot"},
                                {"tri_alarms", "tri_alarms"},
                                {"trigger_mask", "trigger_mask"},
                                {"tri_channels", "tri_channels"},
                                {"tri_chn_alarm0", "tri_chn_alarm0"},
                                {"tri_chn_alarm1", "tri_chn_alarm1"}});

constexpr uint64_t kAllInputs = (uint64_t{1} << kAlarmInputs) - 1;

std::optional<int> input_of(json_object* tree, const char* key) {
  if (!json_int_in(tree, key, 0, kAlarmInputs - 1)) return std::nullopt;
  return json_int(tree, key);
}

// The input check of the simple pages: "id" 0 to 15, "enable" 0 to 2, "type" 0 or 1,
// "triChannels" present, "triAlarms" and "interval" not negative, all present.
[[nodiscard]] bool check_alarm_in_params(json_object* alarm) {
  static constexpr const char* kRequired[] = {"id",          "enable",    "type",
                                              "triChannels", "triAlarms", "interval"};
  return record_validate(kInputSaveKeys, alarm, kRequired,
                         static_cast<int>(std::size(kRequired))) == 0;
}

// Reads input `id`, overlays `keys` from `alarm`, rebuilds the trigger mask and stores it.
[[nodiscard]] bool store_input(json_object* alarm, int id, const FieldKeys& keys) {
  AlarmInRecord rec{};
  if (store_read(kStoreMain, id, &rec) != 0) return false;
  (void)record_from_json(keys, alarm, &rec);
  rec.id = id;
  event_linkage_rebuild_trigger_mask(kAlarmInLinkage, &rec);
  return store_write(kStoreMain, rec) == 0;
}

// A JSON value's text in a schedule text field, cut to fit (JSON null: empty).
void copy_text(char (&out)[32], json_object* value) {
  const char* text = json_object_get_string(value);
  std::snprintf(out, sizeof out, "%s", text != nullptr ? text : "");
}

// The simple page's schedule: 8 rows of 12 [start, end] pairs replace the first 12 periods
// of each row the request carries, each with action 6. Nothing to do without "schedule".
[[nodiscard]] bool store_simple_schedule(json_object* tree, int id) {
  json_object* rows = json_member(tree, "schedule");
  if (!json_object_is_type(rows, json_type_array)) return true;
  auto block = std::make_unique<ScheduleBlock>();
  const char* table = kAlarmInLinkage.schedules[0].table;
  if (read_schedule(kStoreMain, table, id, block.get()) != 0) return false;
  const std::size_t days = json_object_array_length(rows);
  for (std::size_t d = 0; d < days && d < kScheduleDays; ++d) {
    json_object* row = json_object_array_get_idx(rows, d);
    if (!json_object_is_type(row, json_type_array)) continue;
    const std::size_t n = json_object_array_length(row);
    for (std::size_t i = 0; i < kSimpleSchedulePeriods; ++i) {
      ScheduleSection& s = block->day[d].section[i];
      s = ScheduleSection{};
      s.action = kSimpleScheduleAction;
      json_object* pair = i < n ? json_object_array_get_idx(row, i) : nullptr;
      if (!json_object_is_type(pair, json_type_array)) continue;
      const std::size_t parts = json_object_array_length(pair);
      if (parts > 0) copy_text(s.start, json_object_array_get_idx(pair, 0));
      if (parts > 1) copy_text(s.end, json_object_array_get_idx(pair, 1));
    }
  }
  return write_schedule(kStoreMain, table, id, block.get()) == 0;
}

// The end of a simple-page save: 1404, the log record and "OK".
void input_saved(int id, int log_channel) {
  kAlarmCore.notice(kAlarmInChanged, int32_t{id});
  kAlarmCore.log(kLogParamAlarmIn, log_channel);
  write_ok();
}

}  // namespace

int on_get_nvr_alarm_input(char* text) {
  Json tree = request_object(text);
  auto id = input_of(tree.get(), "alarmId");
  Json answer(id ? event_linkage_json(kAlarmInLinkage, *id) : nullptr);
  if (answer == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_json(answer.get());
  return 0;
}

int on_set_nvr_alarm_input(char* text) {
  Json tree = request_object(text);
  auto id = input_of(tree.get(), "alarmId");
  AlarmInRecord rec{};
  if (!id || store_read(kStoreMain, *id, &rec) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  bool failed = false;
  bool stored = false;

  // The contact itself, then the disarming settings kept with input 0.
  const bool changed = record_from_json(kLinkageTopKeys, tree.get(), &rec) > 0;
  if (*id == 0) {
    AlarmDisarming disarming{};
    bool read = store_read(kStoreMain, 0, &disarming) == 0;
    int taken = record_from_json(kAlarmDisarmingKind, tree.get(), &disarming);
    if (changed || taken > 0) {
      if (!read || store_write(kStoreMain, disarming) != 0)
        failed = true;
      else
        stored = true;
    }
  }
  if (changed) {
    if (store_write(kStoreMain, rec) != 0)
      failed = true;
    else
      stored = true;
  }

  // The linkage dialog: schedules, lamps, HTTP target, PTZ actions and the linkage fields.
  json_object* dialog = json_member(tree.get(), "dialog");
  if (json_object_is_type(dialog, json_type_object)) {
    LinkageSaveResult result;
    if (event_linkage_save(kAlarmInLinkage, dialog, *id, &rec, &result) != 0) failed = true;
    stored = stored || result.stored;
  }

  // The copy to other inputs: their own names and enables stay, the linkage goes over.
  uint64_t mask = get_copy_flag_by_json(tree.get(), "copyChn", "copyCnt") & kAllInputs;
  mask &= ~(uint64_t{1} << *id);
  if (mask != 0) {
    AlarmInRecord all[kAlarmInputs];
    int count = 0;
    if (store_list(kStoreMain, all, &count) != 0 || count != kAlarmInputs) {
      failed = true;
    } else {
      for (int i = 0; i < kAlarmInputs; ++i)
        if ((mask >> i & 1u) != 0) record_copy_fields(kInputCopyFields, &all[*id], &all[i]);
      if (store_write_selected(kStoreMain, std::span<const AlarmInRecord>(all), mask) != 0)
        failed = true;
      else
        stored = true;
    }
    if (event_linkage_copy_parts(kAlarmInLinkage, *id, mask) != 0) failed = true;
  }

  if (stored || !failed) event_linkage_notify(kAlarmInLinkage, kAlarmCore.callback, *id, mask);
  if (failed) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_ok();
  return 0;
}

int on_get_alarm_inputs(char* /*text*/) {
  AlarmInRecord inputs[kAlarmInputs];
  int count = 0;
  if (store_list(kStoreMain, inputs, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_record_array(kInputListKeys, inputs, count);
  return 0;
}

int on_get_alarm_input(char* text) {
  auto id = channel_from_text(text);
  AlarmInRecord rec{};
  auto block = std::make_unique<ScheduleBlock>();
  if (!id || *id >= kAlarmInputs || store_read(kStoreMain, *id, &rec) != 0 ||
      read_schedule(kStoreMain, kAlarmInLinkage.schedules[0].table, *id, block.get()) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  json_object* alarm = json_object_new_object();
  (void)record_to_json(kInputPageKeys, &rec, alarm);
  json_object_object_add(answer.get(), "alarm", alarm);
  json_object_object_add(answer.get(), "schedule", get_schedule_json_object(block.get()));
  write_json(answer.get());
  return 0;
}

int on_set_alarm_input(char* text) {
  Json tree = request_object(text);
  json_object* alarm = json_member(tree.get(), "alarm");
  if (!check_alarm_in_params(alarm)) return -1;
  const int id = *json_int(alarm, "id");
  if (!store_input(alarm, id, kInputSaveKeys) || !store_simple_schedule(tree.get(), id)) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  input_saved(id, -1);  // this page's log record names no input
  return 0;
}

int on_set_alarm_input_basic(char* text) {
  Json tree = request_object(text);
  json_object* alarm = json_member(tree.get(), "alarm");
  auto id = input_of(alarm, "camId");
  if (!id) return -1;
  if (!store_input(alarm, *id, kInputBasicKeys)) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  input_saved(*id, *id);
  return 0;
}

int on_set_alarm_input_params(char* text) {
  Json tree = request_object(text);
  json_object* alarm = json_member(tree.get(), "alarm");
  if (!check_alarm_in_params(alarm)) return -1;
  const int id = *json_int(alarm, "id");
  if (!store_input(alarm, id, kInputParamKeys)) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  input_saved(id, id);
  return 0;
}

int on_get_all_alarmin_names(char* /*text*/) {
  return write_alarm_names<AlarmInRecord, kAlarmInputs, CameraAlarmInName, kCameraAlarmInputs>();
}
