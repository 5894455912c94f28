// The wait-budget table, the timing seam, the answer flag and the response claim.
#include "cgi_ipc.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(IpcWaitPolls, BudgetPerRequestType) {
  struct Group {
    int polls;
    std::vector<int> types;
  };
  const Group groups[] = {
      {1500, {3700, 3702}},
      {3000, {1153, 1171, 3102, 3104, 3223, 3259, 3263, 3360, 3365, 3401, 3535}},
      {6000,
       {1701, 1713, 1716, 3200, 3201, 3202, 3203, 3204, 3205, 3227, 3402, 3409, 3420, 3440, 3528}},
      {15000, {3230, 3350, 3434, 3494, 3495}},
      {30000, {3379}},
  };
  std::size_t listed = 0;
  for (const auto& g : groups) {
    for (int type : g.types) EXPECT_EQ(ipc_wait_polls(type), g.polls) << type;
    listed += g.types.size();
  }
  // Nothing else is in the table.
  EXPECT_EQ(std::size(kIpcWaitBudgets), listed);
  // Every other type, neighbours of listed ones included, waits 1000 polls.
  for (int type : {0, -1, 1000, 3300, 3378, 3380, 3504, 3701, 8504, 99999})
    EXPECT_EQ(ipc_wait_polls(type), 1000) << type;
  static_assert(ipc_wait_polls(3379) == 30000 && ipc_wait_polls(3485) == 1000);
}

TEST(IpcTiming, SeamOnlyShortens) {
  struct Case {
    const char *poll, *retry, *attempts;
    long want_poll, want_retry;
    int want_attempts;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, 40000, 10000, 3000},
      {"1000", "0", "20", 1000, 0, 20},
      {"", "", "", 40000, 10000, 3000},
      {"40001", "10001", "3001", 40000, 10000, 3000},  // never longer than the defaults
      {"0", "-1", "0", 40000, 10000, 3000},
      {"12abc", "1e3", " 5", 40000, 10000, 3000},
      {"40000", "10000", "3000", 40000, 10000, 3000},
  };
  for (const auto& c : cases) {
    IpcTiming t = ipc_timing_from(c.poll, c.retry, c.attempts);
    EXPECT_EQ(t.poll_us, c.want_poll) << (c.poll ? c.poll : "null");
    EXPECT_EQ(t.send_retry_us, c.want_retry);
    EXPECT_EQ(t.send_attempts, c.want_attempts);
  }
}

TEST(CallbackFlag, StoreWakesTheWaiter) {
  g_callback_done = 0;
  std::thread setter([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    g_callback_done = 2;
  });
  // With a one-minute limit the test would hang, not pass, if the store did not wake.
  EXPECT_EQ(g_callback_done.wait_while(0, 60'000'000), 2);
  setter.join();
  EXPECT_TRUE(g_callback_done == 2);
  EXPECT_EQ(g_callback_done.wait_while(0, 60'000'000), 2);  // returns at once: not 0
  g_callback_done = 0;
  EXPECT_EQ(g_callback_done.wait_while(0, 1000), 0);  // times out
}

TEST(CgiStartIpc, NullCallbackReturnsMinusOne) {
  g_callback_done = 7;
  EXPECT_EQ(cgi_start_ipc(nullptr, 3504, 0, nullptr, 0), -1);
  EXPECT_EQ(g_callback_done, 7);  // nothing was started, not even the flag reset
  EXPECT_EQ(cgi_stop_ipc(-1), 0);
}

TEST(CgiClaimResponse, TrueOnceAcrossThreads) {
  // Before any exchange the response is free once.
  std::atomic<int> wins{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&] {
      if (cgi_claim_response()) ++wins;
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(wins.load(), 1);
  EXPECT_FALSE(cgi_claim_response());
}

}  // namespace
