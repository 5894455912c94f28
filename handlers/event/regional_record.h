// The recorder-side linkage of regional people counting: one event record per channel
// (0 to 63) and counting region (0 to 3), store kind "regional_pcnt_event", each region
// described in the shared event-linkage model with its own tables and PTZ event type
// 22 + region, and the store operations the regional pages name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kRegionalRegions = 4;
inline constexpr int kRegionalPtzEventFirst = 22;  // region r: 22 + r

constexpr bool regional_region_valid(int64_t region) {
  return region >= 0 && region < kRegionalRegions;
}

// Schedule kinds of write_regional_pcnt_schedule / copy_regional_pcnt_schedule.
inline constexpr int kRegionalScheduleAudible = 1;
inline constexpr int kRegionalScheduleEmail = 2;
inline constexpr int kRegionalSchedulePtz = 3;
inline constexpr int kRegionalScheduleWhite = 4;
inline constexpr int kRegionalScheduleHttp = 6;

// The linkage of one region of one channel. Layout chosen for the store's 328 bytes: the
// integers, the four 65-byte texts, room to grow.
struct RegionalPcntEventRecord {
  int32_t chn;
  int32_t region;
  uint32_t trigger_mask;  // bit i: character i (0 to 31) of tri_channels is "1"
  int32_t tri_alarms;
  int32_t interval;
  int32_t email_interval;
  int32_t email_pic_enable;
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t audio_id;
  int32_t http_interval;
  char tri_channels[65];
  char tri_channels_pic[65];
  char tri_chn_alarm0[65];  // camera alarm-output selection, texts 0 and 1
  char tri_chn_alarm1[65];
  unsigned char reserved[20];
};
static_assert(sizeof(RegionalPcntEventRecord) == 328);
static_assert(offsetof(RegionalPcntEventRecord, tri_channels) == 48);
static_assert(std::is_trivially_copyable_v<RegionalPcntEventRecord>);

inline constexpr FieldDesc kRegionalPcntEventFields[] = {
    NVR_FIELD(RegionalPcntEventRecord, chn, nullptr),
    NVR_FIELD(RegionalPcntEventRecord, region, nullptr),
    NVR_FIELD(RegionalPcntEventRecord, trigger_mask, nullptr),
    NVR_FIELD(RegionalPcntEventRecord, interval, "interval"),
    NVR_FIELD(RegionalPcntEventRecord, audio_id, "audioId"),
    NVR_FIELD(RegionalPcntEventRecord, email_interval, "email_interval"),
    NVR_FIELD(RegionalPcntEventRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(RegionalPcntEventRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(RegionalPcntEventRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(RegionalPcntEventRecord, white_interval, "white_interval"),
    NVR_FIELD(RegionalPcntEventRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(RegionalPcntEventRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(RegionalPcntEventRecord, tri_alarms, "triAlarms"),
    NVR_FIELD(RegionalPcntEventRecord, tri_channels, "triChannels"),
    NVR_FIELD(RegionalPcntEventRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(RegionalPcntEventRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(RegionalPcntEventRecord, reserved, nullptr),
};
inline constexpr RecordKind kRegionalPcntEventKind{
    .name = "regional_pcnt_event",
    NVR_KIND_FIELDS(RegionalPcntEventRecord, kRegionalPcntEventFields),
    .key = {"chn", 0, kMaxChannels - 1},
    .key2 = {"region", 0, kRegionalRegions - 1}};
static_assert(record_kind_is_valid(kRegionalPcntEventKind));
NVR_STORE_KIND(RegionalPcntEventRecord, kRegionalPcntEventKind);

// Region r's description, r = 0 to 3.
extern const EventLinkageDesc kRegionalLinkage[kRegionalRegions];
// The save of the regional page: the whole linkage, the PTZ linkage from "ptzParams" alone.
extern const LinkageSaveScope kRegionalSaveScope;

// Each returns 0, or -1 when the channel or region is out of range, the schedule kind is
// none of 1, 2, 3, 4, 6, or the store failed.
int read_regional_pcnt_event(const char* store, RegionalPcntEventRecord* record, int channel,
                             int region);
// Stored under the record's own channel and `region`.
int write_regional_pcnt_event(const char* store, const RegionalPcntEventRecord& record, int region);
int copy_regional_pcnt_event(const char* store, const RegionalPcntEventRecord& record, int region,
                             uint64_t mask);
int write_regional_pcnt_schedule(const char* store, int kind, const ScheduleBlock* block,
                                 int channel, int region);
int copy_regional_pcnt_schedule(const char* store, int kind, const ScheduleBlock* block, int region,
                                uint64_t mask);
// The schedule table of a kind and region, or nullptr.
const char* regional_pcnt_schedule_table(int kind, int region);
