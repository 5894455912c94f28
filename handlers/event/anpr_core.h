// The number-plate recognition records as the core carries them to and from the cameras:
// the recognition settings, the plate format (wildcards), the support and zoom answers.
// Native little-endian, fixed layouts; each record's JSON keys are declared once in its
// field table and the pages convert them with the tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"

// Requests (the answer type is the request type plus 5000).
inline constexpr int kAnprSettingsGet = 3289;  // int32 channel: 8289 settings record
inline constexpr int kAnprSettingsSet = 3290;  // settings record: 8290 result word
inline constexpr int kAnprSupportGet = 3293;   // int32 channel: 8293 AnprSupportAnswer
inline constexpr int kAnprFormatGet = 1207;    // int32 channel: 6207 format record
inline constexpr int kAnprFormatSet = 1208;    // format record: 6208 result word
inline constexpr int kAnprZoomGet = 1215;      // int32 channel: 6215 AnprZoomAnswer
inline constexpr int kAnprModeChanged = 1416;  // int32 channel, int32 list mode
inline constexpr int kAnprAnswerOffset = 5000;

inline constexpr int kAnprRegions = 32;
inline constexpr int kAnprRois = 4;
inline constexpr int kAnprPresetGroups = 4;
inline constexpr int kAnprPresetAreas = 4;
inline constexpr int kAnprPolygons = 4;
inline constexpr int kAnprWildcards = 9;

// Analysis types of the cameras' plate recognition: only these carry "normalPolygons".
constexpr bool on_cgi_is_dv_lpr(int64_t aitype) {
  return aitype >= 11 && aitype <= 14;
}

// ---- Elements of the settings record's arrays -------------------------------------------------

// One of the 32 region texts; in JSON the bare text.
struct AnprRegionText {
  char text[32];
};
inline constexpr FieldDesc kAnprRegionTextFields[] = {NVR_FIELD(AnprRegionText, text, nullptr)};
inline constexpr RecordKind kAnprRegionTextKind{
    .name = "anpr_region_text",
    NVR_KIND_FIELDS(AnprRegionText, kAnprRegionTextFields),
    .bare = true};
static_assert(record_kind_is_valid(kAnprRegionTextKind));

// A named box: a region of interest, or an area of a preset group.
struct AnprArea {
  char name[64];
  int32_t start_x;
  int32_t start_y;
  int32_t end_x;
  int32_t end_y;
};
static_assert(sizeof(AnprArea) == 80);
static_assert(offsetof(AnprArea, start_x) == 64);

inline constexpr FieldDesc kAnprRoiFields[] = {
    NVR_FIELD(AnprArea, name, "name"),      NVR_FIELD(AnprArea, start_x, "startX"),
    NVR_FIELD(AnprArea, start_y, "startY"), NVR_FIELD(AnprArea, end_x, "endX"),
    NVR_FIELD(AnprArea, end_y, "endY"),
};
inline constexpr RecordKind kAnprRoiKind{.name = "anpr_roi",
                                         NVR_KIND_FIELDS(AnprArea, kAnprRoiFields)};
static_assert(record_kind_is_valid(kAnprRoiKind));

// The preset areas spell their last key "endy": the camera pages use it so.
inline constexpr FieldDesc kAnprPresetAreaFields[] = {
    NVR_FIELD(AnprArea, name, "name"),      NVR_FIELD(AnprArea, start_x, "startX"),
    NVR_FIELD(AnprArea, start_y, "startY"), NVR_FIELD(AnprArea, end_x, "endX"),
    NVR_FIELD(AnprArea, end_y, "endy"),
};
inline constexpr RecordKind kAnprPresetAreaKind{.name = "anpr_preset_area",
                                                NVR_KIND_FIELDS(AnprArea, kAnprPresetAreaFields)};
static_assert(record_kind_is_valid(kAnprPresetAreaKind));

// A preset's four areas; in JSON the bare array of four area objects, so that "preset" is
// an array of four such arrays.
struct AnprPresetGroup {
  AnprArea area[kAnprPresetAreas];
};
inline constexpr FieldDesc kAnprPresetGroupFields[] = {
    NVR_NESTED(AnprPresetGroup, area, nullptr, kAnprPresetAreaKind)};
inline constexpr RecordKind kAnprPresetGroupKind{
    .name = "anpr_preset_group",
    NVR_KIND_FIELDS(AnprPresetGroup, kAnprPresetGroupFields),
    .bare = true};
static_assert(record_kind_is_valid(kAnprPresetGroupKind));

