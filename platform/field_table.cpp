// Field access and JSON conversion for record kinds (see record.h). Both the store and
// webcgi's JSON conversion walk field tables through these functions, so a record reads
// the same way from a store column as from a request.
#include "field_table.h"

#include <json-c/json.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

namespace {

template <typename T>
T load(const void* record, uint32_t offset) {
  T v;
  std::memcpy(&v, static_cast<const unsigned char*>(record) + offset, sizeof v);
  return v;
}

template <typename T>
void store(void* record, uint32_t offset, T v) {
  std::memcpy(static_cast<unsigned char*>(record) + offset, &v, sizeof v);
}

template <typename T>
T saturate(int64_t v) {
  if constexpr (std::is_signed_v<T>) {
    if (v < std::numeric_limits<T>::min()) return std::numeric_limits<T>::min();
  } else {
    if (v < 0) return 0;
  }
  if (v > static_cast<int64_t>(std::numeric_limits<T>::max())) return std::numeric_limits<T>::max();
  return static_cast<T>(v);
}

const char* name_of(const FieldDesc& f, RecordNames names) {
  return names == RecordNames::kColumn ? f.name : f.json_key;
}

constexpr char kHex[] = "0123456789abcdef";

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Bytes from hex digits; false when the text is not hex or longer than the field.
bool set_bytes_from_hex(const FieldDesc& f, void* record, std::string_view hex) {
  if (hex.size() % 2 != 0 || hex.size() / 2 > f.size) return false;
  for (char c : hex)
    if (hex_value(c) < 0) return false;
  unsigned char* out = static_cast<unsigned char*>(record) + f.offset;
  std::memset(out, 0, f.size);
  for (std::size_t i = 0; i < hex.size(); i += 2)
    out[i / 2] = static_cast<unsigned char>(hex_value(hex[i]) * 16 + hex_value(hex[i + 1]));
  return true;
}

[[nodiscard]] bool parse_int(std::string_view text, int64_t* out) {
  std::string s(text);
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  bool negative = s[0] == '-';
  if (negative) {
    long long v = std::strtoll(s.c_str(), &end, 0);
    *out = v;
  } else {
    // Unsigned parsing keeps the full 64-bit range of unsigned fields.
    unsigned long long v = std::strtoull(s.c_str(), &end, 0);
    *out = static_cast<int64_t>(v);
  }
  return errno == 0 && end != nullptr && *end == '\0';
}

}  // namespace

const FieldDesc* record_find_field(const RecordKind& kind, std::string_view name) {
  for (int i = 0; i < kind.field_count; ++i)
    if (name == kind.fields[i].name) return &kind.fields[i];
  return nullptr;
}

bool field_is_integer(FieldType type) {
  return record_detail::is_integer(type);
}

int64_t field_get_int(const FieldDesc& f, const void* record) {
  switch (f.type) {
    case FieldType::kI8:
      return load<int8_t>(record, f.offset);
    case FieldType::kU8:
      return load<uint8_t>(record, f.offset);
    case FieldType::kI16:
      return load<int16_t>(record, f.offset);
    case FieldType::kU16:
      return load<uint16_t>(record, f.offset);
    case FieldType::kI32:
      return load<int32_t>(record, f.offset);
    case FieldType::kU32:
      return load<uint32_t>(record, f.offset);
    case FieldType::kI64:
      return load<int64_t>(record, f.offset);
    case FieldType::kU64:
      return static_cast<int64_t>(load<uint64_t>(record, f.offset));
    default:
      return 0;
  }
}

void field_set_int(const FieldDesc& f, void* record, int64_t value) {
  switch (f.type) {
    case FieldType::kI8:
      store(record, f.offset, saturate<int8_t>(value));
      break;
    case FieldType::kU8:
      store(record, f.offset, saturate<uint8_t>(value));
      break;
    case FieldType::kI16:
      store(record, f.offset, saturate<int16_t>(value));
      break;
    case FieldType::kU16:
      store(record, f.offset, saturate<uint16_t>(value));
      break;
    case FieldType::kI32:
      store(record, f.offset, saturate<int32_t>(value));
      break;
    case FieldType::kU32:
      store(record, f.offset, saturate<uint32_t>(value));
      break;
    case FieldType::kI64:
      store(record, f.offset, value);
      break;
    case FieldType::kU64:
      store(record, f.offset, static_cast<uint64_t>(value));
      break;
    default:
      break;
  }
}

double field_get_real(const FieldDesc& f, const void* record) {
  if (f.type == FieldType::kF32) return load<float>(record, f.offset);
  if (f.type == FieldType::kF64) return load<double>(record, f.offset);
  return static_cast<double>(field_get_int(f, record));
}

