// The cameras' alarm contacts: inputs 0 to 3 and outputs 0 and 1 of every channel. Their
// live state (enable, type, status) is the camera's, asked of the core ("/6024", "/6028");
// their names, delays, schedules and the linkage of each input are the recorder's, kept in
// the store ("/6025", "/6029"); "/6033" drives an output by hand. Also the module's answer
// callback.
//
// Answers are untrusted: counts come from the payload length, the answer's channel is
// checked before it addresses the store, and every loop is bounded by the arrays.
#include <json-c/json.h>

#include <algorithm>
#include <memory>

#include "alarm/alarm_handlers.h"
#include "alarm/alarm_ipc.h"
#include "alarm/alarm_store.h"
#include "event_linkage.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

constexpr auto kInputNameKeys =
    pick_keys(kCameraAlarmInNameKind, {"alarmEnable", "alarmType", "alarmName"});
constexpr auto kOutputSaveKeys =
    pick_keys(kCameraAlarmOutKind, {"alarmType", "delayTime", "alarmName"});
constexpr const FieldDesc* kInputNameField = field_named(kCameraAlarmInNameKind, "name");
constexpr auto kOutputShownKeys = pick_keys(kCameraAlarmOutKind, {"alarmName", "delayTime"});

// The entries of tree[key] to take: the first min(count, capacity, array length).
std::size_t entries_of(json_object* array, int count, int capacity) {
  if (!json_object_is_type(array, json_type_array) || count <= 0) return 0;
  return std::min({json_object_array_length(array), static_cast<std::size_t>(count),
                   static_cast<std::size_t>(capacity)});
}

// The copy mask of a camera page without the page's own channel.
uint64_t copy_mask(json_object* tree, int channel) {
  return get_copy_flag_by_json(tree, "copyChn", "copyCnt") & ~(uint64_t{1} << channel);
}

// Adds every key of `from` to `to`, in order, and releases `from`.
void append_keys(json_object* to, json_object* from) {
  json_object_object_foreach(from, key, value) {
    json_object_object_add(to, key, json_object_get(value));
  }
  json_object_put(from);
}

}  // namespace

void on_alarm_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  AlarmRouter::route(context, header_words, payload);
}

// 8298: the camera's inputs, each with the recorder's settings of that input.
int on_camera_alarm_input_cb(int count, const void* payload) {
  auto rec = ipc_record<CameraAlarmInStatus>(payload, count, 0);
  if (!rec || !channel_valid(rec->channel)) return answer_error(kCgiJson);
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "chnid", json_object_new_int(rec->channel));
  json_object_object_add(answer.get(), "alarmCnt", json_object_new_int(rec->count));
  json_object* alarms = json_object_new_array();
  json_object_object_add(answer.get(), "alarm", alarms);
  const int inputs = std::clamp(rec->count, 0, kCameraAlarmInputs);
  for (int i = 0; i < inputs; ++i) {
    CameraAlarmInName name{};
    json_object* linkage = event_linkage_json(kCameraAlarmInLinkage[i], rec->channel);
    if (store_read(kStoreMain, RecordKey(rec->channel, i), &name) != 0 || linkage == nullptr) {
      json_object_put(linkage);
      return answer_error(kCgiJson);
    }
    json_object* o = json_object_new_object();
    json_object_object_add(o, "alarmEnable", json_object_new_int(rec->enable[i]));
    json_object_object_add(o, "alarmType", json_object_new_int(rec->type[i]));
    json_object_object_add(o, "alarmStatus", json_object_new_int(rec->status[i]));
    json_object_object_add(o, "alarmName",
                           field_to_json(*kInputNameField, &name, RecordNames::kJson));
    append_keys(o, linkage);
    json_object_array_add(alarms, o);
  }
  return answer_json(answer.release());
}

// 8296: the camera's two outputs, each with the recorder's name, delay and schedule.
int on_camera_alarm_output_cb(int count, const void* payload) {
  auto rec = ipc_record<CameraAlarmOutStatus>(payload, count, 0);
  if (!rec || !channel_valid(rec->channel)) return answer_error(kCgiJson);
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "chnid", json_object_new_int(rec->channel));
  json_object_object_add(answer.get(), "alarmCnt", json_object_new_int(rec->count));
  json_object* alarms = json_object_new_array();
  json_object_object_add(answer.get(), "alarm", alarms);
  for (int i = 0; i < kCameraAlarmOutputs; ++i) {
    CameraAlarmOut out{};
    if (store_read(kStoreMain, RecordKey(rec->channel, i), &out) != 0)
      return answer_error(kCgiJson);
    json_object* o = json_object_new_object();
    json_object_object_add(o, "alarmType", json_object_new_int(rec->type[i]));
    json_object_object_add(o, "alarmStatus", json_object_new_int(rec->status[i]));
    (void)record_to_json(kOutputShownKeys, &out, o);
    json_object_object_add(o, "effective",
                           linkage_schedule_json(kCameraAlarmOutSchedules[i], rec->channel));
    json_object_array_add(alarms, o);
  }
  return answer_json(answer.release());
}

int on_get_camera_alarm_input(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  CameraAlarmInQuery query{};
  query.channel = *channel;
  query.count = kCameraAlarmInputs;
  kAlarmCore.query(kGetCameraAlarmIn, query, kCgiJson);
  return 0;
}