struct AnprPolygon {
  char name[64];
  char polygon_x[64];
  char polygon_y[64];
};
static_assert(sizeof(AnprPolygon) == 192);
inline constexpr FieldDesc kAnprPolygonFields[] = {
    NVR_FIELD(AnprPolygon, name, "name"),
    NVR_FIELD(AnprPolygon, polygon_x, "polygonX"),
    NVR_FIELD(AnprPolygon, polygon_y, "polygonY"),
};
inline constexpr RecordKind kAnprPolygonKind{.name = "anpr_polygon",
                                             NVR_KIND_FIELDS(AnprPolygon, kAnprPolygonFields)};
static_assert(record_kind_is_valid(kAnprPolygonKind));

// ---- Recognition settings (3290 and 8289) ------------------------------------------------------

struct AnprSettingsRecord {
  int32_t chnid;
  int32_t enable;
  int32_t resolution_width;
  int32_t resolution_height;
  int32_t area_x;
  int32_t area_y;
  int32_t area_width;
  int32_t area_height;
  int32_t day_night_mode_enable;
  int32_t scene;
  int32_t direction_enable;
  int32_t region_enable;
  int32_t roiid_enable;
  int32_t process_mode;
  int32_t repeat_check_time_value;
  int32_t repeat_check_time_unit;
  int32_t post_enable;
  int32_t post_type;
  int32_t post_tcp_port;
  char post_http_user[64];
  char post_http_password[64];
  char post_http_url[512];
  int32_t confidence;
  AnprRegionText region[kAnprRegions];
  char cur_area[32];
  int32_t in_night_mode;
  int32_t platecolor_enable;
  int32_t vehicletype_enable;
  int32_t vehiclecolor_enable;
  AnprArea roi[kAnprRois];
  AnprPresetGroup preset[kAnprPresetGroups];
  unsigned char reserved[264];  // kept zero
  int32_t night_mode_enable;
  int32_t night_mode_level;
  int32_t night_mode_starthour;
  int32_t night_mode_startminute;
  int32_t night_mode_stophour;
  int32_t night_mode_stopminute;
  int32_t night_mode_effective_mode;
  int32_t json_support;
  int32_t ir_led_external_support;
  int32_t vehicle_enhancement;
  int32_t vehicle_brand_enable;
  AnprPolygon normal_polygons[kAnprPolygons];
  int32_t aitype;
};
static_assert(sizeof(AnprSettingsRecord) == 4472);
static_assert(offsetof(AnprSettingsRecord, area_x) == 16);
static_assert(offsetof(AnprSettingsRecord, area_height) == 28);
static_assert(offsetof(AnprSettingsRecord, day_night_mode_enable) == 32);
static_assert(offsetof(AnprSettingsRecord, process_mode) == 52);
static_assert(offsetof(AnprSettingsRecord, repeat_check_time_value) == 56);
static_assert(offsetof(AnprSettingsRecord, post_enable) == 64);
static_assert(offsetof(AnprSettingsRecord, post_tcp_port) == 72);
static_assert(offsetof(AnprSettingsRecord, post_http_user) == 76);
static_assert(offsetof(AnprSettingsRecord, post_http_password) == 140);
static_assert(offsetof(AnprSettingsRecord, post_http_url) == 204);
static_assert(offsetof(AnprSettingsRecord, confidence) == 716);
static_assert(offsetof(AnprSettingsRecord, region) == 720);
static_assert(offsetof(AnprSettingsRecord, cur_area) == 1744);
static_assert(offsetof(AnprSettingsRecord, in_night_mode) == 1776);
static_assert(offsetof(AnprSettingsRecord, platecolor_enable) == 1780);
static_assert(offsetof(AnprSettingsRecord, vehiclecolor_enable) == 1788);
static_assert(offsetof(AnprSettingsRecord, roi) == 1792);
static_assert(offsetof(AnprSettingsRecord, preset) == 2112);
static_assert(offsetof(AnprSettingsRecord, reserved) == 3392);
static_assert(offsetof(AnprSettingsRecord, night_mode_enable) == 3656);
static_assert(offsetof(AnprSettingsRecord, night_mode_effective_mode) == 3680);
static_assert(offsetof(AnprSettingsRecord, json_support) == 3684);
static_assert(offsetof(AnprSettingsRecord, ir_led_external_support) == 3688);
static_assert(offsetof(AnprSettingsRecord, vehicle_enhancement) == 3692);
static_assert(offsetof(AnprSettingsRecord, vehicle_brand_enable) == 3696);
static_assert(offsetof(AnprSettingsRecord, normal_polygons) == 3700);
static_assert(offsetof(AnprSettingsRecord, aitype) == 4468);
static_assert(std::is_trivially_copyable_v<AnprSettingsRecord>);

