// What the alarm module exchanges with the core daemon: the notices after a change, the
// camera contact commands, the camera contact state it asks for (answers 8298, 8296), the
// module's answer table, callback and CoreLink, and its log parameter types.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "alarm/alarm_store.h"
#include "core_channels.h"
#include "handler_kit.h"
#include "ipc_router.h"

// ---- Request types -----------------------------------------------------------------------

inline constexpr int kAlarmInChanged = 1404;          // int32 input, no answer
inline constexpr int kAlarmOutChanged = 1405;         // int32 output, no answer
inline constexpr int kAlarmOutTrigger = 1409;         // AlarmOutTrigger, no answer
inline constexpr int kAlarmInLinkageChanged = 1415;   // input mask, no answer
inline constexpr int kCameraAlarmInChanged = 1417;    // channel mask, no answer
inline constexpr int kCameraAlarmOutChanged = 1418;   // channel mask, no answer
inline constexpr int kGetCameraAlarmOut = 3296;       // int32 channel, answered by 8296
inline constexpr int kGetCameraAlarmIn = 3298;        // CameraAlarmInQuery, answered by 8298
inline constexpr int kSetCameraAlarmOut = 3324;       // CameraAlarmOutSet, no answer
inline constexpr int kSetCameraAlarmIn = 3325;        // CameraAlarmInSet, no answer
inline constexpr int kSetCameraAlarmOutState = 3352;  // CameraAlarmOutState, no answer

// Parameter types of the module's operation log records.
inline constexpr int kLogParamAlarmIn = 910;
inline constexpr int kLogParamAlarmOut = 911;

// ---- Payloads ----------------------------------------------------------------------------

struct AlarmOutTrigger {
  int32_t id;  // output 0 to 3
  int32_t enable;
};
static_assert(sizeof(AlarmOutTrigger) == 8);
static_assert(std::is_trivially_copyable_v<AlarmOutTrigger>);

// 3298: the channel and the number of inputs asked for.
struct CameraAlarmInQuery {
  int32_t channel;
  int32_t reserved[12];
  int32_t count;  // always 4
};
static_assert(sizeof(CameraAlarmInQuery) == 56);
static_assert(offsetof(CameraAlarmInQuery, count) == 52);
static_assert(std::is_trivially_copyable_v<CameraAlarmInQuery>);

// 3325: the camera's inputs as the page set them, for the channel and its copies.
struct CameraAlarmInSetEntry {
  int32_t reserved;
  int32_t enable;
  int32_t index;
  int32_t type;
};
struct CameraAlarmInSet {
  CameraAlarmInSetEntry entry[kCameraAlarmInputs];
  int32_t count;  // entries filled
  int32_t reserved;
  CoreChannelMask mask;  // the copy channels plus the channel itself
};
static_assert(sizeof(CameraAlarmInSet) == 80);
static_assert(offsetof(CameraAlarmInSet, entry[1].enable) == 20);
static_assert(offsetof(CameraAlarmInSet, entry[3].type) == 60);
static_assert(offsetof(CameraAlarmInSet, count) == 64);
static_assert(offsetof(CameraAlarmInSet, mask) == 72);
static_assert(std::is_trivially_copyable_v<CameraAlarmInSet>);

// 3324: the camera's outputs as the page set them.
struct CameraAlarmOutSetEntry {
  int32_t reserved;
  int32_t index;
  int32_t type;
};
struct CameraAlarmOutSet {
  CameraAlarmOutSetEntry entry[kCameraAlarmOutputs];
  int32_t count;  // entries filled
  int32_t reserved;
  CoreChannelMask mask;
};
static_assert(sizeof(CameraAlarmOutSet) == 40);
static_assert(offsetof(CameraAlarmOutSet, entry[1].index) == 16);
static_assert(offsetof(CameraAlarmOutSet, count) == 24);
static_assert(offsetof(CameraAlarmOutSet, mask) == 32);
static_assert(std::is_trivially_copyable_v<CameraAlarmOutSet>);

// 3352: drives one camera output by hand.
struct CameraAlarmOutState {
  int32_t chnid;
  int32_t alarm_id;  // 0 or 1
  int32_t state;
};
static_assert(sizeof(CameraAlarmOutState) == 12);
static_assert(std::is_trivially_copyable_v<CameraAlarmOutState>);

// ---- Answers -----------------------------------------------------------------------------

inline constexpr int kGetCameraAlarmOutAnswer = 8296;
inline constexpr int kGetCameraAlarmInAnswer = 8298;

struct CameraAlarmInStatus {
  int32_t channel;
  int32_t enable[kCameraAlarmInputs];
  int32_t type[kCameraAlarmInputs];
  int32_t status[kCameraAlarmInputs];
  int32_t count;  // inputs the camera has
};
static_assert(sizeof(CameraAlarmInStatus) == 56);
static_assert(offsetof(CameraAlarmInStatus, type) == 20);
static_assert(offsetof(CameraAlarmInStatus, status) == 36);
static_assert(offsetof(CameraAlarmInStatus, count) == 52);
static_assert(std::is_trivially_copyable_v<CameraAlarmInStatus>);

struct CameraAlarmOutStatus {
  int32_t channel;
  int32_t type[kCameraAlarmOutputs];
  int32_t status[kCameraAlarmOutputs];
  int32_t count;  // outputs the camera has
};
static_assert(sizeof(CameraAlarmOutStatus) == 24);
static_assert(offsetof(CameraAlarmOutStatus, status) == 12);
static_assert(offsetof(CameraAlarmOutStatus, count) == 20);
static_assert(std::is_trivially_copyable_v<CameraAlarmOutStatus>);

// Writers of the answers (count: whole records in the payload). The first record as JSON,
// with the recorder's stored settings of that camera's contacts; the JSON error when the
// answer holds no whole record or names no channel 0 to 63. 0 when written, -1 otherwise.
int on_camera_alarm_input_cb(int count, const void* payload);
int on_camera_alarm_output_cb(int count, const void* payload);

inline constexpr IpcAnswerRoute kAlarmAnswers[] = {
    {kGetCameraAlarmOutAnswer, sizeof(CameraAlarmOutStatus), on_camera_alarm_output_cb},
    {kGetCameraAlarmInAnswer, sizeof(CameraAlarmInStatus), on_camera_alarm_input_cb},
};
using AlarmRouter = IpcRouter<kAlarmAnswers>;

// The alarm module's answer callback: routes 8296 and 8298 and ignores every other type.
void on_alarm_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kAlarmCore{on_alarm_ipc_callback};
