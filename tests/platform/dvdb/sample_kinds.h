// Record kinds for the store tests: one with a field of every type (including a weekly
// schedule block as nested records), a sparse one with factory defaults, and one with
// two keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "field_table.h"

namespace sample {

struct Section {
  char start[32];
  char end[32];
  int32_t action;
};
static_assert(sizeof(Section) == 68);

struct DayRow {
  Section sections[48];
  int32_t wholeday_enable;
  int32_t wholeday_action;
};
static_assert(sizeof(DayRow) == 3272);

inline constexpr FieldDesc kSectionFields[] = {
    NVR_FIELD(Section, start, "startTime"),
    NVR_FIELD(Section, end, "endTime"),
    NVR_FIELD(Section, action, "actionType"),
};
inline constexpr RecordKind kSectionKind{
    .name = "section", .size = sizeof(Section), .fields = kSectionFields, .field_count = 3};
inline constexpr FieldDesc kDayRowFields[] = {
    NVR_NESTED(DayRow, sections, "plans", kSectionKind),
    NVR_FIELD(DayRow, wholeday_enable, "wholedayEnable"),
    NVR_FIELD(DayRow, wholeday_action, "wholedayActionType"),
};
inline constexpr RecordKind kDayRowKind{
    .name = "day_row", .size = sizeof(DayRow), .fields = kDayRowFields, .field_count = 3};

struct Everything {
  int32_t channel;
  int8_t i8;
  uint8_t u8;
  int16_t i16;
  uint16_t u16;
  int32_t i32;
  uint32_t u32;
  int64_t i64;
  uint64_t u64;
  float f32;
  double f64;
  char text[16];
  unsigned char bytes[8];
  int32_t ints[4];
  DayRow rows[8];
};
static_assert(offsetof(Everything, rows) + sizeof(DayRow) * 8 == sizeof(Everything));

inline constexpr FieldDesc kEverythingFields[] = {
    NVR_FIELD(Everything, channel, "chnid").range(0, 63),
    NVR_FIELD(Everything, i8, "i8"),
    NVR_FIELD(Everything, u8, "u8"),
    NVR_FIELD(Everything, i16, "i16"),
    NVR_FIELD(Everything, u16, "u16"),
    NVR_FIELD(Everything, i32, "i32").range(-5, 100),
    NVR_FIELD(Everything, u32, "u32"),
    NVR_FIELD(Everything, i64, "i64"),
    NVR_FIELD(Everything, u64, "u64"),
    NVR_FIELD(Everything, f32, "f32"),
    NVR_FIELD(Everything, f64, "f64"),
    NVR_FIELD(Everything, text, "text"),
    NVR_FIELD(Everything, bytes, "bytes"),
    NVR_FIELD(Everything, ints, "ints").range(0, 9),
    NVR_NESTED(Everything, rows, "schedule", kDayRowKind),
};
inline constexpr RecordKind kEverythingKind{.name = "everything",
                                            NVR_KIND_FIELDS(Everything, kEverythingFields),
                                            .key = {"channel", 0, 63},
                                            .list_every_slot = true};
static_assert(record_kind_is_valid(kEverythingKind));

// Sparse, with factory defaults: a holiday-like list of up to 32 entries.
struct Entry {
  int32_t id;
  int32_t enable;
  char name[24];
  int32_t level;
};
inline void entry_defaults(void* record, RecordKey key) {
  Entry e{};
  e.level = 7 + static_cast<int32_t>(key.first);
  e.name[0] = 'x';
  __builtin_memcpy(record, &e, sizeof e);
}
inline constexpr FieldDesc kEntryFields[] = {
    NVR_FIELD(Entry, id, "id"),
    NVR_FIELD(Entry, enable, "enable").range(0, 1),
    NVR_FIELD(Entry, name, "name"),
    NVR_FIELD(Entry, level, "level"),
};
inline constexpr RecordKind kEntryKind{.name = "entry",
                                       .size = sizeof(Entry),
                                       .fields = kEntryFields,
                                       .field_count = 4,
                                       .key = {"id", 0, 31},
                                       .defaults = entry_defaults};
static_assert(record_kind_is_valid(kEntryKind));

// Two keys, the second not a field of the record: a block per (channel, event type).
struct Linkage {
  int32_t channel;
  int32_t targets[4];
};
inline constexpr FieldDesc kLinkageFields[] = {
    NVR_FIELD(Linkage, channel, nullptr),
    NVR_FIELD(Linkage, targets, "targets"),
};
inline constexpr RecordKind kLinkageKind{.name = "linkage",
                                         .size = sizeof(Linkage),
                                         .fields = kLinkageFields,
                                         .field_count = 2,
                                         .key = {"channel", 0, 15},
                                         .key2 = {"event_type", 0, 26}};
static_assert(record_kind_is_valid(kLinkageKind));

}  // namespace sample
