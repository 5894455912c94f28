// The handler kit (see handler_kit.h).
#include "handler_kit.h"

#include <json-c/json.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cgi_ipc.h"
#include "cgi_json.h"
#include "core_channels.h"
#include "dvdb.h"
#include "dvstd.h"
#include "field_json.h"
#include "loginfo.h"
#include "web_utils.h"

namespace {

constexpr int kDefaultMaxCameras = 32;

bool is_space(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A whole decimal number in [begin, end) within 0..63, or nothing.
std::optional<int> channel_digits(const char* begin, const char* end) {
  if (begin == end) return std::nullopt;
  int channel = -1;
  auto [stop, ec] = std::from_chars(begin, end, channel);
  if (ec != std::errc() || stop != end || !channel_valid(channel)) return std::nullopt;
  return channel;
}

}  // namespace

void JsonPut::operator()(json_object* object) const {
  json_object_put(object);
}

json_object* json_member(json_object* object, const char* key) {
  json_object* value = nullptr;
  if (object == nullptr || key == nullptr || !json_object_is_type(object, json_type_object))
    return nullptr;
  return json_object_object_get_ex(object, key, &value) ? value : nullptr;
}

Json request_object(const char* text) {
  Json tree(get_request_tokener_json_object(text));
  if (tree != nullptr && !json_object_is_type(tree.get(), json_type_object)) tree.reset();
  return tree;
}

namespace {

// The request object when it passes record_validate over `fields` (a kind or a pick).
template <class Fields>
Json checked_object(const char* text, const Fields& fields,
                    std::initializer_list<const char*> required) {
  Json tree = request_object(text);
  if (tree == nullptr) return tree;
  const char* bad = nullptr;
  if (record_validate(fields, tree.get(), required.begin(), static_cast<int>(required.size()),
                      &bad) != 0) {
    std::fprintf(stderr, "webcgi: request refused: \"%s\" missing or out of range\n",
                 bad != nullptr ? bad : "?");
    tree.reset();
  }
  return tree;
}

}  // namespace

Json request_checked(const char* text, const RecordKind& kind,
                     std::initializer_list<const char*> required) {
  return checked_object(text, kind, required);
}

json_object* json_text_field(const char* field, std::size_t size) {
  return json_object_new_string_len(field, static_cast<int>(strnlen(field, size)));
}

std::optional<int> json_int(json_object* object, const char* key) {
  int value = 0;
  if (on_cgi_get_int_from_json(object, key, &value) != 0) return std::nullopt;
  return value;
}

bool json_int_in(json_object* object, const char* key, int lo, int hi) {
  auto value = json_int(object, key);
  return value && *value >= lo && *value <= hi;
}

bool json_text_nonempty(json_object* object, const char* key) {
  char first[2] = "";
  return on_cgi_get_string_from_json(object, key, first, sizeof first) == 0 && first[0] != '\0';
}

std::optional<int> channel_from_text(const char* text) {
  if (text == nullptr) return std::nullopt;
  const char* begin = text;
  while (is_space(*begin)) ++begin;
  const char* end = begin;
  while (*end >= '0' && *end <= '9') ++end;
  const char* rest = end;
  while (is_space(*rest)) ++rest;
  if (*rest != '\0') return std::nullopt;
  return channel_digits(begin, end);
}

std::optional<int> channel_from_json(json_object* tree, const char* key) {
  json_object* v = json_member(tree, key);
  if (v == nullptr) return std::nullopt;
  if (json_object_is_type(v, json_type_int)) {
    int64_t n = json_object_get_int64(v);
    if (!channel_valid(n)) return std::nullopt;
    return static_cast<int>(n);
  }
  if (!json_object_is_type(v, json_type_string)) return std::nullopt;
  // A text holding a whole number, as strtoll reads it: leading white space and a sign
  // allowed, nothing after the digits.
  const char* s = json_object_get_string(v);
  char* end = nullptr;
  errno = 0;
  long long n = std::strtoll(s, &end, 10);
  if (end == s || *end != '\0' || errno != 0 || !channel_valid(n)) return std::nullopt;
  return static_cast<int>(n);
}

int max_cameras() {
  int n = get_param_int(kStoreMain, "max_cameras", kDefaultMaxCameras);
  return n < 0 ? 0 : n > kMaxChannels ? kMaxChannels : n;
}

void write_json(json_object* object) {
  if (object != nullptr) cgi_writeback_webserver(kCgiJson, json_object_to_json_string(object));
}

void write_ok() {
  cgi_writeback_webserver(kCgiText, "OK");
}

namespace {

template <class Kinds>
void write_list(const char* key, const Kinds& kinds, uint32_t size, const void* records,
                int count) {
  Json list(json_object_new_array());
  const auto* bytes = static_cast<const unsigned char*>(records);
  for (int i = 0; i < count && records != nullptr; ++i) {
    json_object* object = json_object_new_object();
    (void)record_to_json(kinds, bytes + static_cast<std::size_t>(i) * size, object);
    json_object_array_add(list.get(), object);
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), key, list.release());
  write_json(answer.get());
}

}  // namespace

