// Records to and from the web's JSON: json-c's conversion rules, only the keys present,
// table order on output, key maps, nested records and validation.
#include "field_json.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <cstring>
#include <memory>
#include <string>

#include "../platform/dvdb/sample_kinds.h"
#include "handler_kit.h"

namespace {

using sample::Everything;
using sample::kEverythingKind;

struct Json {
  explicit Json(const char* text) : object(json_tokener_parse(text)) {}
  ~Json() { json_object_put(object); }
  json_object* object;
};

std::unique_ptr<Everything> zeroed() {
  auto r = std::make_unique<Everything>();
  std::memset(r.get(), 0, sizeof *r);
  return r;
}

TEST(RecordJsonTest, IntegerFieldsFollowJsonCsConversion) {
  struct Case {
    const char* json;
    int64_t i32, i8;
  } cases[] = {
      {R"({"i32": 12, "i8": -3})", 12, -3},
      {R"({"i32": "12", "i8": "x"})", 12, 0},
      {R"({"i32": 3.9, "i8": true})", 3, 1},
      {R"({"i32": null, "i8": 1000})", 0, 127},
      {R"({"i32": 9999999999, "i8": -1000})", INT32_MAX, -128},
      {R"({"i32": [1], "i8": {}})", 0, 0},
  };
  for (const Case& c : cases) {
    auto r = zeroed();
    r->i32 = 55;
    Json j(c.json);
    EXPECT_EQ(record_from_json(kEverythingKind, j.object, r.get()), 2) << c.json;
    EXPECT_EQ(r->i32, c.i32) << c.json;
    EXPECT_EQ(r->i8, c.i8) << c.json;
  }
}

TEST(RecordJsonTest, OnlyTheKeysPresentAreApplied) {
  auto r = zeroed();
  r->i32 = 5;
  std::strcpy(r->text, "keep");
  Json j(R"({"u16": 7, "unknown": 1, "i32x": 3, "chnid": 9})");
  EXPECT_EQ(record_from_json(kEverythingKind, j.object, r.get()), 2);
  EXPECT_EQ(r->u16, 7);
  EXPECT_EQ(r->channel, 9);
  EXPECT_EQ(r->i32, 5);
  EXPECT_STREQ(r->text, "keep");
  Json not_object("[1]");
  EXPECT_EQ(record_from_json(kEverythingKind, not_object.object, r.get()), -1);
  EXPECT_EQ(record_from_json(kEverythingKind, nullptr, r.get()), -1);
  EXPECT_EQ(record_from_json(kEverythingKind, j.object, nullptr), -1);
}

TEST(RecordJsonTest, TextsAreCutAndNumbersBecomeText) {
  struct Case {
    const char* json;
    const char* text;
  } cases[] = {
      {R"({"text": "short"})", "short"}, {R"({"text": "0123456789abcdefghij"})", "0123456789abcde"},
      {R"({"text": 42})", "42"},         {R"({"text": true})", "true"},
      {R"({"text": null})", ""},         {R"({"text": "%s%n"})", "%s%n"},
  };
  for (const Case& c : cases) {
    auto r = zeroed();
    Json j(c.json);
    EXPECT_EQ(record_from_json(kEverythingKind, j.object, r.get()), 1) << c.json;
    EXPECT_STREQ(r->text, c.text) << c.json;
  }
  auto r = zeroed();
  std::strcpy(r->text, "keep");
  Json object_value(R"({"text": {"a": 1}})");
  EXPECT_EQ(record_from_json(kEverythingKind, object_value.object, r.get()), 0);
  EXPECT_STREQ(r->text, "keep");
}

TEST(RecordJsonTest, ArraysAndNestedRecordsTakeTheElementsThereAre) {
  auto r = zeroed();
  r->ints[3] = 44;
  Json j(R"({"ints": [1, "2", 3], "schedule": [
      {"wholedayEnable": 1, "plans": [{"startTime": "08:00", "endTime": "12:00", "actionType": 2}]},
      {}, {"plans": [{}, {"endTime": "23:59"}]}, 5]})");
  EXPECT_EQ(record_from_json(kEverythingKind, j.object, r.get()), 2);
  EXPECT_EQ(r->ints[0], 1);
  EXPECT_EQ(r->ints[1], 2);
  EXPECT_EQ(r->ints[3], 44);
  EXPECT_EQ(r->rows[0].wholeday_enable, 1);
  EXPECT_STREQ(r->rows[0].sections[0].start, "08:00");
  EXPECT_EQ(r->rows[0].sections[0].action, 2);
  EXPECT_STREQ(r->rows[2].sections[1].end, "23:59");

  // More elements than the field holds: the rest is ignored, never written past the field.
  std::string many = "{\"ints\": [";
  for (int i = 0; i < 100; ++i) many += std::to_string(i) + (i < 99 ? "," : "]}");
  Json k(many.c_str());
  r->u8 = 0;
  EXPECT_EQ(record_from_json(kEverythingKind, k.object, r.get()), 1);
  EXPECT_EQ(r->ints[3], 3);
}

