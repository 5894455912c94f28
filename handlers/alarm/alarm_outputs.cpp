// The recorder's alarm outputs (relays 0 to 3): the list, one output with its schedule, the
// save with its copy to other outputs, the manual trigger, and the names of every output
// the pages may link an event to (the recorder's and the cameras').
#include <json-c/json.h>

#include <cstring>
#include <memory>

#include "alarm/alarm_handlers.h"
#include "alarm/alarm_ipc.h"
#include "alarm/alarm_names.h"
#include "alarm/alarm_store.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

// "/6020", in its answer order.
constexpr auto kOutputListKeys =
    pick_keys(kAlarmOutKind, {"id", "name", "type", "enable", "durationTime"});
// What "/6022" takes from the request, and what its copy carries to other outputs.
constexpr auto kOutputSaveKeys =
    pick_keys(kAlarmOutKind, {"name", "enable", "type", "durationTime"});
constexpr auto kOutputCopyKeys = pick_keys(kAlarmOutKind, {"enable", "type", "durationTime"});

}  // namespace

int on_get_alarm_outputs(char* /*text*/) {
  AlarmOutRecord outs[kAlarmOutputs];
  int count = 0;
  if (store_list(kStoreMain, outs, &count) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_record_array(kOutputListKeys, outs, count);
  return 0;
}

int on_get_alarm_output(char* text) {
  Json tree = request_object(text);
  auto id = json_int(tree.get(), "alarmId");
  AlarmOutRecord out{};
  auto block = std::make_unique<ScheduleBlock>();
  if (!id || *id < 0 || *id >= kAlarmOutputs || store_read(kStoreMain, *id, &out) != 0 ||
      read_schedule(kStoreMain, kAlarmOutSchedule.table, *id, block.get()) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  (void)record_to_json(kOutputListKeys, &out, answer.get());
  json_object_object_add(answer.get(), "effective", get_schedule_json_object_ex(block.get()));
  write_json(answer.get());
  return 0;
}

int on_set_alarm_output(char* text) {
  Json tree = request_object(text);
  auto id = json_int(tree.get(), "alarmId");
  AlarmOutRecord outs[kAlarmOutputs];
  int count = 0;
  if (!id || *id < 0 || *id >= kAlarmOutputs || store_list(kStoreMain, outs, &count) != 0 ||
      count != kAlarmOutputs) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  bool failed = false;
  bool stored = false;
  auto note = [&](bool ok) { (ok ? stored : failed) = true; };
  auto block = std::make_unique<ScheduleBlock>();
  if (get_schedule_by_json_ex(json_member(tree.get(), "dialog"), "effective", block.get()) == 0)
    note(write_schedule(kStoreMain, kAlarmOutSchedule.table, *id, block.get()) == 0);

  // The page sends the whole output; without its name the output itself is left as stored
  // (only what it carries is copied on).
  AlarmOutRecord& source = outs[*id];
  (void)record_from_json(kOutputSaveKeys, tree.get(), &source);
  if (json_member(tree.get(), "name") != nullptr) note(store_write(kStoreMain, source) == 0);
  // The core hears of whatever reached the store, also when another part failed.
  if (stored || !failed) kAlarmCore.notice(kAlarmOutChanged, int32_t{*id});

  uint64_t mask = get_copy_flag_by_json(tree.get(), "copyChn", "copyCnt");
  mask &= (uint64_t{1} << kAlarmOutputs) - 1;
  mask &= ~(uint64_t{1} << *id);
  for (int i = 0; i < kAlarmOutputs; ++i)
    if ((mask >> i & 1u) != 0) record_copy_fields(kOutputCopyKeys, &source, &outs[i]);
  if (mask != 0) {
    const bool copied =
        read_schedule(kStoreMain, kAlarmOutSchedule.table, *id, block.get()) == 0 &&
        store_write_selected(kStoreMain, std::span<const AlarmOutRecord>(outs), mask) == 0 &&
        copy_schedule(kStoreMain, kAlarmOutSchedule.table, block.get(), mask) == 0;
    if (!copied) failed = true;
    for (int i = 0; i < kAlarmOutputs; ++i)
      if ((mask >> i & 1u) != 0) kAlarmCore.notice(kAlarmOutChanged, int32_t{i});
  }
  if (failed) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kAlarmCore.log_mask(kLogParamAlarmOut, *id, uint64_t{1} << *id);
  write_ok();
  return 0;
}

int on_trigger_alarm_output(char* text) {
  Json tree = request_object(text);
  auto enable = json_int(tree.get(), "enable");
  if (!json_int_in(tree.get(), "id", 0, kAlarmOutputs - 1) || !enable) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  AlarmOutTrigger trigger{*json_int(tree.get(), "id"), *enable};
  kAlarmCore.notice(kAlarmOutTrigger, trigger);
  kAlarmCore.log(kLogParamAlarmOut, trigger.id);
  write_ok();
  return 0;
}

int on_get_all_alarmout_names(char* /*text*/) {
  return write_alarm_names<AlarmOutRecord, kAlarmOutputs, CameraAlarmOut, kCameraAlarmOutputs>();
}
