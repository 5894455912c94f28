// The recorder-side linkage of regional people counting: one event record per channel
// (0 to 63) and counting region (0 to 3), store kind "regional_pcnt_event", each region
// described in the shared event-linkage model with its own tables and PTZ event type
// 22 + region, and the store operations the regional pages name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event/instance_linkage_record.h"
#include "event_linkage.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kRegionalRegions = 4;
inline constexpr int kRegionalPtzEventFirst = 22;  // region r: 22 + r

constexpr bool regional_region_valid(int64_t region) {
  return region >= 0 && region < kRegionalRegions;
}

// Schedule kinds of write_regional_pcnt_schedule / copy_regional_pcnt_schedule.
inline constexpr int kRegionalScheduleAudible = 1;
inline constexpr int kRegionalScheduleEmail = 2;
inline constexpr int kRegionalSchedulePtz = 3;
inline constexpr int kRegionalScheduleWhite = 4;
inline constexpr int kRegionalScheduleHttp = 6;

// The linkage of one region of one channel; the page has no switch of its own ("enable"
// stays 0).
struct RegionalPcntEventTag {
  static constexpr const char* name = "regional_pcnt_event";
  static constexpr const char* column = "region";
  static constexpr int first = 0;
  static constexpr int last = kRegionalRegions - 1;
};
NVR_INSTANCE_LINKAGE_KIND(RegionalPcntEventRecord, kRegionalPcntEventKind, RegionalPcntEventTag);

// Region r's description, r = 0 to 3.
extern const EventLinkageDesc kRegionalLinkage[kRegionalRegions];
// The save of the regional page: the whole linkage, the PTZ linkage from "ptzParams" alone.
extern const LinkageSaveScope kRegionalSaveScope;

// Each returns 0, or -1 when the channel or region is out of range, the schedule kind is
// none of 1, 2, 3, 4, 6, or the store failed.
int read_regional_pcnt_event(const char* store, RegionalPcntEventRecord* record, int channel,
                             int region);
// Stored under the record's own channel and `region`.
int write_regional_pcnt_event(const char* store, const RegionalPcntEventRecord& record, int region);
int copy_regional_pcnt_event(const char* store, const RegionalPcntEventRecord& record, int region,
                             uint64_t mask);
int write_regional_pcnt_schedule(const char* store, int kind, const ScheduleBlock* block,
                                 int channel, int region);
int copy_regional_pcnt_schedule(const char* store, int kind, const ScheduleBlock* block, int region,
                                uint64_t mask);
// The schedule table of a kind and region, or nullptr.
const char* regional_pcnt_schedule_table(int kind, int region);
