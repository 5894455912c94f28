// The OSD record (store kind "osd"): what a channel shows on screen, one per channel 0 to
// 63, and above all the channel's name, which the channel pages set and every page that
// lists channels shows. The OSD pages include this header for the whole record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "kind_store.h"
#include "linkage.h"
#include "field_table.h"

struct OsdRecord {
  int32_t channel;  // 0 to 63
  char name[64];    // channel name; "CAM<n>" (n = channel + 1) until set
  int32_t show_name;
  int32_t show_date;
  int32_t show_week;
  int32_t date_format;  // 0 to 3
  int32_t time_format;  // 0 or 1
  double date_pos_x;
  double date_pos_y;
  double name_pos_x;
  double name_pos_y;
  int32_t alpha;
  int32_t reserved;
};
static_assert(sizeof(OsdRecord) == 128);
static_assert(offsetof(OsdRecord, name) == 4);
static_assert(offsetof(OsdRecord, date_pos_x) == 88);
static_assert(offsetof(OsdRecord, alpha) == 120);
static_assert(std::is_trivially_copyable_v<OsdRecord>);

inline constexpr FieldDesc kOsdFields[] = {
    NVR_FIELD(OsdRecord, channel, "camId").range(0, kMaxChannels - 1),
    NVR_FIELD(OsdRecord, name, "camName"),
    NVR_FIELD(OsdRecord, show_name, "showName").range(0, 1),
    NVR_FIELD(OsdRecord, show_date, "showDate").range(0, 1),
    NVR_FIELD(OsdRecord, show_week, "showWeek").range(0, 1),
    NVR_FIELD(OsdRecord, date_format, "dateFormat").range(0, 3),
    NVR_FIELD(OsdRecord, time_format, "timeFormat").range(0, 1),
    NVR_FIELD(OsdRecord, date_pos_x, "datePosX"),
    NVR_FIELD(OsdRecord, date_pos_y, "datePosY"),
    NVR_FIELD(OsdRecord, name_pos_x, "namePosX"),
    NVR_FIELD(OsdRecord, name_pos_y, "namePosY"),
    NVR_FIELD(OsdRecord, alpha, "alpha").range(0, INT32_MAX),
    NVR_FIELD(OsdRecord, reserved, nullptr),
};

// A channel never written reads with the name "CAM<channel + 1>" and name and date shown.
void osd_defaults(void* record, RecordKey key);

inline constexpr RecordKind kOsdKind{.name = "osd",
                                     NVR_KIND_FIELDS(OsdRecord, kOsdFields),
                                     .key = {"channel", 0, kMaxChannels - 1},
                                     .list_every_slot = true,
                                     .defaults = osd_defaults};
static_assert(record_kind_is_valid(kOsdKind));
NVR_STORE_KIND(OsdRecord, kOsdKind);

// The channel's name alone into name[size] (cut to size - 1). 0, or -1 as its store_read (the
// name is then empty).
int read_osd_name(const char* store, int channel, char* name, std::size_t size);
// "CAM<channel + 1>", the name of a channel never named and of a deleted one.
void osd_default_name(int channel, char (&name)[64]);
