// Record <-> web JSON over the shared field walker of field_table.h, plus validation and
// the picks of requests that take some fields, in their own order or under other keys.
#include "field_json.h"

#include <json-c/json.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace {

// The integer a value converts to, when it is one by the validation rules.
[[nodiscard]] bool integer_of(json_object* value, int64_t* out) {
  switch (json_object_get_type(value)) {
    case json_type_int:
    case json_type_boolean:
      *out = json_object_get_int64(value);
      return true;
    case json_type_double: {
      double d = json_object_get_double(value);
      if (!std::isfinite(d)) return false;
      *out = json_object_get_int64(value);
      return true;
    }
    case json_type_string: {
      const char* s = json_object_get_string(value);
      errno = 0;
      char* end = nullptr;
      long long v = std::strtoll(s, &end, 10);
      if (end == s || *end != '\0' || errno != 0) return false;
      *out = v;
      return true;
    }
    default:
      return false;
  }
}

[[nodiscard]] bool integer_ok(const FieldDesc& f, json_object* value) {
  int64_t v;
  if (!integer_of(value, &v)) return false;
  return !f.ranged || (v >= f.min && v <= f.max);
}

[[nodiscard]] bool value_ok(const FieldDesc& f, json_object* value);

[[nodiscard]] bool object_ok(const RecordKind& kind, json_object* object, const char** bad_key) {
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    json_object* value = nullptr;
    if (f.json_key == nullptr || !json_object_object_get_ex(object, f.json_key, &value)) continue;
    if (!value_ok(f, value)) {
      if (bad_key != nullptr) *bad_key = f.json_key;
      return false;
    }
  }
  return true;
}

bool value_ok(const FieldDesc& f, json_object* value) {
  if (field_is_integer(f.type)) return integer_ok(f, value);
  switch (f.type) {
    case FieldType::kF32:
    case FieldType::kF64:
      return json_object_is_type(value, json_type_double) ||
             json_object_is_type(value, json_type_int);
    case FieldType::kText:
      return value != nullptr && !json_object_is_type(value, json_type_object) &&
             !json_object_is_type(value, json_type_array);
    case FieldType::kBytes:
      return json_object_is_type(value, json_type_string);
    case FieldType::kIntArray: {
      if (!json_object_is_type(value, json_type_array)) return false;
      std::size_t n = json_object_array_length(value);
      for (std::size_t i = 0; i < n && i < f.count; ++i)
        if (!integer_ok(f, json_object_array_get_idx(value, i))) return false;
      return true;
    }
    case FieldType::kNested: {
      if (!json_object_is_type(value, json_type_array)) return false;
      std::size_t n = json_object_array_length(value);
      for (std::size_t i = 0; i < n && i < f.count; ++i) {
        json_object* element = json_object_array_get_idx(value, i);
        if (f.nested->bare) {
          if (!value_ok(f.nested->fields[0], element)) return false;
        } else if (!json_object_is_type(element, json_type_object) ||
                   !object_ok(*f.nested, element, nullptr)) {
          return false;
        }
      }
      return true;
    }
    default:
      return false;
  }
}

}  // namespace

int record_from_json(const RecordKind& kind, json_object* object, void* record) {
  return record_fields_from_json(kind, object, record, RecordNames::kJson);
}

int record_to_json(const RecordKind& kind, const void* record, json_object* object) {
  return record_fields_to_json(kind, record, object, RecordNames::kJson);
}

int record_from_json(const FieldKeys& pick, json_object* object, void* record) {
  if (record == nullptr || !json_object_is_type(object, json_type_object)) return -1;
  int applied = 0;
  for (const FieldKey& k : pick.keys) {
    json_object* value = nullptr;
    if (!json_object_object_get_ex(object, k.json_key, &value)) continue;
    if (field_from_json(*k.field, value, record, RecordNames::kJson)) ++applied;
  }
  return applied;
}

int record_to_json(const FieldKeys& pick, const void* record, json_object* object) {
  if (record == nullptr || !json_object_is_type(object, json_type_object)) return -1;
  for (const FieldKey& k : pick.keys) {
    json_object* value = field_to_json(*k.field, record, RecordNames::kJson);
    if (value != nullptr) json_object_object_add(object, k.json_key, value);
  }
  return 0;
}

namespace {

[[nodiscard]] bool required_present(json_object* object, const char* const* required,
                                    int required_count, const char** bad_key) {
  for (int i = 0; i < required_count && required != nullptr; ++i) {
    if (required[i] == nullptr) continue;
    if (!json_object_object_get_ex(object, required[i], nullptr)) {
      if (bad_key != nullptr) *bad_key = required[i];
      return false;
    }
  }
  return true;
}

}  // namespace

int record_validate(const RecordKind& kind, json_object* object, const char* const* required,
                    int required_count, const char** bad_key) {
  if (bad_key != nullptr) *bad_key = nullptr;
  if (!json_object_is_type(object, json_type_object) ||
      !required_present(object, required, required_count, bad_key))
    return -1;
  return object_ok(kind, object, bad_key) ? 0 : -1;
}

int record_validate(const FieldKeys& pick, json_object* object, const char* const* required,
                    int required_count, const char** bad_key) {
  if (bad_key != nullptr) *bad_key = nullptr;
  if (!json_object_is_type(object, json_type_object) ||
      !required_present(object, required, required_count, bad_key))
    return -1;
  for (const FieldKey& k : pick.keys) {
    json_object* value = nullptr;
    if (!json_object_object_get_ex(object, k.json_key, &value)) continue;
    if (!value_ok(*k.field, value)) {
      if (bad_key != nullptr) *bad_key = k.json_key;
      return -1;
    }
  }
  return 0;
}
