// Inside the store: the per-process database connections, transactions and statement
// helpers shared by the record calls (dvdb.cpp) and the key/value calls (params.cpp).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace store_db {

// The process-wide lock every store call holds while it uses a connection.
std::mutex& lock();

// Records why a call failed, for store_last_error(), and writes it to standard error
// ("store: " and the reason, with SQLite's own text when `db` is given); returns false for
// `return fail(...)`.
bool fail(std::string_view what, sqlite3* db = nullptr);
// The same for an outcome that is a result rather than a failure (a find that matches
// nothing): recorded for store_last_error() only.
bool no_match(std::string_view what, sqlite3* db = nullptr);

// The open connection for a store path (resolved under NVR_ROOT), opening it on first
// use; nullptr when it cannot be opened. Only writes create a database file: for
// `for_write` false a missing file gives nullptr with *missing set, so that reading a
// store that was never written leaves no file behind (the existence of some store files
// means something, "/mnt/nand2/oem.db" marks a customised build). Caller holds lock().
sqlite3* open(const char* store, bool for_write, bool* missing);

// Whether `table` exists and which of the named columns it has (caller holds lock()).
struct Columns {
  bool exists = false;
  std::string names;  // "\n"-separated, with a trailing "\n"
  bool has(std::string_view column) const;
};
[[nodiscard]] bool table_columns(sqlite3* db, const std::string& table, Columns* out);

// "name" quoted as an SQL identifier.
std::string quote(std::string_view name);

// One transaction; rolled back unless commit() succeeded.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) {}
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  // BEGIN IMMEDIATE for writes (takes the write lock now, waiting up to the busy
  // timeout), plain BEGIN for reads.
  [[nodiscard]] bool begin(bool write);
  [[nodiscard]] bool commit();

 private:
  sqlite3* db_;
  bool open_ = false;
};

// A prepared statement, finalized on destruction.
class Statement {
 public:
  // `report`: a failure to prepare is written to standard error (false for a speculative
  // prepare whose failure the caller handles, such as a table that does not exist yet).
  Statement(sqlite3* db, const std::string& sql, bool report = true);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  bool ok() const { return stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() { return sqlite3_step(stmt_); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

// Runs SQL without results; false (and the error recorded) on failure.
[[nodiscard]] bool exec(sqlite3* db, const char* sql);

}  // namespace store_db
