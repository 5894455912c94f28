// Core messages of the camera feature pages: camera-side motion detection, auto tracking,
// watermark, event stream, licence-plate night mode, audio, the camera's log, custom
// parameters, system capabilities and the camera firmware upgrade. Native little-endian,
// fixed layouts; one struct per message, each field declared once in its table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core_channels.h"
#include "field_table.h"
#include "linkage.h"

// ---- Request types -----------------------------------------------------------------------

inline constexpr int kReqWatermarkQuery = 1213;
inline constexpr int kReqWatermarkChange = 1216;
inline constexpr int kReqEventStreamQuery = 1217;
inline constexpr int kReqEventStreamChange = 1218;
inline constexpr int kReqNightModeQuery = 1219;
inline constexpr int kReqPtzSupport = 1262;
inline constexpr int kReqIpcType = 2507;
inline constexpr int kReqAutoTrackingQuery = 3294;
inline constexpr int kReqIpcMotionQuery = 3358;
inline constexpr int kReqIpcLog = 3360;
inline constexpr int kReqIpcMotionChange = 3366;
inline constexpr int kReqAudioQuery = 3371;
inline constexpr int kReqAudioChange = 3372;
inline constexpr int kReqAutoTrackingChange = 3375;
inline constexpr int kReqIpcSystemInfo = 3376;
inline constexpr int kReqCustomParam = 3377;
inline constexpr int kReqUpgradeStart = 3379;
inline constexpr int kReqUpgradePrepare = 3385;
inline constexpr int kReqUpgradeStatus = 3386;
inline constexpr int kReqUpgradeStop = 3390;
// Changes of the settings the recorder stores, told to the core afterwards.
inline constexpr int kReqPeopleCountGroups = 2290;
inline constexpr int kReqPeopleCountDbReset = 2291;
inline constexpr int kReqPeopleCountLiveviewReset = 2292;
inline constexpr int kReqPeopleCountAction = 2293;
inline constexpr int kReqPosChange = 1421;
inline constexpr int kReqReportBackupChange = 1423;
inline constexpr int kReqFaceActionChange = 3383;  // notice
inline constexpr int kReqFaceConfig = 3381;

// Texts of up to 64 "0"/"1" characters select channels; longer texts are read only that far.
inline constexpr int kChannelTextMax = 64;
// The upgrade masks name at most 16 cameras.
inline constexpr int kUpgradeChannels = 16;

// ---- Camera motion detection (8358 answer, 3366 change) ------------------------------------

struct IpcMotion {
  int32_t chnid;
  int32_t enable;
  int32_t sensitivity;
  int32_t minsize;
  int32_t mintime;
  int32_t adaptability;
  char map_mask[300];
  ScheduleBlock effective;
};
static_assert(sizeof(IpcMotion) == 26500);
static_assert(offsetof(IpcMotion, minsize) == 12);
static_assert(offsetof(IpcMotion, map_mask) == 24);
static_assert(offsetof(IpcMotion, effective) == 324);

struct IpcMotionAnswer {
  IpcMotion motion;
  int32_t isNtPlatform;
};
static_assert(sizeof(IpcMotionAnswer) == 26504);
static_assert(offsetof(IpcMotionAnswer, isNtPlatform) == 26500);
static_assert(std::is_trivially_copyable_v<IpcMotionAnswer>);

struct IpcMotionChange {
  CoreChannelMask copy;  // the channels the settings are copied to, the own one included
  IpcMotion motion;
  int32_t reserved;
};
static_assert(sizeof(IpcMotionChange) == 26512);
static_assert(offsetof(IpcMotionChange, motion) == 8);
static_assert(std::is_trivially_copyable_v<IpcMotionChange>);

// The schedule is not in the table: it goes through the camera schedule codec.
inline constexpr FieldDesc kIpcMotionFields[] = {
    NVR_FIELD(IpcMotion, chnid, "chnid"),
    NVR_FIELD(IpcMotion, enable, "enable"),
    NVR_FIELD(IpcMotion, sensitivity, "sensitivity"),
    NVR_FIELD(IpcMotion, minsize, "minsize"),
    NVR_FIELD(IpcMotion, mintime, "mintime"),
    NVR_FIELD(IpcMotion, adaptability, "adaptability"),
    NVR_FIELD(IpcMotion, map_mask, "map_mask"),
};
inline constexpr RecordKind kIpcMotionKind{.name = "ipc_motion",
                                           NVR_KIND_FIELDS(IpcMotion, kIpcMotionFields)};
static_assert(record_kind_is_valid(kIpcMotionKind));

// ---- Auto tracking (8294 answer, 3375 change) ----------------------------------------------