void write_record_list(const char* key, const RecordKind& kind, const void* records, int count) {
  write_list(key, kind, kind.size, records, count);
}

void write_record_list(const char* key, const FieldKeys& pick, const void* records, int count) {
  write_list(key, pick, pick.kind->size, records, count);
}

int answer_json(json_object* object, int flag) {
  Json owned(object);
  if (object == nullptr || !cgi_claim_response()) return -1;
  cgi_writeback_webserver(kCgiJson, json_object_to_json_string(object));
  g_callback_done = flag;
  return 0;
}

int answer_text(const char* text, int flag) {
  return answer_body(kCgiText, text, flag);
}

int answer_body(int kind, const char* body, int flag) {
  if (!cgi_claim_response()) return -1;
  cgi_writeback_webserver(kind, body);
  g_callback_done = flag;
  return 0;
}

int answer_error(int kind) {
  if (!cgi_claim_response()) return -1;
  cgi_error_to_webserver(kind);
  g_callback_done = 1;
  return 0;
}

int CoreLink::query(int type, const void* payload, int length, int error_kind) const {
  int rc = cgi_start_ipc(callback, type, length, payload, 0);
  int done = g_callback_done;
  if (done == 0 && error_kind >= 0) cgi_error_to_webserver(error_kind);
  cgi_stop_ipc(rc);
  return done;
}

void CoreLink::notice(int type, const void* payload, int length) const {
  int rc = cgi_start_ipc(callback, type, length, payload, 1);
  cgi_stop_ipc(rc);
}

void CoreLink::notice_mask(int type, uint64_t mask) const {
  notice(type, core_channel_mask(mask));
}

void CoreLink::log(int param_type, int channel) const {
  cgi_send_log(callback, cgi_make_log(kLogSubParameter, param_type, channel));
}

void CoreLink::log_mask(int param_type, int channel, uint64_t mask) const {
  cgi_send_log_mask(callback, cgi_make_log(kLogSubParameter, param_type, channel), mask);
}

Json request_checked(const char* text, const FieldKeys& pick,
                     std::initializer_list<const char*> required) {
  return checked_object(text, pick, required);
}

int json_channel_ids(json_object* array, std::size_t limit, int32_t* out, int capacity) {
  if (out == nullptr || !json_object_is_type(array, json_type_array)) return 0;
  const std::size_t n = std::min(limit, json_object_array_length(array));
  int stored = 0;
  for (std::size_t i = 0; i < n && stored < capacity; ++i) {
    json_object* element = json_object_array_get_idx(array, i);
    if (!json_object_is_type(element, json_type_int)) continue;
    const int64_t id = json_object_get_int64(element);
    if (channel_valid(id)) out[stored++] = static_cast<int32_t>(id);
  }
  return stored;
}

int record_from_json_array(const RecordKind& kind, json_object* array, void* record) {
  if (record == nullptr || !json_object_is_type(array, json_type_array)) return -1;
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(kind.field_count),
                                              json_object_array_length(array));
  int applied = 0;
  for (std::size_t i = 0; i < n; ++i)
    if (field_from_json(kind.fields[i], json_object_array_get_idx(array, i), record,
                        RecordNames::kJson))
      ++applied;
  return applied;
}

// ---- Strict integers ------------------------------------------------------------------------