int on_get_camera_alarm_output(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kAlarmCore.query(kGetCameraAlarmOut, int32_t{*channel}, kCgiJson);
  return 0;
}

int on_set_camera_alarm_input(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  auto alarm_cnt = json_int(tree.get(), "alarmCnt");
  if (!channel || !alarm_cnt) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const uint64_t mask = copy_mask(tree.get(), *channel);
  bool failed = false;

  // The linkage of each input the dialog carries, copied to the same input of the masked
  // channels.
  json_object* dialog = json_member(tree.get(), "dialog");
  const std::size_t dialogs = entries_of(dialog, *alarm_cnt, kCameraAlarmInputs);
  for (std::size_t e = 0; e < dialogs; ++e) {
    json_object* item = json_object_array_get_idx(dialog, e);
    auto index = json_int(item, "alarmId");
    if (!json_object_is_type(item, json_type_object) || !index || *index < 0 ||
        *index >= kCameraAlarmInputs)
      continue;
    const EventLinkageDesc& desc = kCameraAlarmInLinkage[*index];
    CameraAlarmInEvent rec{};
    if (event_linkage_save(desc, item, *channel, &rec, nullptr) != 0) failed = true;
    if (event_linkage_copy(desc, *channel, nullptr, mask) != 0) failed = true;
  }

  // The camera's own settings of each input, stored with its name and sent to the camera.
  CameraAlarmInSet set{};
  json_object* alarms = json_member(tree.get(), "alarm");
  const std::size_t given = entries_of(alarms, *alarm_cnt, kCameraAlarmInputs);
  for (std::size_t i = 0; i < given; ++i) {
    json_object* item = json_object_array_get_idx(alarms, i);
    const int index = static_cast<int>(i);
    CameraAlarmInName name{};
    if (store_read(kStoreMain, RecordKey(*channel, index), &name) != 0) {
      failed = true;
    } else {
      (void)record_from_json(kInputNameKeys, item, &name);
      if (store_write(kStoreMain, name) != 0) failed = true;
    }
    set.entry[i] = {0, json_int(item, "alarmEnable").value_or(0), index,
                    json_int(item, "alarmType").value_or(0)};
  }
  set.count = static_cast<int32_t>(given);
  set.mask = core_channel_mask(mask | uint64_t{1} << *channel);
  kAlarmCore.notice(kSetCameraAlarmIn, set);
  kAlarmCore.notice_mask(kCameraAlarmInChanged, mask | uint64_t{1} << *channel);
  if (failed) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_ok();
  return 0;
}

int on_set_camera_alarm_output(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const uint64_t mask = copy_mask(tree.get(), *channel);
  bool failed = false;

  json_object* dialog = json_member(tree.get(), "dialog");
  const std::size_t dialogs = entries_of(dialog, kCameraAlarmOutputs, kCameraAlarmOutputs);
  auto block = std::make_unique<ScheduleBlock>();
  for (std::size_t e = 0; e < dialogs; ++e) {
    json_object* item = json_object_array_get_idx(dialog, e);
    auto index = json_int(item, "alarmId");
    if (!index || *index < 0 || *index >= kCameraAlarmOutputs ||
        get_schedule_by_json(item, "effective", block.get()) != 0)
      continue;
    const char* table = kCameraAlarmOutSchedules[*index].table;
    if (write_schedule(kStoreMain, table, *channel, block.get()) != 0 ||
        (mask != 0 && copy_schedule(kStoreMain, table, block.get(), mask) != 0))
      failed = true;
  }

  CameraAlarmOutSet set{};
  json_object* alarms = json_member(tree.get(), "alarm");
  const std::size_t given =
      entries_of(alarms, json_int(tree.get(), "alarmCnt").value_or(0), kCameraAlarmOutputs);
  for (std::size_t i = 0; i < given; ++i) {
    json_object* item = json_object_array_get_idx(alarms, i);
    const int index = static_cast<int>(i);
    CameraAlarmOut out{};
    if (store_read(kStoreMain, RecordKey(*channel, index), &out) != 0) {
      failed = true;
    } else {
      (void)record_from_json(kOutputSaveKeys, item, &out);
      if (store_write(kStoreMain, out) != 0 ||
          (mask != 0 && store_copy_column_int(kStoreMain, kCameraAlarmOutKind, "delay_time",
                                              out.delay_time, mask, index) != 0))
        failed = true;
    }
    set.entry[i] = {0, index, json_int(item, "alarmType").value_or(0)};
  }
  set.count = static_cast<int32_t>(given);
  set.mask = core_channel_mask(mask | uint64_t{1} << *channel);
  kAlarmCore.notice(kSetCameraAlarmOut, set);
  kAlarmCore.notice_mask(kCameraAlarmOutChanged, mask | uint64_t{1} << *channel);
  if (failed) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_ok();
  return 0;
}

int on_set_camera_alarm_output_state(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  auto state = json_int(tree.get(), "state");
  if (!channel || !json_int_in(tree.get(), "alarmId", 0, kCameraAlarmOutputs - 1) || !state) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  CameraAlarmOutState out{*channel, *json_int(tree.get(), "alarmId"), *state};
  kAlarmCore.notice(kSetCameraAlarmOutState, out);
  write_ok();
  return 0;
}
