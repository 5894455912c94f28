// The generic record operations of the store, driven by a kind's field table (see
// dvdb.h for the layout, the never-written rule and the result contract).
#include "dvdb.h"

#include <json-c/json.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "store_db.h"

using store_db::Columns;
using store_db::fail;
using store_db::quote;
using store_db::Statement;
using store_db::Transaction;

namespace {

// Everything one call needs about where a kind lives.
struct Target {
  sqlite3* db = nullptr;
  const RecordKind* kind = nullptr;
  std::string table;
  bool two_keys = false;
};

// Checks the call's arguments and opens the store. For a read of a store file that does
// not exist, t->db stays null and the call reads as never written.
[[nodiscard]] bool prepare_target(const char* store, const RecordKind& kind, const char* table,
                                  Target* t, bool for_write = false) {
  if (store == nullptr) return fail("no store path");
  if (!record_kind_is_valid(kind) || kind.key.column == nullptr)
    return fail("not a storable record kind");
  const char* name = table != nullptr ? table : kind.name;
  if (!record_detail::is_identifier(name) || std::strncmp(name, "sqlite_", 7) == 0)
    return fail("bad table name");
  bool missing = false;
  t->db = store_db::open(store, for_write, &missing);
  if (t->db == nullptr && !missing) return false;
  t->kind = &kind;
  t->table = name;
  t->two_keys = kind.key2.column != nullptr;
  return true;
}

[[nodiscard]] bool key_in_range(const RecordKind& kind, RecordKey key) {
  if (key.first < kind.key.min || key.first > kind.key.max) return fail("key out of range");
  if (kind.key2.column != nullptr && (key.second < kind.key2.min || key.second > kind.key2.max))
    return fail("second key out of range");
  return true;
}

bool is_key_column(const RecordKind& kind, const FieldDesc& f) {
  return record_detail::same_name(f.name, kind.key.column) ||
         record_detail::same_name(f.name, kind.key2.column);
}

const char* sql_type(FieldType type) {
  switch (type) {
    case FieldType::kF32:
    case FieldType::kF64:
      return "REAL";
    case FieldType::kText:
    case FieldType::kIntArray:
    case FieldType::kNested:
      return "TEXT";
    case FieldType::kBytes:
      return "BLOB";
    default:
      return "INTEGER";
  }
}

std::string key_list(const Target& t) {
  std::string s = quote(t.kind->key.column);
  if (t.two_keys) s += "," + quote(t.kind->key2.column);
  return s;
}

std::string key_condition(const Target& t) {
  std::string s = quote(t.kind->key.column) + "=?1";
  if (t.two_keys) s += " AND " + quote(t.kind->key2.column) + "=?2";
  return s;
}

// A table of that name that lacks the kind's key columns belongs to something else.
[[nodiscard]] bool has_keys(const Target& t, const Columns& cols) {
  if (cols.has(t.kind->key.column) && (!t.two_keys || cols.has(t.kind->key2.column))) return true;
  return fail("table " + t.table + " lacks its key columns");
}

// Creates the table or adds the columns it lacks. Inside a write transaction.
[[nodiscard]] bool ensure_table(const Target& t) {
  Columns cols;
  if (!store_db::table_columns(t.db, t.table, &cols)) return false;
  const RecordKind& kind = *t.kind;
  if (!cols.exists) {
    std::string sql = "CREATE TABLE IF NOT EXISTS " + quote(t.table) + " (" +
                      quote(kind.key.column) + " INTEGER NOT NULL";
    if (t.two_keys) sql += ", " + quote(kind.key2.column) + " INTEGER NOT NULL";
    for (int i = 0; i < kind.field_count; ++i) {
      const FieldDesc& f = kind.fields[i];
      if (!is_key_column(kind, f)) sql += ", " + quote(f.name) + " " + sql_type(f.type);
    }
    sql += ", PRIMARY KEY (" + key_list(t) + "))";
    return store_db::exec(t.db, sql.c_str());
  }
  if (!has_keys(t, cols)) return false;
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    if (is_key_column(kind, f) || cols.has(f.name)) continue;
    std::string sql =
        "ALTER TABLE " + quote(t.table) + " ADD COLUMN " + quote(f.name) + " " + sql_type(f.type);
    if (!store_db::exec(t.db, sql.c_str())) return false;
  }
  return true;
}

