// A network camera's own alarm input and its sound-level (volume) detection: the camera's
// settings asked from and sent to the core ("/6090" to "/6093"), and the recorder-side
// trigger settings of each kept in the store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "ipc_router.h"
#include "kind_store.h"
#include "linkage.h"

inline constexpr int kCameraIoGet = 3213;         // int32 channel; waits for 8213
inline constexpr int kCameraIoSet = 3214;         // CameraIoCommand, no answer
inline constexpr int kCameraIoAnswer = 8213;      // CameraIoAnswer
inline constexpr int kVolumeDetectGet = 3215;     // int32 channel; waits for 8215
inline constexpr int kVolumeDetectSet = 3216;     // VolumeDetectCommand, no answer
inline constexpr int kVolumeDetectAnswer = 8215;  // VolumeDetectAnswer
inline constexpr int kLogParamCameraIo = 923;
inline constexpr int kLogParamVolumeDetect = 924;

// The recorder-side trigger settings, the same layout for both kinds (one per channel).
struct CameraTriggerRecord {
  int32_t camId;
  int32_t enable;
  uint32_t trigger_mask;  // bit i: character i (0 to 31) of triChannels is "1"
  int32_t triActions;
  char triChannels[65];
  char reserved[3];
};
static_assert(sizeof(CameraTriggerRecord) == 84);
static_assert(offsetof(CameraTriggerRecord, triChannels) == 16);
static_assert(std::is_trivially_copyable_v<CameraTriggerRecord>);

inline constexpr FieldDesc kCameraTriggerFields[] = {
    NVR_FIELD(CameraTriggerRecord, camId, "camId").range(0, kMaxChannels - 1),
    NVR_FIELD(CameraTriggerRecord, enable, "enable").range(0, 1),
    NVR_FIELD(CameraTriggerRecord, trigger_mask, nullptr),
    NVR_FIELD(CameraTriggerRecord, triActions, "triActions"),
    NVR_FIELD(CameraTriggerRecord, triChannels, "triChannels"),
    NVR_FIELD(CameraTriggerRecord, reserved, nullptr),
};
// write_cameraio: the camera alarm input's trigger settings.
inline constexpr RecordKind kCameraIoKind{
    .name = "camera_io",
    NVR_KIND_FIELDS(CameraTriggerRecord, kCameraTriggerFields),
    .key = {"camId", 0, kMaxChannels - 1},
    .list_every_slot = true};
static_assert(record_kind_is_valid(kCameraIoKind));
NVR_STORE_KIND(CameraTriggerRecord, kCameraIoKind);
// write_volumedetect: the same for sound detection, in its own table.
inline constexpr RecordKind kVolumeDetectKind{
    .name = "volume_detect",
    NVR_KIND_FIELDS(CameraTriggerRecord, kCameraTriggerFields),
    .key = {"camId", 0, kMaxChannels - 1},
    .list_every_slot = true};
static_assert(record_kind_is_valid(kVolumeDetectKind));

// ---- Camera records ------------------------------------------------------------------------

struct CameraIoCommand {
  int32_t camId;
  int32_t enable;
  int32_t type;
};
static_assert(sizeof(CameraIoCommand) == 12);
static_assert(std::is_trivially_copyable_v<CameraIoCommand>);

struct VolumeDetectCommand {
  int32_t camId;
  int32_t enable;
  int32_t type;
  int32_t volume;
  int32_t duration;
  int32_t onEvent;
  int32_t offEvent;
  int32_t ongoingEvent;
};
static_assert(sizeof(VolumeDetectCommand) == 32);
static_assert(std::is_trivially_copyable_v<VolumeDetectCommand>);

inline constexpr FieldDesc kCameraIoCommandFields[] = {
    NVR_FIELD(CameraIoCommand, camId, "camId"),
    NVR_FIELD(CameraIoCommand, enable, "enable"),
    NVR_FIELD(CameraIoCommand, type, "type").range(0, INT32_MAX),
};
inline constexpr RecordKind kCameraIoCommandKind{
    .name = "camera_io_command", NVR_KIND_FIELDS(CameraIoCommand, kCameraIoCommandFields)};
static_assert(record_kind_is_valid(kCameraIoCommandKind));

