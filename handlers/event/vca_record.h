// The smart-event linkage record (store kind "smart_event", one per channel 0 to 63 and
// event 0 to 8), the nine events' descriptions in the shared event-linkage model, and the
// store operations the smart-event pages name: the table names per event, the copy of an
// event's linkage to other channels, and the linkage save of the detection pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kSmartEvents = 9;  // 0 region entrance ... 8 object left or removed
inline constexpr int kSmartEventLine = 4;
inline constexpr int kSmartEventPeople = 7;
inline constexpr int kSmartEventObject = 8;
inline constexpr int kSmartEventChanged = 1412;  // channel mask

constexpr bool smart_event_valid(int64_t event) {
  return event >= 0 && event < kSmartEvents;
}

// The recorder-side linkage of one smart event of one channel. Layout chosen for the
// store's 328 bytes: the integers, the four 65-byte texts, room to grow.
struct SmartEventRecord {
  int32_t chn;
  int32_t event;
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
static_assert(sizeof(SmartEventRecord) == 328);
static_assert(offsetof(SmartEventRecord, tri_channels) == 52);
static_assert(std::is_trivially_copyable_v<SmartEventRecord>);

inline constexpr FieldDesc kSmartEventFields[] = {
    NVR_FIELD(SmartEventRecord, chn, "chnid"),
    NVR_FIELD(SmartEventRecord, event, nullptr),
    NVR_FIELD(SmartEventRecord, enable, "enable").range(0, 1),
    NVR_FIELD(SmartEventRecord, trigger_mask, nullptr),
    NVR_FIELD(SmartEventRecord, tri_alarms, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(SmartEventRecord, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(SmartEventRecord, email_interval, "email_interval"),
    NVR_FIELD(SmartEventRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(SmartEventRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(SmartEventRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(SmartEventRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(SmartEventRecord, tri_channels, "triChannels"),
    NVR_FIELD(SmartEventRecord, white_interval, "white_interval"),
    NVR_FIELD(SmartEventRecord, audio_id, "audioId"),
    NVR_FIELD(SmartEventRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(SmartEventRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(SmartEventRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(SmartEventRecord, reserved, nullptr),
};
inline constexpr RecordKind kSmartEventKind{.name = "smart_event",
                                            NVR_KIND_FIELDS(SmartEventRecord, kSmartEventFields),
                                            .key = {"chn", 0, kMaxChannels - 1},
                                            .key2 = {"event", 0, kSmartEvents - 1}};
static_assert(record_kind_is_valid(kSmartEventKind));
NVR_STORE_KIND(SmartEventRecord, kSmartEventKind);

// Event e's description, e = 0 to 8.
extern const EventLinkageDesc kSmartEventLinkage[kSmartEvents];
// "/6149": the record's keys with "enable", without the HTTP and PTZ parts.
extern const LinkageSaveScope kSmartEventScheduleScope;

int read_smart_event(const char* store, SmartEventRecord* record, int channel, int event);
int write_smart_event(const char* store, const SmartEventRecord& record);

// The white-LED and HTTP tables of event 0 to 8; nullptr for any other event.
const char* get_vca_white_table_name(int event);
const char* get_vca_http_table_name(int event);

// Copies event `event`'s linkage of `channel` to every channel of `mask`. 0, or -1 when the
// event or channel is out of range or a part failed.
int copy_smart_event_action(int event, int channel, uint64_t mask);

// The channel mask of a "copyChn" text: bit n for a "1" at character n (0 to 63).
uint64_t get_channel_mask(const char* text);
// Sets bit `bit` (0 to 63) of the mask; other bits leave it as it is.
void dv_set_bit(uint64_t* mask, int bit);

enum class SmartEventSave {
  kSkipped,  // the event, the object or its "chnid" was missing or out of range
  kSaved,
  kFailed,  // a store call failed; what did reach the store was still announced
};

// The linkage save of the detection pages: the linkage object `dialog` ("chnid" 0 to 63)
// stored for event 0 to 8, copied to the channels of `copy_mask`, and notice 1412 sent
// with the copy mask (when the copy went through) and the channel's own bit.
SmartEventSave save_smart_event_dialog_data(int event, json_object* dialog, uint64_t copy_mask);