// The field columns present in the table, in table order of the kind.
std::vector<const FieldDesc*> readable_fields(const Target& t, const Columns& cols) {
  std::vector<const FieldDesc*> out;
  for (int i = 0; i < t.kind->field_count; ++i) {
    const FieldDesc& f = t.kind->fields[i];
    if (!is_key_column(*t.kind, f) && cols.has(f.name)) out.push_back(&f);
  }
  return out;
}

std::string select_list(const Target& t, const std::vector<const FieldDesc*>& fields) {
  std::string s = key_list(t);
  for (const FieldDesc* f : fields) s += "," + quote(f->name);
  return s;
}

// Prepares "SELECT <keys and field columns> FROM <table> <tail>" over the columns the
// table has. The usual table -- one with every column of the kind -- costs one prepare;
// only when that fails are the table's columns looked up. *exists is false, and nothing
// prepared, when there is no such table; `needed` names a column that must exist.
[[nodiscard]] bool prepare_select(const Target& t, const std::string& tail,
                                  std::vector<const FieldDesc*>* fields,
                                  std::optional<Statement>* st, bool* exists,
                                  const char* needed = nullptr) {
  fields->clear();
  for (int i = 0; i < t.kind->field_count; ++i)
    if (!is_key_column(*t.kind, t.kind->fields[i])) fields->push_back(&t.kind->fields[i]);
  *exists = true;
  // Speculative: a table not created yet, or one without a newer column, is handled below.
  st->emplace(t.db, "SELECT " + select_list(t, *fields) + " FROM " + quote(t.table) + " " + tail,
              false);
  if ((*st)->ok()) return true;

  st->reset();
  Columns cols;
  if (!store_db::table_columns(t.db, t.table, &cols)) return false;
  *exists = cols.exists;
  if (!cols.exists) return true;
  if (!has_keys(t, cols)) return false;
  if (needed != nullptr && !cols.has(needed)) return fail(std::string("no column ") + needed);
  *fields = readable_fields(t, cols);
  st->emplace(t.db, "SELECT " + select_list(t, *fields) + " FROM " + quote(t.table) + " " + tail);
  return (*st)->ok();
}

// One column value into its field; NULL keeps the default. Store contents are not
// trusted: texts and bytes are cut to the field, integers saturate, bad JSON is ignored.
void column_to_field(sqlite3_stmt* st, int col, const FieldDesc& f, void* record) {
  int type = sqlite3_column_type(st, col);
  if (type == SQLITE_NULL) return;
  if (field_is_integer(f.type)) {
    field_set_int(f, record, sqlite3_column_int64(st, col));
    return;
  }
  switch (f.type) {
    case FieldType::kF32:
    case FieldType::kF64:
      field_set_real(f, record, sqlite3_column_double(st, col));
      break;
    case FieldType::kText: {
      const unsigned char* p = sqlite3_column_text(st, col);
      int n = sqlite3_column_bytes(st, col);
      if (p != nullptr)
        field_set_text(
            f, record,
            std::string_view(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n)));
      break;
    }
    case FieldType::kBytes: {
      const void* p = sqlite3_column_blob(st, col);
      int n = sqlite3_column_bytes(st, col);
      unsigned char* out = static_cast<unsigned char*>(record) + f.offset;
      std::memset(out, 0, f.size);
      if (p != nullptr && n > 0)
        std::memcpy(out, p, n < static_cast<int>(f.size) ? static_cast<std::size_t>(n) : f.size);
      break;
    }
    case FieldType::kIntArray:
    case FieldType::kNested: {
      const unsigned char* p = sqlite3_column_text(st, col);
      int n = sqlite3_column_bytes(st, col);
      if (p == nullptr) break;
      json_tokener* tok = json_tokener_new();
      if (tok == nullptr) break;
      json_object* value = json_tokener_parse_ex(tok, reinterpret_cast<const char*>(p), n);
      if (value != nullptr && !field_from_json(f, value, record, RecordNames::kColumn)) {
        // A value of the wrong shape leaves the default in place.
      }
      json_object_put(value);
      json_tokener_free(tok);
      break;
    }
    default:
      break;
  }
}

// Fills `record` from the current row of a statement made with select_list().
void row_to_record(const Target& t, sqlite3_stmt* st, const std::vector<const FieldDesc*>& fields,
                   void* record) {
  RecordKey key(sqlite3_column_int64(st, 0), t.two_keys ? sqlite3_column_int64(st, 1) : 0);
  record_reset(*t.kind, record, key);
  int col = t.two_keys ? 2 : 1;
  for (const FieldDesc* f : fields) column_to_field(st, col++, *f, record);
}

