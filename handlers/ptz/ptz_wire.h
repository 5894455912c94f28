// Core messages of PTZ control: request and answer layouts (native little-endian int32
// words, fixed text fields that an answer may fill to the end), their types, and the
// field tables through which handlers fill requests from the web's JSON and turn answers
// into JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "camera/camera_params_wire.h"
#include "field_table.h"

// ---- Message types ------------------------------------------------------------------------

inline constexpr int kPtzCommand = 1251;         // PtzCommand, no answer
inline constexpr int kPtzPortChanged = 1252;     // int32 channel, no answer
inline constexpr int kPtzPresetOp = 1253;        // PtzCommand, no answer
inline constexpr int kPtzPattern = 1254;         // PtzCommand (pattern id as preset), no answer
inline constexpr int kPtzTourClear = 1257;       // PtzTourControl, no answer
inline constexpr int kPtzTourRun = 1260;         // PtzTourControl, no answer
inline constexpr int kPtzTourStop = 1261;        // PtzTourControl, no answer
inline constexpr int kPtzSupportQuery = 1262;    // int32 camera, answered by 6262
inline constexpr int kPtzTourChange = 1264;      // PtzTourChange, no answer
inline constexpr int kPtzStateQuery = 1265;      // int32 channel, answered by 6265
inline constexpr int kPtzPresetCall = 1266;      // PtzPresetCall, no answer
inline constexpr int kPtzZoom = 1267;            // PtzZoom, no answer
inline constexpr int kPtzFishStateQuery = 1268;  // PtzFishStateQuery, answered by 6268
inline constexpr int kPtzFishTourChange = 1269;  // PtzFishTourChange, no answer
inline constexpr int kPtzBasicQuery = 1270;      // int32 channel, answered by 6270
inline constexpr int kPtzBasicChange = 1271;     // PtzBasicSettings, answered by 6271
inline constexpr int kPtzCommonParam = 3226;     // PtzCommonParam, answered by 8226
inline constexpr int kPtzControl = 3361;         // PtzControlRequest, answered by 8361
inline constexpr int kPtzLightQuery = 3363;      // int32 channel, answered by 8363

inline constexpr int kPtzAnswerOffset = 5000;

inline constexpr int kPtzTours = 8;       // tour numbers 1 to 8, index tourid - 1
inline constexpr int kPtzTourSteps = 48;  // steps of one tour
inline constexpr int kPtzPresets = 300;   // presets of the state answer
inline constexpr int kPtzPresetMax = 300;
inline constexpr int kPtzPatterns = 4;
inline constexpr int kPtzStatusGroups = 5;
inline constexpr int kPtzPresetNameMax = 30;  // characters of a preset name

// Action codes the web side gives a meaning to; the others pass through unchanged.
inline constexpr int kPtzActionFocus = 21;  // followed by 12 when the camera focuses by itself
inline constexpr int kPtzActionAutoFocus = 12;
inline constexpr int kPtzActionSetPreset = 22;  // carries the preset name

// ---- Requests ----------------------------------------------------------------------------

// 1251 command, 1253 preset operation, 1254 pattern.
struct PtzCommand {
  int32_t channelId;
  int32_t action;
  int32_t presetId;  // the pattern id for 1254
  int32_t panSpeed;
  int32_t tiltSpeed;
  int32_t zoomSpeed;
  int32_t focusSpeed;
  int32_t zero;
  char name[32];  // only with action 22 of a preset operation
  int32_t fisheyeType;
  int32_t streamId;
};
static_assert(sizeof(PtzCommand) == 72);
static_assert(offsetof(PtzCommand, action) == 4);
static_assert(offsetof(PtzCommand, presetId) == 8);
static_assert(offsetof(PtzCommand, panSpeed) == 12);
static_assert(offsetof(PtzCommand, focusSpeed) == 24);
static_assert(offsetof(PtzCommand, zero) == 28);
static_assert(offsetof(PtzCommand, name) == 32);
static_assert(offsetof(PtzCommand, fisheyeType) == 64);
static_assert(offsetof(PtzCommand, streamId) == 68);
static_assert(std::is_trivially_copyable_v<PtzCommand>);

