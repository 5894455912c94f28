// The store records of the alarm contacts: the recorder's alarm inputs 0 to 15 (with the
// disarming settings kept beside input 0) and outputs 0 to 3, and the settings the recorder
// keeps for the cameras' alarm inputs 0 to 3 and outputs 0 and 1 on every channel. Each is
// a fixed layout, one field table and its kind, bound to the typed store; the linkage of
// an alarm input (schedules, lamps, HTTP target, PTZ actions) is described for the shared
// event-linkage piece.
//
// Layouts and table names are this module's own choice: the core reads them through the
// same store, by column name, so the struct order only has to keep texts apart from the
// integers (no padding between fields).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kAlarmInputs = 16;
inline constexpr int kAlarmOutputs = 4;
inline constexpr int kCameraAlarmInputs = 4;
inline constexpr int kCameraAlarmOutputs = 2;

// ---- Recorder alarm inputs -------------------------------------------------------------

struct AlarmInRecord {
  int32_t id;             // 0 to 15
  int32_t enable;         // 0 to 2
  int32_t type;           // contact type: 0 normally open, 1 normally closed
  uint32_t trigger_mask;  // bit i: character i (0 to 31) of tri_channels is "1"
  int32_t tri_alarms;     // recorder alarm outputs to set, as a bit mask
  int32_t interval;
  int32_t interval_mode;  // 2 once the page set "interval" through the linkage dialog
  int32_t email_interval;
  int32_t email_interval_mode;  // likewise for "email_interval"
  int32_t email_pic_enable;
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t http_interval;
  int32_t audio_id;      // entry of the alarm audio file table
  int32_t email_enable;  // e-mail on, set with the e-mail schedule of several inputs
  char name[256];
  char tri_channels[65];      // "1" per linked channel
  char tri_snapshot[65];      // "1" per channel whose snapshot the alarm takes
  char tri_channels_pic[65];  // channels whose pictures the e-mail carries
  char tri_chn_alarm0[65];    // camera alarm-output selection, texts 0 and 1
  char tri_chn_alarm1[65];
  char reserved[3];
};
static_assert(sizeof(AlarmInRecord) == 648);
static_assert(offsetof(AlarmInRecord, name) == 64);
static_assert(offsetof(AlarmInRecord, tri_chn_alarm1) == 580);
static_assert(std::is_trivially_copyable_v<AlarmInRecord>);

