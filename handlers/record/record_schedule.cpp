// Record schedules: "/6040" shows one channel's weekly schedule with all 48 sections of
// each day, "/6041" gives one schedule and one record mode to a list of channels.
#include <json-c/json.h>

#include <climits>
#include <cstring>
#include <iterator>

#include "cgi_json.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"
#include "record/record_store.h"
#include "field_json.h"

namespace {

// A day row under the web's keys; "plans" carries the sections.
constexpr auto kDayKeys =
    pick_renamed(kScheduleDayKind, {
                                       {"wholeDay", "wholedayEnable"},
                                       {"wholeDayAction", "wholedayActionType"},
                                       {"section", "plans"},
                                   });
// The whole-day words alone: the first two of kDayKeys.
constexpr FieldKeys kWholeDayKeys{&kScheduleDayKind, std::span(kDayKeys.keys).first(2)};

json_object* array_member(json_object* object, const char* key) {
  json_object* value = nullptr;
  if (!json_object_object_get_ex(object, key, &value) ||
      !json_object_is_type(value, json_type_array))
    return nullptr;
  return value;
}

// Sections arrive as arrays read by position: element i is field i of the section table.
void section_from_json(json_object* array, ScheduleSection* section) {
  const std::size_t n = json_object_array_length(array);
  for (std::size_t i = 0; i < n && i < std::size(kScheduleSectionFields); ++i)
    (void)field_from_json(kScheduleSectionFields[i], json_object_array_get_idx(array, i), section,
                          RecordNames::kJson);
}

void day_from_json(json_object* object, ScheduleDay* day) {
  (void)record_from_json(kWholeDayKeys, object, day);
  if (day->wholeDay == 0) day->wholeDayAction = 0;  // only a whole-day row keeps its action
  json_object* plans = array_member(object, "plans");
  if (plans == nullptr) return;
  const std::size_t n = json_object_array_length(plans);
  for (std::size_t s = 0; s < n && s < static_cast<std::size_t>(kScheduleSections); ++s) {
    json_object* section = json_object_array_get_idx(plans, s);
    if (json_object_is_type(section, json_type_array)) section_from_json(section, &day->section[s]);
  }
}

// A save carries "cnt" and its schedule array: without the schedule it would give every
// listed channel an empty one.
bool check_record_info(json_object* tree) {
  return json_object_object_get_ex(tree, "cnt", nullptr) &&
         array_member(tree, "schedule") != nullptr;
}

}  // namespace

json_object* get_record_schedule_json_object(const RecordSchedule* schedule) {
  json_object* days = json_object_new_array();
  for (const ScheduleDay& day : schedule->day) {
    json_object* object = json_object_new_object();
    (void)record_to_json(kDayKeys, &day, object);
    json_object_array_add(days, object);
  }
  return days;
}

int get_record_schedule_by_json(json_object* tree, const char* key, RecordSchedule* schedule) {
  if (tree == nullptr || key == nullptr || schedule == nullptr) return -1;
  json_object* days = array_member(tree, key);
  if (days == nullptr) return -1;
  std::memset(schedule, 0, sizeof *schedule);
  const std::size_t n = json_object_array_length(days);
  for (std::size_t d = 0; d < n && d < static_cast<std::size_t>(kScheduleDays); ++d) {
    json_object* day = json_object_array_get_idx(days, d);
    if (json_object_is_type(day, json_type_object)) day_from_json(day, &schedule->day[d]);
  }
  return 0;
}

int on_get_record_info(char* text) {
  std::optional<int> channel = channel_from_text(text);
  if (!channel) return -1;
  RecordSchedule schedule;
  if (store_read(kStoreMain, *channel, &schedule) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "id", json_object_new_int(schedule.id));
  json_object_object_add(answer.get(), "schedule", get_record_schedule_json_object(&schedule));
  write_json(answer.get());
  return 0;
}

int on_set_record_info(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr || !check_record_info(tree.get())) return -1;
  RecordSchedule schedule;
  (void)get_record_schedule_by_json(tree.get(), "schedule", &schedule);  // checked to be there
  const int mode = json_int(tree.get(), "recordplanmode").value_or(0);
  const ChannelSelection selection = read_channel_selection(tree.get(), "chnid", "cnt");

  RecordSettings records[kMaxChannels];
  int count = 0;
  if (store_list(kStoreMain, records, &count) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  uint64_t mode_mask = 0;
  for (int i = 0; i < selection.list.count; ++i) {
    const int c = selection.list.channel[i];
    if (c < count && records[c].mode != mode) mode_mask |= uint64_t{1} << c;
  }

  if (store_copy_mask(kStoreMain, schedule, selection.mask) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  // The core follows whatever reached the store; success only when all of it did.
  const bool mode_stored =
      copy_table_column_int(kStoreMain, kRecordSettingsKind, "mode", mode, mode_mask, "id") == 0;
  if (mode_stored) kRecordCore.notice_mask(kRecordModeChanged, mode_mask);
  kRecordCore.notice_mask(kRecordScheduleCopied, selection.mask);
  if (!mode_stored) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  // The log names the last listed value, whether or not it was a channel.
  kRecordCore.log(kLogParamRecordSchedule, selection.last < INT_MAX ? selection.last : -1);
  write_ok();
  return 0;
}