[[nodiscard]] bool bind_field(sqlite3_stmt* st, int index, const FieldDesc& f, const void* record) {
  int rc;
  if (field_is_integer(f.type)) {
    rc = sqlite3_bind_int64(st, index, field_get_int(f, record));
  } else {
    switch (f.type) {
      case FieldType::kF32:
      case FieldType::kF64:
        rc = sqlite3_bind_double(st, index, field_get_real(f, record));
        break;
      case FieldType::kText: {
        std::string_view text = field_get_text(f, record);
        rc = sqlite3_bind_text(st, index, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
        break;
      }
      case FieldType::kBytes:
        rc = sqlite3_bind_blob(st, index, static_cast<const unsigned char*>(record) + f.offset,
                               static_cast<int>(f.size), SQLITE_TRANSIENT);
        break;
      default: {
        json_object* value = field_to_json(f, record, RecordNames::kColumn);
        if (value == nullptr) return fail("out of memory");
        std::size_t n = 0;
        const char* text = json_object_to_json_string_length(value, JSON_C_TO_STRING_PLAIN, &n);
        rc = sqlite3_bind_text(st, index, text, static_cast<int>(n), SQLITE_TRANSIENT);
        json_object_put(value);
        break;
      }
    }
  }
  return rc == SQLITE_OK || fail("cannot bind a value");
}

void bind_key(sqlite3_stmt* st, const Target& t, RecordKey key) {
  sqlite3_bind_int64(st, 1, key.first);
  if (t.two_keys) sqlite3_bind_int64(st, 2, key.second);
}

// Reads one record inside an open transaction; *stored tells whether a row was there.
[[nodiscard]] bool read_locked(const Target& t, RecordKey key, void* record, bool* stored) {
  record_reset(*t.kind, record, key);
  *stored = false;
  std::vector<const FieldDesc*> fields;
  std::optional<Statement> st;
  bool exists;
  if (!prepare_select(t, "WHERE " + key_condition(t), &fields, &st, &exists)) return false;
  if (!exists) return true;
  bind_key(st->get(), t, key);
  int rc = st->step();
  if (rc == SQLITE_ROW) {
    row_to_record(t, st->get(), fields, record);
    *stored = true;
    return true;
  }
  return rc == SQLITE_DONE || fail("cannot read " + t.table, t.db);
}

// Inserts or replaces one record inside a write transaction (after ensure_table).
[[nodiscard]] bool write_locked(const Target& t, RecordKey key, const void* record) {
  const RecordKind& kind = *t.kind;
  std::string cols = key_list(t), values = t.two_keys ? "?1,?2" : "?1", updates;
  int index = t.two_keys ? 3 : 2;
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    if (is_key_column(kind, f)) continue;
    cols += "," + quote(f.name);
    values += ",?" + std::to_string(index++);
    updates += (updates.empty() ? "" : ",") + quote(f.name) + "=excluded." + quote(f.name);
  }
  std::string sql = "INSERT INTO " + quote(t.table) + " (" + cols + ") VALUES (" + values +
                    ") ON CONFLICT (" + key_list(t) + ") DO " +
                    (updates.empty() ? std::string("NOTHING") : "UPDATE SET " + updates);
  Statement st(t.db, sql);
  if (!st.ok()) return false;
  bind_key(st.get(), t, key);
  index = t.two_keys ? 3 : 2;
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    if (is_key_column(kind, f)) continue;
    if (!bind_field(st.get(), index++, f, record)) return false;
  }
  return st.step() == SQLITE_DONE || fail("cannot write " + t.table, t.db);
}

[[nodiscard]] bool row_exists(const Target& t, RecordKey key, bool* exists) {
  *exists = false;
  Statement st(t.db, "SELECT 1 FROM " + quote(t.table) + " WHERE " + key_condition(t));
  if (!st.ok()) return false;
  bind_key(st.get(), t, key);
  int rc = st.step();
  *exists = rc == SQLITE_ROW;
  return rc == SQLITE_ROW || rc == SQLITE_DONE || fail("cannot read " + t.table, t.db);
}

// Calls `body` inside one write transaction on a prepared table; 0 or -1.
template <typename Body>
int with_write(const char* store, const RecordKind& kind, const char* table, Body body) {
  std::lock_guard<std::mutex> guard(store_db::lock());
  Target t;
  if (!prepare_target(store, kind, table, &t, true)) return -1;
  Transaction tx(t.db);
  if (!tx.begin(true) || !ensure_table(t) || !body(t) || !tx.commit()) return -1;
  return 0;
}

