// Direct access to a test root's main store (see store_sql.h).
#include "store_sql.h"

#include <sqlite3.h>

namespace nvrtest {

namespace {

constexpr const char* kMainStore = "/mnt/nand/app/dvdb.db";

sqlite3* open_store(const TempRoot& root) {
  sqlite3* db = nullptr;
  if (sqlite3_open(root.at(kMainStore).c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  return db;
}

}  // namespace

std::string store_sql(const TempRoot& root, const std::string& statement) {
  sqlite3* db = open_store(root);
  if (db == nullptr) return "cannot open the store";
  char* message = nullptr;
  std::string error;
  if (sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
    error = message != nullptr ? message : "failed";
  sqlite3_free(message);
  sqlite3_close(db);
  return error;
}

std::string refuse_writes(const TempRoot& root, const std::string& table) {
  std::string sql;
  for (const char* op : {"INSERT", "UPDATE"})
    sql += "CREATE TRIGGER no_" + std::string(op) + "_" + table + " BEFORE " + op + " ON " + table +
           " BEGIN SELECT RAISE(ABORT, 'refused'); END;";
  return store_sql(root, sql);
}

std::string allow_writes(const TempRoot& root, const std::string& table) {
  return store_sql(root, "DROP TRIGGER IF EXISTS no_INSERT_" + table +
                             "; DROP TRIGGER IF EXISTS no_UPDATE_" + table + ";");
}

int64_t store_query_int(const TempRoot& root, const std::string& query, int64_t fallback) {
  sqlite3* db = open_store(root);
  if (db == nullptr) return fallback;
  int64_t v = fallback;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, query.c_str(), -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    v = sqlite3_column_int64(st, 0);
  sqlite3_finalize(st);
  sqlite3_close(db);
  return v;
}

}  // namespace nvrtest