inline constexpr FieldDesc kVolumeDetectCommandFields[] = {
    NVR_FIELD(VolumeDetectCommand, camId, "camId"),
    NVR_FIELD(VolumeDetectCommand, enable, "enable"),
    NVR_FIELD(VolumeDetectCommand, type, "type").range(0, INT32_MAX),
    NVR_FIELD(VolumeDetectCommand, volume, "volume").range(0, INT32_MAX),
    NVR_FIELD(VolumeDetectCommand, duration, "duration").range(0, INT32_MAX),
    NVR_FIELD(VolumeDetectCommand, onEvent, "onEvent").range(0, INT32_MAX),
    NVR_FIELD(VolumeDetectCommand, offEvent, "offEvent").range(0, INT32_MAX),
    NVR_FIELD(VolumeDetectCommand, ongoingEvent, "ongoingEvent").range(0, INT32_MAX),
};
inline constexpr RecordKind kVolumeDetectCommandKind{
    .name = "volume_detect_command",
    NVR_KIND_FIELDS(VolumeDetectCommand, kVolumeDetectCommandFields)};
static_assert(record_kind_is_valid(kVolumeDetectCommandKind));

// The trigger text of an answer fills the record to its end; it is read within that.
struct CameraIoAnswer {
  int32_t unused;
  int32_t camId;
  int32_t enable;
  int32_t type;
  int32_t triActions;
  char triChannels[72];
};
static_assert(sizeof(CameraIoAnswer) == 92);
static_assert(offsetof(CameraIoAnswer, triChannels) == 20);
static_assert(std::is_trivially_copyable_v<CameraIoAnswer>);

struct VolumeDetectAnswer {
  int32_t unused;
  int32_t camId;
  int32_t enable;
  int32_t type;
  int32_t volume;
  int32_t duration;
  int32_t onEvent;
  int32_t offEvent;
  int32_t ongoingEvent;
  int32_t triActions;
  char triChannels[72];
};
static_assert(sizeof(VolumeDetectAnswer) == 112);
static_assert(offsetof(VolumeDetectAnswer, triActions) == 36);
static_assert(std::is_trivially_copyable_v<VolumeDetectAnswer>);

inline constexpr FieldDesc kCameraIoAnswerFields[] = {
    NVR_FIELD(CameraIoAnswer, unused, nullptr),
    NVR_FIELD(CameraIoAnswer, camId, "camId"),
    NVR_FIELD(CameraIoAnswer, enable, "enable"),
    NVR_FIELD(CameraIoAnswer, type, "type"),
    NVR_FIELD(CameraIoAnswer, triActions, "triActions"),
    NVR_FIELD(CameraIoAnswer, triChannels, "triChannels"),
};
inline constexpr RecordKind kCameraIoAnswerKind{
    .name = "camera_io_answer", NVR_KIND_FIELDS(CameraIoAnswer, kCameraIoAnswerFields)};
static_assert(record_kind_is_valid(kCameraIoAnswerKind));

inline constexpr FieldDesc kVolumeDetectAnswerFields[] = {
    NVR_FIELD(VolumeDetectAnswer, unused, nullptr),
    NVR_FIELD(VolumeDetectAnswer, camId, "camId"),
    NVR_FIELD(VolumeDetectAnswer, enable, "enable"),
    NVR_FIELD(VolumeDetectAnswer, type, "type"),
    NVR_FIELD(VolumeDetectAnswer, volume, "volume"),
    NVR_FIELD(VolumeDetectAnswer, duration, "duration"),
    NVR_FIELD(VolumeDetectAnswer, onEvent, "onEvent"),
    NVR_FIELD(VolumeDetectAnswer, offEvent, "offEvent"),
    NVR_FIELD(VolumeDetectAnswer, ongoingEvent, "ongoingEvent"),
    NVR_FIELD(VolumeDetectAnswer, triActions, "triActions"),
    NVR_FIELD(VolumeDetectAnswer, triChannels, "triChannels"),
};
inline constexpr RecordKind kVolumeDetectAnswerKind{
    .name = "volume_detect_answer", NVR_KIND_FIELDS(VolumeDetectAnswer, kVolumeDetectAnswerFields)};
static_assert(record_kind_is_valid(kVolumeDetectAnswerKind));

int on_get_cameraio_info(char* text);
int on_set_cameraio_info(char* text);
int on_get_volumedetect_info(char* text);
int on_set_volumedetect_info(char* text);
int on_get_cameraio_info_cb(int count, const void* payload);
int on_get_volumedetect_info_cb(int count, const void* payload);

inline constexpr IpcAnswerRoute kCameraAlarmAnswers[] = {
    {kCameraIoAnswer, sizeof(CameraIoAnswer), on_get_cameraio_info_cb},
    {kVolumeDetectAnswer, sizeof(VolumeDetectAnswer), on_get_volumedetect_info_cb},
};
