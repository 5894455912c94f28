// Database connections of the store: one per store path and process, opened lazily.
//
// Opening costs one open(2) of the file, a busy timeout and the journal mode; nothing
// else happens until a call touches a table. The journal mode is set on every open
// because the first process to create the file must switch it to WAL; on a database
// already in WAL mode the statement only reads the header.
//
// A failure is recorded for store_last_error() and written to standard error with
// SQLite's own text, so that the reason of a failed request is not lost.
#include "store_db.h"

#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "dvdb.h"
#include "nvr_root.h"

namespace store_db {
namespace {

thread_local std::string g_last_error;

std::map<std::string, sqlite3*>& connections() {
  static std::map<std::string, sqlite3*> map;
  return map;
}

// SQLite's own busy timeout sleeps longer and longer (up to 100 ms a time) while it waits
// for a lock; under a burst of writers the lock then stays free while every waiter sleeps.
// This one sleeps 0.5 to 2 ms (different in every process and attempt, so that waiters do
// not wake in step) until kStoreBusyTimeoutMs have been slept away for one lock.
int on_busy(void* slept_us_arg, int count) {
  long* slept_us = static_cast<long*>(slept_us_arg);
  if (count == 0) *slept_us = 0;
  if (*slept_us >= kStoreBusyTimeoutMs * 1000L) return 0;
  const long pause_us = 500 + (static_cast<long>(getpid()) * 7919 + count * 104729L) % 1500;
  const timespec pause = {0, pause_us * 1000};
  nanosleep(&pause, nullptr);
  *slept_us += pause_us;
  return 1;
}

}  // namespace

std::mutex& lock() {
  static std::mutex mutex;
  return mutex;
}

bool fail(std::string_view what, sqlite3* db) {
  no_match(what, db);
  std::fprintf(stderr, "store: %s\n", g_last_error.c_str());
  return false;
}

bool no_match(std::string_view what, sqlite3* db) {
  g_last_error.assign(what);
  if (db != nullptr) {
    g_last_error += ": ";
    g_last_error += sqlite3_errmsg(db);
  }
  return false;
}

namespace {

bool is_busy(int rc) {
  return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

// Switches the database to WAL (on a database already in WAL mode this only reads the
// header). The switch needs the exclusive lock; when several processes open a new file
// at once, each holding the shared lock it read the header with, SQLite answers "database
// is locked" at once instead of calling the busy handler (waiting could deadlock). So a
// busy answer is retried, after a short sleep that differs between processes, until the
// busy timeout has been slept away.
[[nodiscard]] bool use_wal(sqlite3* db, const std::string& path) {
  int slept_ms = 0;
  for (int attempt = 0;; ++attempt) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA journal_mode=WAL", -1, &st, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_step(st);
    bool wal =
        rc == SQLITE_ROW &&
        sqlite3_stricmp(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "wal") == 0;
    sqlite3_finalize(st);
    if (wal) return true;
    if (rc == SQLITE_ROW) return fail("cannot switch " + path + " to WAL");
    if (!is_busy(rc) || slept_ms >= kStoreBusyTimeoutMs) return fail("cannot use " + path, db);
    const int pause_ms = 1 + static_cast<int>((getpid() + attempt) % 8);
    sqlite3_sleep(pause_ms);
    slept_ms += pause_ms;
  }
}

}  // namespace

sqlite3* open(const char* store, bool for_write, bool* missing) {
  *missing = false;
  auto& map = connections();
  auto it = map.find(store);
  if (it != map.end()) return it->second;

  std::string path = nvr_path(store);
  struct stat st;
  if (!for_write && stat(path.c_str(), &st) != 0 && errno == ENOENT) {
    *missing = true;
    return nullptr;
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    fail("cannot open " + path, db);
    sqlite3_close(db);
    return nullptr;
  }
  // Before anything reads the file: every later step may meet another process's lock.
  static long slept_us = 0;  // calls are serialised by lock(), so one counter will do
  sqlite3_busy_handler(db, on_busy, &slept_us);
  sqlite3_extended_result_codes(db, 1);
  // A quoted name that matches no column must be an error, not a string literal.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  // Also the first read of the file: a file that is not a database fails here.
  if (!use_wal(db, path)) {
    sqlite3_close(db);
    return nullptr;
  }
  // Closing at exit lets the last process out fold the WAL back into the database and
  // remove it, so that the next process need not read it through before its first read.
  static const bool closed_at_exit = std::atexit(store_close_all) == 0;
  (void)closed_at_exit;
  map.emplace(store, db);
  return db;
}

bool Columns::has(std::string_view column) const {
  std::string probe;
  probe.reserve(column.size() + 2);
  probe += '\n';
  probe += column;
  probe += '\n';
  return ("\n" + names).find(probe) != std::string::npos;
}

bool table_columns(sqlite3* db, const std::string& table, Columns* out) {
  *out = Columns{};
  Statement st(db, "SELECT name FROM pragma_table_info(?1)");
  if (!st.ok()) return false;
  sqlite3_bind_text(st.get(), 1, table.c_str(), -1, SQLITE_TRANSIENT);
  int rc;
  while ((rc = st.step()) == SQLITE_ROW) {
    out->exists = true;
    const unsigned char* name = sqlite3_column_text(st.get(), 0);
    if (name != nullptr) {
      out->names += reinterpret_cast<const char*>(name);
      out->names += '\n';
    }
  }
  return rc == SQLITE_DONE || fail("cannot read the columns of " + table, db);
}

std::string quote(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

Transaction::~Transaction() {
  if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool Transaction::begin(bool write) {
  if (!exec(db_, write ? "BEGIN IMMEDIATE" : "BEGIN")) return false;
  open_ = true;
  return true;
}

bool Transaction::commit() {
  if (!exec(db_, "COMMIT")) return false;
  open_ = false;
  return true;
}

Statement::Statement(sqlite3* db, const std::string& sql, bool report) {
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
      SQLITE_OK) {
    if (report)
      fail("cannot prepare " + sql, db);
    else
      no_match("cannot prepare " + sql, db);
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
  }
}

Statement::~Statement() {
  sqlite3_finalize(stmt_);
}

bool exec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK) return true;
  return fail(sql, db);
}

}  // namespace store_db

const char* store_last_error() {
  return store_db::g_last_error.c_str();
}

void store_close_all() {
  std::lock_guard<std::mutex> guard(store_db::lock());
  for (auto& [path, db] : store_db::connections()) sqlite3_close(db);
  store_db::connections().clear();
}
