// The core messages of the OSD and privacy-mask pages: the camera's own OSD (request 3210,
// answers 8210 and 8211), the privacy-mask request to the cameras (2509) and the cameras'
// masks (answer 7502). Native little-endian, fixed layouts; each has a field table whose
// JSON keys are the pages' and whose order is the answers' key order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"

inline constexpr int kOsdChanged = 1007;          // OsdChangeNotice
inline constexpr int kCameraOsdSet = 3210;        // CameraOsdRecord; waits for 8210
inline constexpr int kCameraOsdSetAnswer = 8210;  // int32 result: 0 done, -1 unsupported
inline constexpr int kCameraOsdGet = 3211;        // int32 channel; waits for 8211
inline constexpr int kCameraOsdAnswer = 8211;     // CameraOsdRecord
inline constexpr int kPrivacyMaskSet = 2509;      // PrivacyMaskRequest
inline constexpr int kCameraMasksGet = 2502;      // int32 channel; waits for 7502
inline constexpr int kCameraMasksAnswer = 7502;   // CameraMaskEntry per camera
inline constexpr int kCameraModelGet = 2503;      // int32 channel; waits for 7503
inline constexpr int kCameraModelAnswer = 7503;   // int32 model type
inline constexpr int kPrivacyMaskDelete = 2508;   // int32 channel, int32 area
inline constexpr int kPrivacyEdit = 3353;         // int32 channel, int32 mask id; waits
inline constexpr int kPrivacyEditAnswer = 8353;   // int32 result

struct OsdChangeNotice {
  int32_t channel;
  int32_t one;   // 1: the OSD of the channel changed
  int32_t zero;  // 0
};
static_assert(sizeof(OsdChangeNotice) == 12);
static_assert(std::is_trivially_copyable_v<OsdChangeNotice>);

// ---- Camera OSD ------------------------------------------------------------------------

inline constexpr int kCameraOsdText = 256;

struct CameraOsdRecord {
  int32_t ch;  // in an answer, negative when the camera is not connected
  int32_t enable_text;
  char text_name[kCameraOsdText];
  int32_t textpos;
  int32_t enable_date;
  int32_t datepos;
  int32_t dateformat;
  int32_t font_size;
  int32_t enable_text_sub;
  char text_name_sub[kCameraOsdText];
  int32_t textpos_sub;
  int32_t enable_date_sub;
  int32_t datepos_sub;
  int32_t dateformat_sub;
  int32_t font_size_sub;
  unsigned char reserved[280];
  int32_t type;
};
static_assert(sizeof(CameraOsdRecord) == 848);
static_assert(offsetof(CameraOsdRecord, enable_text) == 4);
static_assert(offsetof(CameraOsdRecord, text_name) == 8);
static_assert(offsetof(CameraOsdRecord, textpos) == 264);
static_assert(offsetof(CameraOsdRecord, enable_date) == 268);
static_assert(offsetof(CameraOsdRecord, datepos) == 272);
static_assert(offsetof(CameraOsdRecord, dateformat) == 276);
static_assert(offsetof(CameraOsdRecord, font_size) == 280);
static_assert(offsetof(CameraOsdRecord, enable_text_sub) == 284);
static_assert(offsetof(CameraOsdRecord, text_name_sub) == 288);
static_assert(offsetof(CameraOsdRecord, textpos_sub) == 544);
static_assert(offsetof(CameraOsdRecord, enable_date_sub) == 548);
static_assert(offsetof(CameraOsdRecord, datepos_sub) == 552);
static_assert(offsetof(CameraOsdRecord, dateformat_sub) == 556);
static_assert(offsetof(CameraOsdRecord, font_size_sub) == 560);
static_assert(offsetof(CameraOsdRecord, type) == 844);
static_assert(std::is_trivially_copyable_v<CameraOsdRecord>);

