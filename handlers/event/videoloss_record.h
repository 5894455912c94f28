// The video-loss record (store kind "video_loss", one per channel 0 to 63), the recorder's
// exception settings (kind "trigger_alarms") and the exception HTTP targets, and the
// description of video loss in the shared event-linkage model: four schedules without an
// effective one, white-LED and HTTP tables, PTZ event type 2, no trigger channels, and its
// notices 1402 and 1414.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

struct VideoLossRecord {
  int32_t chn;  // camera channel 0 to 63
  int32_t enable;
  int32_t tri_alarms;  // recorder alarm outputs to set, as a bit mask
  int32_t interval;
  int32_t email_enable;
  int32_t email_interval;
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t audio_id;  // entry of the alarm audio file table
  int32_t http_interval;
  char tri_chn_alarm0[65];  // camera alarm-output selection, texts 0 and 1
  char tri_chn_alarm1[65];
  char reserved[6];  // rounds the record to the store's 180 bytes
};
static_assert(sizeof(VideoLossRecord) == 180);
static_assert(offsetof(VideoLossRecord, tri_alarms) == 8);
static_assert(offsetof(VideoLossRecord, http_interval) == 40);
static_assert(offsetof(VideoLossRecord, tri_chn_alarm0) == 44);
static_assert(offsetof(VideoLossRecord, tri_chn_alarm1) == 109);
static_assert(std::is_trivially_copyable_v<VideoLossRecord>);

inline constexpr FieldDesc kVideoLossFields[] = {
    NVR_FIELD(VideoLossRecord, chn, "camId").range(0, kMaxChannels - 1),
    NVR_FIELD(VideoLossRecord, enable, "enable").range(0, 2),
    NVR_FIELD(VideoLossRecord, tri_alarms, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(VideoLossRecord, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(VideoLossRecord, email_enable, "email_enable"),
    NVR_FIELD(VideoLossRecord, email_interval, "email_interval"),
    NVR_FIELD(VideoLossRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(VideoLossRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(VideoLossRecord, white_interval, "white_interval"),
    NVR_FIELD(VideoLossRecord, audio_id, "audioId"),
    NVR_FIELD(VideoLossRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(VideoLossRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(VideoLossRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(VideoLossRecord, reserved, nullptr),
};

inline constexpr RecordKind kVideoLossKind{.name = "video_loss",
                                           NVR_KIND_FIELDS(VideoLossRecord, kVideoLossFields),
                                           .key = {"chn", 0, kMaxChannels - 1},
                                           .list_every_slot = true};
static_assert(record_kind_is_valid(kVideoLossKind));
NVR_STORE_KIND(VideoLossRecord, kVideoLossKind);

extern const EventLinkageDesc kVideoLossLinkage;

inline constexpr int kVideoLossPtzEventType = 2;
inline constexpr int kVideoLossChanged = 1402;  // int32 channel
inline constexpr int kVideoLossCopied = 1414;   // channel mask: the copy channels and the channel

// The schedule of "/6015" and "/6017": the video-loss audible schedule, so that what the
// schedule page writes is what it reads back.
int write_video_loss_schedule(const char* store, const ScheduleBlock* block, int channel);
int read_videoloss_audible_schedule(const char* store, ScheduleBlock* block, int channel);

// ---- Exceptions --------------------------------------------------------------------------

inline constexpr int kExceptionValues = 7;  // entries of the JSON array "exception"
inline constexpr int kExceptionTargets = 9;
inline constexpr int kExceptionsChanged = 2104;        // no payload
inline constexpr int kExceptionTargetsChanged = 3394;  // no payload

// The recorder's reaction to each exception kind, by position, and the e-mail interval of
// a failed recording. One record (key 0).
struct TriggerAlarmsRecord {
  int32_t exception[kExceptionValues];
  int32_t record_failed_mail_interval;
};
static_assert(sizeof(TriggerAlarmsRecord) == 32);
static_assert(offsetof(TriggerAlarmsRecord, record_failed_mail_interval) == 28);
static_assert(std::is_trivially_copyable_v<TriggerAlarmsRecord>);

inline constexpr FieldDesc kTriggerAlarmsFields[] = {
    NVR_FIELD(TriggerAlarmsRecord, exception, "exception"),
    NVR_FIELD(TriggerAlarmsRecord, record_failed_mail_interval, "recordFailedMailInterval"),
};
// A single record: the key column is no field, and only 0 is accepted.
inline constexpr RecordKind kTriggerAlarmsKind{
    .name = "trigger_alarms",
    NVR_KIND_FIELDS(TriggerAlarmsRecord, kTriggerAlarmsFields),
    .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kTriggerAlarmsKind));
NVR_STORE_KIND(TriggerAlarmsRecord, kTriggerAlarmsKind);

// The exception HTTP targets: HTTP notification records (linkage.h) in this table, each
// stored under its exception's position 0 to 8, which is also its exception id.
inline constexpr const char* kExceptHttpTable = "except_http_notification_params";

// The name of exception `index` (0 to 8) into text[size] (cut to size - 1): the member
// name of its target in "httpParams". 0, or -1 for an index without a name (text then
// empty): such an exception has no target on the pages.
int get_exception_name(int index, char* text, int size);