// In the answer's key order.
inline constexpr FieldDesc kAnprSettingsFields[] = {
    NVR_FIELD(AnprSettingsRecord, chnid, "chnid"),
    NVR_FIELD(AnprSettingsRecord, enable, "enable"),
    NVR_FIELD(AnprSettingsRecord, resolution_width, "resolution_width"),
    NVR_FIELD(AnprSettingsRecord, resolution_height, "resolution_height"),
    NVR_FIELD(AnprSettingsRecord, area_x, "area_x"),
    NVR_FIELD(AnprSettingsRecord, area_y, "area_y"),
    NVR_FIELD(AnprSettingsRecord, area_width, "area_width"),
    NVR_FIELD(AnprSettingsRecord, area_height, "area_height"),
    NVR_FIELD(AnprSettingsRecord, day_night_mode_enable, "day_night_mode_enable"),
    NVR_FIELD(AnprSettingsRecord, scene, "scene"),
    NVR_FIELD(AnprSettingsRecord, direction_enable, "direction_enable"),
    NVR_FIELD(AnprSettingsRecord, region_enable, "region_enable"),
    NVR_FIELD(AnprSettingsRecord, roiid_enable, "roiid_enable"),
    NVR_FIELD(AnprSettingsRecord, process_mode, "process_mode"),
    NVR_FIELD(AnprSettingsRecord, repeat_check_time_value, "repeat_check_time_value"),
    NVR_FIELD(AnprSettingsRecord, repeat_check_time_unit, "repeat_check_time_unit"),
    NVR_FIELD(AnprSettingsRecord, post_enable, "post_enable"),
    NVR_FIELD(AnprSettingsRecord, post_type, "post_type"),
    NVR_FIELD(AnprSettingsRecord, post_tcp_port, "post_tcp_port"),
    NVR_FIELD(AnprSettingsRecord, post_http_user, "post_http_user"),
    NVR_FIELD(AnprSettingsRecord, post_http_password, "post_http_password"),
    NVR_FIELD(AnprSettingsRecord, post_http_url, "post_http_url"),
    NVR_FIELD(AnprSettingsRecord, confidence, "confidence"),
    NVR_NESTED(AnprSettingsRecord, region, "region", kAnprRegionTextKind),
    NVR_FIELD(AnprSettingsRecord, cur_area, "cur_area"),
    NVR_FIELD(AnprSettingsRecord, in_night_mode, "in_night_mode"),
    NVR_FIELD(AnprSettingsRecord, platecolor_enable, "platecolorEnable"),
    NVR_FIELD(AnprSettingsRecord, vehicletype_enable, "vehicletypeEnable"),
    NVR_FIELD(AnprSettingsRecord, vehiclecolor_enable, "vehiclecolorEnable"),
    NVR_NESTED(AnprSettingsRecord, roi, "roi", kAnprRoiKind),
    NVR_NESTED(AnprSettingsRecord, preset, "preset", kAnprPresetGroupKind),
    NVR_FIELD(AnprSettingsRecord, reserved, nullptr),
    NVR_FIELD(AnprSettingsRecord, night_mode_enable, "night_mode_enable"),
    NVR_FIELD(AnprSettingsRecord, night_mode_level, "night_mode_level"),
    NVR_FIELD(AnprSettingsRecord, night_mode_starthour, "night_mode_starthour"),
    NVR_FIELD(AnprSettingsRecord, night_mode_startminute, "night_mode_startminute"),
    NVR_FIELD(AnprSettingsRecord, night_mode_stophour, "night_mode_stophour"),
    NVR_FIELD(AnprSettingsRecord, night_mode_stopminute, "night_mode_stopminute"),
    NVR_FIELD(AnprSettingsRecord, night_mode_effective_mode, "night_mode_effective_mode"),
    NVR_FIELD(AnprSettingsRecord, json_support, "jsonSupport"),
    NVR_FIELD(AnprSettingsRecord, ir_led_external_support, "irLedExternalSupport"),
    NVR_FIELD(AnprSettingsRecord, vehicle_enhancement, "vehicleEnhancement"),
    NVR_FIELD(AnprSettingsRecord, vehicle_brand_enable, "vehicleBrandEnable"),
    NVR_NESTED(AnprSettingsRecord, normal_polygons, "normalPolygons", kAnprPolygonKind),
    NVR_FIELD(AnprSettingsRecord, aitype, "aitype"),
};
inline constexpr RecordKind kAnprSettingsKind{
    .name = "anpr_settings", NVR_KIND_FIELDS(AnprSettingsRecord, kAnprSettingsFields)};