TEST(RecordJsonTest, OutputHasTheTablesKeysInItsOrder) {
  auto r = zeroed();
  r->channel = 4;
  r->i8 = -1;
  std::strcpy(r->text, "t");
  r->bytes[0] = 0xab;
  r->ints[1] = 2;
  std::strcpy(r->rows[7].sections[47].start, "23:00");
  json_object* out = json_object_new_object();
  ASSERT_EQ(record_to_json(kEverythingKind, r.get(), out), 0);
  std::string keys;
  json_object_object_foreach(out, key, value) {
    (void)value;
    keys += std::string(key) + " ";
  }
  EXPECT_EQ(keys, "chnid i8 u8 i16 u16 i32 u32 i64 u64 f32 f64 text bytes ints schedule ");
  EXPECT_EQ(json_object_get_int(json_object_object_get(out, "chnid")), 4);
  EXPECT_STREQ(json_object_get_string(json_object_object_get(out, "bytes")), "ab00000000000000");
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_object_get(out, "ints"), JSON_C_TO_STRING_PLAIN),
      "[0,2,0,0]");
  json_object* last_row = json_object_array_get_idx(json_object_object_get(out, "schedule"), 7);
  json_object* last_plan = json_object_array_get_idx(json_object_object_get(last_row, "plans"), 47);
  EXPECT_STREQ(json_object_to_json_string_ext(last_plan, JSON_C_TO_STRING_PLAIN),
               R"({"startTime":"23:00","endTime":"","actionType":0})");

  // Round trip: what goes out comes back in unchanged.
  auto back = zeroed();
  EXPECT_EQ(record_from_json(kEverythingKind, out, back.get()), 15);
  EXPECT_EQ(std::memcmp(r.get(), back.get(), sizeof(Everything)), 0);
  json_object_put(out);
  EXPECT_EQ(record_to_json(kEverythingKind, r.get(), nullptr), -1);
}

// A map naming no field of the kind no longer builds (pick_renamed is consteval), so only
// real fields can be picked; keys outside the pick are neither read nor written.
constexpr auto kRenamed = pick_renamed(kEverythingKind, {{"channel", "camId"}, {"text", "name"}});
constexpr auto kPicked = pick_keys(kEverythingKind, {"i32", "chnid"});

TEST(RecordJsonTest, PicksRenameSelectAndOrderFields) {
  auto r = zeroed();
  Json in(R"({"camId": 7, "name": "n", "chnid": 1, "x": 2})");
  EXPECT_EQ(record_from_json(kRenamed, in.object, r.get()), 2);
  EXPECT_EQ(r->channel, 7);
  EXPECT_STREQ(r->text, "n");
  json_object* out = json_object_new_object();
  ASSERT_EQ(record_to_json(kRenamed, r.get(), out), 0);
  EXPECT_STREQ(json_object_to_json_string_ext(out, JSON_C_TO_STRING_PLAIN),
               R"({"camId":7,"name":"n"})");
  json_object_put(out);

  r->i32 = 5;
  out = json_object_new_object();
  ASSERT_EQ(record_to_json(kPicked, r.get(), out), 0);
  EXPECT_STREQ(json_object_to_json_string_ext(out, JSON_C_TO_STRING_PLAIN),
               R"({"i32":5,"chnid":7})");
  json_object_put(out);
}