std::optional<int> json_whole_int(json_object* object, const char* key) {
  json_object* value = json_member(object, key);
  if (value == nullptr) return std::nullopt;
  int64_t v = 0;
  if (json_object_is_type(value, json_type_int)) {
    v = json_object_get_int64(value);
  } else if (json_object_is_type(value, json_type_double)) {
    double d = json_object_get_double(value);
    if (!(d >= INT32_MIN && d <= INT32_MAX) || d != static_cast<double>(static_cast<int64_t>(d)))
      return std::nullopt;
    v = static_cast<int64_t>(d);
  } else if (json_object_is_type(value, json_type_string)) {
    const char* text = json_object_get_string(value);
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0) return std::nullopt;
    v = parsed;
  } else {
    return std::nullopt;
  }
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int>(v);
}

bool json_whole_int_in(json_object* object, const char* key, int lo, int hi) {
  auto value = json_whole_int(object, key);
  return value && *value >= lo && *value <= hi;
}

void write_record_array(const FieldKeys& pick, const void* records, int count) {
  Json list(json_object_new_array());
  const auto* bytes = static_cast<const unsigned char*>(records);
  for (int i = 0; i < count && records != nullptr; ++i) {
    json_object* object = json_object_new_object();
    (void)record_to_json(pick, bytes + static_cast<std::size_t>(i) * pick.kind->size, object);
    json_object_array_add(list.get(), object);
  }
  write_json(list.get());
}

void record_copy_fields(const FieldKeys& pick, const void* from, void* to) {
  if (from == nullptr || to == nullptr) return;
  for (const FieldKey& k : pick.keys)
    std::memcpy(static_cast<unsigned char*>(to) + k.field->offset,
                static_cast<const unsigned char*>(from) + k.field->offset, k.field->size);
}

uint64_t json_text_mask(json_object* tree, const char* key, int limit) {
  json_object* value = json_member(tree, key);
  if (value == nullptr) return 0;
  const char* text = json_object_get_string(value);
  uint64_t mask = 0;
  const int bound = std::clamp(limit, 0, 64);
  for (int n = 0; text != nullptr && n < bound && text[n] != '\0'; ++n)
    if (text[n] == '1') mask |= uint64_t{1} << n;
  return mask;
}

json_object* record_columns_to_json(const FieldKeys& columns, const void* record, uint32_t rows) {
  uint32_t longest = 0;
  for (const FieldKey& c : columns.keys) longest = std::max(longest, c.field->count);
  json_object* array = json_object_new_array();
  for (uint32_t i = 0; i < rows && i < longest; ++i) {
    json_object* object = json_object_new_object();
    for (const FieldKey& c : columns.keys)
      if (json_object* v = field_element_to_json(*c.field, record, i, RecordNames::kJson))
        json_object_object_add(object, c.json_key, v);
    json_object_array_add(array, object);
  }
  return array;
}

int record_columns_from_json(const FieldKeys& columns, json_object* array, void* record,
                             uint32_t rows) {
  if (record == nullptr || !json_object_is_type(array, json_type_array)) return -1;
  const std::size_t n = std::min<std::size_t>(json_object_array_length(array), rows);
  int applied = 0;
  for (std::size_t i = 0; i < n; ++i) {
    json_object* object = json_object_array_get_idx(array, i);
    if (!json_object_is_type(object, json_type_object)) continue;
    for (const FieldKey& c : columns.keys) {
      json_object* v = nullptr;
      if (json_object_object_get_ex(object, c.json_key, &v))
        (void)field_element_from_json(*c.field, v, record, static_cast<uint32_t>(i),
                                      RecordNames::kJson);
    }
    ++applied;
  }
  return applied;
}

void drop_core_answer(void* /*context*/, const std::uint32_t* /*header_words*/,
                      const void* /*payload*/) {}

int answer_fields(const RecordKind& kind, const void* record) {
  json_object* object = json_object_new_object();
  (void)record_to_json(kind, record, object);
  return answer_json(object);
}

int answer_fields(const FieldKeys& keys, const void* record) {
  json_object* object = json_object_new_object();
  (void)record_to_json(keys, record, object);
  return answer_json(object);
}

int refuse(int kind, const char* what, const char* why) {
  std::fprintf(stderr, "%s: %s\n", what != nullptr ? what : "request",
               why != nullptr ? why : "refused");
  cgi_error_to_webserver(kind);
  return -1;
}
