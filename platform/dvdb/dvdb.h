// The settings store: records of every kind (record.h) kept in SQLite databases that the
// request processes and the core daemon share.
//
// Store paths are the recorder's system paths below (the first argument of every call);
// the store resolves them under NVR_ROOT itself. A database file is created by the first
// write (a read of a missing file reads as never written and creates nothing: the mere
// existence of "/mnt/nand2/oem.db" marks a customised build) and opened once per process, lazily,
// in WAL mode with a busy timeout, so that readers never wait and writers queue for each other.
// Every call is one transaction: a crash never leaves half a record, and a copy to many channels
// happens entirely or not at all.
//
// Layout: one table per kind (or per table-name override), named after the kind; its key
// column(s) form the primary key and every field has a column of its own, named after
// the field: integers as INTEGER, float and double as REAL, texts as TEXT, bytes as BLOB,
// integer arrays and nested records as JSON text under field names, so the sqlite3 shell
// shows them readably. Columns the kind does not know are kept and ignored; a column the
// table lacks reads as the field's default and is added by the next write.
//
// Never-written rule: a record that was never written reads as its kind's factory
// defaults (the kind's `defaults`, or all zero), with its key fields set to the key. A
// read reports this through `stored` and still returns 0; a missing table or a missing
// database file count as never written (lists are then empty or all defaults, finds
// find nothing, counts are 0, parameters read as their defaults). A failed read also leaves the
// defaults in the record, so that callers which use the record regardless see sensible values.
//
// Results: every call returns 0 on success and -1 on failure, and never 0 for a write
// that did not reach the database. Failures: null arguments, a key outside the kind's
// range, a bad table-name override, a database that cannot be opened or is corrupt,
// a lock not obtained within the busy timeout, a full disk. store_last_error() tells why.
//
// Table-name overrides keep the same kind in several tables ("motion_white_led_params",
// "video_loss_white_led_params"); they must be 1 to 63 letters, digits or underscores,
// not starting with a digit. Table and column names only ever come from compiled field
// tables or such checked overrides, never from requests.
//
// Thread safety: calls may come from any thread; a process-wide lock serialises them.
#pragma once

#include <cstdint>

#include "field_table.h"

inline constexpr const char* kStoreMain = "/mnt/nand/app/dvdb.db";  // settings and parameters
inline constexpr const char* kStoreAnpr = "/mnt/nand/app/anpr.db";  // licence-plate lists
inline constexpr const char* kStoreOem = "/mnt/nand2/oem.db";  // accounts of a customised build

// How long a call waits for other processes' writes before it fails. Waiting writers are
// not served in order (each retries when it wakes), so under a burst of writers one may
// wait for most of the burst; the limit is long enough to outlast any burst of request
// processes and still ends a wait on a store that a hung process keeps locked.
inline constexpr int kStoreBusyTimeoutMs = 30000;

// Reads the record at `key` into `record` (kind.size bytes). 0 when read (also for a
// record never written, which reads as defaults: *stored is then false), -1 on failure.
int store_read(const char* store, const RecordKind& kind, RecordKey key, void* record,
               bool* stored = nullptr, const char* table = nullptr);

// Stores `record` at `key`, replacing what was there (columns the kind does not know are
// kept). Key fields of the record are ignored: the key is stored.
int store_write(const char* store, const RecordKind& kind, RecordKey key, const void* record,
                const char* table = nullptr);

// As store_write, but only when a record is stored at `key`; -1 when none is.
int store_update(const char* store, const RecordKind& kind, RecordKey key, const void* record,
                 const char* table = nullptr);

// Removes the record at `key`; it then reads as never written. 0 also when none was stored.
int store_delete(const char* store, const RecordKind& kind, RecordKey key,
                 const char* table = nullptr);

// Fills `array` (room for `capacity` records) and sets *count to the number filled: for a
// kind with list_every_slot every first key from key.min (never-written slots as
// defaults), otherwise the stored records in key order. Never more than `capacity`.
int store_list(const char* store, const RecordKind& kind, void* array, int capacity, int* count,
               const char* table = nullptr);

// The same for the records whose first key is `first`, in order of the second key.
int store_list_under(const char* store, const RecordKind& kind, int64_t first, void* array,
                     int capacity, int* count, const char* table = nullptr);

// Reads the stored record with the lowest key whose field `field` equals the value.
// 0 when found; -1 when none matches (the record then holds the defaults of key.min) or
// on failure. An empty text never matches.
int store_find(const char* store, const RecordKind& kind, const char* field, int64_t value,
               void* record, const char* table = nullptr);
int store_find(const char* store, const RecordKind& kind, const char* field, const char* text,
               void* record, const char* table = nullptr);

// Counts the stored records (within the key range), or only those whose integer field
// `field` equals `value` when `field` is not null.
int store_count(const char* store, const RecordKind& kind, int* count, const char* field = nullptr,
                int64_t value = 0, const char* table = nullptr);

// Stores `record` for every channel whose bit is set in `mask` (bit n: first key n), the
// second key being `second`; the key fields follow each channel. One transaction: -1
// and nothing stored when any selected channel lies outside the key range. An empty mask
// stores nothing and returns 0.
int store_copy_mask(const char* store, const RecordKind& kind, const void* record, uint64_t mask,
                    int64_t second = 0, const char* table = nullptr);

// Sets the integer field `field` to `value` in the record of every channel selected by
// `mask`, leaving the other fields as stored (never-written records get their defaults
// plus this value). One transaction, with the same refusals as store_copy_mask.
int store_copy_column_int(const char* store, const RecordKind& kind, const char* field,
                          int64_t value, uint64_t mask, int64_t second = 0,
                          const char* table = nullptr);

// The named form the handlers use for store_copy_column_int: sets the integer column
// `column` of the kind's table to `value` in every row whose key column `key_column`
// is selected by `mask`. 0, or -1 as store_copy_column_int, and also when `key_column`
// is not the kind's first key.
int copy_table_column_int(const char* store, const RecordKind& kind, const char* column,
                          int64_t value, uint64_t mask, const char* key_column,
                          const char* table = nullptr);

// Stores `record` in the lowest first key from key.min whose slot is free (no record, or
// the integer field `free_field` is 0) and sets *key to it; the record's key fields are
// set too. -1 when every slot is taken. For kinds with one key.
int store_add(const char* store, const RecordKind& kind, void* record, const char* free_field,
              int64_t* key, const char* table = nullptr);

// Why the last failing call of this thread failed ("" when none failed yet).
const char* store_last_error();

// Closes every database this process opened; the next call opens them again. For tools
// and tests that replace or damage a database file.
void store_close_all();
