// The key/value parameters (dvstd.h) on the table "params": one row per key, the value
// in SQLite's own type (INTEGER for set_param_int, TEXT for the text calls).
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "dvstd.h"
#include "store_db.h"

using store_db::fail;
using store_db::Statement;
using store_db::Transaction;

namespace {

constexpr int kMaxKeyLength = 255;

[[nodiscard]] bool key_ok(const char* key) {
  if (key == nullptr || key[0] == '\0' || strnlen(key, kMaxKeyLength + 1) > kMaxKeyLength)
    return fail("bad parameter key");
  return true;
}

enum class Lookup { kFound, kMissing, kFailed };

// The stored value of `key` as text and, when it is one, as an integer.
struct Value {
  std::string text;
  std::optional<long long> integer;
};

Lookup lookup(const char* store, const char* key, Value* out) {
  if (store == nullptr || !key_ok(key)) return Lookup::kFailed;
  std::lock_guard<std::mutex> guard(store_db::lock());
  bool missing = false;
  sqlite3* db = store_db::open(store, false, &missing);
  if (db == nullptr) return missing ? Lookup::kMissing : Lookup::kFailed;
  Transaction tx(db);
  store_db::Columns cols;
  if (!tx.begin(false) || !store_db::table_columns(db, "params", &cols)) return Lookup::kFailed;
  if (!cols.exists) return Lookup::kMissing;
  Statement st(db, "SELECT value FROM params WHERE key=?1");
  if (!st.ok()) return Lookup::kFailed;
  sqlite3_bind_text(st.get(), 1, key, -1, SQLITE_TRANSIENT);
  int rc = st.step();
  if (rc == SQLITE_DONE) return Lookup::kMissing;
  if (rc != SQLITE_ROW) return fail("cannot read params", db), Lookup::kFailed;
  sqlite3_stmt* s = st.get();
  switch (sqlite3_column_type(s, 0)) {
    case SQLITE_NULL:
      return Lookup::kMissing;
    case SQLITE_INTEGER:
      out->integer = sqlite3_column_int64(s, 0);
      break;
    case SQLITE_FLOAT:
      // Written by someone else; read as the integer part, as the board's tools would.
      out->integer = static_cast<long long>(sqlite3_column_double(s, 0));
      break;
    default:
      break;
  }
  const unsigned char* text = sqlite3_column_text(s, 0);
  out->text.assign(text != nullptr ? reinterpret_cast<const char*>(text) : "",
                   static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
  if (!out->integer && !out->text.empty()) {
    errno = 0;
    char* end = nullptr;
    long long v = std::strtoll(out->text.c_str(), &end, 10);
    if (errno == 0 && *end == '\0' && end != out->text.c_str()) out->integer = v;
  }
  return tx.commit() ? Lookup::kFound : Lookup::kFailed;
}

enum class Mode { kUpsert, kReplaceOnly };

// Stores one value; `bind` binds it as parameter 2.
template <typename Bind>
int store_value(const char* store, const char* key, Mode mode, Bind bind) {
  if (store == nullptr || !key_ok(key)) return -1;
  std::lock_guard<std::mutex> guard(store_db::lock());
  bool missing = false;
  sqlite3* db = store_db::open(store, true, &missing);
  if (db == nullptr) return -1;
  Transaction tx(db);
  if (!tx.begin(true) ||
      !store_db::exec(db,
                      "CREATE TABLE IF NOT EXISTS params (key TEXT PRIMARY KEY NOT NULL, value)"))
    return -1;
  Statement st(db, mode == Mode::kUpsert ? "INSERT INTO params (key, value) VALUES (?1, ?2) "
                                           "ON CONFLICT (key) DO UPDATE SET value=excluded.value"
                                         : "UPDATE params SET value=?2 WHERE key=?1");
  if (!st.ok()) return -1;
  sqlite3_bind_text(st.get(), 1, key, -1, SQLITE_TRANSIENT);
  bind(st.get());
  if (st.step() != SQLITE_DONE) return fail("cannot write params", db), -1;
  if (mode == Mode::kReplaceOnly && sqlite3_changes(db) == 0) return fail("no such key"), -1;
  return tx.commit() ? 0 : -1;
}

}  // namespace

int get_param_int(const char* store, const char* key, int default_value) {
  Value v;
  if (lookup(store, key, &v) != Lookup::kFound || !v.integer) return default_value;
  if (*v.integer > INT_MAX) return INT_MAX;
  if (*v.integer < INT_MIN) return INT_MIN;
  return static_cast<int>(*v.integer);
}

int set_param_int(const char* store, const char* key, int value) {
  return store_value(store, key, Mode::kUpsert,
                     [&](sqlite3_stmt* st) { sqlite3_bind_int64(st, 2, value); });
}

int get_param_value(const char* store, const char* key, char* buffer, int size,
                    const char* default_value) {
  if (buffer == nullptr || size < 1) return -1;
  Value v;
  bool found = lookup(store, key, &v) == Lookup::kFound;
  const char* text = found ? v.text.c_str() : (default_value != nullptr ? default_value : "");
  std::size_t n = found ? v.text.size() : std::strlen(text);
  if (n > static_cast<std::size_t>(size - 1)) n = static_cast<std::size_t>(size - 1);
  std::memcpy(buffer, text, n);
  buffer[n] = '\0';
  return found ? 0 : -1;
}

int check_param_key(const char* store, const char* key) {
  Value v;
  switch (lookup(store, key, &v)) {
    case Lookup::kFound:
      return 0;
    case Lookup::kMissing:
      return 1;
    default:
      return -1;
  }
}

int set_param_value(const char* store, const char* key, const char* text) {
  if (text == nullptr) return fail("no text"), -1;
  return store_value(store, key, Mode::kReplaceOnly, [&](sqlite3_stmt* st) {
    sqlite3_bind_text(st, 2, text, -1, SQLITE_TRANSIENT);
  });
}

int add_param_value(const char* store, const char* key, const char* text) {
  if (text == nullptr) return fail("no text"), -1;
  return store_value(store, key, Mode::kUpsert, [&](sqlite3_stmt* st) {
    sqlite3_bind_text(st, 2, text, -1, SQLITE_TRANSIENT);
  });
}