TEST(RecordJsonTest, ValidationChecksTypesRangesAndRequiredKeys) {
  const char* required[] = {"chnid", "i32"};
  struct Case {
    const char* json;
    int expected;
    const char* bad;
  } cases[] = {
      {R"({"chnid": 0, "i32": 100})", 0, nullptr},
      {R"({"chnid": "63", "i32": -5, "text": 5})", 0, nullptr},
      {R"({"chnid": 64, "i32": 1})", -1, "chnid"},
      {R"({"chnid": 1, "i32": 101})", -1, "i32"},
      {R"({"chnid": 1})", -1, "i32"},
      {R"({"chnid": "1x", "i32": 1})", -1, "chnid"},
      {R"({"chnid": 1, "i32": 1, "text": [1]})", -1, "text"},
      {R"({"chnid": 1, "i32": 1, "ints": [1, 10]})", -1, "ints"},
      {R"({"chnid": 1, "i32": 1, "ints": 3})", -1, "ints"},
      {R"({"chnid": 1, "i32": 1, "schedule": [{"wholedayEnable": "x"}]})", -1, "schedule"},
      {R"({"chnid": 1, "i32": 1, "schedule": [3]})", -1, "schedule"},
      {R"({"chnid": 1, "i32": 1, "schedule": [{"plans": [{"actionType": 2}]}]})", 0, nullptr},
      {R"({"chnid": null, "i32": 1})", -1, "chnid"},
      {"[]", -1, nullptr},
  };
  for (const Case& c : cases) {
    Json j(c.json);
    const char* bad = "unset";
    EXPECT_EQ(record_validate(kEverythingKind, j.object, required, 2, &bad), c.expected) << c.json;
    if (c.bad != nullptr) {
      EXPECT_STREQ(bad, c.bad) << c.json;
    } else {
      EXPECT_EQ(bad, nullptr) << c.json;
    }
  }
  Json empty("{}");
  EXPECT_EQ(record_validate(kEverythingKind, empty.object), 0);
}

// Bare element kinds: a list of texts and a list of lists, written as plain JSON values; and
// parallel arrays read and written as one array of objects.
struct Word {
  char text[4];
};
constexpr FieldDesc kWordFields[] = {NVR_FIELD(Word, text, nullptr)};
constexpr RecordKind kWordKind{.name = "word", NVR_KIND_FIELDS(Word, kWordFields), .bare = true};
struct Line {
  Word words[2];
};
constexpr FieldDesc kLineFields[] = {NVR_NESTED(Line, words, nullptr, kWordKind)};
constexpr RecordKind kLineKind{.name = "line", NVR_KIND_FIELDS(Line, kLineFields), .bare = true};
struct Lists {
  Word words[3];
  Line lines[2];
  int32_t on[3];
  int32_t count[2];
};
constexpr FieldDesc kListsFields[] = {NVR_NESTED(Lists, words, "words", kWordKind),
                                      NVR_NESTED(Lists, lines, "lines", kLineKind),
                                      NVR_FIELD(Lists, on, "on"), NVR_FIELD(Lists, count, "count")};
constexpr RecordKind kListsKind{.name = "lists", NVR_KIND_FIELDS(Lists, kListsFields)};
static_assert(record_kind_is_valid(kListsKind));

std::string plain(json_object* o) {
  std::string s = json_object_to_json_string_ext(o, JSON_C_TO_STRING_PLAIN);
  json_object_put(o);
  return s;
}

TEST(RecordJsonTest, BareKindsAndParallelArrays) {
  Lists r{};
  Json j(R"({"words": ["ab", "cdefg", "h", "zz"], "lines": [["a", "b", "c"], ["d"], ["e"]]})");
  EXPECT_EQ(record_from_json(kListsKind, j.object, &r), 2);
  json_object* out = json_object_new_object();
  ASSERT_EQ(record_to_json(kListsKind, &r, out), 0);
  EXPECT_EQ(plain(out), R"({"words":["ab","cde","h"],"lines":[["a","b"],["d",""]],)"
                        R"("on":[0,0,0],"count":[0,0]})");
  Json bad(R"({"words": ["ab", {}]})");
  EXPECT_EQ(record_validate(kListsKind, bad.object), -1);

  constexpr auto kColumns = pick_keys(kListsKind, {"on", "count"});
  Json rows(R"([{"on": 1, "count": 5}, 7, {"on": 2, "count": 6}, {"on": 3, "count": 8}])");
  EXPECT_EQ(record_columns_from_json(kColumns, rows.object, &r, 9), 3);
  EXPECT_EQ(plain(record_columns_to_json(kColumns, &r, 9)),
            R"([{"on":1,"count":5},{"on":0,"count":0},{"on":2}])");
}

}  // namespace
