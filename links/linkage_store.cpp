// Field tables and store operations of the shared linkage records (linkage.h).
#include "linkage.h"

#include <cstring>
#include <iterator>

#include "dvdb.h"

namespace {

constexpr FieldDesc kScheduleFields[] = {
    NVR_NESTED(ScheduleBlock, day, nullptr, kScheduleDayKind),
};

constexpr FieldDesc kPtzEntryFields[] = {
    NVR_FIELD(PtzLinkEntry, eventChn, nullptr),
    NVR_FIELD(PtzLinkEntry, ptzChn, "acto_ptz_channel"),
    NVR_FIELD(PtzLinkEntry, reserved, nullptr),
    NVR_FIELD(PtzLinkEntry, actionType, "acto_ptz_type"),
    NVR_FIELD(PtzLinkEntry, preset, "acto_ptz_preset"),
    NVR_FIELD(PtzLinkEntry, patrol, "acto_ptz_patrol"),
    NVR_FIELD(PtzLinkEntry, pattern, "acto_ptz_pattern"),
};
constexpr RecordKind kPtzEntryKind{.name = "ptz_link_entry",
                                   NVR_KIND_FIELDS(PtzLinkEntry, kPtzEntryFields)};
constexpr FieldDesc kPtzBlockFields[] = {
    NVR_NESTED(PtzLinkBlock, entry, nullptr, kPtzEntryKind),
};

constexpr FieldDesc kWhiteEntryFields[] = {
    NVR_FIELD(WhiteLedEntry, eventChn, nullptr),
    NVR_FIELD(WhiteLedEntry, chnid, "chnid"),
    NVR_FIELD(WhiteLedEntry, mode, "mode"),
    NVR_FIELD(WhiteLedEntry, time, "time"),
};
constexpr RecordKind kWhiteEntryKind{.name = "white_led_entry",
                                     NVR_KIND_FIELDS(WhiteLedEntry, kWhiteEntryFields)};
constexpr FieldDesc kWhiteSlotFields[] = {
    NVR_NESTED(WhiteLedSlot, entry, nullptr, kWhiteEntryKind),
    NVR_FIELD(WhiteLedSlot, count, nullptr).range(0, kWhiteLedEntries),
};

constexpr FieldDesc kHttpFields[] = {
    NVR_FIELD(HttpNotifyRecord, chn, "chnId"),
    NVR_FIELD(HttpNotifyRecord, url, "url"),
    NVR_FIELD(HttpNotifyRecord, username, "username"),
    NVR_FIELD(HttpNotifyRecord, password, "password"),
};

constexpr FieldDesc kAudioFields[] = {
    NVR_FIELD(AlarmAudioFile, id, "id"),
    NVR_FIELD(AlarmAudioFile, enable, "enable"),
    NVR_FIELD(AlarmAudioFile, name, "name"),
};

constexpr const char* kPeopleCountPtzTable = "peoplecnt_ptz_params";
constexpr const char* kPeopleCountWhiteTable = "peoplecnt_whiteled_params";

bool valid_channel(int channel) {
  return channel >= 0 && channel < kMaxChannels;
}

}  // namespace

constexpr RecordKind kScheduleKind{.name = "schedule",
                                   NVR_KIND_FIELDS(ScheduleBlock, kScheduleFields),
                                   .key = {"channel", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kScheduleKind));

constexpr RecordKind kPtzLinkKind{.name = "ptz_params",
                                  NVR_KIND_FIELDS(PtzLinkBlock, kPtzBlockFields),
                                  .key = {"channel", 0, kMaxChannels - 1},
                                  .key2 = {"event_type", 0, kPtzEventTypeMax}};
static_assert(record_kind_is_valid(kPtzLinkKind));

constexpr RecordKind kWhiteLedKind{.name = "whiteled_params",
                                   NVR_KIND_FIELDS(WhiteLedSlot, kWhiteSlotFields),
                                   .key = {"channel", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kWhiteLedKind));

constexpr RecordKind kHttpNotifyKind{.name = "http_notification_params",
                                     NVR_KIND_FIELDS(HttpNotifyRecord, kHttpFields),
                                     .key = {"chn", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kHttpNotifyKind));

constexpr RecordKind kAlarmAudioFileKind{.name = "alarm_audio_file",
                                         NVR_KIND_FIELDS(AlarmAudioFile, kAudioFields),
                                         .key = {"id", 0, kAlarmAudioFiles - 1},
                                         .list_every_slot = true};
static_assert(record_kind_is_valid(kAlarmAudioFileKind));

int read_schedule(const char* store, const char* table, int channel, ScheduleBlock* block) {
  return store_read(store, kScheduleKind, channel, block, nullptr, table);
}

int write_schedule(const char* store, const char* table, int channel, const ScheduleBlock* block) {
  return store_write(store, kScheduleKind, channel, block, table);
}

int copy_schedule(const char* store, const char* table, const ScheduleBlock* block, uint64_t mask) {
  return store_copy_mask(store, kScheduleKind, block, mask, 0, table);
}