// Channels of a mask as first keys, refusing bits outside the kind's range.
[[nodiscard]] bool mask_keys(const RecordKind& kind, uint64_t mask, int64_t second,
                             std::vector<RecordKey>* keys) {
  for (int bit = 0; bit < 64; ++bit) {
    if ((mask >> bit & 1u) == 0) continue;
    RecordKey key(bit, second);
    if (!key_in_range(kind, key)) return false;
    keys->push_back(key);
  }
  return true;
}

int list_impl(const char* store, const RecordKind& kind, const int64_t* first, void* array,
              int capacity, int* count, const char* table) {
  if (count != nullptr) *count = 0;
  if (array == nullptr || count == nullptr || capacity < 0) return fail("bad list arguments"), -1;
  std::lock_guard<std::mutex> guard(store_db::lock());
  Target t;
  if (!prepare_target(store, kind, table, &t)) return -1;
  if (first != nullptr && (!t.two_keys || *first < kind.key.min || *first > kind.key.max))
    return fail("bad first key"), -1;
  // The keys that index the array when every slot is listed.
  const KeyColumn& slot_key = first != nullptr ? kind.key2 : kind.key;
  const int slot_column = first != nullptr ? 1 : 0;
  unsigned char* out = static_cast<unsigned char*>(array);
  auto element = [&](int i) { return out + static_cast<std::size_t>(i) * kind.size; };

  int slots = 0;
  if (kind.list_every_slot) {
    // Unsigned: a range as wide as int64_t must not overflow.
    uint64_t span = static_cast<uint64_t>(slot_key.max) - static_cast<uint64_t>(slot_key.min);
    slots = span < static_cast<uint64_t>(capacity) ? static_cast<int>(span) + 1 : capacity;
    for (int i = 0; i < slots; ++i) {
      RecordKey key =
          first != nullptr ? RecordKey(*first, slot_key.min + i) : RecordKey(slot_key.min + i, 0);
      record_reset(kind, element(i), key);
    }
  }
  if (t.db == nullptr) {
    *count = slots;
    return 0;
  }
  std::string where = "WHERE " + quote(kind.key.column) + " BETWEEN ?1 AND ?2";
  if (t.two_keys) where += " AND " + quote(kind.key2.column) + " BETWEEN ?3 AND ?4";
  if (first != nullptr) where += " AND " + quote(kind.key.column) + "=?5";
  Transaction tx(t.db);
  std::vector<const FieldDesc*> fields;
  std::optional<Statement> st;
  bool exists;
  if (!tx.begin(false) ||
      !prepare_select(t, where + " ORDER BY " + key_list(t), &fields, &st, &exists))
    return -1;
  if (!exists || capacity == 0) {
    *count = slots;
    return 0;
  }
  sqlite3_stmt* s = st->get();
  sqlite3_bind_int64(s, 1, kind.key.min);
  sqlite3_bind_int64(s, 2, kind.key.max);
  if (t.two_keys) {
    sqlite3_bind_int64(s, 3, kind.key2.min);
    sqlite3_bind_int64(s, 4, kind.key2.max);
  }
  if (first != nullptr) sqlite3_bind_int64(s, 5, *first);
  int n = 0, rc;
  while ((rc = st->step()) == SQLITE_ROW) {
    if (kind.list_every_slot) {
      int64_t slot = sqlite3_column_int64(s, slot_column) - slot_key.min;
      if (slot >= 0 && slot < slots) row_to_record(t, s, fields, element(static_cast<int>(slot)));
    } else {
      if (n >= capacity) break;
      row_to_record(t, s, fields, element(n++));
    }
  }
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fail("cannot list " + t.table, t.db), -1;
  if (!tx.commit()) return -1;
  *count = kind.list_every_slot ? slots : n;
  return 0;
}