inline constexpr FieldDesc kCameraOsdFields[] = {
    NVR_FIELD(CameraOsdRecord, ch, "ch").range(0, 63),  // a request names a channel
    NVR_FIELD(CameraOsdRecord, enable_text, "enable_text"),
    NVR_FIELD(CameraOsdRecord, text_name, "text_name"),
    NVR_FIELD(CameraOsdRecord, textpos, "textpos"),
    NVR_FIELD(CameraOsdRecord, enable_date, "enable_date"),
    NVR_FIELD(CameraOsdRecord, datepos, "datepos"),
    NVR_FIELD(CameraOsdRecord, dateformat, "dateformat"),
    NVR_FIELD(CameraOsdRecord, font_size, "fontSize"),
    NVR_FIELD(CameraOsdRecord, enable_text_sub, "enable_text_sub"),
    NVR_FIELD(CameraOsdRecord, text_name_sub, "text_name_sub"),
    NVR_FIELD(CameraOsdRecord, textpos_sub, "textpos_sub"),
    NVR_FIELD(CameraOsdRecord, enable_date_sub, "enable_date_sub"),
    NVR_FIELD(CameraOsdRecord, datepos_sub, "datepos_sub"),
    NVR_FIELD(CameraOsdRecord, dateformat_sub, "dateformat_sub"),
    NVR_FIELD(CameraOsdRecord, font_size_sub, "fontSizeSub"),
    NVR_FIELD(CameraOsdRecord, reserved, nullptr),
    NVR_FIELD(CameraOsdRecord, type, "type"),
};
inline constexpr RecordKind kCameraOsdKind{.name = "camera_osd",
                                           NVR_KIND_FIELDS(CameraOsdRecord, kCameraOsdFields)};
static_assert(record_kind_is_valid(kCameraOsdKind));

// ---- Privacy masks -----------------------------------------------------------------------

inline constexpr int kMaskEntries = 28;

// One mask area as the cameras take and give it.
struct MaskAreaEntry {
  int32_t area_id;
  int32_t enable;
  int32_t start_x;
  int32_t start_y;
  int32_t area_width;
  int32_t area_height;
  int32_t fill_color;
  int32_t ratio;
  char name[64];
};
static_assert(sizeof(MaskAreaEntry) == 96);
static_assert(offsetof(MaskAreaEntry, name) == 32);
static_assert(std::is_trivially_copyable_v<MaskAreaEntry>);

inline constexpr FieldDesc kMaskAreaFields[] = {
    NVR_FIELD(MaskAreaEntry, area_id, "area_id"),
    NVR_FIELD(MaskAreaEntry, enable, "enable"),
    NVR_FIELD(MaskAreaEntry, start_x, "start_x"),
    NVR_FIELD(MaskAreaEntry, start_y, "start_y"),
    NVR_FIELD(MaskAreaEntry, area_width, "area_width"),
    NVR_FIELD(MaskAreaEntry, area_height, "area_height"),
    NVR_FIELD(MaskAreaEntry, fill_color, "fill_color"),
    NVR_FIELD(MaskAreaEntry, ratio, "ratio"),
    NVR_FIELD(MaskAreaEntry, name, "name"),
};
inline constexpr RecordKind kMaskAreaKind{.name = "mask_area",
                                          NVR_KIND_FIELDS(MaskAreaEntry, kMaskAreaFields)};
static_assert(record_kind_is_valid(kMaskAreaKind));

struct PrivacyMaskRequest {
  char selection[64];  // character c is '1' when channel c is listed
  unsigned char zero0[12];
  int32_t enable;
  int32_t num;
  int32_t cgi_sdk_flag;
  unsigned char zero1[36];
  int32_t area_mask_enable;
  unsigned char zero2[64];
  MaskAreaEntry area[kMaskEntries];
  int32_t mosaic_support;
  int32_t mosaic_num;
  int64_t del_mask;
  unsigned char zero3[8];
};
static_assert(sizeof(PrivacyMaskRequest) == 2904);
static_assert(offsetof(PrivacyMaskRequest, enable) == 76);
static_assert(offsetof(PrivacyMaskRequest, num) == 80);
static_assert(offsetof(PrivacyMaskRequest, cgi_sdk_flag) == 84);
static_assert(offsetof(PrivacyMaskRequest, area_mask_enable) == 124);
static_assert(offsetof(PrivacyMaskRequest, area) == 192);
static_assert(offsetof(PrivacyMaskRequest, mosaic_support) == 2880);
static_assert(offsetof(PrivacyMaskRequest, mosaic_num) == 2884);
static_assert(offsetof(PrivacyMaskRequest, del_mask) == 2888);
static_assert(std::is_trivially_copyable_v<PrivacyMaskRequest>);

