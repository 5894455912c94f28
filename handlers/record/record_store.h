// The store records of the recording settings: holidays, the record settings of each
// channel, the 48-section record schedules, and the few camera columns that the record
// parameters page shows and changes. Each is a fixed layout plus one field table (in
// record_store.cpp); the operations below are one-line wrappers over the generic store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "dvdb.h"
#include "linkage.h"
#include "camera/camera_record.h"
#include "record.h"

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

// Listed in slot order: index i of a list is holiday i, never-written slots read as
// disabled holidays with empty fields.
extern const RecordKind kHolidayKind;
// Fills holidays[0..31]; *count = 32.
int read_holidays(const char* store, HolidayRecord* holidays, int* count);
int write_holiday(const char* store, const HolidayRecord* holiday);

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

// Store table "record", one record per channel 0 to 63, listed in channel order (index
// i is channel i).
extern const RecordKind kRecordSettingsKind;
int read_record(const char* store, RecordSettings* record, int channel);
// Fills records[0..63]; *count = 64.
int read_records(const char* store, RecordSettings* records, int* count);
int write_record(const char* store, const RecordSettings* record);
// Stores records[c] for every channel c selected by the mask; -1 at the first failure.
int write_records(const char* store, const RecordSettings* records, uint64_t mask);

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

extern const RecordKind kRecordScheduleKind;
int read_record_schedule(const char* store, RecordSchedule* schedule, int channel);
// Stores the schedule for every channel selected by the mask, in one transaction.
int copy_record_schedules(const char* store, const RecordSchedule* schedule, uint64_t mask);

// ---- Camera columns ----------------------------------------------------------------------
// Recording reads and changes a few columns of the camera record ("record_stream", "anr";
// "enable", "model" and "poechannel" decide whether ANR applies): it uses the camera
// module's kind, camera/camera_record.h.
