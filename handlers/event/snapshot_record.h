// Snapshot schedules (store kind "snapshot_schedule") and snapshot parameters (kind
// "snapshot"), one of each per channel 0 to 63, and the core notices of the snapshot pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core_channels.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kSnapshotParamsChanged = 1311;    // CoreChannelList
inline constexpr int kSnapshotScheduleChanged = 1312;  // CoreChannelList
inline constexpr int kSnapshotStartStop = 1313;        // SnapshotStartStop

// The schedule block, then the channel it belongs to: the layout of a record schedule.
// The days are a ScheduleBlock's, copied in and out with memcpy for the schedule codecs.
struct SnapshotSchedule {
  ScheduleDay day[kScheduleDays];
  int32_t id;
};
static_assert(sizeof(SnapshotSchedule::day) == sizeof(ScheduleBlock));
static_assert(sizeof(SnapshotSchedule) == 26180);
static_assert(offsetof(SnapshotSchedule, id) == sizeof(ScheduleBlock));
static_assert(std::is_trivially_copyable_v<SnapshotSchedule>);

inline constexpr FieldDesc kSnapshotScheduleFields[] = {
    NVR_NESTED(SnapshotSchedule, day, nullptr, kScheduleDayKind),
    NVR_FIELD(SnapshotSchedule, id, "id"),
};
inline constexpr RecordKind kSnapshotScheduleKind{
    .name = "snapshot_schedule",
    NVR_KIND_FIELDS(SnapshotSchedule, kSnapshotScheduleFields),
    .key = {"id", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kSnapshotScheduleKind));
NVR_STORE_KIND(SnapshotSchedule, kSnapshotScheduleKind);

// Snapshot parameters: the codes and units are the core's.
struct SnapshotParams {
  int32_t chn;
  int32_t resolution;
  int32_t quality;
  int32_t interval;
  int32_t interval_unit;
  int32_t expiration_date;
  int32_t reserved[3];  // rounds the record to the store's 36 bytes
};
static_assert(sizeof(SnapshotParams) == 36);
static_assert(std::is_trivially_copyable_v<SnapshotParams>);

inline constexpr FieldDesc kSnapshotFields[] = {
    NVR_FIELD(SnapshotParams, chn, nullptr),
    NVR_FIELD(SnapshotParams, resolution, "resolution"),
    NVR_FIELD(SnapshotParams, quality, "quality"),
    NVR_FIELD(SnapshotParams, interval, "interval"),
    NVR_FIELD(SnapshotParams, interval_unit, "interval_unit"),
    NVR_FIELD(SnapshotParams, expiration_date, "expiration_date"),
    NVR_FIELD(SnapshotParams, reserved, nullptr),
};
inline constexpr RecordKind kSnapshotKind{.name = "snapshot",
                                          NVR_KIND_FIELDS(SnapshotParams, kSnapshotFields),
                                          .key = {"chn", 0, kMaxChannels - 1},
                                          .list_every_slot = true};
static_assert(record_kind_is_valid(kSnapshotKind));
NVR_STORE_KIND(SnapshotParams, kSnapshotKind);

struct SnapshotStartStop {
  int32_t action;              // 1 start, 0 stop
  int32_t flag[kMaxChannels];  // 1 for each selected channel
};
static_assert(sizeof(SnapshotStartStop) == 260);
static_assert(offsetof(SnapshotStartStop, flag) == 4);
static_assert(std::is_trivially_copyable_v<SnapshotStartStop>);
