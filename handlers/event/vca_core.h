// The camera records of smart-event (VCA) detection as the core carries them to and from
// the cameras: the area record shared by six events, the line-crossing, people-counting,
// analysis-settings and left/removed records, the support list and the count reset.
// Native little-endian, fixed layouts. Each record's JSON keys are declared once in its
// field table; the handlers pick the keys of each page from them.
//
// Camera points are kept in the camera's frame; the web pages draw on a 460 x 260 frame,
// and vca_frame.h converts between the two.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event/vca_frame.h"
#include "field_table.h"
#include "linkage.h"

// Request types (each waits for the answer type plus 5000).
inline constexpr int kVcaRegionEnterGet = 3237;  // int32 channel: 8237 area record
inline constexpr int kVcaRegionExitGet = 3238;
inline constexpr int kVcaMotionGet = 3239;
inline constexpr int kVcaTamperGet = 3240;
inline constexpr int kVcaLineGet = 3241;  // 8241 line record
inline constexpr int kVcaLoiteringGet = 3242;
inline constexpr int kVcaHumanGet = 3243;
inline constexpr int kVcaRegionEnterSet = 3244;  // area record: 8244 result word
inline constexpr int kVcaRegionExitSet = 3245;
inline constexpr int kVcaMotionSet = 3246;
inline constexpr int kVcaTamperSet = 3247;
inline constexpr int kVcaLineSet = 3248;  // line record
inline constexpr int kVcaLoiteringSet = 3249;
inline constexpr int kVcaHumanSet = 3250;
inline constexpr int kVcaPeopleGet = 3253;      // 8253 people-counting record
inline constexpr int kVcaPeopleSet = 3254;      // people-counting record
inline constexpr int kVcaSupportGet = 3257;     // 8257 support entries
inline constexpr int kVcaSettingsGet = 3259;    // 8259 analysis settings record
inline constexpr int kVcaSettingsSet = 3260;    // analysis settings record
inline constexpr int kVcaClearCount = 3261;     // VcaClearCount
inline constexpr int kVcaLeftRemoveGet = 3268;  // 8268 left/removed record
inline constexpr int kVcaLeftRemoveSet = 3269;  // left/removed record
inline constexpr int kAnswerOffset = 5000;

inline constexpr int kVcaRegions = 4;
inline constexpr int kVcaPolygons = 5;
inline constexpr int kVcaLines = 4;

// ---- Polygons and regions ------------------------------------------------------------------

struct VcaPolygonText {
  char x[64];  // "polygonX": the corner x values as text
  char y[64];  // "polygonY"
};
struct VcaPolygon {
  VcaPolygonText text;
  unsigned char reserved[64];
};
static_assert(sizeof(VcaPolygonText) == 128);
static_assert(sizeof(VcaPolygon) == 192);

inline constexpr FieldDesc kVcaPolygonFields[] = {
    NVR_FIELD(VcaPolygonText, x, "polygonX"),
    NVR_FIELD(VcaPolygonText, y, "polygonY"),
};
inline constexpr RecordKind kVcaPolygonKind{.name = "vca_polygon",
                                            NVR_KIND_FIELDS(VcaPolygonText, kVcaPolygonFields)};
static_assert(record_kind_is_valid(kVcaPolygonKind));

// One of the four regions of an area record. The regions lie 976 bytes apart while the
// polygons lie 192 apart, so the fifth polygon has only its two texts.
struct VcaRegion {
  int32_t enable;
  int32_t reserved0;
  int32_t time;  // set only when the request carries it
  int32_t obj_type;
  unsigned char reserved1[64];
  VcaPolygon polygon[kVcaPolygons - 1];
  VcaPolygonText last;
};
static_assert(sizeof(VcaRegion) == 976);
static_assert(offsetof(VcaRegion, time) == 8);
static_assert(offsetof(VcaRegion, obj_type) == 12);
static_assert(offsetof(VcaRegion, polygon) == 80);
static_assert(offsetof(VcaRegion, last) == 80 + 4 * 192);

inline constexpr FieldDesc kVcaRegionFields[] = {
    NVR_FIELD(VcaRegion, enable, "enable"),
    NVR_FIELD(VcaRegion, time, "time"),
    NVR_FIELD(VcaRegion, obj_type, "objType"),
};
inline constexpr RecordKind kVcaRegionKind{.name = "vca_region",
                                           NVR_KIND_FIELDS(VcaRegion, kVcaRegionFields)};
