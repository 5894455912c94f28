// The event-linkage model shared by every event kind (motion, video loss, alarm inputs,
// smart events, plate recognition, regional counting, POS, faces): a detection record per
// event channel, its weekly schedules, the white-LED lamps, the HTTP target and the PTZ
// actions the event sets off, and the notice that tells the core a kind's settings changed.
//
// A kind is described once by an EventLinkageDesc -- how its records are addressed, its
// schedules and their tables, its white-LED and HTTP tables, its PTZ event type, the
// request keys its saves overlay, the key order of its getter, its notices -- and this
// piece does the rest:
//
//   event_linkage_save    stores what a request carries, each part on its own, in order:
//                           1. every schedule key present, decoded with its codec, written;
//                           2. "whiteInfo" and "httpParams" when they decode;
//                           3. the record read, and every scalar key present overlaid
//                              ("triChnAlarms" and the trigger mask included);
//                           4. the PTZ linkage from "ptzChnId", "ptzType", "ptzParams";
//                           5. the record written when a scalar key was present or step 4
//                              stored the linkage;
//   event_linkage_json    the getter's object, keys in the kind's order;
//   event_linkage_copy    the record, every schedule, the white-LED list, the HTTP target
//                         and the PTZ linkage of one channel copied to a channel mask;
//   event_linkage_notify  the change notice (and the copy notice) to the core.
//
// A kind with several instances per channel (smart events 0 to 8, plate list modes,
// counting regions) describes each instance with its own tables and `index`.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <type_traits>

#include "core_channels.h"
#include "dvsocket.h"
#include "field_table.h"

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
  bool http = false;  // belongs to the HTTP notification (left out of saves without it)
};

// What one key of a getter's answer holds.
enum class LinkageValue : uint8_t {
  kField,          // a record field: `field`, or the field whose JSON key is the key
  kSchedule,       // the description's schedule of this JSON key
  kAlarmOutTexts,  // the two camera alarm-output texts (`alarm_out_fields`)
  kWhiteInfo,      // the white-LED list
  kHttpParams,     // the HTTP notification target
  kPtzParams,      // the PTZ linkage of `ptz_event_type`
  kAudioIdMask,    // the alarm sound files in use
  kIndex,          // the instance's `index` ("event", "mode")
};

struct LinkageKey {
  const char* json_key;
  LinkageValue value = LinkageValue::kField;
  const char* field = nullptr;  // kField only: a field name other than the key's own
};

// The "action" object of the camera-side event pages (POS, face capture, regional
// counting), in its answer order. The regional page's objects start after "effective": its
// detection schedule travels to the camera instead.
inline constexpr LinkageKey kActionObjectGetter[] = {
    {"effective", LinkageValue::kSchedule},
    {"audible", LinkageValue::kSchedule},
    {"interval"},
    {"audioId"},
    {"email", LinkageValue::kSchedule},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz", LinkageValue::kSchedule},
    {"ptz_interval"},
    {"ptzParams", LinkageValue::kPtzParams},
    {"white", LinkageValue::kSchedule},
    {"whiteInfo", LinkageValue::kWhiteInfo},
    {"white_interval"},
    {"httpSche", LinkageValue::kSchedule},
    {"httpParams", LinkageValue::kHttpParams},
    {"http_notification_interval"},
    {"alarmout_interval"},
    {"triAlarms"},
    {"triChannels"},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
};

// The payload of a notice to the core (all sent without waiting).
enum class NoticeForm : uint8_t {
  kNone,          // the kind sends no such notice
  kChannel,       // int32 channel
  kChannelMask,   // channel mask (two 32-bit words, low first): the copy mask plus the channel
  kMask,          // channel mask: the copy mask alone
  kChannelIndex,  // int32 channel, int32 index
};

struct LinkageNotice {
  int type = 0;
  NoticeForm form = NoticeForm::kNone;
};

