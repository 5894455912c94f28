// The store records of the recording settings: holidays, the record settings of each
// channel, the 48-section record schedules, and the few camera columns that the record
// parameters page shows and changes. Each is a fixed layout, one field table and its kind,
// bound to the typed store (kind_store.h): store_read(kStoreMain, channel, &settings).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "kind_store.h"
#include "linkage.h"
#include "camera/camera_record.h"
#include "field_table.h"

// ---- Holidays --------------------------------------------------------------------------

inline constexpr int kMaxHolidays = 32;

struct HolidayRecord {
  int32_t id;  // 0 to 31
  char name[256];
  int32_t enable;  // 0 or 1
  int32_t type;    // which date fields the core evaluates (a date, or a week and weekday)
  int32_t start_year;
  int32_t start_mon;
  int32_t start_mday;
  int32_t start_mweek;
  int32_t start_wday;
  int32_t end_year;
  int32_t end_mon;
  int32_t end_mday;
  int32_t end_mweek;
  int32_t end_wday;
};
static_assert(sizeof(HolidayRecord) == 308);
static_assert(offsetof(HolidayRecord, enable) == 260);
static_assert(offsetof(HolidayRecord, end_wday) == 304);
static_assert(std::is_trivially_copyable_v<HolidayRecord>);

// Table order is the order of a holiday in the holiday list answer.
inline constexpr FieldDesc kHolidayFields[] = {
    NVR_FIELD(HolidayRecord, id, "id").range(0, kMaxHolidays - 1),
    NVR_FIELD(HolidayRecord, enable, "enable").range(0, 1),
    NVR_FIELD(HolidayRecord, name, "name"),
    NVR_FIELD(HolidayRecord, type, "type").range(0, INT32_MAX),
    NVR_FIELD(HolidayRecord, start_year, "startYear"),
    NVR_FIELD(HolidayRecord, start_mon, "startMon"),
    NVR_FIELD(HolidayRecord, start_mday, "startMDay"),
    NVR_FIELD(HolidayRecord, start_mweek, "startMWeek"),
    NVR_FIELD(HolidayRecord, start_wday, "startWDay"),
    NVR_FIELD(HolidayRecord, end_year, "endYear"),
    NVR_FIELD(HolidayRecord, end_mon, "endMon"),
    NVR_FIELD(HolidayRecord, end_mday, "endMDay"),
    NVR_FIELD(HolidayRecord, end_mweek, "endMWeek"),
    NVR_FIELD(HolidayRecord, end_wday, "endWDay"),
};

// Listed in slot order: index i of a list is holiday i, never-written slots read as
// disabled holidays with empty fields.
inline constexpr RecordKind kHolidayKind{.name = "holiday",
                                         NVR_KIND_FIELDS(HolidayRecord, kHolidayFields),
                                         .key = {"id", 0, kMaxHolidays - 1},
                                         .list_every_slot = true};
static_assert(record_kind_is_valid(kHolidayKind));
NVR_STORE_KIND(HolidayRecord, kHolidayKind);

// ---- Record settings ---------------------------------------------------------------------

struct RecordSettings {
  int32_t id;    // the channel
  int32_t mode;  // 0 to 2
  int32_t audio_enable;
  int32_t prev_record_on;
  int32_t prev_record_duration;
  int32_t post_record_on;
  int32_t post_record_duration;
  int32_t record_exp_date;  // retention
  // The core's own fields. They are not in the field table, so a write from the web
  // side keeps the core's stored columns as they are.
  int32_t reserved[10];
};
static_assert(sizeof(RecordSettings) == 72);
static_assert(std::is_trivially_copyable_v<RecordSettings>);

// The ranges are those the save requests check.
inline constexpr FieldDesc kRecordSettingsFields[] = {
    NVR_FIELD(RecordSettings, id, "id").range(0, kMaxChannels - 1),
    NVR_FIELD(RecordSettings, mode, "mode").range(0, 2),
    NVR_FIELD(RecordSettings, audio_enable, "audioEnable").range(0, 1),
    NVR_FIELD(RecordSettings, prev_record_on, "prevRecordOn").range(0, 1),
    NVR_FIELD(RecordSettings, prev_record_duration, "prevRecordDuration").range(0, INT32_MAX),
    NVR_FIELD(RecordSettings, post_record_on, "postRecordOn").range(0, 1),
    NVR_FIELD(RecordSettings, post_record_duration, "postRecordDuration"),
    NVR_FIELD(RecordSettings, record_exp_date, "recordExpDate"),
};

// Store table "record", one record per channel 0 to 63, listed in channel order (index
// i is channel i).
inline constexpr RecordKind kRecordSettingsKind{
    .name = "record",
    NVR_KIND_FIELDS(RecordSettings, kRecordSettingsFields),
    .key = {"id", 0, kMaxChannels - 1},
    .list_every_slot = true};
static_assert(record_kind_is_valid(kRecordSettingsKind));
NVR_STORE_KIND(RecordSettings, kRecordSettingsKind);

// ---- Record schedules --------------------------------------------------------------------

// The schedule block with all 48 sections of each row in use, then the channel. The web
// side clears the channel; the store sets it to the channel the schedule belongs to.
struct RecordSchedule {
  ScheduleDay day[kScheduleDays];
  int32_t id;
};
static_assert(sizeof(RecordSchedule) == 26180);
static_assert(offsetof(RecordSchedule, id) == sizeof(ScheduleBlock));
static_assert(std::is_trivially_copyable_v<RecordSchedule>);

inline constexpr FieldDesc kRecordScheduleFields[] = {
    NVR_NESTED(RecordSchedule, day, nullptr, kScheduleDayKind),
    NVR_FIELD(RecordSchedule, id, "id"),
};

inline constexpr RecordKind kRecordScheduleKind{
    .name = "record_schedule",
    NVR_KIND_FIELDS(RecordSchedule, kRecordScheduleFields),
    .key = {"id", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kRecordScheduleKind));
NVR_STORE_KIND(RecordSchedule, kRecordScheduleKind);

// ---- Camera columns ----------------------------------------------------------------------
// Recording reads and changes a few columns of the camera record ("record_stream", "anr";
// "enable", "model" and "poechannel" decide whether ANR applies): it uses the camera
// module's kind, camera/camera_record.h.