static_assert(record_kind_is_valid(kVcaRegionKind));

// The left/removed record's regions: the same places, two switches in front.
struct VcaObjectRegion {
  int32_t left_enable;
  int32_t remove_enable;
  unsigned char reserved[72];
  VcaPolygon polygon[kVcaPolygons - 1];
  VcaPolygonText last;
};
static_assert(sizeof(VcaObjectRegion) == 976);
static_assert(offsetof(VcaObjectRegion, polygon) == 80);

inline constexpr FieldDesc kVcaObjectRegionFields[] = {
    NVR_FIELD(VcaObjectRegion, left_enable, "leftEnable"),
    NVR_FIELD(VcaObjectRegion, remove_enable, "removeEnable"),
};
inline constexpr RecordKind kVcaObjectRegionKind{
    .name = "vca_object_region", NVR_KIND_FIELDS(VcaObjectRegion, kVcaObjectRegionFields)};
static_assert(record_kind_is_valid(kVcaObjectRegionKind));

// The texts of polygon p (0 to 4) of a region.
template <class Region>
VcaPolygonText& vca_polygon(Region& region, int p) {
  return p < kVcaPolygons - 1 ? region.polygon[p].text : region.last;
}

// ---- The area record (region entrance and exit, advanced motion, tamper, loitering, human)

struct VcaAreaRecord {
  int32_t chn;
  int32_t enable;
  unsigned char reserved0[16];
  int32_t sensitivity;
  int32_t time;
  int32_t size;
  int32_t tracks;
  char region[300];  // area grid text
  int32_t ignore_time;
  int32_t objtype;
  char polygon_x[64];
  char polygon_y[64];
  char copy_chn[65];  // "1" per channel to copy to
  unsigned char reserved1[23];
  int32_t region_type;
  int32_t region_scene;
  VcaRegion regions[kVcaRegions];
  int32_t reserved2;
};
static_assert(sizeof(VcaAreaRecord) == 4480);
static_assert(offsetof(VcaAreaRecord, sensitivity) == 24);
static_assert(offsetof(VcaAreaRecord, tracks) == 36);
static_assert(offsetof(VcaAreaRecord, region) == 40);
static_assert(offsetof(VcaAreaRecord, ignore_time) == 340);
static_assert(offsetof(VcaAreaRecord, objtype) == 344);
static_assert(offsetof(VcaAreaRecord, polygon_x) == 348);
static_assert(offsetof(VcaAreaRecord, polygon_y) == 412);
static_assert(offsetof(VcaAreaRecord, copy_chn) == 476);
static_assert(offsetof(VcaAreaRecord, region_type) == 564);
static_assert(offsetof(VcaAreaRecord, region_scene) == 568);
static_assert(offsetof(VcaAreaRecord, regions) == 572);
static_assert(offsetof(VcaAreaRecord, regions) + offsetof(VcaRegion, time) == 580);
static_assert(offsetof(VcaAreaRecord, regions) + offsetof(VcaRegion, polygon) == 652);
static_assert(std::is_trivially_copyable_v<VcaAreaRecord>);

inline constexpr FieldDesc kVcaAreaFields[] = {
    NVR_FIELD(VcaAreaRecord, chn, "chnid"),
    NVR_FIELD(VcaAreaRecord, enable, "enable"),
    NVR_FIELD(VcaAreaRecord, region, "region"),
    NVR_FIELD(VcaAreaRecord, sensitivity, "sensitivity"),
    NVR_FIELD(VcaAreaRecord, time, "time"),
    NVR_FIELD(VcaAreaRecord, size, "size"),
    NVR_FIELD(VcaAreaRecord, tracks, "tracks"),
    NVR_FIELD(VcaAreaRecord, ignore_time, "ignore_time"),
    NVR_FIELD(VcaAreaRecord, objtype, "objtype"),
    NVR_FIELD(VcaAreaRecord, polygon_x, "polygonX"),
    NVR_FIELD(VcaAreaRecord, polygon_y, "polygonY"),
    NVR_FIELD(VcaAreaRecord, copy_chn, "copyChn"),
    NVR_FIELD(VcaAreaRecord, region_type, "regionType"),
    NVR_FIELD(VcaAreaRecord, region_scene, "regionScene"),
};
inline constexpr RecordKind kVcaAreaKind{.name = "vca_area",
                                         NVR_KIND_FIELDS(VcaAreaRecord, kVcaAreaFields)};
