// The OSD record (store kind "osd"): what a channel shows on screen, one per channel 0 to
// 63, and above all the channel's name, which the channel pages set and every page that
// lists channels shows. The OSD pages include this header for the whole record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "dvdb.h"
#include "record.h"

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

extern const RecordKind kOsdKind;

// The channel's record; a channel never written reads with the name "CAM<channel + 1>"
// and name and date shown. 0, or -1 for a channel outside 0 to 63 or a store failure.
int read_osd(const char* store, OsdRecord* rec, int channel);
// Stores rec at rec->channel. 0, or -1 (nothing stored).
int write_osd(const char* store, const OsdRecord* rec);
// All 64 channels in channel order (*count = 64 when capacity allows).
int read_osds(const char* store, OsdRecord* recs, int capacity, int* count);
// The channel's name alone into name[size] (cut to size - 1). 0, or -1 as read_osd (the
// name is then empty).
int read_osd_name(const char* store, int channel, char* name, std::size_t size);
// "CAM<channel + 1>", the name of a channel never named and of a deleted one.
void osd_default_name(int channel, char (&name)[64]);
