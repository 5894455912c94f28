// The request handlers of the recording settings: holidays ("/6030", "/6031"), record
// schedules ("/6040", "/6041"), record modes ("/6042", "/6043"), record parameters
// ("/6044", "/6045") and two questions to the core ("/6046", "/6047").
#pragma once

struct json_object;
struct RecordSchedule;

int on_get_holiday_info(char* text);
int on_set_holiday_info(char* text);
int on_get_record_info(char* text);
int on_set_record_info(char* text);
int on_get_record_modes(char* text);
int on_set_record_modes(char* text);
int on_get_record_params(char* text);
int on_set_record_params(char* text);
int on_get_record_support(char* text);
int on_get_record_primary_secondary(char* text);

// Parameter types of the module's operation log records (listed in the module registry).
inline constexpr int kLogParamRecordModes = 905;
inline constexpr int kLogParamRecordParams = 906;
inline constexpr int kLogParamRecordSchedule = 907;
inline constexpr int kLogParamHoliday = 920;

// The record schedule as the web shows it: 8 day objects {"wholedayEnable",
// "wholedayActionType", "plans"}, "plans" holding all 48 sections as objects
// {"startTime", "endTime", "actionType"}. A new array owned by the caller.
json_object* get_record_schedule_json_object(const RecordSchedule* schedule);

// Reads the array tree[key] of day objects into a cleared schedule: the whole-day words
// of a day only when its "wholedayEnable" is non-zero, and sections 0 to 47 of "plans"
// as arrays [start, end, action type] read by position (texts cut to 31 characters).
// Missing days, sections and elements stay empty. -1 (schedule untouched) when an
// argument is null or tree[key] is not an array; else 0.
int get_record_schedule_by_json(json_object* tree, const char* key, RecordSchedule* schedule);