// The ranges are those of a preset operation; the name is taken apart (30 characters).
inline constexpr FieldDesc kPtzCommandFields[] = {
    NVR_FIELD(PtzCommand, channelId, "channelId").range(0, 63),
    NVR_FIELD(PtzCommand, action, "action").range(0, INT32_MAX),
    NVR_FIELD(PtzCommand, presetId, "presetId").range(0, kPtzPresetMax),
    NVR_FIELD(PtzCommand, panSpeed, "panSpeed").range(0, INT32_MAX),
    NVR_FIELD(PtzCommand, tiltSpeed, "tiltSpeed").range(0, INT32_MAX),
    NVR_FIELD(PtzCommand, zoomSpeed, "zoomSpeed").range(0, INT32_MAX),
    NVR_FIELD(PtzCommand, focusSpeed, "focusSpeed").range(0, INT32_MAX),
    NVR_FIELD(PtzCommand, zero, nullptr),
    NVR_FIELD(PtzCommand, name, nullptr),
    NVR_FIELD(PtzCommand, fisheyeType, "fisheyeType"),
    NVR_FIELD(PtzCommand, streamId, "streamId"),
};
inline constexpr RecordKind kPtzCommandKind{.name = "ptz_command",
                                            NVR_KIND_FIELDS(PtzCommand, kPtzCommandFields)};
static_assert(record_kind_is_valid(kPtzCommandKind));

// 1257 tour clear, 1260 tour run, 1261 tour stop.
struct PtzTourControl {
  int32_t chn;
  int32_t tourid;
  int32_t zero[4];
  int32_t fisheyeType;
  int32_t streamId;
};
static_assert(sizeof(PtzTourControl) == 32);
static_assert(offsetof(PtzTourControl, tourid) == 4);
static_assert(offsetof(PtzTourControl, fisheyeType) == 24);
static_assert(offsetof(PtzTourControl, streamId) == 28);
static_assert(std::is_trivially_copyable_v<PtzTourControl>);

inline constexpr FieldDesc kPtzTourControlFields[] = {
    NVR_FIELD(PtzTourControl, chn, "chn").range(0, 63),
    NVR_FIELD(PtzTourControl, tourid, "tourid"),
    NVR_FIELD(PtzTourControl, zero, nullptr),
    NVR_FIELD(PtzTourControl, fisheyeType, "fisheyeType"),
    NVR_FIELD(PtzTourControl, streamId, "streamId"),
};
inline constexpr RecordKind kPtzTourControlKind{
    .name = "ptz_tour_control", NVR_KIND_FIELDS(PtzTourControl, kPtzTourControlFields)};
static_assert(record_kind_is_valid(kPtzTourControlKind));

// One step of a tour as 1264 carries it (and as the store keeps it).
struct PtzTourStep {
  int32_t preset;  // 0: empty step
  int32_t time;    // dwell time
  int32_t speed;
};
static_assert(sizeof(PtzTourStep) == 12);
static_assert(std::is_trivially_copyable_v<PtzTourStep>);

// 1264: the changed steps of one tour.
struct PtzTourChange {
  int32_t chn;
  int32_t tourid;
  int32_t rowsize;  // steps filled from the request
  PtzTourStep step[kPtzTourSteps];
};
static_assert(sizeof(PtzTourChange) == 588);
static_assert(offsetof(PtzTourChange, rowsize) == 8);
static_assert(offsetof(PtzTourChange, step) == 12);
static_assert(std::is_trivially_copyable_v<PtzTourChange>);

// One fisheye tour of 1269: the three columns one after the other.
struct PtzFishTour {
  int32_t preset[kPtzTourSteps];
  int32_t time[kPtzTourSteps];
  int32_t speed[kPtzTourSteps];
};
static_assert(sizeof(PtzFishTour) == 576);

// 1269: a fisheye camera's tour; only the addressed tour is filled.
struct PtzFishTourChange {
  int32_t chn;
  int32_t streamId;
  int32_t tour;  // tourid - 1
  PtzFishTour tours[kPtzTours];
};
static_assert(sizeof(PtzFishTourChange) == 4620);
static_assert(offsetof(PtzFishTourChange, tour) == 8);
static_assert(offsetof(PtzFishTourChange, tours) == 12);
static_assert(std::is_trivially_copyable_v<PtzFishTourChange>);

