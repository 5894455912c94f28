// The save of an event's linkage, shared by every event kind (motion, video loss, alarm
// inputs, smart events, plate recognition, regional counting, POS, faces). A kind is
// described once -- its detection record, its schedules and their tables, its white-LED
// and HTTP tables, the request keys that overwrite record fields -- and this piece stores
// what a request carries, each part on its own, in a fixed order:
//
//   1. every schedule key present, decoded with its codec and written;
//   2. "whiteInfo" and "httpParams" when they decode;
//   3. the detection record read, and every scalar key present overlaid;
//   4. the PTZ linkage from "ptzChnId", "ptzType" and "ptzParams";
//   5. the record written when a scalar key was present or step 4 stored the linkage.
#pragma once

#include <cstdint>
#include <span>

#include "record.h"

struct json_object;

enum class ScheduleCodec : uint8_t {
  kStandard,  // get_schedule_by_json / get_schedule_json_object
  kSecond,    // the store's second schedule type (audible, e-mail, PTZ): the _ex codecs
  kCamera,    // the camera form (_ipc codecs)
};

struct LinkageSchedule {
  const char* json_key;  // "effective", "audible", "email", "ptz", "white", "httpSche"
  const char* table;     // store table of the schedule blocks
  ScheduleCodec codec;
};

struct EventLinkageDesc {
  const RecordKind* record;      // the detection record, keyed by event channel
  const char* record_table;      // table override of the record, or nullptr
  std::span<const LinkageSchedule> schedules;
  const char* white_table;       // white-LED lists ("whiteInfo"), or nullptr
  const char* http_table;        // HTTP targets ("httpParams"), or nullptr
  // Request keys overlaid on the record in step 3 (field name and the key the request
  // uses). Empty: every field that has a JSON key.
  std::span<const JsonKeyMap> scalar_keys;
  // Step 3's own work after the overlay (a mask rebuilt from a text, say); may be null.
  void (*after_overlay)(void* record, json_object* request);
  bool store_ptz;                // step 4 applies to this save
};

struct LinkageSaveResult {
  int scalars = 0;          // scalar keys applied
  bool record_written = false;
  bool ptz_stored = false;
  bool failed = false;      // a store call that should have stored did not
};

// Runs the save for `channel` (0 to 63) from the request object `request`. `record` is a
// buffer of record->size bytes that holds the record afterwards. Returns 0, or -1 when an
// argument is missing, the channel is out of range, or any store call failed (the other
// parts are still stored).
int event_linkage_save(const EventLinkageDesc& desc, json_object* request, int channel,
                       void* record, LinkageSaveResult* result);

// Reads the schedule of `table` for the channel and returns it in the codec's JSON form.
json_object* linkage_schedule_json(const LinkageSchedule& schedule, int channel);