// Shared by both store_find forms: `bind` binds the probe value as parameter 1.
template <typename Bind>
int find_impl(const char* store, const RecordKind& kind, const char* field, void* record,
              const char* table, Bind bind) {
  if (record == nullptr) return fail("no record"), -1;
  record_reset(kind, record, RecordKey(kind.key.min, kind.key2.min));
  const FieldDesc* f = field != nullptr ? record_find_field(kind, field) : nullptr;
  if (f == nullptr) return fail("no such field"), -1;
  std::lock_guard<std::mutex> guard(store_db::lock());
  Target t;
  if (!prepare_target(store, kind, table, &t)) return -1;
  if (t.db == nullptr) return store_db::no_match("not found"), -1;
  Transaction tx(t.db);
  std::vector<const FieldDesc*> fields;
  std::optional<Statement> st;
  bool exists;
  if (!tx.begin(false) ||
      !prepare_select(t, "WHERE " + quote(f->name) + "=?1 ORDER BY " + key_list(t) + " LIMIT 1",
                      &fields, &st, &exists, f->name))
    return -1;
  if (!exists) return store_db::no_match("not found"), -1;
  bind(st->get());
  int rc = st->step();
  if (rc == SQLITE_ROW) {
    row_to_record(t, st->get(), fields, record);
    return tx.commit() ? 0 : -1;
  }
  if (rc != SQLITE_DONE)
    fail("cannot read " + t.table, t.db);
  else
    store_db::no_match("not found");
  return -1;
}

}  // namespace

int store_read(const char* store, const RecordKind& kind, RecordKey key, void* record, bool* stored,
               const char* table) {
  if (stored != nullptr) *stored = false;
  if (record == nullptr) return fail("no record"), -1;
  record_reset(kind, record, key);
  std::lock_guard<std::mutex> guard(store_db::lock());
  Target t;
  if (!prepare_target(store, kind, table, &t) || !key_in_range(kind, key)) return -1;
  if (t.db == nullptr) return 0;
  Transaction tx(t.db);
  bool found = false;
  if (!tx.begin(false) || !read_locked(t, key, record, &found) || !tx.commit()) {
    record_reset(kind, record, key);
    return -1;
  }
  if (stored != nullptr) *stored = found;
  return 0;
}

int store_write(const char* store, const RecordKind& kind, RecordKey key, const void* record,
                const char* table) {
  if (record == nullptr) return fail("no record"), -1;
  if (!key_in_range(kind, key)) return -1;
  return with_write(store, kind, table,
                    [&](const Target& t) { return write_locked(t, key, record); });
}

int store_update(const char* store, const RecordKind& kind, RecordKey key, const void* record,
                 const char* table) {
  if (record == nullptr) return fail("no record"), -1;
  if (!key_in_range(kind, key)) return -1;
  return with_write(store, kind, table, [&](const Target& t) {
    bool exists;
    if (!row_exists(t, key, &exists)) return false;
    if (!exists) return fail("no record stored at that key");
    return write_locked(t, key, record);
  });
}

int store_delete(const char* store, const RecordKind& kind, RecordKey key, const char* table) {
  if (!key_in_range(kind, key)) return -1;
  return with_write(store, kind, table, [&](const Target& t) {
    Statement st(t.db, "DELETE FROM " + quote(t.table) + " WHERE " + key_condition(t));
    if (!st.ok()) return false;
    bind_key(st.get(), t, key);
    return st.step() == SQLITE_DONE || fail("cannot delete from " + t.table, t.db);
  });
}

int store_list(const char* store, const RecordKind& kind, void* array, int capacity, int* count,
               const char* table) {
  return list_impl(store, kind, nullptr, array, capacity, count, table);
}

int store_list_under(const char* store, const RecordKind& kind, int64_t first, void* array,
                     int capacity, int* count, const char* table) {
  return list_impl(store, kind, &first, array, capacity, count, table);
}

int store_find(const char* store, const RecordKind& kind, const char* field, int64_t value,
               void* record, const char* table) {
  return find_impl(store, kind, field, record, table,
                   [&](sqlite3_stmt* st) { sqlite3_bind_int64(st, 1, value); });
}

int store_find(const char* store, const RecordKind& kind, const char* field, const char* text,
               void* record, const char* table) {
  if (text == nullptr || *text == '\0') {
    if (record != nullptr) record_reset(kind, record, RecordKey(kind.key.min, kind.key2.min));
    return store_db::no_match("empty text never matches"), -1;
  }
  return find_impl(store, kind, field, record, table,
                   [&](sqlite3_stmt* st) { sqlite3_bind_text(st, 1, text, -1, SQLITE_TRANSIENT); });
}

