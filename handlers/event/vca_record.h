// The smart-event linkage record (store kind "smart_event", one per channel 0 to 63 and
// event 0 to 8), the nine events' descriptions in the shared event-linkage model, and the
// store operations the smart-event pages name: the table names per event, the copy of an
// event's linkage to other channels, and the linkage save of the detection pages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event/instance_linkage_record.h"
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

// The recorder-side linkage of one smart event of one channel.
struct SmartEventTag {
  static constexpr const char* name = "smart_event";
  static constexpr const char* column = "event";
  static constexpr int first = 0;
  static constexpr int last = kSmartEvents - 1;
};
NVR_INSTANCE_LINKAGE_KIND(SmartEventRecord, kSmartEventKind, SmartEventTag);

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
