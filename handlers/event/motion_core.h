// The core messages of motion detection: the motion map the cameras keep (answer 8206,
// request 3207), the switch of a camera's own motion schedule (3212), the all-day
// camera schedule (3209, 3252) and the copy of map and sensitivity to several cameras
// (3251). Native little-endian, fixed layouts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core_channels.h"
#include "field_table.h"

inline constexpr int kMotionMapRead = 3206;  // int32 channel; waits for 8206
inline constexpr int kMotionMapAnswer = 8206;
inline constexpr int kMotionMapWrite = 3207;         // MotionMapRecord
inline constexpr int kCameraDayScheduleSet = 3209;   // CameraDaySchedule, list empty
inline constexpr int kCameraScheduleSwitch = 3212;   // CameraScheduleSwitch
inline constexpr int kMotionCopyToCameras = 3251;    // MotionCopyRecord
inline constexpr int kCameraDayScheduleCopy = 3252;  // CameraDaySchedule, channel word 0

inline constexpr int kMotionMapText = 300;

struct MotionMapRecord {
  int32_t enable;            // sent as 0 in 3207
  char map[kMotionMapText];  // detection grid text; may lack its NUL in an answer
  int32_t sensitivity;
  int32_t channel;
  int32_t result;
  int32_t model_type;
  int32_t fish_display;
  int32_t fish_transfer;
  int32_t fish_install;
};
static_assert(sizeof(MotionMapRecord) == 332);
static_assert(offsetof(MotionMapRecord, map) == 4);
static_assert(offsetof(MotionMapRecord, sensitivity) == 304);
static_assert(offsetof(MotionMapRecord, channel) == 308);
static_assert(offsetof(MotionMapRecord, result) == 312);
static_assert(offsetof(MotionMapRecord, model_type) == 316);
static_assert(offsetof(MotionMapRecord, fish_display) == 320);
static_assert(offsetof(MotionMapRecord, fish_transfer) == 324);
static_assert(offsetof(MotionMapRecord, fish_install) == 328);
static_assert(std::is_trivially_copyable_v<MotionMapRecord>);

// The answer's JSON form; its table order is the answer's key order.
extern const RecordKind kMotionMapKind;

struct CameraScheduleSwitch {
  int32_t channel;
  int32_t full_day;  // 1: the camera detects all day, 0: by its own schedule
  CoreChannelList list;
};
static_assert(sizeof(CameraScheduleSwitch) == 268);
static_assert(offsetof(CameraScheduleSwitch, list) == 8);
static_assert(std::is_trivially_copyable_v<CameraScheduleSwitch>);

struct CameraSection {
  int32_t start_hour;
  int32_t start_minute;
  int32_t end_hour;
  int32_t end_minute;
};
struct CameraDay {
  unsigned char zero[64];
  int32_t day;  // 0 to 6
  int32_t enabled;
  CameraSection section[4];
};
struct CameraDaySchedule {
  int32_t channel;
  CameraDay day[7];
  CoreChannelList list;
};
static_assert(sizeof(CameraSection) == 16);
static_assert(sizeof(CameraDay) == 136);
static_assert(offsetof(CameraDay, day) == 64);
static_assert(offsetof(CameraDay, section) == 72);
static_assert(sizeof(CameraDaySchedule) == 1216);
static_assert(offsetof(CameraDaySchedule, day) == 4);
static_assert(offsetof(CameraDaySchedule, list) == 956);
static_assert(offsetof(CameraDaySchedule, list) + offsetof(CoreChannelList, count) == 1212);
static_assert(std::is_trivially_copyable_v<CameraDaySchedule>);

// Every day enabled, all four sections 00:00 to 24:00.
CameraDaySchedule camera_all_day_schedule(int channel, uint64_t list_mask);

struct MotionCopyRecord {
  char map[kMotionMapText];
  int32_t sensitivity;
  int32_t source;
  int32_t full_day;
  CoreChannelList list;
};
static_assert(sizeof(MotionCopyRecord) == 572);
static_assert(offsetof(MotionCopyRecord, sensitivity) == 300);
static_assert(offsetof(MotionCopyRecord, source) == 304);
static_assert(offsetof(MotionCopyRecord, full_day) == 308);
static_assert(offsetof(MotionCopyRecord, list) == 312);
static_assert(offsetof(MotionCopyRecord, list) + offsetof(CoreChannelList, count) == 568);
static_assert(std::is_trivially_copyable_v<MotionCopyRecord>);
