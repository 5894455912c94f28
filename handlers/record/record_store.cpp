// Field tables of the recording records and their named store operations.
#include "record/record_store.h"

#include <cstdint>
#include <iterator>

namespace {

// Table order is the order of a holiday in the holiday list answer.
constexpr FieldDesc kHolidayFields[] = {
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

// The ranges are those the save requests check.
constexpr FieldDesc kRecordSettingsFields[] = {
    NVR_FIELD(RecordSettings, id, "id").range(0, kMaxChannels - 1),
    NVR_FIELD(RecordSettings, mode, "mode").range(0, 2),
    NVR_FIELD(RecordSettings, audio_enable, "audioEnable").range(0, 1),
    NVR_FIELD(RecordSettings, prev_record_on, "prevRecordOn").range(0, 1),
    NVR_FIELD(RecordSettings, prev_record_duration, "prevRecordDuration").range(0, INT32_MAX),
    NVR_FIELD(RecordSettings, post_record_on, "postRecordOn").range(0, 1),
    NVR_FIELD(RecordSettings, post_record_duration, "postRecordDuration"),
    NVR_FIELD(RecordSettings, record_exp_date, "recordExpDate"),
};

constexpr FieldDesc kRecordScheduleFields[] = {
    NVR_NESTED(RecordSchedule, day, nullptr, kScheduleDayKind),
    NVR_FIELD(RecordSchedule, id, "id"),
};

}  // namespace

constexpr RecordKind kHolidayKind{.name = "holiday",
                                  NVR_KIND_FIELDS(HolidayRecord, kHolidayFields),
                                  .key = {"id", 0, kMaxHolidays - 1},
                                  .list_every_slot = true};
static_assert(record_kind_is_valid(kHolidayKind));

constexpr RecordKind kRecordSettingsKind{.name = "record",
                                         NVR_KIND_FIELDS(RecordSettings, kRecordSettingsFields),
                                         .key = {"id", 0, kMaxChannels - 1},
                                         .list_every_slot = true};
static_assert(record_kind_is_valid(kRecordSettingsKind));

constexpr RecordKind kRecordScheduleKind{.name = "record_schedule",
                                         NVR_KIND_FIELDS(RecordSchedule, kRecordScheduleFields),
                                         .key = {"id", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kRecordScheduleKind));

int read_holidays(const char* store, HolidayRecord* holidays, int* count) {
  return store_list(store, kHolidayKind, holidays, kMaxHolidays, count);
}

int write_holiday(const char* store, const HolidayRecord* holiday) {
  return holiday != nullptr ? store_write(store, kHolidayKind, holiday->id, holiday) : -1;
}

int read_record(const char* store, RecordSettings* record, int channel) {
  return store_read(store, kRecordSettingsKind, channel, record);
}

int read_records(const char* store, RecordSettings* records, int* count) {
  return store_list(store, kRecordSettingsKind, records, kMaxChannels, count);
}

int write_record(const char* store, const RecordSettings* record) {
  return record != nullptr ? store_write(store, kRecordSettingsKind, record->id, record) : -1;
}

int write_records(const char* store, const RecordSettings* records, uint64_t mask) {
  if (records == nullptr) return -1;
  for (int c = 0; c < kMaxChannels; ++c)
    if ((mask >> c & 1u) != 0 && store_write(store, kRecordSettingsKind, c, &records[c]) != 0)
      return -1;
  return 0;
}

int read_record_schedule(const char* store, RecordSchedule* schedule, int channel) {
  return store_read(store, kRecordScheduleKind, channel, schedule);
}

int copy_record_schedules(const char* store, const RecordSchedule* schedule, uint64_t mask) {
  return store_copy_mask(store, kRecordScheduleKind, schedule, mask);
}