// 1268: the state of one stream of a fisheye camera.
struct PtzFishStateQuery {
  int32_t chn;
  int32_t streamId;
};
static_assert(sizeof(PtzFishStateQuery) == 8);

// 1266: call a preset.
struct PtzPresetCall {
  int32_t channelId;
  int32_t action;
};
static_assert(sizeof(PtzPresetCall) == 8);
inline constexpr FieldDesc kPtzPresetCallFields[] = {
    NVR_FIELD(PtzPresetCall, channelId, "channelId").range(0, 63),
    NVR_FIELD(PtzPresetCall, action, "action"),
};
inline constexpr RecordKind kPtzPresetCallKind{
    .name = "ptz_preset_call", NVR_KIND_FIELDS(PtzPresetCall, kPtzPresetCallFields)};
static_assert(record_kind_is_valid(kPtzPresetCallKind));

// 1267: zoom.
struct PtzZoom {
  int32_t camId;
  int32_t Zoom;
  int32_t ZoomSpeed;
};
static_assert(sizeof(PtzZoom) == 12);
inline constexpr FieldDesc kPtzZoomFields[] = {
    NVR_FIELD(PtzZoom, camId, "camId").range(0, 63),
    NVR_FIELD(PtzZoom, Zoom, "Zoom"),
    NVR_FIELD(PtzZoom, ZoomSpeed, "ZoomSpeed"),
};
inline constexpr RecordKind kPtzZoomKind{.name = "ptz_zoom",
                                         NVR_KIND_FIELDS(PtzZoom, kPtzZoomFields)};
static_assert(record_kind_is_valid(kPtzZoomKind));

// 3361: a PTZ control command.
struct PtzControlRequest {
  int32_t chnid;
  int32_t ptzCmd;
};
static_assert(sizeof(PtzControlRequest) == 8);
inline constexpr FieldDesc kPtzControlFields[] = {
    NVR_FIELD(PtzControlRequest, chnid, "chnid").range(0, 63),
    NVR_FIELD(PtzControlRequest, ptzCmd, "ptzCmd"),
};
inline constexpr RecordKind kPtzControlKind{.name = "ptz_control",
                                            NVR_KIND_FIELDS(PtzControlRequest, kPtzControlFields)};
static_assert(record_kind_is_valid(kPtzControlKind));

// 3226: the camera pages' common parameter change, here for the speed push and the
// fisheye preset name.
using PtzCommonParam = CommonParamRequest;

// ---- Answers -----------------------------------------------------------------------------

// 6265 and 6268: the whole PTZ state of a channel (3901 int32 words).
struct PtzPresetSlot {
  int32_t enable;
  char name[32];  // may fill the field without a NUL
};
struct PtzStateAnswer {
  PtzPresetSlot preset[kPtzPresets];
  PtzFishTour tour[kPtzTours];  // 48 preset ids, 48 dwell times, 48 speeds each
  int32_t pattern_enable[kPtzPatterns];
  int32_t tour_status[kPtzStatusGroups][8];
  int32_t autoscan_status[kPtzStatusGroups];
};
static_assert(sizeof(PtzPresetSlot) == 36);
static_assert(sizeof(PtzStateAnswer) == 15604);
static_assert(offsetof(PtzStateAnswer, tour) == 4 * 2700);
static_assert(offsetof(PtzStateAnswer, pattern_enable) == 4 * 3852);
static_assert(offsetof(PtzStateAnswer, tour_status) == 4 * 3856);
static_assert(offsetof(PtzStateAnswer, autoscan_status) == 4 * 3896);
static_assert(std::is_trivially_copyable_v<PtzStateAnswer>);

