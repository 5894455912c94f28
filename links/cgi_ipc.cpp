// Sending a request to the core and waiting for its answer: the answer flag, the
// response claim, the timing seam and cgi_start_ipc / cgi_stop_ipc.
#include "cgi_ipc.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>

CallbackFlag g_callback_done;

namespace {

// 0: the response of the current exchange is free; 1: a callback has claimed it.
std::atomic<int> g_response_claim{0};

constexpr const char* kCoreSocketPath = "/var/run/dvsocket";

long futex_wait(std::atomic<int>* address, int expected, const timespec* timeout) {
  // The atomic is lock-free and as large as an int (static_assert in the header), so
  // its address is the int the kernel compares against.
  return syscall(SYS_futex, reinterpret_cast<int*>(address), FUTEX_WAIT_PRIVATE, expected, timeout,
                 nullptr, 0);
}

void futex_wake_all(std::atomic<int>* address) {
  syscall(SYS_futex, reinterpret_cast<int*>(address), FUTEX_WAKE_PRIVATE, INT32_MAX, nullptr,
          nullptr, 0);
}

void sleep_us(long us) {
  if (us <= 0) return;
  timespec ts{us / 1000000, (us % 1000000) * 1000};
  while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

// A decimal text within [low, high], or nothing.
std::optional<long> parse_bounded(const char* text, long low, long high) {
  if (text == nullptr || *text < '0' || *text > '9') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || v < low || v > high) return std::nullopt;
  return v;
}

}  // namespace

int CallbackFlag::operator=(int value) {
  value_.store(value);
  futex_wake_all(&value_);
  return value;
}

int CallbackFlag::wait_while(int expected, long timeout_us) const {
  using Clock = std::chrono::steady_clock;
  auto deadline = Clock::now() + std::chrono::microseconds(timeout_us);
  auto* address = const_cast<std::atomic<int>*>(&value_);
  for (;;) {
    int v = value_.load();
    if (v != expected) return v;
    auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
    if (left.count() <= 0) return v;
    timespec ts{static_cast<time_t>(left.count() / 1000000000),
                static_cast<long>(left.count() % 1000000000)};
    // Returns on a wake-up, at once when the value already changed, or at the time-out;
    // an interruption just goes round again.
    if (futex_wait(address, expected, &ts) != 0 && errno == ETIMEDOUT) return value_.load();
  }
}

IpcTiming ipc_timing_from(const char* poll_us, const char* send_retry_us,
                          const char* send_attempts) {
  IpcTiming t;
  if (auto v = parse_bounded(poll_us, 1, kIpcPollUs)) t.poll_us = *v;
  if (auto v = parse_bounded(send_retry_us, 0, kIpcSendRetryUs)) t.send_retry_us = *v;
  if (auto v = parse_bounded(send_attempts, 1, kIpcSendAttempts))
    t.send_attempts = static_cast<int>(*v);
  return t;
}

const IpcTiming& ipc_timing() {
  static const IpcTiming timing =
      ipc_timing_from(std::getenv("NVR_IPC_POLL_US"), std::getenv("NVR_IPC_SEND_RETRY_US"),
                      std::getenv("NVR_IPC_SEND_ATTEMPTS"));
  return timing;
}

bool cgi_claim_response() {
  int open = 0;
  return g_response_claim.compare_exchange_strong(open, 1);
}

void cgi_ipc_begin_exchange() {
  g_response_claim = 0;
  g_callback_done = 0;
}

int cgi_start_ipc(dv_sock_callback callback, int type, int length, const void* payload,
                  int no_wait) {
  if (callback == nullptr) return -1;
  const IpcTiming& timing = ipc_timing();

  // A core that is not listening yet is retried by the sends below.
  (void)dv_sock_init(callback, 0, 3, kCoreSocketPath);
  cgi_ipc_begin_exchange();

  for (int attempt = 0; attempt < timing.send_attempts; ++attempt) {
    int rc = dv_sock_send_msg(static_cast<int>(kDvCoreId), type, payload, length, 0);
    sleep_us(timing.send_retry_us);
    if (rc == 0) break;
  }
  if (no_wait == 1) return 0;

  const int polls = ipc_wait_polls(type);
  for (int i = 0; i < polls && g_callback_done == 0; ++i)
    (void)g_callback_done.wait_while(0, timing.poll_us);

  if (g_callback_done == 0) {
    // No answer in time. Closing joins the receive thread, so a callback that was
    // already running has finished and none can start: the flag is final now.
    (void)dv_sock_uninit();
    // A callback that claimed the response has written it even if it never set the
    // flag; the handler must not add its error body.
    if (g_callback_done == 0 && g_response_claim.load() != 0) g_callback_done = 1;
  }
  return 0;
}

int cgi_stop_ipc(int /*value*/) {
  (void)dv_sock_uninit();
  return 0;
}