static_assert(record_kind_is_valid(kAnprSettingsKind));

// ---- Plate format (1208 and 6207) ---------------------------------------------------------------

// One wildcard's format text; in JSON the bare text.
struct AnprFormatText {
  char text[16];
};
inline constexpr FieldDesc kAnprFormatTextFields[] = {NVR_FIELD(AnprFormatText, text, nullptr)};
inline constexpr RecordKind kAnprFormatTextKind{
    .name = "anpr_format_text",
    NVR_KIND_FIELDS(AnprFormatText, kAnprFormatTextFields),
    .bare = true};
static_assert(record_kind_is_valid(kAnprFormatTextKind));

// The nine wildcards lie in three parallel arrays. The counts start at 48 and the texts at
// 80, so the counts have room for eight entries only: the ninth wildcard's count is neither
// sent nor answered (it would overwrite the first format text).
struct AnprFormatRecord {
  int32_t chnid;
  int32_t filter;
  int32_t enable[kAnprWildcards];
  int32_t reserved;
  int32_t cr_count[kAnprWildcards - 1];
  AnprFormatText format[kAnprWildcards];
  int32_t max_plate_char_num;
};
static_assert(sizeof(AnprFormatRecord) == 228);
static_assert(offsetof(AnprFormatRecord, filter) == 4);
static_assert(offsetof(AnprFormatRecord, enable) == 8);
static_assert(offsetof(AnprFormatRecord, cr_count) == 48);
static_assert(offsetof(AnprFormatRecord, format) == 80);
static_assert(offsetof(AnprFormatRecord, max_plate_char_num) == 224);
static_assert(std::is_trivially_copyable_v<AnprFormatRecord>);

inline constexpr FieldDesc kAnprFormatFields[] = {
    NVR_FIELD(AnprFormatRecord, chnid, "chnid"),
    NVR_FIELD(AnprFormatRecord, filter, "filter"),
    NVR_FIELD(AnprFormatRecord, enable, "enable"),
    NVR_FIELD(AnprFormatRecord, reserved, nullptr),
    NVR_FIELD(AnprFormatRecord, cr_count, "cr_count"),
    NVR_NESTED(AnprFormatRecord, format, "format", kAnprFormatTextKind),
    NVR_FIELD(AnprFormatRecord, max_plate_char_num, "maxPlateCharNum"),
};
inline constexpr RecordKind kAnprFormatKind{.name = "anpr_format",
                                            NVR_KIND_FIELDS(AnprFormatRecord, kAnprFormatFields)};
static_assert(record_kind_is_valid(kAnprFormatKind));

// ---- Support and zoom answers (layouts of this side's choosing)
// -----------------------------------

// 8293: int32 chnid, then the answer's fields in its key order.
struct AnprSupportAnswer {
  int32_t chnid;
  int32_t vca_support;
  int32_t vca_version;
};
static_assert(sizeof(AnprSupportAnswer) == 12);
inline constexpr FieldDesc kAnprSupportFields[] = {
    NVR_FIELD(AnprSupportAnswer, chnid, "chnid"),
    NVR_FIELD(AnprSupportAnswer, vca_support, "vca_support"),
    NVR_FIELD(AnprSupportAnswer, vca_version, "vca_version"),
};
inline constexpr RecordKind kAnprSupportKind{
    .name = "anpr_support", NVR_KIND_FIELDS(AnprSupportAnswer, kAnprSupportFields)};
static_assert(record_kind_is_valid(kAnprSupportKind));

// 6215: int32 chnid, then the answer's fields in its key order.
struct AnprZoomAnswer {
  int32_t chnid;
  int32_t state;
  int32_t zoom_number;
};
static_assert(sizeof(AnprZoomAnswer) == 12);
inline constexpr FieldDesc kAnprZoomFields[] = {
    NVR_FIELD(AnprZoomAnswer, chnid, "chnid"),
    NVR_FIELD(AnprZoomAnswer, state, "state"),
    NVR_FIELD(AnprZoomAnswer, zoom_number, "zoomNumber"),
};
inline constexpr RecordKind kAnprZoomKind{.name = "anpr_zoom",
                                          NVR_KIND_FIELDS(AnprZoomAnswer, kAnprZoomFields)};
static_assert(record_kind_is_valid(kAnprZoomKind));
