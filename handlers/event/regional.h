// Regional people counting: the camera counts the people who stay in up to four drawn
// regions. Its detection settings travel to and from the camera in one record through the
// core (native little-endian, fixed layout, fields declared once below); each region's
// linkage lives in the store (event/regional_record.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event/regional_record.h"
#include "field_table.h"
#include "ipc_router.h"
#include "linkage.h"

// Requests (each waits for the answer type plus 5000).
inline constexpr int kRegionalGet = 1220;  // int32 channel: 6220 regional counting record
inline constexpr int kRegionalSet = 1221;  // regional counting record: 6221 result word
inline constexpr int kRegionalAnswerOffset = 5000;

// One counting region: its switch, its polygon (the camera's text form, passed on as it
// is) and the count and stay-time limits that raise the event.
struct RegionalArea {
  int32_t enable;
  char polygon_x[64];
  char polygon_y[64];
  int32_t max_stay_enable;
  int32_t max_stay_value;
  int32_t min_stay_enable;
  int32_t min_stay_value;
  int32_t max_stay_time_enable;
  int32_t max_stay_time_value;
};
static_assert(sizeof(RegionalArea) == 156);
static_assert(offsetof(RegionalArea, polygon_x) == 4);
static_assert(offsetof(RegionalArea, polygon_y) == 68);
static_assert(offsetof(RegionalArea, max_stay_enable) == 132);
static_assert(offsetof(RegionalArea, max_stay_time_value) == 152);

inline constexpr FieldDesc kRegionalAreaFields[] = {
    NVR_FIELD(RegionalArea, enable, "enable"),
    NVR_FIELD(RegionalArea, polygon_x, "polygonX"),
    NVR_FIELD(RegionalArea, polygon_y, "polygonY"),
    NVR_FIELD(RegionalArea, max_stay_enable, "maxStayEnable"),
    NVR_FIELD(RegionalArea, max_stay_value, "maxStayValue"),
    NVR_FIELD(RegionalArea, min_stay_enable, "minStayEnable"),
    NVR_FIELD(RegionalArea, min_stay_value, "minStayValue"),
    NVR_FIELD(RegionalArea, max_stay_time_enable, "maxStayTimeEnable"),
    NVR_FIELD(RegionalArea, max_stay_time_value, "maxStayTimeValue"),
};
inline constexpr RecordKind kRegionalAreaKind{.name = "regional_area",
                                              NVR_KIND_FIELDS(RegionalArea, kRegionalAreaFields)};
static_assert(record_kind_is_valid(kRegionalAreaKind));

// The camera's record (request 1221, answer 6220), 26912 bytes.
struct RegionalRecord {
  int32_t result;  // 0 in a request; the camera's result in its answer
  int32_t chn;
  int32_t sensitivity;
  int32_t min_obj_x;  // smallest object box
  int32_t min_obj_y;
  int32_t min_obj_width;
  int32_t min_obj_height;
  int32_t max_obj_x;  // largest object box
  int32_t max_obj_y;
  int32_t max_obj_width;
  int32_t max_obj_height;
  RegionalArea regions[kRegionalRegions];
  char copy_chn[65];  // "1" per channel to copy the linkage to
  unsigned char reserved[3];
  ScheduleBlock effective;  // the camera form
};
static_assert(sizeof(RegionalRecord) == 26912);
static_assert(offsetof(RegionalRecord, chn) == 4);
static_assert(offsetof(RegionalRecord, sensitivity) == 8);
static_assert(offsetof(RegionalRecord, min_obj_x) == 12);
static_assert(offsetof(RegionalRecord, min_obj_height) == 24);
static_assert(offsetof(RegionalRecord, max_obj_x) == 28);
static_assert(offsetof(RegionalRecord, max_obj_height) == 40);
static_assert(offsetof(RegionalRecord, regions) == 44);
static_assert(offsetof(RegionalRecord, copy_chn) == 668);
static_assert(offsetof(RegionalRecord, effective) == 736);
static_assert(std::is_trivially_copyable_v<RegionalRecord>);

inline constexpr FieldDesc kRegionalFields[] = {
    NVR_FIELD(RegionalRecord, result, "result"),
    NVR_FIELD(RegionalRecord, chn, "chnid"),
    NVR_FIELD(RegionalRecord, sensitivity, "sensitivity"),
    NVR_FIELD(RegionalRecord, min_obj_x, "minObjX"),
    NVR_FIELD(RegionalRecord, min_obj_y, "minObjY"),
    NVR_FIELD(RegionalRecord, min_obj_width, "minObjWidth"),
    NVR_FIELD(RegionalRecord, min_obj_height, "minObjHeight"),
    NVR_FIELD(RegionalRecord, max_obj_x, "maxObjX"),
    NVR_FIELD(RegionalRecord, max_obj_y, "maxObjY"),
    NVR_FIELD(RegionalRecord, max_obj_width, "maxObjWidth"),
    NVR_FIELD(RegionalRecord, max_obj_height, "maxObjHeight"),
    // At most four regions, whatever the length of the request's array.
    NVR_NESTED(RegionalRecord, regions, "regional", kRegionalAreaKind),
    NVR_FIELD(RegionalRecord, copy_chn, "copyChn"),
};
inline constexpr RecordKind kRegionalKind{.name = "regional",
                                          NVR_KIND_FIELDS(RegionalRecord, kRegionalFields)};
static_assert(record_kind_is_valid(kRegionalKind));

int on_cgi_get_ipc_regional_info(char* text);
int on_cgi_set_ipc_regional_info(char* text);

// Answer writers.
int on_get_ipc_regional_info_cb(int count, const void* payload);
int on_set_ipc_regional_info_cb(int count, const void* payload);

inline constexpr IpcAnswerRoute kRegionalAnswers[] = {
    {kRegionalGet + kRegionalAnswerOffset, sizeof(RegionalRecord), on_get_ipc_regional_info_cb},
    {kRegionalSet + kRegionalAnswerOffset, sizeof(int32_t), on_set_ipc_regional_info_cb},
};