// 6270 answer and 1271 change: the camera's PTZ basic settings.
struct PtzBasicSettings {
  int32_t status;
  int32_t chnId;
  int32_t zoomStatus;
  int32_t panTiltStatus;
  int32_t presetStatus;
  int32_t patrolStatus;
  int32_t patternStatus;
  int32_t autoScanStatus;
  int32_t presetFreezing;
  int32_t presetSpeed;
  int32_t manualSpeed;
  int32_t patrolRecovering;
  int32_t patrolRecoveryTime;
  int32_t focusMode;
  int32_t minFocusDistance;
  int32_t resumeTime;
  int32_t fanWorkingMode;
  char channelMask[68];  // the channels a change applies to, "0"/"1" per channel
};
static_assert(sizeof(PtzBasicSettings) == 136);
static_assert(offsetof(PtzBasicSettings, chnId) == 4);
static_assert(offsetof(PtzBasicSettings, focusMode) == 52);
static_assert(offsetof(PtzBasicSettings, fanWorkingMode) == 64);
static_assert(offsetof(PtzBasicSettings, channelMask) == 68);
static_assert(std::is_trivially_copyable_v<PtzBasicSettings>);

inline constexpr FieldDesc kPtzBasicFields[] = {
    NVR_FIELD(PtzBasicSettings, status, "status"),
    NVR_FIELD(PtzBasicSettings, chnId, "chnId").range(0, 63),
    NVR_FIELD(PtzBasicSettings, zoomStatus, "zoomStatus"),
    NVR_FIELD(PtzBasicSettings, panTiltStatus, "panTiltStatus"),
    NVR_FIELD(PtzBasicSettings, presetStatus, "presetStatus"),
    NVR_FIELD(PtzBasicSettings, patrolStatus, "patrolStatus"),
    NVR_FIELD(PtzBasicSettings, patternStatus, "patternStatus"),
    NVR_FIELD(PtzBasicSettings, autoScanStatus, "autoScanStatus"),
    NVR_FIELD(PtzBasicSettings, presetFreezing, "presetFreezing"),
    NVR_FIELD(PtzBasicSettings, presetSpeed, "presetSpeed"),
    NVR_FIELD(PtzBasicSettings, manualSpeed, "manualSpeed"),
    NVR_FIELD(PtzBasicSettings, patrolRecovering, "patrolRecovering"),
    NVR_FIELD(PtzBasicSettings, patrolRecoveryTime, "patrolRecoveryTime"),
    NVR_FIELD(PtzBasicSettings, focusMode, "focusMode"),
    NVR_FIELD(PtzBasicSettings, minFocusDistance, "minFocusDistance"),
    NVR_FIELD(PtzBasicSettings, resumeTime, "resumeTime"),
    NVR_FIELD(PtzBasicSettings, fanWorkingMode, "fanWorkingMode"),
    NVR_FIELD(PtzBasicSettings, channelMask, "channelMask"),
};
inline constexpr RecordKind kPtzBasicKind{.name = "ptz_basic",
                                          NVR_KIND_FIELDS(PtzBasicSettings, kPtzBasicFields)};
static_assert(record_kind_is_valid(kPtzBasicKind));
// The answer names every field but the mask, which only a change carries.
inline constexpr auto kPtzBasicAnswerKeys = pick_keys(
    kPtzBasicKind, {"status", "chnId", "zoomStatus", "panTiltStatus", "presetStatus",
                    "patrolStatus", "patternStatus", "autoScanStatus", "presetFreezing",
                    "presetSpeed", "manualSpeed", "patrolRecovering", "patrolRecoveryTime",
                    "focusMode", "minFocusDistance", "resumeTime", "fanWorkingMode"});

// 8363: the state of a camera's light. The layout is ours to choose: the channel and its
// state, as the answer's JSON names them.
struct PtzLightAnswer {
  int32_t chnid;
  int32_t status;
};
static_assert(sizeof(PtzLightAnswer) == 8);
inline constexpr FieldDesc kPtzLightFields[] = {
    NVR_FIELD(PtzLightAnswer, chnid, "chnid"),
    NVR_FIELD(PtzLightAnswer, status, "status"),
};
inline constexpr RecordKind kPtzLightKind{.name = "ptz_light",
                                          NVR_KIND_FIELDS(PtzLightAnswer, kPtzLightFields)};
static_assert(record_kind_is_valid(kPtzLightKind));