int read_ptz_params(const char* store, PtzLinkBlock* block, int event_type, int channel,
                    int* count) {
  bool stored = false;
  int rc = store_read(store, kPtzLinkKind, RecordKey(channel, event_type), block, &stored);
  if (count != nullptr) *count = rc == 0 && stored ? kPtzLinkEntries : 0;
  return rc;
}

int write_ptz_params_all(const char* store, const PtzLinkBlock* block, int event_type,
                         int channel) {
  return store_write(store, kPtzLinkKind, RecordKey(channel, event_type), block);
}

int copy_ptz_params_all(const char* store, const PtzLinkBlock* block, int event_type,
                        uint64_t mask) {
  // Each channel's copy names that channel as the one whose event triggers the actions.
  for (int c = 0; c < kMaxChannels; ++c) {
    if (((mask >> c) & 1u) == 0) continue;
    PtzLinkBlock copy = *block;
    for (PtzLinkEntry& e : copy.entry) e.eventChn = c;
    if (write_ptz_params_all(store, &copy, event_type, c) != 0) return -1;
  }
  return 0;
}

int read_peoplecnt_ptz_params(const char* store, PtzLinkBlock* block, int channel, int* count) {
  bool stored = false;
  std::memset(block, 0, sizeof *block);
  int rc = store_read(store, kPtzLinkKind, RecordKey(channel, kPtzEventPeopleCount), block, &stored,
                      kPeopleCountPtzTable);
  if (count != nullptr) *count = rc == 0 && stored ? kPeopleCountPtzEntries : 0;
  return rc;
}

int write_peoplecnt_ptz_params_ex(const char* store, const PtzLinkBlock* block, int channel) {
  PtzLinkBlock first16{};
  std::memcpy(first16.entry, block->entry, sizeof(PtzLinkEntry) * kPeopleCountPtzEntries);
  return store_write(store, kPtzLinkKind, RecordKey(channel, kPtzEventPeopleCount), &first16,
                     kPeopleCountPtzTable);
}

int read_whiteled_params(const char* store, WhiteLedSlot* slot, const WhiteLedTarget* target,
                         int* count) {
  if (slot == nullptr || target == nullptr || !valid_channel(target->channel)) {
    if (count != nullptr) *count = 0;
    return -1;
  }
  char table[64];
  std::strncpy(table, target->table, sizeof table - 1);
  table[sizeof table - 1] = '\0';
  int rc = store_read(store, kWhiteLedKind, target->channel, slot, nullptr, table);
  int n = slot->count;
  if (n < 0 || n > kWhiteLedEntries) n = n < 0 ? 0 : kWhiteLedEntries;
  if (count != nullptr) *count = rc == 0 ? n : 0;
  return rc;
}

int write_whiteled_params_all(const char* store, const WhiteLedSlot* slot, const char* table,
                              int channel) {
  if (slot == nullptr || !valid_channel(channel)) return -1;
  return store_write(store, kWhiteLedKind, channel, slot, table);
}

int copy_whiteled_params(const char* store, const WhiteLedSlot* slot, const char* table,
                         uint64_t mask) {
  for (int c = 0; c < kMaxChannels; ++c) {
    if (((mask >> c) & 1u) == 0) continue;
    WhiteLedSlot copy = *slot;
    for (WhiteLedEntry& e : copy.entry) e.eventChn = c;
    if (write_whiteled_params_all(store, &copy, table, c) != 0) return -1;
  }
  return 0;
}

int read_peoplecnt_wled_params(const char* store, WhiteLedEntry* entries, int channel, int* count) {
  WhiteLedTarget target{channel, {}};
  std::strcpy(target.table, kPeopleCountWhiteTable);
  WhiteLedSlot slot{};
  int n = 0;
  int rc = read_whiteled_params(store, &slot, &target, &n);
  if (entries != nullptr)
    std::memcpy(entries, slot.entry, sizeof(WhiteLedEntry) * static_cast<std::size_t>(n));
  if (count != nullptr) *count = n;
  return rc;
}

int write_peoplecnt_wled_params_all(const char* store, const WhiteLedEntry* entries, int count,
                                    int channel) {
  if (entries == nullptr || count < 0) return -1;
  WhiteLedSlot slot{};
  slot.count = count > kWhiteLedEntries ? kWhiteLedEntries : count;
  std::memcpy(slot.entry, entries, sizeof(WhiteLedEntry) * static_cast<std::size_t>(slot.count));
  return write_whiteled_params_all(store, &slot, kPeopleCountWhiteTable, channel);
}

int read_http_notification_params(const char* store, HttpNotifyRecord* record, const char* table,
                                  int channel) {
  return store_read(store, kHttpNotifyKind, channel, record, nullptr, table);
}

int write_http_notification_params(const char* store, const HttpNotifyRecord* record,
                                   const char* table) {
  if (record == nullptr) return -1;
  return store_write(store, kHttpNotifyKind, record->chn, record, table);
}

int copy_http_notification_params(const char* store, const HttpNotifyRecord* record,
                                  const char* table, uint64_t mask) {
  return store_copy_mask(store, kHttpNotifyKind, record, mask, 0, table);
}

