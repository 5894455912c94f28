// Messaging with the core daemon: send a request, wait for the answer that a callback
// on the socket library's receive thread turns into the response, and the helpers that
// every module's answer callback shares.
//
// Handler pattern for a waited request:
//
//   int rc = cgi_start_ipc(on_status_ipc_callback, 3300, 0, nullptr, 0);
//   if (g_callback_done == 0) cgi_error_to_webserver(kCgiJson);
//   cgi_stop_ipc(rc);
//
// Exactly one response is written: when the wait ends without an answer,
// cgi_start_ipc has already closed the connection (no callback runs any more), and a
// callback that writes claims the response first with cgi_claim_response().
//
// Timing seam for tests (read once per process; the defaults are the recorder's):
//   NVR_IPC_POLL_US        length of one wait poll step   (default 40000)
//   NVR_IPC_SEND_RETRY_US  sleep after each send attempt  (default 10000)
//   NVR_IPC_SEND_ATTEMPTS  send attempts before giving up (default 3000)
// The number of polls per request type never changes; only the step length does.
//
// Implemented in links/cgi_ipc.cpp (sending, waiting, the flag) and links/cgi_answers.cpp
// (answer routing and the shared answer callbacks).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <type_traits>

#include "dvsocket.h"

// ---- The answer flag ---------------------------------------------------------------------

// `g_callback_done`: 0 while an answer is awaited; a callback stores 1 (or an outcome
// such as 2 or the core's status) after its output is complete and flushed. Reads and
// writes are atomic, and a store wakes the waiting cgi_start_ipc at once, so code keeps
// writing `g_callback_done = 1;` and `if (g_callback_done == 0)`.
class CallbackFlag {
 public:
  constexpr CallbackFlag() = default;
  CallbackFlag(const CallbackFlag&) = delete;
  CallbackFlag& operator=(const CallbackFlag&) = delete;

  // Stores `value` and wakes the waiter. Returns `value`.
  int operator=(int value);
  operator int() const { return value_.load(); }

  // Blocks while the flag holds `expected`, at most `timeout_us` microseconds (a
  // spurious wake-up or a signal may end it early). Returns the value then held.
  int wait_while(int expected, long timeout_us) const;

 private:
  std::atomic<int> value_{0};
  static_assert(std::atomic<int>::is_always_lock_free && sizeof(std::atomic<int>) == sizeof(int),
                "the flag is waited on with a futex on its own address");
};

extern CallbackFlag g_callback_done;

// ---- Wait budgets --------------------------------------------------------------------------

struct IpcWaitBudget {
  int type;
  int polls;  // number of poll steps (40 ms each) to wait for the answer
};

inline constexpr int kIpcDefaultPolls = 1000;  // 40 s

inline constexpr IpcWaitBudget kIpcWaitBudgets[] = {
    // 60 s: network diagnostics
    {3700, 1500},
    {3702, 1500},
    // 120 s
    {1153, 3000},
    {1171, 3000},
    {3102, 3000},
    {3104, 3000},
    {3223, 3000},
    {3259, 3000},
    {3263, 3000},
    {3360, 3000},
    {3365, 3000},
    {3401, 3000},
    {3535, 3000},
    // 240 s
    {1701, 6000},
    {1713, 6000},
    {1716, 6000},
    {3200, 6000},
    {3201, 6000},
    {3202, 6000},
    {3203, 6000},
    {3204, 6000},
    {3205, 6000},
    {3227, 6000},
    {3402, 6000},
    {3409, 6000},
    {3420, 6000},
    {3440, 6000},
    {3528, 6000},
    // 600 s
    {3230, 15000},
    {3350, 15000},
    {3434, 15000},
    {3494, 15000},
    {3495, 15000},
    // 1200 s
    {3379, 30000},
};

namespace ipc_detail {
consteval bool budget_types_unique() {
  for (std::size_t i = 0; i < std::size(kIpcWaitBudgets); ++i)
    for (std::size_t j = i + 1; j < std::size(kIpcWaitBudgets); ++j)
      if (kIpcWaitBudgets[i].type == kIpcWaitBudgets[j].type) return false;
  return true;
}
}  // namespace ipc_detail
static_assert(ipc_detail::budget_types_unique(), "a request type has one wait budget");

// The number of polls to wait for the answer to a request of `type`.
constexpr int ipc_wait_polls(int type) {
  for (const auto& b : kIpcWaitBudgets)
    if (b.type == type) return b.polls;
  return kIpcDefaultPolls;
}

// ---- Timing --------------------------------------------------------------------------------

inline constexpr long kIpcPollUs = 40000;
inline constexpr long kIpcSendRetryUs = 10000;
inline constexpr int kIpcSendAttempts = 3000;

struct IpcTiming {
  long poll_us = kIpcPollUs;
  long send_retry_us = kIpcSendRetryUs;
  int send_attempts = kIpcSendAttempts;
};