struct AutoTracking {
  int32_t chnid;
  int32_t enable;
  int32_t show;
  int32_t sensitivity;
  int32_t time;
  int32_t manual_tracking;
  int32_t zoom_mode;
  int32_t zoom_number;
  ScheduleBlock schedule;
  char area[300];
  int32_t humanVehicleSupport;
  int32_t trackingObject;
  int32_t reportMotion;
};
static_assert(sizeof(AutoTracking) == 26520);
static_assert(offsetof(AutoTracking, schedule) == 32);
static_assert(offsetof(AutoTracking, area) == 26208);
static_assert(offsetof(AutoTracking, humanVehicleSupport) == 26508);
static_assert(offsetof(AutoTracking, reportMotion) == 26516);
static_assert(std::is_trivially_copyable_v<AutoTracking>);

struct AutoTrackingChange {
  CoreChannelMask channels;
  AutoTracking tracking;
};
static_assert(sizeof(AutoTrackingChange) == 26528);
static_assert(std::is_trivially_copyable_v<AutoTrackingChange>);

// Key order of the page's answer; the schedule, not in the table, goes through the standard
// schedule codec.
inline constexpr FieldDesc kAutoTrackingFields[] = {
    NVR_FIELD(AutoTracking, chnid, "chnid"),
    NVR_FIELD(AutoTracking, enable, "enable"),
    NVR_FIELD(AutoTracking, show, "show"),
    NVR_FIELD(AutoTracking, sensitivity, "sensitivity"),
    NVR_FIELD(AutoTracking, time, "time"),
    NVR_FIELD(AutoTracking, manual_tracking, "manual_tracking"),
    NVR_FIELD(AutoTracking, zoom_mode, "zoom_mode"),
    NVR_FIELD(AutoTracking, zoom_number, "zoom_number"),
    NVR_FIELD(AutoTracking, area, "area"),
    NVR_FIELD(AutoTracking, humanVehicleSupport, "humanVehicleSupport"),
    NVR_FIELD(AutoTracking, trackingObject, "trackingObject"),
    NVR_FIELD(AutoTracking, reportMotion, "reportMotion"),
};
inline constexpr RecordKind kAutoTrackingKind{.name = "auto_tracking",
                                              NVR_KIND_FIELDS(AutoTracking, kAutoTrackingFields)};
static_assert(record_kind_is_valid(kAutoTrackingKind));

// ---- Watermark (6213 answer entries, 1216 change) ------------------------------------------

struct Watermark {
  int32_t chnid;
  int32_t enable;
  int32_t reserved;
  char watermark[32];
};
static_assert(sizeof(Watermark) == 44);
static_assert(offsetof(Watermark, watermark) == 12);
static_assert(std::is_trivially_copyable_v<Watermark>);

struct WatermarkChange {
  Watermark mark;
  char copy[64];  // "0"/"1" per channel, no terminator; the own channel always "1"
  int32_t reserved;
};
static_assert(sizeof(WatermarkChange) == 112);
static_assert(offsetof(WatermarkChange, copy) == 44);
static_assert(std::is_trivially_copyable_v<WatermarkChange>);

inline constexpr FieldDesc kWatermarkFields[] = {
    NVR_FIELD(Watermark, chnid, "chnid"),
    NVR_FIELD(Watermark, enable, "enable"),
    NVR_FIELD(Watermark, reserved, nullptr),
    NVR_FIELD(Watermark, watermark, "watermark"),
};
inline constexpr RecordKind kWatermarkKind{.name = "watermark",
                                           NVR_KIND_FIELDS(Watermark, kWatermarkFields)};
static_assert(record_kind_is_valid(kWatermarkKind));

// ---- Event stream (1217 query, 6217 answer, 1218 change) -----------------------------------

struct EventStreamQuery {
  int32_t chnid;
  int32_t fisheyeType;
};
static_assert(sizeof(EventStreamQuery) == 8);

struct EventStream {
  int32_t chnid;
  int32_t reserved;
  int32_t enable;
  int32_t framerate;
  int32_t bitrate;
  int32_t iframeinterval;
};
static_assert(sizeof(EventStream) == 24);
static_assert(offsetof(EventStream, enable) == 8);
static_assert(offsetof(EventStream, iframeinterval) == 20);
static_assert(std::is_trivially_copyable_v<EventStream>);

inline constexpr FieldDesc kEventStreamFields[] = {
    NVR_FIELD(EventStream, chnid, "chnid"),
    NVR_FIELD(EventStream, reserved, nullptr),
    NVR_FIELD(EventStream, enable, "enable"),
    NVR_FIELD(EventStream, framerate, "framerate"),
    NVR_FIELD(EventStream, bitrate, "bitrate"),
    NVR_FIELD(EventStream, iframeinterval, "iframeinterval"),
};
inline constexpr RecordKind kEventStreamKind{.name = "event_stream",
                                             NVR_KIND_FIELDS(EventStream, kEventStreamFields)};
