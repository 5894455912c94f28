// The handler kit: what every request handler and every module answer callback needs, once.
// A handler file includes this (it brings the field tables, their JSON conversion and the
// typed store) and its module's headers; docs/handlers.md shows a whole get/set pair built
// from these pieces.
//
//   Json tree = request_object(text);                  // the body as a JSON object, owned
//   auto channel = channel_from_json(tree.get(), "chnid");
//   kRecordCore.notice(kHolidaysChanged);              // a notice the core does not answer
//   kRecordCore.query(3218, nullptr, 0, kCgiJson);     // waits; error body when unanswered
//   kRecordCore.log(kLogParamHoliday, id);             // the operation log record
//
// Callback side (the socket library's thread): answer_json / answer_text / answer_error
// claim the response, write it and set g_callback_done, so exactly one answer is written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <type_traits>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "dvsocket.h"
#include "field_json.h"
#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

struct json_object;

// ---- JSON values -----------------------------------------------------------------------

struct JsonPut {
  void operator()(json_object* object) const;
};
// An owned JSON value: released when it goes out of scope.
using Json = std::unique_ptr<json_object, JsonPut>;

// The value under `key` of a JSON object; null when `object` is no object, the key is
// missing or holds JSON null.
json_object* json_member(json_object* object, const char* key);

// The request text as a JSON object; null when it is missing, not JSON, or another type.
Json request_object(const char* text);

// The request as a JSON object that carries every `required` key and whose keys of the
// kind hold values of their fields' types and ranges (record_validate); null otherwise, and
// the reason on standard error.
Json request_checked(const char* text, const RecordKind& kind,
                     std::initializer_list<const char*> required);

// The integer under `key` (read as json-c reads it: a number, or a number in a text), when
// present and not JSON null.
[[nodiscard]] std::optional<int> json_int(json_object* object, const char* key);
// A fixed text field (which may lack its terminator) as a JSON string: up to its first NUL
// or `size` bytes.
json_object* json_text_field(const char* field, std::size_t size);

// True when `key` is present and its integer lies in lo..hi.
[[nodiscard]] bool json_int_in(json_object* object, const char* key, int lo, int hi);
// True when `key` is present and its text (any value in its JSON text form) is not empty.
[[nodiscard]] bool json_text_nonempty(json_object* object, const char* key);

// ---- Channels ----------------------------------------------------------------------------

// True for a channel id the store and the core know (0 to 63).
constexpr bool channel_valid(int64_t id) {
  return id >= 0 && id < kMaxChannels;
}

// The channel of a request text: decimal digits only (surrounding white space allowed),
// 0 to 63. Nothing for any other text, so "abc", "3x" or "-1" is no channel at all.
[[nodiscard]] std::optional<int> channel_from_text(const char* text);

// The channel that tree[key] names: an integer, or a text holding only one, in 0 to 63.
// Nothing for an absent key, another type, or a value out of range.
[[nodiscard]] std::optional<int> channel_from_json(json_object* tree, const char* key);

// The store's "max_cameras" (32 when unset), clamped to 0..64: a count other code may loop
// over without going past the channel tables.
[[nodiscard]] int max_cameras();

// ---- Writing the response from a handler ----------------------------------------------------

// The object as the JSON response (not released).
void write_json(json_object* object);
// The text "OK".
void write_ok();
// {key: [...]} with one object per record (count records of the kind, never below 0):
// every JSON key of the kind in table order, or the pick's.
void write_record_list(const char* key, const RecordKind& kind, const void* records, int count);
void write_record_list(const char* key, const FieldKeys& pick, const void* records, int count);

// A refused request from the handler side: `what` and `why` (fixed texts, never request
// text) to standard error, then the error body of `kind`. -1, for `return refuse(...)`.
int refuse(int kind, const char* what, const char* why);

// ---- Writing the response from an answer callback --------------------------------------------
// Each claims the response first and writes nothing when another writer already did; after
// writing it sets g_callback_done to `flag`. 0 when written, -1 otherwise.

// Releases `object` in every case.
int answer_json(json_object* object, int flag = 1);
int answer_text(const char* text, int flag = 1);
// A body already in the form of `kind` (kCgiText or kCgiJson).
int answer_body(int kind, const char* body, int flag = 1);
// The error body of `kind` (kCgiText or kCgiJson).
int answer_error(int kind);

// One record as JSON through a kind's table or a pick, answered as answer_json does.
int answer_fields(const RecordKind& kind, const void* record);
int answer_fields(const FieldKeys& keys, const void* record);

// The first record of a core answer as JSON through `keys` (a kind or a pick), answered; the
// error body of `error_kind` when the answer holds no whole record.
template <class Rec, class Keys>
int answer_record_json(const Keys& keys, int count, const void* payload,
                       int error_kind = kCgiJson) {
  auto rec = ipc_record<Rec>(payload, count, 0);
  if (!rec) return answer_error(error_kind);
  return answer_fields(keys, &*rec);
}

