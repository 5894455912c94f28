// What the recording settings exchange with the core daemon: the request types, the
// fixed-layout payloads and answers, the module's answer table and callback, its log
// parameter codes, and the channel lists of its save requests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "core_channels.h"
#include "field_table.h"
#include "handler_kit.h"
#include "ipc_router.h"
#include "linkage.h"

struct json_object;

// ---- Request types -----------------------------------------------------------------------

inline constexpr int kHolidaysChanged = 1401;       // no payload, no answer
inline constexpr int kRecordChannelChanged = 1407;  // int32 channel, no answer
inline constexpr int kRecordScheduleCopied = 1411;  // CoreChannelMask, no answer
inline constexpr int kRecordModeChanged = 1413;     // CoreChannelMask, no answer
inline constexpr int kRecordParamsChanged = 1310;   // CoreChannelList, no answer
inline constexpr int kSetCameraAnr = 2285;          // AnrRequest, answered by 7285
inline constexpr int kGetRecordSupport = 2286;      // int32 channel, answered by 7286
inline constexpr int kGetRecordStreams = 3218;      // no payload, answered by 8218

// ---- Payloads ----------------------------------------------------------------------------

struct AnrRequest {
  CoreChannelList list;  // channels whose camera ANR switch changed
  int32_t anr;           // the new value
};
static_assert(sizeof(AnrRequest) == 264);
static_assert(offsetof(AnrRequest, anr) == 260);
static_assert(std::is_trivially_copyable_v<AnrRequest>);

// ---- Answers -----------------------------------------------------------------------------

inline constexpr int kSetCameraAnrAnswer = 7285;
inline constexpr int kGetRecordSupportAnswer = 7286;
inline constexpr int kGetRecordStreamsAnswer = 8218;

struct AnrAnswer {
  int32_t channel[kMaxChannels];
  int32_t result[kMaxChannels];  // 0: the camera took the setting
  int32_t count;
  int32_t failed;
};
static_assert(sizeof(AnrAnswer) == 520);
static_assert(offsetof(AnrAnswer, result) == 256);
static_assert(offsetof(AnrAnswer, count) == 512);
static_assert(offsetof(AnrAnswer, failed) == 516);
static_assert(std::is_trivially_copyable_v<AnrAnswer>);

struct RecordSupportAnswer {
  int32_t chnid;
  int32_t support;
};
static_assert(sizeof(RecordSupportAnswer) == 8);
static_assert(std::is_trivially_copyable_v<RecordSupportAnswer>);

struct RecordStreamsAnswer {
  int32_t primary[kMaxChannels];
  int32_t secondary[kMaxChannels];
  int32_t size;  // entries in use in both arrays
};
static_assert(sizeof(RecordStreamsAnswer) == 516);
static_assert(offsetof(RecordStreamsAnswer, secondary) == 256);
static_assert(offsetof(RecordStreamsAnswer, size) == 512);
static_assert(std::is_trivially_copyable_v<RecordStreamsAnswer>);

// The specific answer callbacks (count: whole records in the payload). Each writes its
// JSON response and sets g_callback_done to 1; 0 when it wrote, -1 when not (no data,
// or the response was already claimed).
int on_set_record_anr_cb(int count, const void* payload);      // 7285 -> {"resp"}
int on_get_record_support_cb(int count, const void* payload);  // 7286 -> {"chnid","support"}
int on_get_record_primary_secondary_cb(int count, const void* payload);  // 8218

// Every answer the record handlers wait for.
inline constexpr IpcAnswerRoute kRecordAnswers[] = {
    {kSetCameraAnrAnswer, sizeof(AnrAnswer), on_set_record_anr_cb},
    {kGetRecordSupportAnswer, sizeof(RecordSupportAnswer), on_get_record_support_cb},
    {kGetRecordStreamsAnswer, sizeof(RecordStreamsAnswer), on_get_record_primary_secondary_cb},
};
using RecordRouter = IpcRouter<kRecordAnswers>;

// The record module's answer callback: routes 7285, 7286 and 8218 and ignores every other
// type and a missing payload.
void on_record_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kRecordCore{on_record_ipc_callback};

// ---- Helpers of the record handlers ------------------------------------------------------

// The channels a save request lists: the first tree[count_key] elements of the array
// tree[list_key] (never more than the array holds), each counted once, in request order.
struct ChannelSelection {
  CoreChannelList list{};  // the distinct channels 0 to 63
  uint64_t mask = 0;       // the same as a mask
  int last = -1;           // the last value read, in range or not; -1 when none was read
};
ChannelSelection read_channel_selection(json_object* tree, const char* list_key,
                                        const char* count_key);
