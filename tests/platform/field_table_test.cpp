// Field tables: compile-time checks of declarations, saturating integer access, bounded
// texts and the text forms nvrdb accepts.
#include "field_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "dvdb/sample_kinds.h"

namespace {

using sample::Everything;
using sample::kEverythingFields;
using sample::kEverythingKind;

struct Pair {
  int32_t a;
  int32_t b;
};
constexpr FieldDesc kPairFields[] = {NVR_FIELD(Pair, a, "a"), NVR_FIELD(Pair, b, "b")};
constexpr FieldDesc kOverlapping[] = {NVR_FIELD(Pair, a, "a"),
                                      {"b", FieldType::kI64, 0, 8, "b", nullptr, 1, 0, 0, false}};
constexpr FieldDesc kSameName[] = {NVR_FIELD_AS(Pair, a, "x", "a"),
                                   NVR_FIELD_AS(Pair, b, "x", "b")};
constexpr FieldDesc kSameJsonKey[] = {NVR_FIELD(Pair, a, "k"), NVR_FIELD(Pair, b, "k")};
constexpr FieldDesc kBadColumn[] = {NVR_FIELD_AS(Pair, a, "a-b", "a")};

constexpr RecordKind pair_kind(const FieldDesc* fields, int n, const char* name = "pair",
                               KeyColumn key = {"a", 0, 9}, KeyColumn key2 = {}) {
  return RecordKind{.name = name,
                    .size = sizeof(Pair),
                    .fields = fields,
                    .field_count = n,
                    .key = key,
                    .key2 = key2};
}

static_assert(record_kind_is_valid(pair_kind(kPairFields, 2)));
static_assert(record_kind_is_valid(pair_kind(kPairFields, 2, "pair", {"a", 0, 9}, {"type", 0, 3})));
static_assert(!record_kind_is_valid(pair_kind(kOverlapping, 2)));
static_assert(!record_kind_is_valid(pair_kind(kSameName, 2)));
static_assert(!record_kind_is_valid(pair_kind(kSameJsonKey, 2)));
static_assert(!record_kind_is_valid(pair_kind(kBadColumn, 1)));
static_assert(!record_kind_is_valid(pair_kind(kPairFields, 2, "bad name")));
static_assert(!record_kind_is_valid(pair_kind(kPairFields, 2, "pair", {"a", 5, 4})));
static_assert(!record_kind_is_valid(pair_kind(kPairFields, 2, "pair", {}, {"b", 0, 1})));
static_assert(!record_kind_is_valid(pair_kind(kPairFields, 2, "pair", {"a", 0, 1}, {"a", 0, 1})));

// The macro deduces type, offset, size and element count from the member.
static_assert(kEverythingFields[1].type == FieldType::kI8);
static_assert(kEverythingFields[8].type == FieldType::kU64);
static_assert(kEverythingFields[11].type == FieldType::kText && kEverythingFields[11].size == 16);
static_assert(kEverythingFields[12].type == FieldType::kBytes);
static_assert(kEverythingFields[13].type == FieldType::kIntArray &&
              kEverythingFields[13].count == 4);
static_assert(kEverythingFields[14].type == FieldType::kNested && kEverythingFields[14].count == 8);
static_assert(kEverythingFields[14].offset == offsetof(Everything, rows));

const FieldDesc& field(const char* name) {
  return *record_find_field(kEverythingKind, name);
}

TEST(RecordTest, IntegerSettersSaturateAtTheFieldsType) {
  struct Case {
    const char* field;
    int64_t in;
    int64_t out;
  } cases[] = {
      {"i8", 300, 127},
      {"i8", -300, -128},
      {"u8", -1, 0},
      {"u8", 256, 255},
      {"i16", 40000, 32767},
      {"u16", 70000, 65535},
      {"i32", 1ll << 40, INT32_MAX},
      {"i32", -(1ll << 40), INT32_MIN},
      {"u32", -5, 0},
      {"u32", 5000000000ll, UINT32_MAX},
      {"i64", INT64_MIN, INT64_MIN},
      {"u64", -1, -1},
  };
  Everything r{};
  for (const Case& c : cases) {
    field_set_int(field(c.field), &r, c.in);
    EXPECT_EQ(field_get_int(field(c.field), &r), c.out) << c.field << " " << c.in;
  }
  EXPECT_EQ(r.u64, UINT64_MAX);
  // Non-integer fields ignore integer access.
  field_set_int(field("text"), &r, 5);
  EXPECT_EQ(r.text[0], '\0');
  EXPECT_EQ(field_get_int(field("text"), &r), 0);
}

TEST(RecordTest, TextIsCutToTheFieldAndReadWithABound) {
  Everything r{};
  field_set_text(field("text"), &r, "0123456789abcdefXYZ");
  EXPECT_STREQ(r.text, "0123456789abcde");
  field_set_text(field("text"), &r, "ab");
  EXPECT_EQ(std::memcmp(r.text, "ab\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16), 0);  // rest zeroed
  std::memset(r.text, 'q', sizeof r.text);  // no NUL, as a damaged record might be
  EXPECT_EQ(field_get_text(field("text"), &r), std::string(16, 'q'));
}

TEST(RecordTest, ElementsOutsideAnArrayAreNeverTouched) {
  Everything r{};
  field_set_element(field("ints"), &r, 3, 9);
  field_set_element(field("ints"), &r, 4, 9);
  EXPECT_EQ(r.ints[3], 9);
  EXPECT_EQ(field_get_element(field("ints"), &r, 4), 0);
  EXPECT_NE(field_nested_element(field("rows"), &r, 7), nullptr);
  EXPECT_EQ(field_nested_element(field("rows"), &r, 8), nullptr);
}

TEST(RecordTest, FieldsTakeTheirCommandLineTextForms) {
  struct Case {
    const char* field;
    const char* text;
    bool ok;
  } cases[] = {
      {"i32", "42", true},
      {"i32", "0x10", true},
      {"i32", "4x", false},
      {"i32", "", false},
      {"u64", "18446744073709551615", true},
      {"f64", "2.5", true},
      {"f64", "x", false},
      {"text", "hello", true},
      {"bytes", "00ff10", true},
      {"bytes", "0g", false},
      {"bytes", "001122334455667788", false},
      {"ints", "[1,2]", true},
      {"ints", "7", false},
      {"rows", "[{\"wholeday_enable\":1}]", true},
      {"rows", "[oops", false},
  };
  for (const Case& c : cases) {
    Everything r{};
    EXPECT_EQ(field_set_from_text(field(c.field), &r, c.text), c.ok) << c.field << " " << c.text;
  }
  Everything r{};
  ASSERT_TRUE(field_set_from_text(field("i32"), &r, "0x10"));
  ASSERT_TRUE(field_set_from_text(field("u64"), &r, "18446744073709551615"));
  ASSERT_TRUE(field_set_from_text(field("bytes"), &r, "00ff10"));
  ASSERT_TRUE(field_set_from_text(field("rows"), &r, "[{},{\"wholeday_enable\":1}]"));
  EXPECT_EQ(r.i32, 16);
  EXPECT_EQ(r.u64, UINT64_MAX);
  EXPECT_EQ(r.bytes[1], 0xff);
  EXPECT_EQ(r.bytes[2], 0x10);
  EXPECT_EQ(r.rows[1].wholeday_enable, 1);
}

TEST(RecordTest, ResetAppliesDefaultsThenKeys) {
  sample::Entry e;
  std::memset(&e, 0x33, sizeof e);
  record_reset(sample::kEntryKind, &e, 5);
  EXPECT_EQ(e.id, 5);
  EXPECT_EQ(e.level, 12);
  EXPECT_EQ(e.enable, 0);
  EXPECT_STREQ(e.name, "x");
}

}  // namespace
