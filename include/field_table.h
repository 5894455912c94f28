// Field tables and record kinds: a fixed-layout struct described once by a table of its
// fields. (Not to be confused with the recording module, handlers/record/.)
//
// The settings store persists a record field by field under the field names of the
// table, and webcgi converts it to and from the web's JSON under the JSON keys of the
// same table, so one declaration serves storing, reading, listing, copying, JSON output,
// JSON input and validation. A kind is declared like this:
//
//   struct HolidayRecord { int32_t id; char name[256]; int32_t enable; ... };
//   constexpr FieldDesc kHolidayFields[] = {
//       NVR_FIELD(HolidayRecord, id, "id"),
//       NVR_FIELD(HolidayRecord, name, "name"),
//       NVR_FIELD(HolidayRecord, enable, "enable").range(0, 1),
//       ...};
//   constexpr RecordKind kHolidayKind{.name = "holiday", .size = sizeof(HolidayRecord),
//       .fields = kHolidayFields, .field_count = std::size(kHolidayFields),
//       .key = {"id", 0, 31}};
//   static_assert(record_kind_is_valid(kHolidayKind));
//
// The field name is the member's name and becomes the store column: renaming a member
// renames the column, so a stored value would read as the default afterwards. Keep the
// old column with NVR_FIELD_AS when a member must be renamed.
//
// Implemented in platform/field_table.cpp; the JSON conversion is links/field_json.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>
#include <type_traits>

struct json_object;

enum class FieldType : uint8_t {
  kI8,
  kU8,
  kI16,
  kU16,
  kI32,
  kU32,
  kI64,
  kU64,
  kF32,
  kF64,
  kText,      // char[N]: NUL-terminated, at most N-1 characters
  kBytes,     // unsigned char[N]: opaque bytes
  kIntArray,  // int32_t[N]
  kNested,    // T[N] of records of another kind (`nested`)
};

struct RecordKind;

struct FieldDesc {
  const char* name;  // store column; the member's name
  FieldType type;
  uint32_t offset;
  uint32_t size;             // bytes of the whole member
  const char* json_key;      // nullptr when the web does not name the field
  const RecordKind* nested;  // element kind of a kNested field
  uint32_t count;            // elements of kIntArray and kNested, 1 otherwise
  int64_t min;               // validation range of integer fields (and of
  int64_t max;               //   kIntArray elements) when `ranged`
  bool ranged;

  // The same field with a validation range (record_validate checks it).
  constexpr FieldDesc range(int64_t lo, int64_t hi) const {
    FieldDesc f = *this;
    f.min = lo;
    f.max = hi;
    f.ranged = true;
    return f;
  }
};

// The two keys that address a stored record. `first` is the channel, slot or id; kinds
// with one key ignore `second` (a PTZ linkage block, for example, uses both: channel and
// event type). A plain integer converts to a key.
struct RecordKey {
  int64_t first = 0;
  int64_t second = 0;
  constexpr RecordKey(int64_t a = 0, int64_t b = 0) : first(a), second(b) {}
};

// A key column of a kind. When the record has an integer field of the same name, that
// field mirrors the key: it is set from the key on every read and the key (not the
// field) is what a write stores. Keys outside [min, max] are refused.
struct KeyColumn {
  const char* column = nullptr;  // nullptr: the kind has no such key
  int64_t min = 0;
  int64_t max = 0;
};

struct RecordKind {
  const char* name;  // the default store table
  uint32_t size;     // sizeof the struct
  const FieldDesc* fields;
  int field_count;
  KeyColumn key{};   // first key; nested element kinds have none
  KeyColumn key2{};  // optional second key
  // When true a list returns one record for every first key from key.min up (never
  // written ones as defaults), so that index i of the array is key.min + i; otherwise
  // a list returns the stored records only, in key order.
  bool list_every_slot = false;
  // Factory defaults of a record never written, applied to a zeroed record; nullptr
  // means all zero. Key fields are set after it.
  void (*defaults)(void* record, RecordKey key) = nullptr;
  // When true a record of this kind is written in JSON as the value of its single field
  // rather than as an object: the element kind of a nested array of texts (char[32][32] as
  // ["a", "b", ...]) or of an array of arrays (groups of areas as [[{...}, ...], ...]).
  bool bare = false;
};

// Renames of JSON keys for a request whose keys differ from the table's own ("userName"
// for the field "name" in one answer, "camId" for "channel" in one request).
struct JsonKeyMap {
  const char* field;     // field name in the kind's table
  const char* json_key;  // key used instead
};

// ---- Declaring fields -----------------------------------------------------------------