void field_set_real(const FieldDesc& f, void* record, double value) {
  if (f.type == FieldType::kF32) {
    store(record, f.offset, static_cast<float>(value));
  } else if (f.type == FieldType::kF64) {
    store(record, f.offset, value);
  } else if (field_is_integer(f.type)) {
    // Cut towards zero as a C conversion does, without its undefined overflow.
    if (std::isnan(value)) value = 0;
    if (value >= 9.2e18) value = 9.2e18;
    if (value <= -9.2e18) value = -9.2e18;
    field_set_int(f, record, static_cast<int64_t>(value));
  }
}

std::string_view field_get_text(const FieldDesc& f, const void* record) {
  if (f.type != FieldType::kText) return {};
  const char* p = static_cast<const char*>(record) + f.offset;
  return std::string_view(p, strnlen(p, f.size));
}

void field_set_text(const FieldDesc& f, void* record, std::string_view text) {
  if (f.type != FieldType::kText || f.size == 0) return;
  char* p = static_cast<char*>(record) + f.offset;
  std::size_t n = text.size() < f.size - 1 ? text.size() : f.size - 1;
  std::memset(p, 0, f.size);
  if (n > 0) std::memcpy(p, text.data(), n);
}

int32_t field_get_element(const FieldDesc& f, const void* record, uint32_t i) {
  if (f.type != FieldType::kIntArray || i >= f.count) return 0;
  return load<int32_t>(record, f.offset + 4 * i);
}

void field_set_element(const FieldDesc& f, void* record, uint32_t i, int32_t value) {
  if (f.type != FieldType::kIntArray || i >= f.count) return;
  store(record, f.offset + 4 * i, value);
}

void* field_nested_element(const FieldDesc& f, void* record, uint32_t i) {
  if (f.type != FieldType::kNested || f.nested == nullptr || i >= f.count) return nullptr;
  return static_cast<unsigned char*>(record) + f.offset +
         static_cast<std::size_t>(i) * f.nested->size;
}

const void* field_nested_element(const FieldDesc& f, const void* record, uint32_t i) {
  return field_nested_element(f, const_cast<void*>(record), i);
}

bool field_set_from_text(const FieldDesc& f, void* record, std::string_view text) {
  if (field_is_integer(f.type)) {
    int64_t v;
    if (!parse_int(text, &v)) return false;
    field_set_int(f, record, v);
    return true;
  }
  switch (f.type) {
    case FieldType::kF32:
    case FieldType::kF64: {
      std::string s(text);
      char* end = nullptr;
      double v = std::strtod(s.c_str(), &end);
      if (s.empty() || *end != '\0') return false;
      field_set_real(f, record, v);
      return true;
    }
    case FieldType::kText:
      field_set_text(f, record, text);
      return true;
    case FieldType::kBytes:
      return set_bytes_from_hex(f, record, text);
    case FieldType::kIntArray:
    case FieldType::kNested: {
      std::string s(text);
      json_object* value = json_tokener_parse(s.c_str());
      bool ok = value != nullptr && field_from_json(f, value, record, RecordNames::kColumn);
      json_object_put(value);
      return ok;
    }
    default:
      return false;
  }
}

void record_reset(const RecordKind& kind, void* record, RecordKey key) {
  std::memset(record, 0, kind.size);
  if (kind.defaults != nullptr) kind.defaults(record, key);
  if (kind.key.column != nullptr)
    if (const FieldDesc* f = record_find_field(kind, kind.key.column))
      field_set_int(*f, record, key.first);
  if (kind.key2.column != nullptr)
    if (const FieldDesc* f = record_find_field(kind, kind.key2.column))
      field_set_int(*f, record, key.second);
}

json_object* field_to_json(const FieldDesc& f, const void* record, RecordNames names) {
  if (f.type == FieldType::kU64)
    return json_object_new_uint64(static_cast<uint64_t>(field_get_int(f, record)));
  if (field_is_integer(f.type)) return json_object_new_int64(field_get_int(f, record));
  switch (f.type) {
    case FieldType::kF32:
    case FieldType::kF64:
      return json_object_new_double(field_get_real(f, record));
    case FieldType::kText: {
      std::string_view t = field_get_text(f, record);
      return json_object_new_string_len(t.data(), static_cast<int>(t.size()));
    }
    case FieldType::kBytes: {
      const unsigned char* p = static_cast<const unsigned char*>(record) + f.offset;
      std::string hex;
      hex.reserve(2u * f.size);
      for (uint32_t i = 0; i < f.size; ++i) {
        hex.push_back(kHex[p[i] >> 4]);
        hex.push_back(kHex[p[i] & 15]);
      }
      return json_object_new_string_len(hex.data(), static_cast<int>(hex.size()));
    }
    case FieldType::kIntArray:
    case FieldType::kNested: {
      json_object* array = json_object_new_array_ext(static_cast<int>(f.count));
      if (array == nullptr) return nullptr;
      for (uint32_t i = 0; i < f.count; ++i) {
        json_object* element = field_element_to_json(f, record, i, names);
        if (element == nullptr) break;
        json_object_array_add(array, element);
      }
      return array;
    }
    default:
      return nullptr;
  }
}