struct EventLinkageDesc {
  const RecordKind* record = nullptr;  // the detection record, keyed by event channel
  const char* record_table = nullptr;  // table override of the record
  // The instance within a channel (smart-event index, list mode, region): the record's
  // second key when its kind has one, the value of LinkageValue::kIndex, and the second
  // word of a kChannelIndex notice. 0 for kinds with one instance per channel.
  int index = 0;
  std::span<const LinkageSchedule> schedules = {};
  const char* white_table = nullptr;  // white-LED lists ("whiteInfo"), or nullptr
  const char* http_table = nullptr;   // HTTP targets ("httpParams"), or nullptr
  int ptz_event_type = -1;            // PTZ linkage event type; -1: the kind has none
  // Request keys overlaid on the record by a full save (a pick of the record's fields).
  // Empty: every field that has a JSON key.
  FieldKeys scalar_keys = {};
  // The trigger-channel text and the mask rebuilt from it (bit i for a "1" at position
  // i, 0 to 31), or nullptr when the kind has none. Named with field_named(kind, "...").
  const FieldDesc* trigger_text_field = nullptr;
  const FieldDesc* trigger_mask_field = nullptr;
  // The two camera alarm-output text fields ("triChnAlarms"), or nullptr.
  const FieldDesc* alarm_out_fields[2] = {nullptr, nullptr};
  // Step 3's own work after the overlay (a mode set with an interval, say); may be null.
  void (*after_overlay)(void* record, json_object* request) = nullptr;
  std::span<const LinkageKey> getter = {};  // the getter's keys, in answer order
  LinkageNotice notice = {};                // after a change of one channel
  LinkageNotice copy_notice = {};           // after a copy, with the copy mask
};

// Which parts a save touches. The default is the full save; some pages save the linkage
// without its HTTP and PTZ parts, or overlay fewer keys.
struct LinkageSaveScope {
  FieldKeys keys;    // overrides desc.scalar_keys when not empty
  bool http = true;  // "httpSche", "httpParams"
  bool ptz = true;   // "ptzChnId", "ptzType", "ptzParams"
  // "ptzParams" alone, for the description's own event type and the save's channel: pages
  // that send no "ptzChnId"/"ptzType", and cannot reach another kind's linkage through them.
  bool ptz_own = false;
};

struct LinkageSaveResult {
  int scalars = 0;  // scalar keys applied (each alarm-output text array counts once)
  bool record_written = false;
  bool ptz_stored = false;
  bool stored = false;  // some part reached the store: the core must be told
  bool failed = false;  // a store call that should have stored did not
};

namespace linkage_detail {

// True when `field` is null, or one of the kind's fields and a text (or an integer).
consteval bool field_of(const RecordKind& kind, const FieldDesc* field, bool text) {
  if (field == nullptr) return true;
  for (int i = 0; i < kind.field_count; ++i)
    if (&kind.fields[i] == field)
      return text ? field->type == FieldType::kText : record_detail::is_integer(field->type);
  return false;
}

consteval bool getter_key_resolves(const EventLinkageDesc& desc, const LinkageKey& key) {
  using record_detail::same_name;
  switch (key.value) {
    case LinkageValue::kField:
      for (int i = 0; i < desc.record->field_count; ++i)
        if (key.field != nullptr ? same_name(desc.record->fields[i].name, key.field)
                                 : same_name(desc.record->fields[i].json_key, key.json_key))
          return true;
      return false;
    case LinkageValue::kSchedule:
      for (const LinkageSchedule& s : desc.schedules)
        if (same_name(s.json_key, key.json_key)) return true;
      return false;
    case LinkageValue::kWhiteInfo:
      return desc.white_table != nullptr;
    case LinkageValue::kHttpParams:
      return desc.http_table != nullptr;
    case LinkageValue::kAlarmOutTexts:
      return desc.alarm_out_fields[0] != nullptr && desc.alarm_out_fields[1] != nullptr;
    default:
      return true;
  }
}

}  // namespace linkage_detail

