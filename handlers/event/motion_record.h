// The motion detection record (store kind "motion", one per channel 0 to 63) with its
// named store operations, and the description of motion in the shared event-linkage
// model: its six schedules, white-LED and HTTP tables, PTZ event type 1, the keys its
// saves overlay, the key order of "/6010" and its notices 1403 and 1410.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "kind_store.h"
#include "linkage.h"
#include "field_table.h"

struct MotionRecord {
  int32_t chn;      // camera channel 0 to 63
  int32_t enabled;  // detection on, 0 to 2
  int32_t sensitivity;
  uint32_t trigger_mask;  // bit i: character i (0 to 31) of tri_channels is "1"
  int32_t alarm_outputs;  // recorder alarm outputs to set, as a bit mask
  char grid[368];         // detection area as text
  int32_t interval;       // repeat interval
  int32_t full_day;       // 1: the camera detects all day
  char tri_channels[65];  // "1" per linked channel
  int32_t email_enable;
  int32_t email_interval;
  char tri_chn_alarm0[65];  // camera alarm-output selection, texts 0 and 1
  char tri_chn_alarm1[65];
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t email_pic_enable;
  char tri_channels_pic[65];  // channels whose pictures the e-mail carries
  int32_t audio_id;           // entry of the alarm audio file table
  int32_t http_interval;
  int32_t reserved;  // rounds the record to the store's 700 bytes
};
static_assert(sizeof(MotionRecord) == 700);
static_assert(offsetof(MotionRecord, grid) == 20);
static_assert(offsetof(MotionRecord, interval) == 388);
static_assert(offsetof(MotionRecord, tri_channels) == 396);
static_assert(offsetof(MotionRecord, email_enable) == 464);
static_assert(offsetof(MotionRecord, tri_chn_alarm0) == 472);
static_assert(offsetof(MotionRecord, ptz_interval) == 604);
static_assert(offsetof(MotionRecord, tri_channels_pic) == 620);
static_assert(offsetof(MotionRecord, http_interval) == 692);
static_assert(std::is_trivially_copyable_v<MotionRecord>);

inline constexpr FieldDesc kMotionFields[] = {
    NVR_FIELD(MotionRecord, chn, "chnid"),
    NVR_FIELD(MotionRecord, enabled, "enable").range(0, 2),
    NVR_FIELD(MotionRecord, sensitivity, "sensitivity").range(0, INT32_MAX),
    NVR_FIELD(MotionRecord, trigger_mask, nullptr),
    NVR_FIELD(MotionRecord, alarm_outputs, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(MotionRecord, grid, "motionTable"),
    NVR_FIELD(MotionRecord, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(MotionRecord, full_day, "enableDV"),
    NVR_FIELD(MotionRecord, tri_channels, "triChannels"),
    NVR_FIELD(MotionRecord, email_enable, "email_enable"),
    NVR_FIELD(MotionRecord, email_interval, "email_interval"),
    NVR_FIELD(MotionRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(MotionRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(MotionRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(MotionRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(MotionRecord, white_interval, "white_interval"),
    NVR_FIELD(MotionRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(MotionRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(MotionRecord, audio_id, "audioId"),
    NVR_FIELD(MotionRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(MotionRecord, reserved, nullptr),
};

inline constexpr RecordKind kMotionKind{.name = "motion",
                                        NVR_KIND_FIELDS(MotionRecord, kMotionFields),
                                        .key = {"chn", 0, kMaxChannels - 1},
                                        .list_every_slot = true};
static_assert(record_kind_is_valid(kMotionKind));
NVR_STORE_KIND(MotionRecord, kMotionKind);

extern const EventLinkageDesc kMotionLinkage;
// The keys of "/6117": the full save's keys without "http_notification_interval".
extern const LinkageSaveScope kMotionActionScope;

inline constexpr int kMotionPtzEventType = 1;
inline constexpr int kMotionChanged = 1403;  // int32 channel
inline constexpr int kMotionCopied = 1410;   // channel mask

// The schedule of "/6011", "/6013" and "/6113": the motion audible schedule, so that what
// the schedule pages write is what they read back.
int write_motion_schedule(const char* store, const ScheduleBlock* block, int channel);
int read_motion_audible_schedule(const char* store, ScheduleBlock* block, int channel);
