// Database connections of the store: one per store path and process, opened lazily.
//
// Opening costs one open(2) of the file, a busy timeout and the journal mode; nothing
// else happens until a call touches a table. The journal mode is set on every open
// because the first process to create the file must switch it to WAL; on a database
// already in WAL mode the statement only reads the header.
#include "store_db.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
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

}  // namespace

std::mutex& lock() {
  static std::mutex mutex;
  return mutex;
}

bool fail(std::string_view what, sqlite3* db) {
  g_last_error.assign(what);
  if (db != nullptr) {
    g_last_error += ": ";
    g_last_error += sqlite3_errmsg(db);
  }
  return false;
}

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
  sqlite3_busy_timeout(db, kStoreBusyTimeoutMs);
  sqlite3_extended_result_codes(db, 1);
  // A quoted name that matches no column must be an error, not a string literal.
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  // Also the first read of the file: a file that is not a database fails here.
  if (sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr) != SQLITE_OK) {
    fail("cannot use " + path, db);
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

Statement::Statement(sqlite3* db, const std::string& sql) {
  if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
      SQLITE_OK) {
    fail("cannot prepare " + sql, db);
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