namespace record_detail {

template <typename T>
struct Traits {
  static constexpr bool kSupported = false;
};
#define NVR_RECORD_TRAIT(T, tag)                       \
  template <>                                          \
  struct Traits<T> {                                   \
    static constexpr bool kSupported = true;           \
    static constexpr FieldType kType = FieldType::tag; \
    static constexpr uint32_t kCount = 1;              \
  };
NVR_RECORD_TRAIT(int8_t, kI8)
NVR_RECORD_TRAIT(uint8_t, kU8)
NVR_RECORD_TRAIT(int16_t, kI16)
NVR_RECORD_TRAIT(uint16_t, kU16)
NVR_RECORD_TRAIT(int32_t, kI32)
NVR_RECORD_TRAIT(uint32_t, kU32)
NVR_RECORD_TRAIT(int64_t, kI64)
NVR_RECORD_TRAIT(uint64_t, kU64)
NVR_RECORD_TRAIT(float, kF32)
NVR_RECORD_TRAIT(double, kF64)
#undef NVR_RECORD_TRAIT
template <std::size_t N>
struct Traits<char[N]> {
  static constexpr bool kSupported = true;
  static constexpr FieldType kType = FieldType::kText;
  static constexpr uint32_t kCount = 1;
};
template <std::size_t N>
struct Traits<unsigned char[N]> {
  static constexpr bool kSupported = true;
  static constexpr FieldType kType = FieldType::kBytes;
  static constexpr uint32_t kCount = 1;
};
template <std::size_t N>
struct Traits<int32_t[N]> {
  static constexpr bool kSupported = true;
  static constexpr FieldType kType = FieldType::kIntArray;
  static constexpr uint32_t kCount = N;
};

// Reached only at compile time when a declaration is wrong: the call is then not a
// constant expression and the build stops at the declaration.
void nested_kind_does_not_match_member();

template <typename M>
consteval FieldDesc make_field(const char* name, std::size_t offset, std::size_t size,
                               const char* json_key) {
  static_assert(Traits<M>::kSupported,
                "unsupported member type: use an integer, float, double, char[N], "
                "unsigned char[N], int32_t[N], or NVR_NESTED for arrays of records");
  return FieldDesc{name,
                   Traits<M>::kType,
                   static_cast<uint32_t>(offset),
                   static_cast<uint32_t>(size),
                   json_key,
                   nullptr,
                   Traits<M>::kCount,
                   0,
                   0,
                   false};
}

template <typename M>
consteval FieldDesc make_nested(const char* name, std::size_t offset, std::size_t size,
                                const char* json_key, const RecordKind* kind,
                                uint32_t element_size) {
  using Element = std::remove_all_extents_t<M>;
  static_assert(std::is_trivially_copyable_v<Element>);
  if (sizeof(Element) != element_size) nested_kind_does_not_match_member();
  return FieldDesc{name,
                   FieldType::kNested,
                   static_cast<uint32_t>(offset),
                   static_cast<uint32_t>(size),
                   json_key,
                   kind,
                   static_cast<uint32_t>(size / sizeof(Element)),
                   0,
                   0,
                   false};
}

}  // namespace record_detail

