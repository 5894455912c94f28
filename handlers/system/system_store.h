// The system module's own store records, each a single record (key column "id", value 0,
// not a field): the local display and audio output, the automatic maintenance retention
// and the automatic reboot time. The layouts are ours: the fields in the order the pages
// name them, as int32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"

// The local monitor outputs and audio ("/6080", "/6081").
struct DisplayRecord {
  int32_t main_resolution;
  int32_t hdmi_audio_on;
  int32_t cur_control;  // non-zero: the sub output has the control, changes need "SUB"
  int32_t sub_enable;
  int32_t sub_resolution;
  int32_t audio_output_on;
  int32_t audio_volume;  // 0 to 100 in steps of 10
  int32_t audio_stereo;
  int32_t quick_screen;  // 1 when the two outputs are not homologous
};
static_assert(sizeof(DisplayRecord) == 36);
static_assert(std::is_trivially_copyable_v<DisplayRecord>);

// Table order is the order of the "/6080" answer's record keys.
inline constexpr FieldDesc kDisplayFields[] = {
    NVR_FIELD(DisplayRecord, main_resolution, "mainResolution"),
    NVR_FIELD(DisplayRecord, hdmi_audio_on, "hdmiAudioOn").range(0, 1),
    NVR_FIELD(DisplayRecord, cur_control, "curControl"),
    NVR_FIELD(DisplayRecord, sub_enable, "subEnable").range(0, 1),
    NVR_FIELD(DisplayRecord, sub_resolution, "subResolution"),
    NVR_FIELD(DisplayRecord, audio_output_on, "audioOutputOn").range(0, 1),
    NVR_FIELD(DisplayRecord, audio_volume, "audioVolume").range(0, 100),
    NVR_FIELD(DisplayRecord, audio_stereo, "audioStereo"),
    NVR_FIELD(DisplayRecord, quick_screen, nullptr),
};
inline constexpr RecordKind kDisplayKind{
    .name = "display", NVR_KIND_FIELDS(DisplayRecord, kDisplayFields), .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kDisplayKind));
NVR_STORE_KIND(DisplayRecord, kDisplayKind);

// How long the recorder keeps logs and pictures ("/1016", "/1017"): -1, 0 or a number of
// months the maintenance page offers.
struct MaintainRecord {
  int32_t log_retention;
  int32_t photo_retention;
};
static_assert(sizeof(MaintainRecord) == 8);
static_assert(std::is_trivially_copyable_v<MaintainRecord>);

inline constexpr FieldDesc kMaintainFields[] = {
    NVR_FIELD(MaintainRecord, log_retention, "logRetention"),
    NVR_FIELD(MaintainRecord, photo_retention, "photoRetention"),
};
inline constexpr RecordKind kMaintainKind{
    .name = "disk_maintain", NVR_KIND_FIELDS(MaintainRecord, kMaintainFields), .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kMaintainKind));
NVR_STORE_KIND(MaintainRecord, kMaintainKind);

// The automatic reboot ("/1032", "/1033"): on or off, the week day and the time of day.
struct AutoRebootRecord {
  int32_t enable;
  int32_t wday;
  int32_t hour;
  int32_t minutes;
  int32_t seconds;
};
static_assert(sizeof(AutoRebootRecord) == 20);
static_assert(std::is_trivially_copyable_v<AutoRebootRecord>);

inline constexpr FieldDesc kAutoRebootFields[] = {
    NVR_FIELD(AutoRebootRecord, enable, "enable"),
    NVR_FIELD(AutoRebootRecord, wday, "wday"),
    NVR_FIELD(AutoRebootRecord, hour, "hour"),
    NVR_FIELD(AutoRebootRecord, minutes, "minutes"),
    NVR_FIELD(AutoRebootRecord, seconds, "seconds"),
};
inline constexpr RecordKind kAutoRebootKind{.name = "autoreboot",
                                            NVR_KIND_FIELDS(AutoRebootRecord, kAutoRebootFields),
                                            .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kAutoRebootKind));
NVR_STORE_KIND(AutoRebootRecord, kAutoRebootKind);
