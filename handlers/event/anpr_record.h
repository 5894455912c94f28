// The plate event linkage record (store kind "anpr_event", one per channel 0 to 63 and list
// mode -1 to 2), the four modes' descriptions in the shared event-linkage model, and the
// linkage save of the plate pages.
//
// Modes: 0 black list, 1 white list, 2 visitor; -1 is the recognition's own switch and
// schedule, which carries only the "effective" schedule and the record's plain values -- no
// white-LED lamps, HTTP target or PTZ actions, and so no tables of another mode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kAnprModeFirst = -1;
inline constexpr int kAnprModeLast = 2;
inline constexpr int kAnprModes = kAnprModeLast - kAnprModeFirst + 1;

constexpr bool anpr_mode_valid(int64_t mode) {
  return mode >= kAnprModeFirst && mode <= kAnprModeLast;
}

// The recorder-side linkage of one list mode of one channel; the smart-event record's
// layout with the mode as its second key.
struct AnprEventRecord {
  int32_t chn;
  int32_t mode;
  int32_t enable;
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
  unsigned char reserved[16];
};
static_assert(sizeof(AnprEventRecord) == 328);
static_assert(offsetof(AnprEventRecord, tri_channels) == 52);
static_assert(std::is_trivially_copyable_v<AnprEventRecord>);

inline constexpr FieldDesc kAnprEventFields[] = {
    NVR_FIELD(AnprEventRecord, chn, "chnid"),
    NVR_FIELD(AnprEventRecord, mode, nullptr),
    NVR_FIELD(AnprEventRecord, enable, "enable").range(0, 1),
    NVR_FIELD(AnprEventRecord, trigger_mask, nullptr),
    NVR_FIELD(AnprEventRecord, tri_alarms, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(AnprEventRecord, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(AnprEventRecord, email_interval, "email_interval"),
    NVR_FIELD(AnprEventRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(AnprEventRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(AnprEventRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(AnprEventRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(AnprEventRecord, tri_channels, "triChannels"),
    NVR_FIELD(AnprEventRecord, white_interval, "white_interval"),
    NVR_FIELD(AnprEventRecord, audio_id, "audioId"),
    NVR_FIELD(AnprEventRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(AnprEventRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(AnprEventRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(AnprEventRecord, reserved, nullptr),
};
inline constexpr RecordKind kAnprEventKind{.name = "anpr_event",
                                           NVR_KIND_FIELDS(AnprEventRecord, kAnprEventFields),
                                           .key = {"chn", 0, kMaxChannels - 1},
                                           .key2 = {"mode", kAnprModeFirst, kAnprModeLast}};
static_assert(record_kind_is_valid(kAnprEventKind));
NVR_STORE_KIND(AnprEventRecord, kAnprEventKind);

// The description of `mode` (-1 to 2); nullptr for any other mode.
const EventLinkageDesc* anpr_linkage(int mode);

int read_anpr_event(const char* store, AnprEventRecord* record, int channel, int mode);
// Stores the record under its own channel and the mode given.
int write_anpr_event(const char* store, AnprEventRecord* record, int mode);

// The linkage save of the plate pages: the schedules, lamps, HTTP target, PTZ actions and
// plain values of `object` stored for (channel, mode), each part as the mode has it.
// `record` holds the mode's record afterwards (as read and overlaid). 0, or -1 when the
// object is missing, the channel or mode is out of range, or a store call failed (the
// other parts are still stored; result->stored tells whether the core must hear of it).
int save_anpr_dialog_data(json_object* object, AnprEventRecord* record, int mode, int channel,
                          LinkageSaveResult* result);