int store_count(const char* store, const RecordKind& kind, int* count, const char* field,
                int64_t value, const char* table) {
  if (count == nullptr) return fail("no count"), -1;
  *count = 0;
  const FieldDesc* f = nullptr;
  if (field != nullptr &&
      ((f = record_find_field(kind, field)) == nullptr || !field_is_integer(f->type)))
    return fail("no such integer field"), -1;
  std::lock_guard<std::mutex> guard(store_db::lock());
  Target t;
  if (!prepare_target(store, kind, table, &t)) return -1;
  if (t.db == nullptr) return 0;
  Transaction tx(t.db);
  Columns cols;
  if (!tx.begin(false) || !store_db::table_columns(t.db, t.table, &cols)) return -1;
  if (!cols.exists) return 0;
  if (!has_keys(t, cols)) return -1;
  std::string sql = "SELECT count(*) FROM " + quote(t.table) + " WHERE " + quote(kind.key.column) +
                    " BETWEEN ?1 AND ?2";
  if (f != nullptr) {
    // A missing column reads as the default of every record, so no row can be told apart.
    if (!cols.has(f->name)) return fail("column missing"), -1;
    sql += " AND " + quote(f->name) + "=?3";
  }
  Statement st(t.db, sql);
  if (!st.ok()) return -1;
  sqlite3_bind_int64(st.get(), 1, kind.key.min);
  sqlite3_bind_int64(st.get(), 2, kind.key.max);
  if (f != nullptr) sqlite3_bind_int64(st.get(), 3, value);
  if (st.step() != SQLITE_ROW) return fail("cannot count " + t.table, t.db), -1;
  *count = sqlite3_column_int(st.get(), 0);
  return tx.commit() ? 0 : -1;
}

int store_copy_mask(const char* store, const RecordKind& kind, const void* record, uint64_t mask,
                    int64_t second, const char* table) {
  std::vector<RecordKey> keys;
  if (record == nullptr) return fail("no record"), -1;
  if (!mask_keys(kind, mask, second, &keys)) return -1;
  if (keys.empty()) return 0;
  return with_write(store, kind, table, [&](const Target& t) {
    for (RecordKey key : keys)
      if (!write_locked(t, key, record)) return false;
    return true;
  });
}

int store_copy_column_int(const char* store, const RecordKind& kind, const char* field,
                          int64_t value, uint64_t mask, int64_t second, const char* table) {
  const FieldDesc* f = field != nullptr ? record_find_field(kind, field) : nullptr;
  if (f == nullptr || !field_is_integer(f->type) || is_key_column(kind, *f))
    return fail("not an integer field"), -1;
  std::vector<RecordKey> keys;
  if (!mask_keys(kind, mask, second, &keys)) return -1;
  if (keys.empty()) return 0;
  std::vector<unsigned char> record(kind.size);
  return with_write(store, kind, table, [&](const Target& t) {
    for (RecordKey key : keys) {
      bool stored;
      if (!read_locked(t, key, record.data(), &stored)) return false;
      field_set_int(*f, record.data(), value);
      if (!write_locked(t, key, record.data())) return false;
    }
    return true;
  });
}

int copy_table_column_int(const char* store, const RecordKind& kind, const char* column,
                          int64_t value, uint64_t mask, const char* key_column, const char* table) {
  if (key_column == nullptr || !record_detail::same_name(key_column, kind.key.column))
    return fail("not the table's key column"), -1;
  return store_copy_column_int(store, kind, column, value, mask, 0, table);
}

int store_add(const char* store, const RecordKind& kind, void* record, const char* free_field,
              int64_t* key, const char* table) {
  const FieldDesc* f = free_field != nullptr ? record_find_field(kind, free_field) : nullptr;
  if (record == nullptr || key == nullptr || f == nullptr || !field_is_integer(f->type) ||
      kind.key2.column != nullptr)
    return fail("bad add arguments"), -1;
  return with_write(store, kind, table, [&](const Target& t) {
    // Taken slots in key order; the first gap or free record is the new slot.
    Statement st(t.db, "SELECT " + quote(kind.key.column) + " FROM " + quote(t.table) + " WHERE " +
                           quote(kind.key.column) + " BETWEEN ?1 AND ?2 AND " + quote(f->name) +
                           " IS NOT NULL AND " + quote(f->name) + "<>0 ORDER BY 1");
    if (!st.ok()) return false;
    sqlite3_bind_int64(st.get(), 1, kind.key.min);
    sqlite3_bind_int64(st.get(), 2, kind.key.max);
    int64_t slot = kind.key.min;
    int rc;
    while ((rc = st.step()) == SQLITE_ROW && sqlite3_column_int64(st.get(), 0) == slot) ++slot;
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fail("cannot read " + t.table, t.db);
    if (slot > kind.key.max) return fail("every slot is taken");
    if (const FieldDesc* k = record_find_field(kind, kind.key.column))
      field_set_int(*k, record, slot);
    if (!write_locked(t, RecordKey(slot), record)) return false;
    *key = slot;
    return true;
  });
}
