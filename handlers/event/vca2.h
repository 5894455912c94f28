// The second form of the line-crossing and analysis-settings pages ("/6192" to "/6195"):
// the camera answers these itself, in records of its own layout, while the core only
// relays them. Points travel in the camera's frame and the pages draw in the web frame
// (vca_frame.h), as in the first form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "event/vca_frame.h"
#include "field_table.h"
#include "ipc_router.h"

// Request types; each waits for the type plus 5000.
inline constexpr int kVcaLine2Get = 1209;      // int32 channel: 6209 VcaLine2Record
inline constexpr int kVcaLine2Set = 1210;      // VcaLine2Record: 6210 result word
inline constexpr int kVcaSettings2Get = 1211;  // int32 channel: 6211 VcaSettings2Record
inline constexpr int kVcaSettings2Set = 1212;  // VcaSettings2Record: 6212 result word
inline constexpr int kVcaLine2Answer = 6209;
inline constexpr int kVcaLine2SetAnswer = 6210;
inline constexpr int kVcaSettings2Answer = 6211;
inline constexpr int kVcaSettings2SetAnswer = 6212;

inline constexpr int kVcaLines2 = 4;
inline constexpr int kVcaBoxes2 = 8;

// ---- Line crossing ---------------------------------------------------------------------------

// One line of 128 bytes. The camera keeps the two points as four int32 right after "enable",
// in the order of the page's position text, which puts "direction" and "objtype" where the
// camera has them (+20, +24).
struct VcaLine2Entry {
  int32_t enable;
  VcaPoints points;
  int32_t direction;
  int32_t objtype;
  unsigned char reserved[100];
};
static_assert(sizeof(VcaLine2Entry) == 128);
static_assert(offsetof(VcaLine2Entry, points) == 4);
static_assert(offsetof(VcaLine2Entry, direction) == 20);
static_assert(offsetof(VcaLine2Entry, objtype) == 24);

// Table order is the answer's key order; "position" is added beside them.
inline constexpr FieldDesc kVcaLine2EntryFields[] = {
    NVR_FIELD(VcaLine2Entry, enable, "enable"),
    NVR_FIELD(VcaLine2Entry, objtype, "objtype"),
    NVR_FIELD(VcaLine2Entry, direction, "direction"),
};
inline constexpr RecordKind kVcaLine2EntryKind{
    .name = "vca_line2_entry", NVR_KIND_FIELDS(VcaLine2Entry, kVcaLine2EntryFields)};
static_assert(record_kind_is_valid(kVcaLine2EntryKind));

// 628 bytes. The tail after the lines carries the page's copy selection and the two line
// codes the camera interprets ("lineType", "lineScene"), passed on as sent.
struct VcaLine2Record {
  int32_t chnid;
  int32_t sensitivity;
  int32_t width;  // the camera's frame
  int32_t height;
  VcaLine2Entry line[kVcaLines2];
  char copy_chn[65];  // "1" per channel the linkage is copied to
  unsigned char reserved0[3];
  int32_t line_type;
  int32_t line_scene;
  unsigned char reserved1[24];
};
static_assert(sizeof(VcaLine2Record) == 628);
static_assert(offsetof(VcaLine2Record, width) == 8);
static_assert(offsetof(VcaLine2Record, line) == 16);
static_assert(offsetof(VcaLine2Record, copy_chn) == 528);
static_assert(offsetof(VcaLine2Record, line_type) == 596);
static_assert(std::is_trivially_copyable_v<VcaLine2Record>);

inline constexpr FieldDesc kVcaLine2Fields[] = {
    NVR_FIELD(VcaLine2Record, chnid, "chnid"),
    NVR_FIELD(VcaLine2Record, width, "width"),
    NVR_FIELD(VcaLine2Record, height, "height"),
    NVR_FIELD(VcaLine2Record, sensitivity, "sensitivity"),
    NVR_NESTED(VcaLine2Record, line, "line", kVcaLine2EntryKind),
    NVR_FIELD(VcaLine2Record, copy_chn, "copyChn"),
    NVR_FIELD(VcaLine2Record, line_type, "lineType"),
    NVR_FIELD(VcaLine2Record, line_scene, "lineScene"),
};
inline constexpr RecordKind kVcaLine2Kind{.name = "vca_line2",
                                          NVR_KIND_FIELDS(VcaLine2Record, kVcaLine2Fields)};
