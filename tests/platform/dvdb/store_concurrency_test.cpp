// Fifty request processes write their own channel's record and parameters of one store
// at the same moment while readers list every channel; afterwards every write is there
// and the database is intact. And many processes meet a store that does not exist yet:
// they all create it, switch it to WAL and create its table at the same moment.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "dvdb.h"
#include "dvstd.h"
#include "support/process.h"
#include "sample_kinds.h"
#include "support/temp_root.h"

namespace {

#ifdef NVR_SANITIZED_STRESS
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr int kWriters = 50;
constexpr int kReaders = 10;
constexpr int kRounds = kSanitized ? 1 : 3;

TEST(StoreConcurrencyTest, FiftyWritersAndTenReadersAtOnce) {
  nvrtest::TempRoot root;
  std::vector<nvrtest::ProcessSpec> specs;
  const std::map<std::string, std::string> env = {{"NVR_ROOT", root.path()},
                                                  {"ASAN_OPTIONS", "detect_leaks=1"}};
  for (int channel = 0; channel < kWriters; ++channel)
    specs.push_back({{nvrtest::bin_path("store_worker"), "write", std::to_string(channel),
                      std::to_string(kRounds)},
                     env,
                     "",
                     240});
  for (int i = 0; i < kReaders; ++i)
    specs.push_back(
        {{nvrtest::bin_path("store_worker"), "read", std::to_string(kRounds * 3)}, env, "", 240});

  std::vector<nvrtest::ProcessResult> results(specs.size());
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < specs.size(); ++i)
    threads.emplace_back([&, i] { results[i] = nvrtest::run_process(specs[i]); });
  for (auto& t : threads) t.join();
  for (std::size_t i = 0; i < results.size(); ++i) {
    EXPECT_EQ(results[i].exit_code, 0)
        << specs[i].argv[1] << " " << specs[i].argv[2] << ": " << results[i].err;
    EXPECT_FALSE(results[i].timed_out);
  }

  // Read the outcome straight from the file.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(root.at("/mnt/nand/app/dvdb.db").c_str(), &db), SQLITE_OK);
  auto scalar = [&](const std::string& sql) {
    sqlite3_stmt* st = nullptr;
    std::string out = "(error)";
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      out = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    return out;
  };
  EXPECT_EQ(scalar("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(scalar("SELECT count(*) FROM everything WHERE i32=" + std::to_string(kRounds)),
            std::to_string(kWriters));
  for (int channel = 0; channel < kWriters; ++channel) {
    std::string c = std::to_string(channel);
    EXPECT_EQ(scalar("SELECT text FROM everything WHERE channel=" + c),
              "c" + c + "-r" + std::to_string(kRounds));
    EXPECT_EQ(scalar("SELECT value FROM params WHERE key='worker_" + c + "'"),
              std::to_string(kRounds));
    EXPECT_EQ(scalar("SELECT value FROM params WHERE key='worker_text_" + c + "'"),
              "round " + std::to_string(kRounds));
  }
  sqlite3_close(db);
}

// Writers that all start on a root without a store, released at the same moment once
// every one of them is running.
TEST(StoreConcurrencyTest, SixtyFourProcessesCreateTheStoreAtOnce) {
  constexpr int kProcesses = 64;
  constexpr int kStarts = kSanitized ? 1 : 4;
  for (int start = 0; start < kStarts; ++start) {
    nvrtest::TempRoot root;
    root.mkdirs("/mnt/nand/app");
    root.mkdirs("/ready");
    const std::map<std::string, std::string> env = {{"NVR_ROOT", root.path()},
                                                    {"ASAN_OPTIONS", "detect_leaks=1"}};
    std::vector<nvrtest::ProcessResult> results(kProcesses);
    std::vector<std::thread> threads;
    for (int i = 0; i < kProcesses; ++i)
      threads.emplace_back([&, i] {
        results[static_cast<std::size_t>(i)] = nvrtest::run_process(
            {{nvrtest::bin_path("store_worker"), "first", std::to_string(i)}, env, "", 120});
      });
    // Every worker has said it is ready (or 30 s have passed) before the start signal.
    for (int waited = 0; root.list("/ready").size() < kProcesses && waited < 3000; ++waited)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(root.list("/ready").size(), static_cast<std::size_t>(kProcesses));
    root.write("/go", "");
    for (auto& t : threads) t.join();
    for (int i = 0; i < kProcesses; ++i) {
      const nvrtest::ProcessResult& r = results[static_cast<std::size_t>(i)];
      EXPECT_EQ(r.exit_code, 0) << "start " << start << " process " << i << ": " << r.err;
      EXPECT_EQ(r.err, "") << "start " << start << " process " << i;
    }
  }
}

}  // namespace