// The timing from the three seam texts (each may be null). A missing, non-numeric or
// out-of-range text (poll 1..kIpcPollUs, retry 0..kIpcSendRetryUs, attempts
// 1..kIpcSendAttempts) keeps its default: the seam can only shorten.
[[nodiscard]] IpcTiming ipc_timing_from(const char* poll_us, const char* send_retry_us,
                                        const char* send_attempts);
// The process's timing, read from the environment on first use.
const IpcTiming& ipc_timing();

// ---- Sending and waiting -------------------------------------------------------------------

// Opens a connection to the core, clears g_callback_done and the response claim, sends
// the request (up to the send attempts, sleeping the retry time after every attempt,
// the successful one included) and, unless no_wait is 1, waits up to
// ipc_wait_polls(type) poll steps for a callback to set the flag. When the wait ends
// with the flag still 0 the connection is closed before returning, so no late answer
// can write after the handler's error body.
// Returns -1 at once (nothing sent) for a null callback, else 0 whatever happened;
// whether an answer came is read from g_callback_done.
int cgi_start_ipc(dv_sock_callback callback, int type, int length, const void* payload,
                  int no_wait);

// Closes the connection of the last cgi_start_ipc; no callback runs afterwards.
// `value` is ignored. Returns 0.
int cgi_stop_ipc(int value);

// Clears g_callback_done and frees the response claim: the start of an exchange.
// cgi_start_ipc does it before sending; tests of answer callbacks call it directly.
void cgi_ipc_begin_exchange();

// Claims the right to write this exchange's response. True for exactly one caller per
// cgi_start_ipc (and once before any exchange); every callback that writes calls it
// first and writes nothing when it returns false.
[[nodiscard]] bool cgi_claim_response();

// ---- Answer callbacks ----------------------------------------------------------------------

// The answer type and payload length in the header words handed to a callback.
inline int ipc_answer_type(const std::uint32_t* header_words) {
  return static_cast<int>(header_words[3]);
}
inline std::uint32_t ipc_payload_length(const std::uint32_t* header_words) {
  return header_words[5];
}

// Number of whole records of `record_size` bytes in the answer; 0 (no data) for a null
// header or a zero record size. A trailing partial record is not counted.
[[nodiscard]] int ipc_record_count(const std::uint32_t* header_words, std::size_t record_size);

// Record `index` of an answer holding `count` records of type Rec, copied out; nothing
// for a null payload or an index outside 0..count-1.
template <class Rec>
[[nodiscard]] std::optional<Rec> ipc_record(const void* payload, int count, int index) {
  static_assert(std::is_trivially_copyable_v<Rec>);
  if (payload == nullptr || index < 0 || index >= count) return std::nullopt;
  Rec rec;
  std::memcpy(
      &rec,
      static_cast<const unsigned char*>(payload) + static_cast<std::size_t>(index) * sizeof(Rec),
      sizeof rec);
  return rec;
}

// Copies a fixed text field of an answer (which may lack its terminating NUL) into
// `dst`: up to the first NUL within `field_size` bytes, cut to dst_size - 1, always
// terminated. Returns the number of characters copied (0 when dst_size is 0).
std::size_t ipc_copy_text(char* dst, std::size_t dst_size, const char* field,
                          std::size_t field_size);
template <std::size_t D, std::size_t F>
std::size_t ipc_copy_text(char (&dst)[D], const char (&field)[F]) {
  return ipc_copy_text(dst, D, field, F);
}

// A module's specific answer callback: `count` records of the route's size, `payload`
// null when count is 0 (no data). Returns 0 when it wrote, -1 otherwise (not read by
// the router).
using IpcAnswerHandler = int (*)(int count, const void* payload);

struct IpcAnswerRoute {
  int answer_type;
  std::size_t record_size;  // bytes per record (1 for text answers)
  IpcAnswerHandler handler;
};

// Routes one answer: ignores a null payload and an answer type without a route
// (nothing written, the flag stays 0); otherwise calls the route's handler with the
// record count. Returns true when a handler ran.
bool ipc_route_answer(std::span<const IpcAnswerRoute> routes, const std::uint32_t* header_words,
                      const void* payload);

// ---- Shared answer callbacks ---------------------------------------------------------------
// Each writes through the response writers, then sets g_callback_done to 1; each returns
// 0 when it wrote and -1 when it wrote nothing (no data, or the response was already
// claimed).

// {"status":n} with the JSON header, n the payload's first int32; nothing (flag
// unchanged) for a count below 1 or a null payload.
int on_cgi_common_json_cb(int count, const void* payload);
// Text "CGI OK status:[%d]" (status >= 0) or "CGI ERROR status:[%d]", then
// ", data:[%s]" with `text` when it is not null, all cut to 255 characters. The text is
// never used as a format.
int on_cgi_common_text_cb(int ignored, int status, const char* text);
// Text "OK" when the payload's first int32 is 0, "FAILED" otherwise or without data.
int on_cgi_ok_failed_cb(int count, const void* payload);
// The payload as text, ended at `length` bytes (or its first NUL); the text error body
// "CGI ERROR" for a zero length or a null payload.
int on_cgi_text_echo_cb(int length, const void* payload);
