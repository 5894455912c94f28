// The records that every event kind shares with its linkage: weekly schedules, the PTZ
// actions an event triggers, the white-LED lamps it switches on, its HTTP notification
// target, and the alarm sound files. Each is a fixed layout plus a store kind; the
// operations below are the named store calls the handlers use.
//
// Implemented in links/linkage_store.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <type_traits>

#include "field_table.h"

inline constexpr int kMaxChannels = 64;

// ---- Schedule block -------------------------------------------------------------------

inline constexpr int kScheduleDays = 8;
inline constexpr int kScheduleSections = 48;

struct ScheduleSection {
  char start[32];  // "HH:MM"
  char end[32];
  int32_t action;
};
struct ScheduleDay {
  ScheduleSection section[kScheduleSections];
  int32_t wholeDay;  // the row applies to the whole day; for camera forms: row holds data
  int32_t wholeDayAction;
};
struct ScheduleBlock {
  ScheduleDay day[kScheduleDays];
};
static_assert(sizeof(ScheduleSection) == 68);
static_assert(sizeof(ScheduleDay) == 3272);
static_assert(sizeof(ScheduleBlock) == 26176);
static_assert(offsetof(ScheduleDay, wholeDay) == 3264);
static_assert(std::is_trivially_copyable_v<ScheduleBlock>);

// Field tables of one section and one day row, for every kind that holds schedule rows
// (the schedule kind below, and the record schedules of the recording settings). Not
// `inline`: each file keeps its own copy, so that their addresses stay constants that
// record_kind_is_valid can test at compile time in every build (an inline variable's
// address is not one under the sanitizers).
constexpr FieldDesc kScheduleSectionFields[] = {
    NVR_FIELD(ScheduleSection, start, "startTime"),
    NVR_FIELD(ScheduleSection, end, "endTime"),
    NVR_FIELD(ScheduleSection, action, "actionType"),
};
constexpr RecordKind kScheduleSectionKind{.name = "schedule_section",
                                          NVR_KIND_FIELDS(ScheduleSection, kScheduleSectionFields)};

constexpr FieldDesc kScheduleDayFields[] = {
    NVR_NESTED(ScheduleDay, section, nullptr, kScheduleSectionKind),
    NVR_FIELD(ScheduleDay, wholeDay, nullptr),
    NVR_FIELD(ScheduleDay, wholeDayAction, nullptr),
};
constexpr RecordKind kScheduleDayKind{.name = "schedule_day",
                                      NVR_KIND_FIELDS(ScheduleDay, kScheduleDayFields)};
static_assert(record_kind_is_valid(kScheduleDayKind));

// One schedule per channel (0 to 63) in a named table ("motion_esche",
// "motion_http_notification_sche", ...). A schedule never written reads as all zero.
extern const RecordKind kScheduleKind;
int read_schedule(const char* store, const char* table, int channel, ScheduleBlock* block);
int write_schedule(const char* store, const char* table, int channel, const ScheduleBlock* block);
// Stores the block for every channel selected by the mask, in one transaction.
int copy_schedule(const char* store, const char* table, const ScheduleBlock* block, uint64_t mask);

// ---- PTZ linkage ----------------------------------------------------------------------

inline constexpr int kPtzLinkEntries = 64;
inline constexpr int kPeopleCountPtzEntries = 16;
inline constexpr int kPtzEventTypeMax = 255;
inline constexpr int kPtzEventPeopleCount = 20;

struct PtzLinkEntry {
  int32_t eventChn;  // the channel whose event triggers the action
  int32_t ptzChn;    // the channel whose PTZ unit moves; 0 or less: empty entry
  int32_t reserved;
  int32_t actionType;  // 1 preset, 2 patrol, 3 pattern
  int32_t preset;
  int32_t patrol;
  int32_t pattern;
};
struct PtzLinkBlock {
  PtzLinkEntry entry[kPtzLinkEntries];
};
static_assert(sizeof(PtzLinkEntry) == 28);
static_assert(sizeof(PtzLinkBlock) == 1792);
static_assert(std::is_trivially_copyable_v<PtzLinkBlock>);

// One block per (event type, event channel). `count` is the number of entries read: 64
// for a stored block, 0 for one never written (which reads as all zero).
extern const RecordKind kPtzLinkKind;
int read_ptz_params(const char* store, PtzLinkBlock* block, int event_type, int channel,
                    int* count);
int write_ptz_params_all(const char* store, const PtzLinkBlock* block, int event_type, int channel);
// Stores the block under the event type for every channel selected by the mask; each copy's
// entries carry their own channel as the event channel.
int copy_ptz_params_all(const char* store, const PtzLinkBlock* block, int event_type,
                        uint64_t mask);
// People counting keeps its own table of at most 16 entries per channel; the block's
// first 16 entries are stored and read (count 16, or 0 when never written).
int read_peoplecnt_ptz_params(const char* store, PtzLinkBlock* block, int channel, int* count);
int write_peoplecnt_ptz_params_ex(const char* store, const PtzLinkBlock* block, int channel);