// ---- A module's link to the core ------------------------------------------------------------

// Everything a module sends goes through its answer callback, so one constant per module
// carries it: `inline constexpr CoreLink kRecordCore{on_record_ipc_callback};`
struct CoreLink {
  dv_sock_callback callback;

  // Sends a request and waits for the answer callback; when none answered, writes the error
  // body of `error_kind` (kCgiText, kCgiJson; -1 writes nothing). Returns the flag the
  // callback left (0 when no answer came).
  int query(int type, const void* payload, int length, int error_kind) const;
  template <class T>
  int query(int type, const T& payload, int error_kind) const {
    static_assert(std::is_trivially_copyable_v<T>);
    return query(type, &payload, static_cast<int>(sizeof payload), error_kind);
  }

  // Sends a request the core does not answer (a change notice).
  void notice(int type, const void* payload = nullptr, int length = 0) const;
  template <class T>
  void notice(int type, const T& payload) const {
    static_assert(std::is_trivially_copyable_v<T>);
    notice(type, &payload, static_cast<int>(sizeof payload));
  }
  // A notice whose payload is a channel mask (two 32-bit words, low first).
  void notice_mask(int type, uint64_t mask) const;

  // The operation log record of a parameter change (sub type 204) for the 0-based channel
  // (-1: none); with a mask of the channels or outputs concerned when `mask` is given.
  void log(int param_type, int channel = -1) const;
  void log_mask(int param_type, int channel, uint64_t mask) const;
};

// ---- Requests checked against a pick ------------------------------------------------------

// As request_checked, looking only at the picked fields: a request whose other keys the
// handler does not take (or takes under its own rules) is checked for the ones it does.
Json request_checked(const char* text, const FieldKeys& pick,
                     std::initializer_list<const char*> required);

// ---- JSON arrays of channels and of positional records ---------------------------------------

// The channel ids (0 to 63) among the first `limit` elements of the JSON array `array`, in
// order, packed into out[0..capacity); elements of another type or value are skipped.
// Returns how many were stored (0 when `array` is no array).
[[nodiscard]] int json_channel_ids(json_object* array, std::size_t limit, int32_t* out,
                                   int capacity);

// Applies element i of the JSON array `array` to field i of the kind, in table order (an
// entry such as ["08:00", "18:00", 1] for {start, end, action}); extra elements are ignored.
// Returns how many fields were applied, or -1 when `array` is no array.
int record_from_json_array(const RecordKind& kind, json_object* array, void* record);

// ---- Strict integers ------------------------------------------------------------------------

// The integer under `key` when it is a JSON integer (or a real without a fraction) or a text
// holding only a whole decimal integer, within int; nothing for any other value, so that
// "abc" or 2.5 is never read as 0 or 2 where a check must refuse it.
[[nodiscard]] std::optional<int> json_whole_int(json_object* object, const char* key);
// True when json_whole_int gives a value in lo..hi.
[[nodiscard]] bool json_whole_int_in(json_object* object, const char* key, int lo, int hi);

// ---- Record lists and partial copies ---------------------------------------------------------

// The records as a bare JSON array (no enclosing object) of the pick's keys: count records,
// never below 0.
void write_record_array(const FieldKeys& pick, const void* records, int count);

// Copies the picked fields (byte for byte, whatever their JSON keys) from one record of the
// pick's kind to another.
void record_copy_fields(const FieldKeys& pick, const void* from, void* to);

// ---- Channel selection texts ------------------------------------------------------------------

// Bit n for each "1" among the first min(limit, 64) characters of tree[key] (any value in its
// JSON text form); a longer text is read no further. 0 when the key is absent.
[[nodiscard]] uint64_t json_text_mask(json_object* tree, const char* key, int limit);

// ---- Parallel arrays as one JSON array of objects ----------------------------------------------
// Some core records keep a list as parallel arrays (nine switches, then nine counts, then nine
// texts) where the web sees one array of objects. Each picked field (an int32 array or a nested
// array) is a column; object i carries element i of every column that has one.

// `rows` objects (at most the longest column's count).
json_object* record_columns_to_json(const FieldKeys& columns, const void* record, uint32_t rows);
// Applies the first `rows` elements of `array`: the key of each column in object i sets that
// column's element i, when the column has one (elements beyond a column's count are never
// written). Elements that are not objects are skipped. Returns how many objects were applied,
// or -1 when `array` is not an array.
int record_columns_from_json(const FieldKeys& columns, json_object* array, void* record,
                             uint32_t rows);

// ---- Requests whose answer nobody waits for ----------------------------------------------------

// Drops every answer. The link that uses it sends a request the core answers although the page
// does not wait (a camera setting sent along with another one): its late answer can then never
// be written as the response of the request the page does wait for.
void drop_core_answer(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kNoAnswerCore{drop_core_answer};