static_assert(record_kind_is_valid(kVcaAreaKind));

// ---- Object left or removed -----------------------------------------------------------------

struct VcaObjectRecord {
  int32_t chn;
  int32_t sensitivity;
  int32_t left_enable;
  int32_t remove_enable;
  int32_t min_time;
  unsigned char reserved0[16];
  char region[300];
  char polygon_x[64];
  char polygon_y[64];
  char copy_chn[65];  // where the area record keeps it: right after the polygon texts
  unsigned char reserved1[23];
  int32_t region_type;
  int32_t region_scene;
  VcaObjectRegion regions[kVcaRegions];
  int32_t reserved2;
};
static_assert(sizeof(VcaObjectRecord) == 4468);
static_assert(offsetof(VcaObjectRecord, min_time) == 16);
static_assert(offsetof(VcaObjectRecord, region) == 36);
static_assert(offsetof(VcaObjectRecord, polygon_x) == 336);
static_assert(offsetof(VcaObjectRecord, polygon_y) == 400);
static_assert(offsetof(VcaObjectRecord, copy_chn) == 464);
static_assert(offsetof(VcaObjectRecord, region_type) == 552);
static_assert(offsetof(VcaObjectRecord, region_scene) == 556);
static_assert(offsetof(VcaObjectRecord, regions) == 560);
static_assert(offsetof(VcaObjectRecord, regions) + offsetof(VcaObjectRegion, polygon) == 640);
static_assert(std::is_trivially_copyable_v<VcaObjectRecord>);

inline constexpr FieldDesc kVcaObjectFields[] = {
    NVR_FIELD(VcaObjectRecord, chn, "chnid"),
    NVR_FIELD(VcaObjectRecord, region, "region"),
    NVR_FIELD(VcaObjectRecord, left_enable, "left_enable"),
    NVR_FIELD(VcaObjectRecord, remove_enable, "remove_enable"),
    NVR_FIELD(VcaObjectRecord, min_time, "min_time"),
    NVR_FIELD(VcaObjectRecord, sensitivity, "sensitivity"),
    NVR_FIELD(VcaObjectRecord, polygon_x, "polygonX"),
    NVR_FIELD(VcaObjectRecord, polygon_y, "polygonY"),
    NVR_FIELD(VcaObjectRecord, copy_chn, "copyChn"),
    NVR_FIELD(VcaObjectRecord, region_type, "regionType"),
    NVR_FIELD(VcaObjectRecord, region_scene, "regionScene"),
};
inline constexpr RecordKind kVcaObjectKind{.name = "vca_object",
                                           NVR_KIND_FIELDS(VcaObjectRecord, kVcaObjectFields)};
static_assert(record_kind_is_valid(kVcaObjectKind));

// ---- Line crossing ---------------------------------------------------------------------------

struct VcaLine {
  VcaPoints points;
  int32_t direction;
  unsigned char reserved[104];
};
static_assert(sizeof(VcaLine) == 124);

struct VcaLineRecord {
  int32_t chn;
  int32_t enable;
  int32_t width;  // the camera's frame
  int32_t height;
  VcaLine line[kVcaLines];
  int32_t objtype;
  char copy_chn[65];
  unsigned char reserved[31];
};
static_assert(sizeof(VcaLineRecord) == 612);
static_assert(offsetof(VcaLineRecord, line) == 16);
static_assert(offsetof(VcaLineRecord, objtype) == 512);
static_assert(offsetof(VcaLineRecord, copy_chn) == 516);
static_assert(std::is_trivially_copyable_v<VcaLineRecord>);

inline constexpr FieldDesc kVcaLineFields[] = {
    NVR_FIELD(VcaLineRecord, chn, "chnid"),       NVR_FIELD(VcaLineRecord, enable, "enable"),
    NVR_FIELD(VcaLineRecord, width, "width"),     NVR_FIELD(VcaLineRecord, height, "height"),
    NVR_FIELD(VcaLineRecord, objtype, "objtype"), NVR_FIELD(VcaLineRecord, copy_chn, "copyChn"),
};
inline constexpr RecordKind kVcaLineKind{.name = "vca_line",
                                         NVR_KIND_FIELDS(VcaLineRecord, kVcaLineFields)};