bool field_from_json(const FieldDesc& f, json_object* value, void* record, RecordNames names) {
  if (f.type == FieldType::kU64) {
    field_set_int(f, record, static_cast<int64_t>(json_object_get_uint64(value)));
    return true;
  }
  if (field_is_integer(f.type)) {
    field_set_int(f, record, json_object_get_int64(value));
    return true;
  }
  switch (f.type) {
    case FieldType::kF32:
    case FieldType::kF64:
      field_set_real(f, record, json_object_get_double(value));
      return true;
    case FieldType::kText: {
      if (json_object_is_type(value, json_type_object) ||
          json_object_is_type(value, json_type_array))
        return false;
      const char* s = value != nullptr ? json_object_get_string(value) : "";
      field_set_text(f, record, s != nullptr ? s : "");
      return true;
    }
    case FieldType::kBytes: {
      if (!json_object_is_type(value, json_type_string)) return false;
      return set_bytes_from_hex(
          f, record,
          std::string_view(json_object_get_string(value),
                           static_cast<std::size_t>(json_object_get_string_len(value))));
    }
    case FieldType::kIntArray:
    case FieldType::kNested: {
      if (!json_object_is_type(value, json_type_array)) return false;
      std::size_t n = json_object_array_length(value);
      for (uint32_t i = 0; i < f.count && i < n; ++i)
        (void)field_element_from_json(f, json_object_array_get_idx(value, i), record, i, names);
      return true;
    }
    default:
      return false;
  }
}

json_object* field_element_to_json(const FieldDesc& f, const void* record, uint32_t i,
                                   RecordNames names) {
  if (i >= f.count) return nullptr;
  if (f.type == FieldType::kIntArray) return json_object_new_int(field_get_element(f, record, i));
  const void* element = field_nested_element(f, record, i);
  if (element == nullptr) return nullptr;
  if (f.nested->bare) return field_to_json(f.nested->fields[0], element, names);
  json_object* object = json_object_new_object();
  if (object != nullptr) record_fields_to_json(*f.nested, element, object, names);
  return object;
}

bool field_element_from_json(const FieldDesc& f, json_object* value, void* record, uint32_t i,
                             RecordNames names) {
  if (i >= f.count) return false;
  if (f.type == FieldType::kIntArray) {
    field_set_element(f, record, i, saturate<int32_t>(json_object_get_int64(value)));
    return true;
  }
  void* element = field_nested_element(f, record, i);
  if (element == nullptr) return false;
  if (f.nested->bare) return field_from_json(f.nested->fields[0], value, element, names);
  if (!json_object_is_type(value, json_type_object)) return false;
  return record_fields_from_json(*f.nested, value, element, names) >= 0;
}

int record_fields_to_json(const RecordKind& kind, const void* record, json_object* object,
                          RecordNames names) {
  if (record == nullptr || !json_object_is_type(object, json_type_object)) return -1;
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    const char* key = name_of(f, names);
    if (key == nullptr) continue;
    json_object* value = field_to_json(f, record, names);
    if (value != nullptr) json_object_object_add(object, key, value);
  }
  return 0;
}

int record_fields_from_json(const RecordKind& kind, json_object* object, void* record,
                            RecordNames names) {
  if (record == nullptr || !json_object_is_type(object, json_type_object)) return -1;
  int applied = 0;
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    const char* key = name_of(f, names);
    json_object* value = nullptr;
    if (key == nullptr || !json_object_object_get_ex(object, key, &value)) continue;
    if (field_from_json(f, value, record, names)) ++applied;
  }
  return applied;
}

RecordKey record_key_of(const RecordKind& kind, const void* record) {
  auto key_value = [&](const KeyColumn& key) -> int64_t {
    const FieldDesc* f = key.column != nullptr ? record_find_field(kind, key.column) : nullptr;
    return f != nullptr && record != nullptr ? field_get_int(*f, record) : 0;
  };
  return RecordKey(key_value(kind.key), key_value(kind.key2));
}