// True when everything the description names belongs to its record kind: the picked scalar
// keys, the trigger and alarm-output fields (texts, and an integer mask), and every getter
// key (a field, a schedule of the description, its white-LED or HTTP table). Use it in a
// static_assert beside the description, so that a name its kind lacks fails the build.
consteval bool event_linkage_desc_is_valid(const EventLinkageDesc& desc) {
  using namespace linkage_detail;
  if (desc.record == nullptr || !record_kind_is_valid(*desc.record)) return false;
  if (!desc.scalar_keys.keys.empty() && desc.scalar_keys.kind != desc.record) return false;
  if ((desc.trigger_text_field == nullptr) != (desc.trigger_mask_field == nullptr)) return false;
  if (!field_of(*desc.record, desc.trigger_text_field, true) ||
      !field_of(*desc.record, desc.trigger_mask_field, false) ||
      !field_of(*desc.record, desc.alarm_out_fields[0], true) ||
      !field_of(*desc.record, desc.alarm_out_fields[1], true))
    return false;
  for (const LinkageKey& key : desc.getter)
    if (!getter_key_resolves(desc, key)) return false;
  return true;
}

// The check in a static_assert beside a description. GCC's sanitizer builds refuse to
// compare the address of an inline variable with null in a constant expression, so there
// the plain build alone makes it.
#if defined(__SANITIZE_ADDRESS__)
#define NVR_CHECK_LINKAGE_DESC(desc) static_assert(true)
#else
#define NVR_CHECK_LINKAGE_DESC(desc) \
  static_assert(event_linkage_desc_is_valid(desc), "the description names what its kind lacks")
#endif

// Runs the save for `channel` (0 to 63) from the request object `request`. `record` is a
// buffer of record->size bytes that holds the record afterwards (as read and overlaid).
// Returns 0, or -1 when an argument is missing, the channel is out of range, or any store
// call failed (the other parts are still stored).
int event_linkage_save(const EventLinkageDesc& desc, json_object* request, int channel,
                       void* record, LinkageSaveResult* result, const LinkageSaveScope& scope = {});

// The getter's object for `channel`: the keys of desc.getter in order. nullptr when the
// channel is outside 0 to 63 or the record cannot be read (the caller answers its error).
json_object* event_linkage_json(const EventLinkageDesc& desc, int channel);

// Copies the linkage of `channel` to every channel of `mask`: `record` (the caller's
// version of the detection record; nullptr reads the stored one), each schedule, the
// white-LED list, the HTTP target and the PTZ linkage, each read from `channel`. Every
// part is copied even when another fails. 0, or -1 when the channel is out of range or
// any read or copy failed. An empty mask copies nothing and returns 0.
int event_linkage_copy(const EventLinkageDesc& desc, int channel, const void* record,
                       uint64_t mask);

// The same without the detection record: each schedule, the white-LED list, the HTTP
// target and the PTZ linkage of `channel`, for kinds whose records keep per-channel fields
// (names, enables) that a copy must not carry over. Same results.
int event_linkage_copy_parts(const EventLinkageDesc& desc, int channel, uint64_t mask);

// Sends desc.notice for `channel` (kChannelMask adds `copy_mask`), through `callback`.
// Returns 0, or -1 when the kind has no such notice or the channel is out of range.
int event_linkage_notify(const EventLinkageDesc& desc, dv_sock_callback callback, int channel,
                         uint64_t copy_mask = 0);
// Sends desc.copy_notice with `mask`. 0, or -1 when the kind has none.
int event_linkage_notify_copy(const EventLinkageDesc& desc, dv_sock_callback callback,
                              uint64_t mask);

// Rebuilds the trigger mask of `record` from its trigger-channel text (no-op for a kind
// without them).
void event_linkage_rebuild_trigger_mask(const EventLinkageDesc& desc, void* record);

// Reads the schedule of `table` for the channel and returns it in the codec's JSON form.
json_object* linkage_schedule_json(const LinkageSchedule& schedule, int channel);

// ---- One schedule of a kind ----------------------------------------------------------------

struct ScheduleBlock;

// The description's schedule of `json_key`, or nullptr.
const LinkageSchedule* linkage_schedule_of(const EventLinkageDesc& desc, const char* json_key);
// Decodes request[key] with the schedule's codec into `block`. 0, or -1 when absent or
// malformed.
int linkage_schedule_decode(const LinkageSchedule& schedule, json_object* request, const char* key,
                            ScheduleBlock* block);