static_assert(record_kind_is_valid(kVcaLineKind));

// ---- Analysis settings -----------------------------------------------------------------------

struct VcaSettingsRecord {
  int32_t chn;
  int32_t vca_type;
  int32_t fps;
  int32_t mode;
  int32_t installation;
  int32_t analysis;
  int32_t width;  // the camera's frame
  int32_t height;
  int32_t min_start_x;  // smallest object box
  int32_t min_start_y;
  int32_t min_width;
  int32_t min_height;
  int32_t max_start_x;  // largest object box
  int32_t max_start_y;
  int32_t max_width;
  int32_t max_height;
};
static_assert(sizeof(VcaSettingsRecord) == 64);
static_assert(offsetof(VcaSettingsRecord, min_start_x) == 32);
static_assert(offsetof(VcaSettingsRecord, max_start_x) == 48);
static_assert(std::is_trivially_copyable_v<VcaSettingsRecord>);

inline constexpr FieldDesc kVcaSettingsFields[] = {
    NVR_FIELD(VcaSettingsRecord, chn, "chnid"),
    NVR_FIELD(VcaSettingsRecord, fps, "fps"),
    NVR_FIELD(VcaSettingsRecord, mode, "mode"),
    NVR_FIELD(VcaSettingsRecord, installation, "installation"),
    NVR_FIELD(VcaSettingsRecord, analysis, "analysis"),
    NVR_FIELD(VcaSettingsRecord, width, "width"),
    NVR_FIELD(VcaSettingsRecord, height, "height"),
    NVR_FIELD(VcaSettingsRecord, vca_type, "vcaType"),
    NVR_FIELD(VcaSettingsRecord, min_start_x, "minStartX"),
    NVR_FIELD(VcaSettingsRecord, min_start_y, "minStartY"),
    NVR_FIELD(VcaSettingsRecord, min_width, "minWidth"),
    NVR_FIELD(VcaSettingsRecord, min_height, "minHeight"),
    NVR_FIELD(VcaSettingsRecord, max_start_x, "maxStartX"),
    NVR_FIELD(VcaSettingsRecord, max_start_y, "maxStartY"),
    NVR_FIELD(VcaSettingsRecord, max_width, "maxWidth"),
    NVR_FIELD(VcaSettingsRecord, max_height, "maxHeight"),
};
inline constexpr RecordKind kVcaSettingsKind{
    .name = "vca_settings", NVR_KIND_FIELDS(VcaSettingsRecord, kVcaSettingsFields)};
static_assert(record_kind_is_valid(kVcaSettingsKind));

// ---- People counting -------------------------------------------------------------------------

struct VcaCountLine {
  uint8_t line_enable;
  uint8_t auto_reset_enable;
  uint8_t direction;
  uint8_t show_cnt_enable;
  int32_t start_x;
  int32_t start_y;
  int32_t stop_x;
  int32_t stop_y;
  int32_t auto_reset_weekday;
  int32_t auto_reset_hour;
  int32_t auto_reset_min;
  int32_t auto_reset_sec;
  int32_t alarm_enable;
  int32_t alarm_threshold[4];
};
static_assert(sizeof(VcaCountLine) == 56);
static_assert(offsetof(VcaCountLine, start_x) == 4);
static_assert(offsetof(VcaCountLine, auto_reset_weekday) == 20);
static_assert(offsetof(VcaCountLine, alarm_threshold) == 40);

inline constexpr FieldDesc kVcaCountLineFields[] = {
    NVR_FIELD(VcaCountLine, line_enable, "lineEnable"),
    NVR_FIELD(VcaCountLine, auto_reset_enable, "autoResetEnable"),
    NVR_FIELD(VcaCountLine, direction, "direction"),
    NVR_FIELD(VcaCountLine, show_cnt_enable, "showCntEnable"),
    NVR_FIELD(VcaCountLine, start_x, "startX"),
    NVR_FIELD(VcaCountLine, start_y, "startY"),
    NVR_FIELD(VcaCountLine, stop_x, "stopX"),
    NVR_FIELD(VcaCountLine, stop_y, "stopY"),
    NVR_FIELD(VcaCountLine, auto_reset_weekday, "autoResetWeekday"),
    NVR_FIELD(VcaCountLine, auto_reset_hour, "autoResetHour"),
    NVR_FIELD(VcaCountLine, auto_reset_min, "autoResetMin"),
    NVR_FIELD(VcaCountLine, auto_reset_sec, "autoResetSec"),
    NVR_FIELD(VcaCountLine, alarm_enable, "alarmEnable"),
    NVR_FIELD(VcaCountLine, alarm_threshold, "alarmThreshold"),
};
inline constexpr RecordKind kVcaCountLineKind{.name = "vca_count_line",
                                              NVR_KIND_FIELDS(VcaCountLine, kVcaCountLineFields)};
