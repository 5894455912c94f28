// The JSON getters shared by the handlers and the plate-recognition type test.
#include "cgi_json.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <string>

namespace {

TEST(OnCgiGetValueByJson, Table) {
  struct Case {
    const char* text;
    const char* key;
    int rc;
    int value;  // when rc is 0
  };
  const Case cases[] = {
      {R"({"chnId":3})", "chnId", 0, 3},
      {R"({"chnId":-7,"x":1})", "chnId", 0, -7},
      {R"({"chnId":"12"})", "chnId", 0, 12},  // json-c converts numeric text
      {R"({"other":3})", "chnId", -1, 0},
      {R"({"chnId":null})", "chnId", -1, 0},
      {R"({"chnId":3)", "chnId", -1, 0},  // not JSON
      {"", "chnId", -1, 0},
      {nullptr, "chnId", -1, 0},
      {R"({"chnId":3})", nullptr, -1, 0},
      {"[1,2]", "chnId", -1, 0},
  };
  for (const auto& c : cases) {
    int out = 12345;
    EXPECT_EQ(on_cgi_get_value_by_json(c.text, c.key, &out), c.rc) << (c.text ? c.text : "null");
    if (c.rc == 0)
      EXPECT_EQ(out, c.value);
    else
      EXPECT_EQ(out, 12345);
  }
  EXPECT_EQ(on_cgi_get_value_by_json(R"({"a":1})", "a", nullptr), -1);
}

TEST(OnCgiGetFromJson, IntAndString) {
  json_object* obj = json_tokener_parse(R"({"n":42,"s":"hello","e":"","num":5,"z":null})");
  ASSERT_NE(obj, nullptr);
  int n = 0;
  EXPECT_EQ(on_cgi_get_int_from_json(obj, "n", &n), 0);
  EXPECT_EQ(n, 42);
  EXPECT_EQ(on_cgi_get_int_from_json(obj, "missing", &n), -1);
  EXPECT_EQ(on_cgi_get_int_from_json(obj, "z", &n), -1);
  EXPECT_EQ(on_cgi_get_int_from_json(nullptr, "n", &n), -1);

  struct Case {
    const char* key;
    int size;
    int rc;
    std::string want;
  };
  const Case cases[] = {
      {"s", 32, 0, "hello"},   {"s", 6, 0, "hello"}, {"s", 5, 0, "hell"},
      {"s", 1, 0, ""},         {"e", 8, 0, ""},      {"num", 8, 0, "5"},
      {"missing", 8, -1, "?"}, {"z", 8, -1, "?"},    {"s", 0, -1, "?"},
  };
  for (const auto& c : cases) {
    char buffer[32] = "?";
    EXPECT_EQ(on_cgi_get_string_from_json(obj, c.key, buffer, c.size), c.rc) << c.key << c.size;
    EXPECT_EQ(std::string(buffer), c.want) << c.key << c.size;
  }
  json_object_put(obj);
}

TEST(OnCgiIsDvLpr, OnlyElevenToFourteen) {
  for (int type = -1; type <= 20; ++type)
    EXPECT_EQ(on_cgi_is_dv_lpr(type), type >= 11 && type <= 14 ? 1 : 0) << type;
}

}  // namespace