static_assert(record_kind_is_valid(kVcaLine2Kind));

// ---- Analysis settings -----------------------------------------------------------------------

// 356 bytes: eight object boxes kept as eight arrays of eight values, then the page's copy
// selection.
struct VcaSettings2Record {
  int32_t chnid;
  int32_t reserved0;
  int32_t fps;
  int32_t mode;
  int32_t installation;
  int32_t analysis;
  int32_t width;  // the camera's frame
  int32_t height;
  int32_t min_start_x[kVcaBoxes2];  // smallest object box
  int32_t min_start_y[kVcaBoxes2];
  int32_t min_width[kVcaBoxes2];
  int32_t min_height[kVcaBoxes2];
  int32_t max_start_x[kVcaBoxes2];  // largest object box
  int32_t max_start_y[kVcaBoxes2];
  int32_t max_width[kVcaBoxes2];
  int32_t max_height[kVcaBoxes2];
  char copy_chn[65];
  unsigned char reserved1[3];
};
static_assert(sizeof(VcaSettings2Record) == 356);
static_assert(offsetof(VcaSettings2Record, fps) == 8);
static_assert(offsetof(VcaSettings2Record, width) == 24);
static_assert(offsetof(VcaSettings2Record, min_start_x) == 32);
static_assert(offsetof(VcaSettings2Record, min_start_y) == 64);
static_assert(offsetof(VcaSettings2Record, min_width) == 96);
static_assert(offsetof(VcaSettings2Record, min_height) == 128);
static_assert(offsetof(VcaSettings2Record, max_start_x) == 160);
static_assert(offsetof(VcaSettings2Record, max_start_y) == 192);
static_assert(offsetof(VcaSettings2Record, max_width) == 224);
static_assert(offsetof(VcaSettings2Record, max_height) == 256);
static_assert(offsetof(VcaSettings2Record, copy_chn) == 288);
static_assert(std::is_trivially_copyable_v<VcaSettings2Record>);

inline constexpr FieldDesc kVcaSettings2Fields[] = {
    NVR_FIELD(VcaSettings2Record, chnid, "chnid"),
    NVR_FIELD(VcaSettings2Record, fps, "fps"),
    NVR_FIELD(VcaSettings2Record, mode, "mode"),
    NVR_FIELD(VcaSettings2Record, installation, "installation"),
    NVR_FIELD(VcaSettings2Record, analysis, "analysis"),
    NVR_FIELD(VcaSettings2Record, width, "width"),
    NVR_FIELD(VcaSettings2Record, height, "height"),
    NVR_FIELD(VcaSettings2Record, min_start_x, "minStartX"),
    NVR_FIELD(VcaSettings2Record, min_start_y, "minStartY"),
    NVR_FIELD(VcaSettings2Record, min_width, "minWidth"),
    NVR_FIELD(VcaSettings2Record, min_height, "minHeight"),
    NVR_FIELD(VcaSettings2Record, max_start_x, "maxStartX"),
    NVR_FIELD(VcaSettings2Record, max_start_y, "maxStartY"),
    NVR_FIELD(VcaSettings2Record, max_width, "maxWidth"),
    NVR_FIELD(VcaSettings2Record, max_height, "maxHeight"),
    NVR_FIELD(VcaSettings2Record, copy_chn, "copyChn"),
};
inline constexpr RecordKind kVcaSettings2Kind{
    .name = "vca_settings2", NVR_KIND_FIELDS(VcaSettings2Record, kVcaSettings2Fields)};
static_assert(record_kind_is_valid(kVcaSettings2Kind));

// ---- Pages and answers -----------------------------------------------------------------------

int on_get_ipc_vca_line2(char* text);
int on_set_ipc_vca_line2(char* text);
int on_get_ipc_vca_settings2(char* text);
int on_set_ipc_vca_settings2(char* text);

int on_get_ipc_vca_line2_cb(int count, const void* payload);
int on_get_ipc_vca_settings2_cb(int count, const void* payload);

// The sets' result words are routed with the module's other result answers (video_ipc.h).
inline constexpr IpcAnswerRoute kVca2Answers[] = {
    {kVcaLine2Answer, sizeof(VcaLine2Record), on_get_ipc_vca_line2_cb},
    {kVcaSettings2Answer, sizeof(VcaSettings2Record), on_get_ipc_vca_settings2_cb},
};