inline constexpr FieldDesc kAlarmInFields[] = {
    NVR_FIELD(AlarmInRecord, id, "id").range(0, kAlarmInputs - 1),
    NVR_FIELD(AlarmInRecord, enable, "enable").range(0, 2),
    NVR_FIELD(AlarmInRecord, type, "type").range(0, 1),
    NVR_FIELD(AlarmInRecord, trigger_mask, nullptr),
    NVR_FIELD(AlarmInRecord, tri_alarms, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(AlarmInRecord, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(AlarmInRecord, interval_mode, nullptr),
    NVR_FIELD(AlarmInRecord, email_interval, "email_interval"),
    NVR_FIELD(AlarmInRecord, email_interval_mode, nullptr),
    NVR_FIELD(AlarmInRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(AlarmInRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(AlarmInRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(AlarmInRecord, white_interval, "white_interval"),
    NVR_FIELD(AlarmInRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(AlarmInRecord, audio_id, "audioId"),
    NVR_FIELD(AlarmInRecord, email_enable, "email_enable").range(0, 1),
    NVR_FIELD(AlarmInRecord, name, "name"),
    NVR_FIELD(AlarmInRecord, tri_channels, "triChannels"),
    NVR_FIELD(AlarmInRecord, tri_snapshot, "triSnapshot"),
    NVR_FIELD(AlarmInRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(AlarmInRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(AlarmInRecord, tri_chn_alarm1, nullptr),
};

// Listed in input order: index i of a list is input i.
inline constexpr RecordKind kAlarmInKind{.name = "alarm_in",
                                         NVR_KIND_FIELDS(AlarmInRecord, kAlarmInFields),
                                         .key = {"id", 0, kAlarmInputs - 1},
                                         .list_every_slot = true};
static_assert(record_kind_is_valid(kAlarmInKind));
NVR_STORE_KIND(AlarmInRecord, kAlarmInKind);

// What arming and disarming the recorder does; one record, kept with input 0.
struct AlarmDisarming {
  int32_t id;  // always 0
  int32_t linkage_action;
  int32_t disarm_action_mask;
};
static_assert(sizeof(AlarmDisarming) == 12);
static_assert(std::is_trivially_copyable_v<AlarmDisarming>);

inline constexpr FieldDesc kAlarmDisarmingFields[] = {
    NVR_FIELD(AlarmDisarming, id, nullptr),
    NVR_FIELD(AlarmDisarming, linkage_action, "linkageAction"),
    NVR_FIELD(AlarmDisarming, disarm_action_mask, "disarmActionMask"),
};
inline constexpr RecordKind kAlarmDisarmingKind{
    .name = "alarm_disarming",
    NVR_KIND_FIELDS(AlarmDisarming, kAlarmDisarmingFields),
    .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kAlarmDisarmingKind));
NVR_STORE_KIND(AlarmDisarming, kAlarmDisarmingKind);

// ---- Recorder alarm outputs --------------------------------------------------------------

struct AlarmOutRecord {
  int32_t id;  // 0 to 3
  int32_t type;
  int32_t enable;
  int32_t duration_time;  // seconds the relay stays closed
  char name[256];
};
static_assert(sizeof(AlarmOutRecord) == 272);
static_assert(std::is_trivially_copyable_v<AlarmOutRecord>);

inline constexpr FieldDesc kAlarmOutFields[] = {
    NVR_FIELD(AlarmOutRecord, id, "id").range(0, kAlarmOutputs - 1),
    NVR_FIELD(AlarmOutRecord, name, "name"),
    NVR_FIELD(AlarmOutRecord, type, "type"),
    NVR_FIELD(AlarmOutRecord, enable, "enable"),
    NVR_FIELD(AlarmOutRecord, duration_time, "durationTime"),
};
inline constexpr RecordKind kAlarmOutKind{.name = "alarm_out",
                                          NVR_KIND_FIELDS(AlarmOutRecord, kAlarmOutFields),
                                          .key = {"id", 0, kAlarmOutputs - 1},
                                          .list_every_slot = true};
static_assert(record_kind_is_valid(kAlarmOutKind));
NVR_STORE_KIND(AlarmOutRecord, kAlarmOutKind);

// The effective schedule of each output (second schedule record type), keyed by output.
inline constexpr LinkageSchedule kAlarmOutSchedule{"effective", "alarmout_esche",
                                                   ScheduleCodec::kSecond};

// ---- Camera alarm inputs -----------------------------------------------------------------

// The recorder-side linkage of camera alarm input `alarm_id` on channel `chn`. The name,
// enable and type live in their own record, so that a copy of the linkage to other
// channels leaves their names alone.
struct CameraAlarmInEvent {
  int32_t chn;       // 0 to 63
  int32_t alarm_id;  // 0 to 3
  uint32_t trigger_mask;
  int32_t tri_alarms;
  int32_t interval;
  int32_t interval_mode;
  int32_t email_interval;
  int32_t email_pic_enable;
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t http_interval;
  int32_t audio_id;
  char tri_channels[65];
  char tri_channels_pic[65];
  char tri_chn_alarm0[65];
  char tri_chn_alarm1[65];
};
static_assert(sizeof(CameraAlarmInEvent) == 312);
static_assert(offsetof(CameraAlarmInEvent, tri_channels) == 52);
static_assert(std::is_trivially_copyable_v<CameraAlarmInEvent>);

inline constexpr FieldDesc kCameraAlarmInEventFields[] = {
    NVR_FIELD(CameraAlarmInEvent, chn, nullptr),
    NVR_FIELD(CameraAlarmInEvent, alarm_id, "alarmId"),
    NVR_FIELD(CameraAlarmInEvent, trigger_mask, nullptr),
    NVR_FIELD(CameraAlarmInEvent, tri_alarms, "triAlarms"),
    NVR_FIELD(CameraAlarmInEvent, interval, "interval"),
    NVR_FIELD(CameraAlarmInEvent, interval_mode, nullptr),
    NVR_FIELD(CameraAlarmInEvent, email_interval, "email_interval"),
    NVR_FIELD(CameraAlarmInEvent, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(CameraAlarmInEvent, ptz_interval, "ptz_interval"),
    NVR_FIELD(CameraAlarmInEvent, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(CameraAlarmInEvent, white_interval, "white_interval"),
    NVR_FIELD(CameraAlarmInEvent, http_interval, "http_notification_interval"),
    NVR_FIELD(CameraAlarmInEvent, audio_id, "audioId"),
    NVR_FIELD(CameraAlarmInEvent, tri_channels, "triChannels"),
    NVR_FIELD(CameraAlarmInEvent, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(CameraAlarmInEvent, tri_chn_alarm0, nullptr),
    NVR_FIELD(CameraAlarmInEvent, tri_chn_alarm1, nullptr),
};
inline constexpr RecordKind kCameraAlarmInEventKind{
    .name = "alarm_chn_in",
    NVR_KIND_FIELDS(CameraAlarmInEvent, kCameraAlarmInEventFields),
    .key = {"chn", 0, kMaxChannels - 1},
    .key2 = {"alarm_id", 0, kCameraAlarmInputs - 1}};
static_assert(record_kind_is_valid(kCameraAlarmInEventKind));
NVR_STORE_KIND(CameraAlarmInEvent, kCameraAlarmInEventKind);

struct CameraAlarmInName {
  int32_t chn;
  int32_t alarm_id;
  int32_t enable;
  int32_t type;
  char name[64];
};
static_assert(sizeof(CameraAlarmInName) == 80);
static_assert(std::is_trivially_copyable_v<CameraAlarmInName>);

inline constexpr FieldDesc kCameraAlarmInNameFields[] = {
    NVR_FIELD(CameraAlarmInName, chn, nullptr),
    NVR_FIELD(CameraAlarmInName, alarm_id, nullptr),
    NVR_FIELD(CameraAlarmInName, enable, "alarmEnable"),
    NVR_FIELD(CameraAlarmInName, type, "alarmType"),
    NVR_FIELD(CameraAlarmInName, name, "alarmName"),
};
inline constexpr RecordKind kCameraAlarmInNameKind{
    .name = "alarm_chn_in_name",
    NVR_KIND_FIELDS(CameraAlarmInName, kCameraAlarmInNameFields),
    .key = {"chn", 0, kMaxChannels - 1},
    .key2 = {"alarm_id", 0, kCameraAlarmInputs - 1}};
static_assert(record_kind_is_valid(kCameraAlarmInNameKind));
NVR_STORE_KIND(CameraAlarmInName, kCameraAlarmInNameKind);

// ---- Camera alarm outputs ----------------------------------------------------------------

struct CameraAlarmOut {
  int32_t chn;
  int32_t alarm_id;  // 0 or 1
  int32_t type;
  int32_t delay_time;
  char name[64];
};
static_assert(sizeof(CameraAlarmOut) == 80);
static_assert(std::is_trivially_copyable_v<CameraAlarmOut>);

inline constexpr FieldDesc kCameraAlarmOutFields[] = {
    NVR_FIELD(CameraAlarmOut, chn, nullptr),
    NVR_FIELD(CameraAlarmOut, alarm_id, nullptr),
    NVR_FIELD(CameraAlarmOut, type, "alarmType"),
    NVR_FIELD(CameraAlarmOut, delay_time, "delayTime"),
    NVR_FIELD(CameraAlarmOut, name, "alarmName"),
};
inline constexpr RecordKind kCameraAlarmOutKind{
    .name = "alarm_chn_out",
    NVR_KIND_FIELDS(CameraAlarmOut, kCameraAlarmOutFields),
    .key = {"chn", 0, kMaxChannels - 1},
    .key2 = {"alarm_id", 0, kCameraAlarmOutputs - 1}};
static_assert(record_kind_is_valid(kCameraAlarmOutKind));
NVR_STORE_KIND(CameraAlarmOut, kCameraAlarmOutKind);

// The effective schedule of camera alarm output i, one per channel.
extern const LinkageSchedule kCameraAlarmOutSchedules[kCameraAlarmOutputs];

// ---- Linkage ---------------------------------------------------------------------------

// Recorder inputs: the event channel is the input index; PTZ event type 0; notice 1415
// with the input mask.
inline constexpr int kAlarmInPtzEventType = 0;
extern const EventLinkageDesc kAlarmInLinkage;

// The PTZ event type of camera alarm input `alarm_id` (0 to 3): 27 to 30, the first types
// no other event kind uses; -1 for any other index.
constexpr int converse_chn_alarmid_to_event_in(int alarm_id) {
  return alarm_id >= 0 && alarm_id < kCameraAlarmInputs ? 27 + alarm_id : -1;
}
// Camera inputs: one description per alarm index (its own tables), keyed by channel.
extern const EventLinkageDesc kCameraAlarmInLinkage[kCameraAlarmInputs];
