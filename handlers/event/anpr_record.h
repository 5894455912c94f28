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

#include "event/instance_linkage_record.h"
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

// The recorder-side linkage of one list mode of one channel.
struct AnprEventTag {
  static constexpr const char* name = "anpr_event";
  static constexpr const char* column = "mode";
  static constexpr int first = kAnprModeFirst;
  static constexpr int last = kAnprModeLast;
};
NVR_INSTANCE_LINKAGE_KIND(AnprEventRecord, kAnprEventKind, AnprEventTag);

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