// The request's scalar keys ("chnid", "cnt" and "area" are read apart).
inline constexpr FieldDesc kPrivacyMaskRequestFields[] = {
    NVR_FIELD(PrivacyMaskRequest, enable, "enable"),
    NVR_FIELD(PrivacyMaskRequest, num, "num"),
    NVR_FIELD(PrivacyMaskRequest, cgi_sdk_flag, "cgiSdkFlag"),
    NVR_FIELD(PrivacyMaskRequest, area_mask_enable, "areaMaskEnable"),
    NVR_FIELD(PrivacyMaskRequest, mosaic_support, "mosaicSupport"),
    NVR_FIELD(PrivacyMaskRequest, mosaic_num, "mosaicNum"),
    NVR_FIELD(PrivacyMaskRequest, del_mask, "delMask"),
};
inline constexpr RecordKind kPrivacyMaskRequestKind{
    .name = "privacy_mask_request", NVR_KIND_FIELDS(PrivacyMaskRequest, kPrivacyMaskRequestFields)};
static_assert(record_kind_is_valid(kPrivacyMaskRequestKind));

struct CameraMaskEntry {
  int32_t id;
  int32_t enable;
  int32_t num;
  int32_t cgi_sdk_flag;
  char sdkversion[32];
  int32_t max_ptz_zoom_ratio;
  int32_t area_enable;
  char color_list[64];
  MaskAreaEntry area[kMaskEntries];
  int32_t mosaic_support;
  int32_t mosaic_num;
  unsigned char reserved[8];
  int32_t color_support;
  int32_t max_mask_sum;
};
static_assert(sizeof(CameraMaskEntry) == 2832);
static_assert(offsetof(CameraMaskEntry, sdkversion) == 16);
static_assert(offsetof(CameraMaskEntry, max_ptz_zoom_ratio) == 48);
static_assert(offsetof(CameraMaskEntry, area_enable) == 52);
static_assert(offsetof(CameraMaskEntry, color_list) == 56);
static_assert(offsetof(CameraMaskEntry, area) == 120);
static_assert(offsetof(CameraMaskEntry, mosaic_support) == 2808);
static_assert(offsetof(CameraMaskEntry, mosaic_num) == 2812);
static_assert(offsetof(CameraMaskEntry, color_support) == 2824);
static_assert(offsetof(CameraMaskEntry, max_mask_sum) == 2828);
static_assert(std::is_trivially_copyable_v<CameraMaskEntry>);

// In the order of the "/6115" answer; "area" is written apart.
inline constexpr FieldDesc kCameraMaskFields[] = {
    NVR_FIELD(CameraMaskEntry, id, "id"),
    NVR_FIELD(CameraMaskEntry, num, "num"),
    NVR_FIELD(CameraMaskEntry, max_ptz_zoom_ratio, "maxPtzZoomRatio"),
    NVR_FIELD(CameraMaskEntry, area_enable, "areaEnable"),
    NVR_FIELD(CameraMaskEntry, enable, "enable"),
    NVR_FIELD(CameraMaskEntry, sdkversion, "sdkversion"),
    NVR_FIELD(CameraMaskEntry, cgi_sdk_flag, "cgiSdkFlag"),
    NVR_FIELD(CameraMaskEntry, color_list, "colorList"),
    NVR_FIELD(CameraMaskEntry, mosaic_support, "mosaicSupport"),
    NVR_FIELD(CameraMaskEntry, mosaic_num, "mosaicNum"),
    NVR_FIELD(CameraMaskEntry, color_support, "colorSupport"),
    NVR_FIELD(CameraMaskEntry, max_mask_sum, "maxMaskSum"),
    NVR_FIELD(CameraMaskEntry, reserved, nullptr),
};
inline constexpr RecordKind kCameraMaskKind{.name = "camera_mask",
                                            NVR_KIND_FIELDS(CameraMaskEntry, kCameraMaskFields)};
static_assert(record_kind_is_valid(kCameraMaskKind));

struct ChannelAreaPair {
  int32_t channel;
  int32_t area;  // area id (2508) or mask id (3353)
};
static_assert(sizeof(ChannelAreaPair) == 8);
static_assert(std::is_trivially_copyable_v<ChannelAreaPair>);