// A field of struct S named after its member m; `key` is its JSON key or nullptr.
#define NVR_FIELD(S, m, key) \
  record_detail::make_field<decltype(S::m)>(#m, offsetof(S, m), sizeof(S::m), key)
// The same with a store column name other than the member's name.
#define NVR_FIELD_AS(S, m, column, key) \
  record_detail::make_field<decltype(S::m)>(column, offsetof(S, m), sizeof(S::m), key)
// A member that is a record (or an array of records) of kind `kind`.
#define NVR_NESTED(S, m, key, kind)                                                          \
  record_detail::make_nested<decltype(S::m)>(#m, offsetof(S, m), sizeof(S::m), key, &(kind), \
                                             (kind).size)
// The struct size and field table of a kind, inside its designated initializer:
//   constexpr RecordKind kUserKind{.name = "user", NVR_KIND_FIELDS(UserRecord, kUserFields)};
#define NVR_KIND_FIELDS(S, table) \
  .size = sizeof(S), .fields = (table), .field_count = static_cast<int>(std::size(table))

// ---- Checking a declaration at compile time ----------------------------------------------

namespace record_detail {

constexpr bool same_name(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

// Letters, digits and underscore, not starting with a digit, 1 to 63 characters.
constexpr bool is_identifier(const char* s) {
  if (s == nullptr || *s == '\0' || (*s >= '0' && *s <= '9')) return false;
  int n = 0;
  for (; *s != '\0'; ++s, ++n) {
    char c = *s;
    bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok || n >= 63) return false;
  }
  return true;
}

constexpr bool is_integer(FieldType t) {
  return t == FieldType::kI8 || t == FieldType::kU8 || t == FieldType::kI16 ||
         t == FieldType::kU16 || t == FieldType::kI32 || t == FieldType::kU32 ||
         t == FieldType::kI64 || t == FieldType::kU64;
}

constexpr bool key_is_valid(const RecordKind& kind, const KeyColumn& key) {
  if (key.column == nullptr) return true;
  if (!is_identifier(key.column) || key.min > key.max) return false;
  for (int i = 0; i < kind.field_count; ++i)
    if (same_name(kind.fields[i].name, key.column)) return is_integer(kind.fields[i].type);
  return true;
}

}  // namespace record_detail

// True when every field lies inside the record without overlapping another, names are
// identifiers and unique, nested kinds are valid and fit their members, and key columns
// are integer fields (or not fields at all). Use it in a static_assert beside the kind.
constexpr bool record_kind_is_valid(const RecordKind& kind) {
  using namespace record_detail;
  // Null tests only at run time: at compile time reading through a null pointer already
  // fails, and with the sanitizers GCC refuses to compare the address of an inline
  // variable with null in a constant expression.
  if (!std::is_constant_evaluated() && kind.fields == nullptr) return false;
  if (!is_identifier(kind.name) || kind.field_count <= 0) return false;
  for (int i = 0; i < kind.field_count; ++i) {
    const FieldDesc& f = kind.fields[i];
    if (!is_identifier(f.name) || f.size == 0 || f.count == 0) return false;
    if (static_cast<uint64_t>(f.offset) + f.size > kind.size) return false;
    if (f.type == FieldType::kNested) {
      if (!std::is_constant_evaluated() && f.nested == nullptr) return false;
      if (!record_kind_is_valid(*f.nested) || (f.nested->bare && f.nested->field_count != 1) ||
          static_cast<uint64_t>(f.nested->size) * f.count != f.size ||
          f.nested->key.column != nullptr)
        return false;
    }
    if (f.type == FieldType::kIntArray && f.size != 4u * f.count) return false;
    for (int j = 0; j < i; ++j) {
      const FieldDesc& g = kind.fields[j];
      if (same_name(f.name, g.name)) return false;
      if (f.json_key != nullptr && same_name(f.json_key, g.json_key)) return false;
      if (f.offset < g.offset + g.size && g.offset < f.offset + f.size) return false;
    }
  }
  if (kind.key2.column != nullptr &&
      (kind.key.column == nullptr || same_name(kind.key.column, kind.key2.column)))
    return false;
  return key_is_valid(kind, kind.key) && key_is_valid(kind, kind.key2);
}

// ---- Field access (shared by the store and the JSON conversion) -------------------------
//
// All access goes through memcpy at the field's offset, so records may live in any
// buffer. Integer setters saturate at the field type's range; 64-bit unsigned fields
// carry their bit pattern through the int64_t interface unchanged.

const FieldDesc* record_find_field(const RecordKind& kind, std::string_view name);
bool field_is_integer(FieldType type);
int64_t field_get_int(const FieldDesc& f, const void* record);        // 0 for non-integers
void field_set_int(const FieldDesc& f, void* record, int64_t value);  // ignored for non-integers
double field_get_real(const FieldDesc& f, const void* record);
void field_set_real(const FieldDesc& f, void* record, double value);
// The text of a kText field, up to its first NUL or the field's end.
std::string_view field_get_text(const FieldDesc& f, const void* record);
// Stores at most size-1 bytes of `text` and zero-fills the rest of the field.
void field_set_text(const FieldDesc& f, void* record, std::string_view text);
// Element i of a kIntArray field (i checked against `count`; out of range reads 0).
int32_t field_get_element(const FieldDesc& f, const void* record, uint32_t i);
void field_set_element(const FieldDesc& f, void* record, uint32_t i, int32_t value);
// Element i of a kNested field, or nullptr when i is out of range.
void* field_nested_element(const FieldDesc& f, void* record, uint32_t i);
const void* field_nested_element(const FieldDesc& f, const void* record, uint32_t i);

// Sets a field from command-line text (integers in decimal or 0x hex, reals, texts as
// given, bytes as hex digits, arrays and nested records as JSON under field names).
// Returns false when the text does not convert.
[[nodiscard]] bool field_set_from_text(const FieldDesc& f, void* record, std::string_view text);

// The key a record is stored under: the values of its key fields (0 for a key column that
// is no field of the record).
RecordKey record_key_of(const RecordKind& kind, const void* record);

// Zeroes the record, applies the kind's defaults and sets the key fields.
void record_reset(const RecordKind& kind, void* record, RecordKey key);

// ---- JSON conversion of fields ----------------------------------------------------------
//
// kColumn names fields by their store names (how the store keeps arrays and nested
// records readable); kJson by their JSON keys, skipping fields that have none.
//
// Conversion from JSON follows json-c's rules: an integer field takes
// json_object_get_int64 of the value (a non-numeric text gives 0, a number in a text
// its value, a real is cut), saturated at the field's range; a text field takes
// json_object_get_string of the value (so numbers become their text), cut to size-1;
// JSON null gives 0 or "". Arrays and nested records must be JSON arrays: elements beyond
// the field's count are ignored and missing ones keep their value; a value of another
// type leaves the field unchanged and does not count as applied.

enum class RecordNames { kColumn, kJson };

// A new JSON value for the field, or nullptr when out of memory.
json_object* field_to_json(const FieldDesc& f, const void* record, RecordNames names);
// Applies one JSON value to the field; false when the value's type does not fit.
[[nodiscard]] bool field_from_json(const FieldDesc& f, json_object* value, void* record,
                                   RecordNames names);
// Element i of a kIntArray or kNested field as JSON (a nested element in its kind's form: an
// object, or its single field's value for a bare kind); nullptr when i is not below the
// field's count or the field has no elements.
json_object* field_element_to_json(const FieldDesc& f, const void* record, uint32_t i,
                                   RecordNames names);
// Applies one JSON value to element i; false when i is out of range or the value's type does
// not fit (a nested element of a kind that is not bare takes an object only).
[[nodiscard]] bool field_element_from_json(const FieldDesc& f, json_object* value, void* record,
                                           uint32_t i, RecordNames names);
// Adds every named field to `object` in table order. Returns 0, or -1 when `object` is
// not a JSON object.
int record_fields_to_json(const RecordKind& kind, const void* record, json_object* object,
                          RecordNames names);
// Applies the keys present in `object`; returns how many were applied, or -1 when
// `object` is not a JSON object.
int record_fields_from_json(const RecordKind& kind, json_object* object, void* record,
                            RecordNames names);

// ---- Picking fields by their JSON keys, checked when the code is built -------------------
//
// A handler that answers or takes only some fields of a kind, or takes them in another order,
// names their JSON keys once:
//
//   constexpr auto kModeKeys = pick_keys(kRecordSettingsKind, {"id", "mode"});
//   record_to_json(kModeKeys, &record, object);
//
// A key that names no field of the kind stops the build at the declaration. A real rename
// (the answer's key differs from the table's) is a JsonKeyMap picked the same way, checked
// against the field names:
//
//   constexpr auto kLoginKeys = pick_renamed(kUserKind, {{"name", "userName"}});

// One picked field and the JSON key it goes by.
struct FieldKey {
  const FieldDesc* field;
  const char* json_key;
};

// A pick, whatever its length: what the conversions take.
struct FieldKeys {
  const RecordKind* kind = nullptr;
  std::span<const FieldKey> keys = {};
};

template <std::size_t N>
struct FieldPick {
  const RecordKind* kind;
  FieldKey keys[N];
  constexpr operator FieldKeys() const { return {kind, keys}; }
};

namespace record_detail {

// Reached only at compile time when a pick is wrong (see void nested_kind_does_not_match_member).
void json_key_names_no_field_of_the_kind();
void field_name_names_no_field_of_the_kind();

consteval const FieldDesc* field_with_json_key(const RecordKind& kind, const char* key) {
  for (int i = 0; i < kind.field_count; ++i)
    if (same_name(kind.fields[i].json_key, key)) return &kind.fields[i];
  json_key_names_no_field_of_the_kind();
  return nullptr;
}

consteval const FieldDesc* field_with_name(const RecordKind& kind, const char* name) {
  for (int i = 0; i < kind.field_count; ++i)
    if (same_name(kind.fields[i].name, name)) return &kind.fields[i];
  field_name_names_no_field_of_the_kind();
  return nullptr;
}

}  // namespace record_detail

// The fields whose JSON keys are `keys`, in that order.
template <std::size_t N>
consteval FieldPick<N> pick_keys(const RecordKind& kind, const char* const (&keys)[N]) {
  FieldPick<N> pick{&kind, {}};
  for (std::size_t i = 0; i < N; ++i)
    pick.keys[i] = {record_detail::field_with_json_key(kind, keys[i]), keys[i]};
  return pick;
}

// The fields named by `map`, each under the map's JSON key, in the map's order.
template <std::size_t N>
consteval FieldPick<N> pick_renamed(const RecordKind& kind, const JsonKeyMap (&map)[N]) {
  FieldPick<N> pick{&kind, {}};
  for (std::size_t i = 0; i < N; ++i)
    pick.keys[i] = {record_detail::field_with_name(kind, map[i].field), map[i].json_key};
  return pick;
}

// The field named `name` of the kind, checked when built (for descriptions that name a
// field, such as an event kind's trigger text).
consteval const FieldDesc* field_named(const RecordKind& kind, const char* name) {
  return record_detail::field_with_name(kind, name);
}