// ---- White-LED linkage ----------------------------------------------------------------

inline constexpr int kWhiteLedEntries = 16;

struct WhiteLedEntry {
  int32_t eventChn;
  int32_t chnid;  // lamp channel
  int32_t mode;
  int32_t time;
};
// The list of one event channel. The count is kept beside the entries because a zero
// entry is a valid lamp setting and cannot mark the end of the list.
struct WhiteLedSlot {
  WhiteLedEntry entry[kWhiteLedEntries];
  int32_t count;
};
// One slot for every event channel 0 to 63, so that no channel shares or overruns another's.
struct WhiteLedSlots {
  WhiteLedSlot slot[kMaxChannels];
};
static_assert(sizeof(WhiteLedEntry) == 16);
static_assert(sizeof(WhiteLedSlot) == 260);
static_assert(std::is_trivially_copyable_v<WhiteLedSlots>);

struct WhiteLedTarget {
  int channel;
  char table[64];
};

// Lists live in named tables ("motion_white_led_params", ...), one per event channel.
extern const RecordKind kWhiteLedKind;
int read_whiteled_params(const char* store, WhiteLedSlot* slot, const WhiteLedTarget* target,
                         int* count);
int write_whiteled_params_all(const char* store, const WhiteLedSlot* slot, const char* table,
                              int channel);
int copy_whiteled_params(const char* store, const WhiteLedSlot* slot, const char* table,
                         uint64_t mask);
// People counting's list, in its own table.
int read_peoplecnt_wled_params(const char* store, WhiteLedEntry* entries, int channel, int* count);
int write_peoplecnt_wled_params_all(const char* store, const WhiteLedEntry* entries, int count,
                                    int channel);

// ---- HTTP notification target ---------------------------------------------------------

struct HttpNotifyRecord {
  int32_t chn;
  char url[513];
  char username[97];
  char password[65];
  char fill;
};
static_assert(sizeof(HttpNotifyRecord) == 680);
static_assert(offsetof(HttpNotifyRecord, url) == 4);
static_assert(offsetof(HttpNotifyRecord, username) == 517);
static_assert(offsetof(HttpNotifyRecord, password) == 614);
static_assert(std::is_trivially_copyable_v<HttpNotifyRecord>);

// One target per (table, event channel); channel is record->chn.
extern const RecordKind kHttpNotifyKind;
int read_http_notification_params(const char* store, HttpNotifyRecord* record, const char* table,
                                  int channel);
int write_http_notification_params(const char* store, const HttpNotifyRecord* record,
                                   const char* table);
int copy_http_notification_params(const char* store, const HttpNotifyRecord* record,
                                  const char* table, uint64_t mask);

// ---- Alarm audio files ----------------------------------------------------------------

inline constexpr int kAlarmAudioFiles = 10;

struct AlarmAudioFile {
  int32_t id;
  int32_t enable;  // 1 when the entry is in use
  char name[128];  // URL-safe Base64 of the file name
};
static_assert(sizeof(AlarmAudioFile) == 136);
static_assert(std::is_trivially_copyable_v<AlarmAudioFile>);

extern const RecordKind kAlarmAudioFileKind;
// All ten entries in id order (*count = 10); entries never written are free.
int read_alarm_audio_file(const char* store, AlarmAudioFile* files, int* count);
int write_alarm_audio_file(const char* store, const AlarmAudioFile* file);

// The store kinds of the links, beside those each module lists in its registry.
inline constexpr const RecordKind* kLinkageKinds[] = {&kScheduleKind, &kPtzLinkKind, &kWhiteLedKind,
                                                      &kHttpNotifyKind, &kAlarmAudioFileKind};

// ---- Single PTZ linkage entries ------------------------------------------------------------
// One entry merged into the block of (event type, entry.eventChn): it replaces the entry
// with the same PTZ channel, or takes the first empty slot. People counting (type 20)
// keeps its first 16 slots only. 0, or -1 for a channel or PTZ channel out of range, a
// full block, or a store failure.

// The event types that have PTZ linkage blocks: 0, 1, 2, 5 to 17, 20, 21, 26, 27 to 30.
bool ptz_event_type_known(int event_type);
int write_ptz_params(const char* store, const PtzLinkEntry* entry, int event_type);
int write_peoplecnt_ptz_params(const char* store, const PtzLinkEntry* entry);
// The entry moves from event channel `old_channel` (its PTZ channel's entry there is
// removed) to entry.eventChn, merged as above.
int update_ptz_params(const char* store, const PtzLinkEntry* entry, int event_type,
                      int old_channel);
int update_peoplecnt_ptz_params(const char* store, const PtzLinkEntry* entry, int old_channel);
// Empties every entry of `ptz_channel` in the block of (event type, channel); deleting an
// entry that is not there succeeds.
int delete_ptz_params(const char* store, int event_type, int channel, int ptz_channel);
int delete_peoplecnt_ptz_params(const char* store, int channel, int ptz_channel);