static_assert(record_kind_is_valid(kEventStreamKind));

// ---- Licence-plate night mode (1219 query: the channel; 6219 answer) -----------------------
// The answer's layout is ours to choose: the channel, then the mode, as the other
// single-channel answers of the cameras.

struct NightModeAnswer {
  int32_t chnid;
  int32_t nightMode;
};
static_assert(sizeof(NightModeAnswer) == 8);
static_assert(std::is_trivially_copyable_v<NightModeAnswer>);

inline constexpr FieldDesc kNightModeFields[] = {
    NVR_FIELD(NightModeAnswer, chnid, "chnid"),
    NVR_FIELD(NightModeAnswer, nightMode, "nightMode"),
};
inline constexpr RecordKind kNightModeKind{.name = "lpr_night_mode",
                                           NVR_KIND_FIELDS(NightModeAnswer, kNightModeFields)};
static_assert(record_kind_is_valid(kNightModeKind));

// ---- Audio (3371 query, 8371 answer, 3372 change) ------------------------------------------

inline constexpr int kAudioOptions = 9;
inline constexpr int kAudioSampleRates = 8;      // used of the 9 slots of an option
inline constexpr int kAudioSampleRateSlots = 9;  // the 656-byte option's room
inline constexpr int kAudioBitrates = 9;         // used of the 16 slots of a sample rate

struct AudioSampleRate {
  int32_t sampleRateValue;
  int32_t bitrateCount;
  int32_t bitrate[16];
};
static_assert(sizeof(AudioSampleRate) == 72);

struct AudioOption {
  int32_t encodeValue;
  int32_t sampleRateCount;
  AudioSampleRate rate[kAudioSampleRateSlots];
};
static_assert(sizeof(AudioOption) == 656);

struct AudioConfig {
  int32_t chnid;
  int32_t audioEnable;
  int32_t audioMode;
  int32_t denoise;
  int32_t encoding;
  int32_t sampleRate;
  int32_t inputGain;
  int32_t inputMode;
  int32_t audioGainControl;
  int32_t outputVolume;
  int32_t audioBitrate;
};
static_assert(sizeof(AudioConfig) == 44);

struct AudioAnswer {
  int32_t res;
  int32_t support;
  int32_t supportMode;
  int32_t supportInputMode;
  int32_t optionCount;
  AudioOption option[kAudioOptions];
  AudioConfig current;
};
static_assert(sizeof(AudioAnswer) == 5968);
static_assert(offsetof(AudioAnswer, option) == 20);
static_assert(offsetof(AudioAnswer, option[1]) == 20 + 656);
static_assert(offsetof(AudioAnswer, option[0].rate[1]) == 28 + 72);
static_assert(offsetof(AudioAnswer, current) == 5924);
static_assert(std::is_trivially_copyable_v<AudioAnswer>);

struct AudioChange {
  CoreChannelMask channels;
  AudioConfig config;
  int32_t reserved;
};
static_assert(sizeof(AudioChange) == 56);
static_assert(offsetof(AudioChange, config) == 8);
static_assert(std::is_trivially_copyable_v<AudioChange>);

inline constexpr FieldDesc kAudioConfigFields[] = {
    NVR_FIELD(AudioConfig, chnid, "chnid"),
    NVR_FIELD(AudioConfig, audioEnable, "audioEnable"),
    NVR_FIELD(AudioConfig, audioMode, "audioMode"),
    NVR_FIELD(AudioConfig, denoise, "denoise"),
    NVR_FIELD(AudioConfig, encoding, "encoding"),
    NVR_FIELD(AudioConfig, sampleRate, "sampleRate"),
    NVR_FIELD(AudioConfig, inputGain, "inputGain"),
    NVR_FIELD(AudioConfig, inputMode, "inputMode"),
    NVR_FIELD(AudioConfig, audioGainControl, "audioGainControl"),
    NVR_FIELD(AudioConfig, outputVolume, "outputVolume"),
    NVR_FIELD(AudioConfig, audioBitrate, "audioBitrate"),
};
inline constexpr RecordKind kAudioConfigKind{.name = "ipc_audio",
                                             NVR_KIND_FIELDS(AudioConfig, kAudioConfigFields)};
static_assert(record_kind_is_valid(kAudioConfigKind));

// ---- The camera's log (3360 query; 8360 answers its text) ----------------------------------

struct IpcLogQuery {
  int32_t chnid;
  int32_t mainType;
  int32_t subType;
  char time[64];
};
static_assert(sizeof(IpcLogQuery) == 76);
static_assert(std::is_trivially_copyable_v<IpcLogQuery>);