static_assert(record_kind_is_valid(kVcaCountLineKind));

struct VcaPeopleRecord {
  int32_t chn;
  int32_t width;
  int32_t height;
  int32_t osd_enable;
  int32_t osd_font_size;
  int32_t osd_text_pos;
  int32_t sensitivity;
  uint8_t osd_type;  // a byte in a 32-bit slot
  unsigned char reserved0[3];
  int32_t line_num;
  int32_t trigger_type;
  int32_t trigger_enable;
  int32_t total_alarm_enable;
  int32_t total_alarm_threshold[4];
  VcaCountLine line[kVcaLines];
  char copy_chn[65];
  unsigned char reserved1[3];
  ScheduleBlock effective;  // the camera form
  int32_t reserved2;
};
static_assert(sizeof(VcaPeopleRecord) == 26536);
static_assert(offsetof(VcaPeopleRecord, osd_type) == 28);
static_assert(offsetof(VcaPeopleRecord, line_num) == 32);
static_assert(offsetof(VcaPeopleRecord, total_alarm_threshold) == 48);
static_assert(offsetof(VcaPeopleRecord, line) == 64);
static_assert(offsetof(VcaPeopleRecord, copy_chn) == 288);
static_assert(offsetof(VcaPeopleRecord, effective) == 356);
static_assert(std::is_trivially_copyable_v<VcaPeopleRecord>);

inline constexpr FieldDesc kVcaPeopleFields[] = {
    NVR_FIELD(VcaPeopleRecord, chn, "chnid"),
    NVR_FIELD(VcaPeopleRecord, width, "width"),
    NVR_FIELD(VcaPeopleRecord, height, "height"),
    NVR_FIELD(VcaPeopleRecord, osd_enable, "osdEnable"),
    NVR_FIELD(VcaPeopleRecord, osd_font_size, "osdFontSize"),
    NVR_FIELD(VcaPeopleRecord, osd_text_pos, "osdTextPos"),
    NVR_FIELD(VcaPeopleRecord, osd_type, "osdType"),
    NVR_FIELD(VcaPeopleRecord, sensitivity, "sensitivity"),
    NVR_FIELD(VcaPeopleRecord, line_num, "lineNum"),
    NVR_FIELD(VcaPeopleRecord, trigger_type, "triggerType"),
    NVR_FIELD(VcaPeopleRecord, trigger_enable, "triggerEnable"),
    NVR_FIELD(VcaPeopleRecord, total_alarm_enable, "totalAlarmEnable"),
    NVR_FIELD(VcaPeopleRecord, total_alarm_threshold, "totalAlarmThreshold"),
    NVR_FIELD(VcaPeopleRecord, copy_chn, "copyChn"),
};
inline constexpr RecordKind kVcaPeopleKind{.name = "vca_people",
                                           NVR_KIND_FIELDS(VcaPeopleRecord, kVcaPeopleFields)};
static_assert(record_kind_is_valid(kVcaPeopleKind));

// ---- Support list and count reset ------------------------------------------------------------

// One entry per analysis the camera knows: its type and whether the camera has it.
struct VcaSupportEntry {
  int32_t type;
  int32_t support;
  unsigned char reserved[36];
};
static_assert(sizeof(VcaSupportEntry) == 44);

inline constexpr FieldDesc kVcaSupportFields[] = {
    NVR_FIELD(VcaSupportEntry, support, "support"),
    NVR_FIELD(VcaSupportEntry, type, "type"),
};
inline constexpr RecordKind kVcaSupportKind{.name = "vca_support",
                                            NVR_KIND_FIELDS(VcaSupportEntry, kVcaSupportFields)};
static_assert(record_kind_is_valid(kVcaSupportKind));

struct VcaClearCount {
  int32_t chn;
  int32_t line;
  int32_t resetdb;
  int32_t reserved[2];
};
static_assert(sizeof(VcaClearCount) == 20);