int read_alarm_audio_file(const char* store, AlarmAudioFile* files, int* count) {
  return store_list(store, kAlarmAudioFileKind, files, kAlarmAudioFiles, count);
}

int write_alarm_audio_file(const char* store, const AlarmAudioFile* file) {
  if (file == nullptr) return -1;
  return store_write(store, kAlarmAudioFileKind, file->id, file);
}

// ---- Single PTZ linkage entries ------------------------------------------------------------

namespace {

// Entries a block of the type holds.
int ptz_slots(int event_type) {
  return event_type == kPtzEventPeopleCount ? kPeopleCountPtzEntries : kPtzLinkEntries;
}

int read_ptz_block(const char* store, PtzLinkBlock* block, int event_type, int channel) {
  *block = PtzLinkBlock{};
  int count = 0;
  return event_type == kPtzEventPeopleCount
             ? read_peoplecnt_ptz_params(store, block, channel, &count)
             : read_ptz_params(store, block, event_type, channel, &count);
}

int write_ptz_block(const char* store, const PtzLinkBlock* block, int event_type, int channel) {
  return event_type == kPtzEventPeopleCount
             ? write_peoplecnt_ptz_params_ex(store, block, channel)
             : write_ptz_params_all(store, block, event_type, channel);
}

bool ptz_channel_valid(int ptz_channel) {
  return ptz_channel > 0 && ptz_channel <= kMaxChannels;
}

// Empties the slots of `ptz_channel`; true when one was found.
bool clear_ptz_channel(PtzLinkBlock* block, int slots, int ptz_channel) {
  bool found = false;
  for (int i = 0; i < slots; ++i)
    if (block->entry[i].ptzChn == ptz_channel) {
      block->entry[i] = PtzLinkEntry{};
      found = true;
    }
  return found;
}

int merge_ptz_entry(const char* store, const PtzLinkEntry* entry, int event_type) {
  if (entry == nullptr || !ptz_event_type_known(event_type) || entry->eventChn < 0 ||
      entry->eventChn >= kMaxChannels || !ptz_channel_valid(entry->ptzChn))
    return -1;
  PtzLinkBlock block;
  if (read_ptz_block(store, &block, event_type, entry->eventChn) != 0) return -1;
  const int slots = ptz_slots(event_type);
  int slot = -1;
  for (int i = 0; i < slots && slot < 0; ++i)
    if (block.entry[i].ptzChn == entry->ptzChn) slot = i;
  for (int i = 0; i < slots && slot < 0; ++i)
    if (block.entry[i].ptzChn <= 0) slot = i;
  if (slot < 0) return -1;
  block.entry[slot] = *entry;
  return write_ptz_block(store, &block, event_type, entry->eventChn);
}

int remove_ptz_entry(const char* store, int event_type, int channel, int ptz_channel) {
  if (!ptz_event_type_known(event_type) || channel < 0 || channel >= kMaxChannels ||
      ptz_channel < 0)
    return -1;
  PtzLinkBlock block;
  if (read_ptz_block(store, &block, event_type, channel) != 0) return -1;
  if (!clear_ptz_channel(&block, ptz_slots(event_type), ptz_channel)) return 0;
  return write_ptz_block(store, &block, event_type, channel);
}

int move_ptz_entry(const char* store, const PtzLinkEntry* entry, int event_type, int old_channel) {
  if (entry == nullptr || old_channel < 0 || old_channel >= kMaxChannels) return -1;
  if (old_channel != entry->eventChn &&
      remove_ptz_entry(store, event_type, old_channel, entry->ptzChn) != 0)
    return -1;
  return merge_ptz_entry(store, entry, event_type);
}

}  // namespace

bool ptz_event_type_known(int event_type) {
  return event_type == 0 || event_type == 1 || event_type == 2 ||
         (event_type >= 5 && event_type <= 17) || event_type == kPtzEventPeopleCount ||
         event_type == 21 || (event_type >= 26 && event_type <= 30);
}

int write_ptz_params(const char* store, const PtzLinkEntry* entry, int event_type) {
  if (event_type == kPtzEventPeopleCount) return -1;
  return merge_ptz_entry(store, entry, event_type);
}

int write_peoplecnt_ptz_params(const char* store, const PtzLinkEntry* entry) {
  return merge_ptz_entry(store, entry, kPtzEventPeopleCount);
}

int update_ptz_params(const char* store, const PtzLinkEntry* entry, int event_type,
                      int old_channel) {
  if (event_type == kPtzEventPeopleCount) return -1;
  return move_ptz_entry(store, entry, event_type, old_channel);
}

int update_peoplecnt_ptz_params(const char* store, const PtzLinkEntry* entry, int old_channel) {
  return move_ptz_entry(store, entry, kPtzEventPeopleCount, old_channel);
}

int delete_ptz_params(const char* store, int event_type, int channel, int ptz_channel) {
  if (event_type == kPtzEventPeopleCount) return -1;
  return remove_ptz_entry(store, event_type, channel, ptz_channel);
}

int delete_peoplecnt_ptz_params(const char* store, int channel, int ptz_channel) {
  return remove_ptz_entry(store, kPtzEventPeopleCount, channel, ptz_channel);
}
