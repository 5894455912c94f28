// What the recording settings exchange with the core daemon: the request types, the
// fixed-layout payloads and answers, the module's answer callback, and the small
// helpers the record handlers share (channel texts and lists, notices, log records).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <type_traits>

#include "core_channels.h"
#include "linkage.h"
#include "record.h"

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

// The record module's answer callback: routes 7285, 7286 and 8218 by the table in
// record_ipc.cpp and ignores every other type and a missing payload.
void on_record_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);

// The specific answer callbacks (count: whole records in the payload). Each writes its
// JSON response and sets g_callback_done to 1; 0 when it wrote, -1 when not (no data,
// or the response was already claimed).
int on_set_record_anr_cb(int count, const void* payload);      // 7285 -> {"resp"}
int on_get_record_support_cb(int count, const void* payload);  // 7286 -> {"chnid","support"}
int on_get_record_primary_secondary_cb(int count, const void* payload);  // 8218

// ---- Helpers of the record handlers ------------------------------------------------------

// The channel of a request text: decimal digits only (surrounding white space allowed),
// 0 to 63. Nothing for any other text, so "abc" or "3x" is no channel at all.
[[nodiscard]] std::optional<int> parse_channel_text(const char* text);

// The channels a save request lists: the first tree[count_key] elements of the array
// tree[list_key] (never more than the array holds), each counted once, in request order.
struct ChannelSelection {
  CoreChannelList list{};  // the distinct channels 0 to 63
  uint64_t mask = 0;       // the same as a mask
  int last = -1;           // the last value read, in range or not; -1 when none was read
};
ChannelSelection read_channel_selection(json_object* tree, const char* list_key,
                                        const char* count_key);

// Sends a notice that needs no answer.
void send_record_notice(int type, const void* payload, int length);
void send_record_mask_notice(int type, uint64_t mask);
// Sends the operation log record of a parameter change (sub type 204) for the 0-based
// channel (-1: none).
void send_record_log(int param_type, int channel);
// Writes `object` as the JSON response and releases it.
void write_record_json(json_object* object);
// Writes {key: [...]} with one object per record of `records` (count records of the
// kind): every JSON key of the kind, or only those of `keys` when given.
void write_record_list(const char* key, const RecordKind& kind, const void* records, int count,
                       const JsonKeyMap* keys = nullptr, int key_count = 0);
// The parsed request when it is JSON and passes `check`; null otherwise (nothing kept).
json_object* parse_record_request(const char* text, bool (*check)(json_object*));