inline constexpr FieldDesc kIpcLogQueryFields[] = {
    NVR_FIELD(IpcLogQuery, chnid, "chnid"),
    NVR_FIELD(IpcLogQuery, mainType, "mainType"),
    NVR_FIELD(IpcLogQuery, subType, "subType"),
    NVR_FIELD(IpcLogQuery, time, "time"),
};
inline constexpr RecordKind kIpcLogQueryKind{.name = "ipc_log_query",
                                             NVR_KIND_FIELDS(IpcLogQuery, kIpcLogQueryFields)};
static_assert(record_kind_is_valid(kIpcLogQueryKind));

// ---- Custom parameter (3377 query, 8377 answer entries) ------------------------------------

struct CustomParamQuery {
  int32_t chnid;
  char url[256];
};
static_assert(sizeof(CustomParamQuery) == 260);
static_assert(std::is_trivially_copyable_v<CustomParamQuery>);

struct CustomParamAnswer {
  int32_t res;
  int32_t chnid;
  char data[512];
};
static_assert(sizeof(CustomParamAnswer) == 520);
static_assert(offsetof(CustomParamAnswer, data) == 8);
static_assert(std::is_trivially_copyable_v<CustomParamAnswer>);

inline constexpr FieldDesc kCustomParamFields[] = {
    NVR_FIELD(CustomParamAnswer, res, "res"),
    NVR_FIELD(CustomParamAnswer, chnid, "chnid"),
    NVR_FIELD(CustomParamAnswer, data, "data"),
};
inline constexpr RecordKind kCustomParamKind{
    .name = "ipc_custom_param", NVR_KIND_FIELDS(CustomParamAnswer, kCustomParamFields)};
static_assert(record_kind_is_valid(kCustomParamKind));

// ---- System capabilities (3376 query, 8376 answer) -----------------------------------------
// The page reads the first six ints; the rest of the 880 bytes is the core's.

struct IpcSystemInfo {
  int32_t res;
  int32_t audioSupport;
  int32_t audioSupportMode;
  int32_t audioLineInputSupport;
  int32_t systemSpeakerSupport;
  int32_t systemManualSpeedSupport;
  unsigned char reserved[856];
};
static_assert(sizeof(IpcSystemInfo) == 880);
static_assert(offsetof(IpcSystemInfo, systemManualSpeedSupport) == 20);
static_assert(std::is_trivially_copyable_v<IpcSystemInfo>);

inline constexpr FieldDesc kIpcSystemInfoFields[] = {
    NVR_FIELD(IpcSystemInfo, res, "res"),
    NVR_FIELD(IpcSystemInfo, audioSupport, "audioSupport"),
    NVR_FIELD(IpcSystemInfo, audioSupportMode, "audioSupportMode"),
    NVR_FIELD(IpcSystemInfo, audioLineInputSupport, "audioLineInputSupport"),
    NVR_FIELD(IpcSystemInfo, systemSpeakerSupport, "systemSpeakerSupport"),
    NVR_FIELD(IpcSystemInfo, systemManualSpeedSupport, "systemManualSpeedSupport"),
    NVR_FIELD(IpcSystemInfo, reserved, nullptr),
};
inline constexpr RecordKind kIpcSystemInfoKind{
    .name = "ipc_system_info", NVR_KIND_FIELDS(IpcSystemInfo, kIpcSystemInfoFields)};
static_assert(record_kind_is_valid(kIpcSystemInfoKind));

// ---- Camera firmware upgrade (3385 prepare, 3379 start, 3386 status, 3390 stop) ------------

inline constexpr const char* kIpcUpgradeImage = "/dev/shm/updateIPCFM.bin";

struct UpgradePrepare {
  CoreChannelMask channels;
  CoreChannelMask keep;  // complement of the channels to reset to factory settings
  int32_t fileSize;
  unsigned char reserved[260];
};
static_assert(sizeof(UpgradePrepare) == 280);
static_assert(offsetof(UpgradePrepare, fileSize) == 16);
static_assert(std::is_trivially_copyable_v<UpgradePrepare>);

struct UpgradeStart {
  CoreChannelMask channels;
  int64_t reset;
  int32_t reserved;
  char url[128];
  char image[132];
};
static_assert(sizeof(UpgradeStart) == 280);
static_assert(offsetof(UpgradeStart, reset) == 8);
static_assert(offsetof(UpgradeStart, url) == 20);
static_assert(offsetof(UpgradeStart, image) == 148);
static_assert(std::is_trivially_copyable_v<UpgradeStart>);

struct UpgradeStatus {
  CoreChannelMask channels;
  int32_t status[kUpgradeChannels];
};
static_assert(sizeof(UpgradeStatus) == 72);
static_assert(offsetof(UpgradeStatus, status) == 8);
static_assert(std::is_trivially_copyable_v<UpgradeStatus>);
