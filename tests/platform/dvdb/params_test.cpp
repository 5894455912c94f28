// The key/value parameters: defaults for missing keys, integer and text forms of one
// value, the check/add/set pattern and its refusals.
#include <gtest/gtest.h>

#include <string>

#include "dvdb.h"
#include "dvstd.h"
#include "support/store_fixture.h"
#include "support/temp_root.h"

namespace {

class ParamsTest : public nvrtest::StoreFixture {
 protected:
  std::string text(const char* key, const char* fallback, int size = 64, int* rc = nullptr) {
    char buffer[64] = "garbage";
    int r = get_param_value(store(), key, buffer, size, fallback);
    if (rc != nullptr) *rc = r;
    return buffer;
  }
};

TEST_F(ParamsTest, AMissingKeyReadsAsTheDefault) {
  EXPECT_EQ(get_param_int(store(), "max_cameras", 32), 32);
  int rc = 0;
  EXPECT_EQ(text("hardware_version", "V1.1", 64, &rc), "V1.1");
  EXPECT_EQ(rc, -1);
  EXPECT_EQ(check_param_key(store(), "max_cameras"), 1);
  EXPECT_FALSE(nvrtest::process_temp_root().exists(store_));  // reads create no store file
}

TEST_F(ParamsTest, IntegersAndTextsReadAsEachOther) {
  ASSERT_EQ(set_param_int(store(), "deviceid", 255), 0);
  ASSERT_EQ(add_param_value(store(), "display_mode", "1"), 0);
  ASSERT_EQ(add_param_value(store(), "model", "N8"), 0);
  ASSERT_EQ(add_param_value(store(), "neg", "-12"), 0);
  ASSERT_EQ(add_param_value(store(), "mixed", "12abc"), 0);
  struct Case {
    const char* key;
    int as_int;
    const char* as_text;
  } cases[] = {{"deviceid", 255, "255"},
               {"display_mode", 1, "1"},
               {"model", -9, "N8"},
               {"neg", -12, "-12"},
               {"mixed", -9, "12abc"}};
  for (const Case& c : cases) {
    EXPECT_EQ(get_param_int(store(), c.key, -9), c.as_int) << c.key;
    int rc = -5;
    EXPECT_EQ(text(c.key, "default", 64, &rc), c.as_text) << c.key;
    EXPECT_EQ(rc, 0) << c.key;
    EXPECT_EQ(check_param_key(store(), c.key), 0) << c.key;
  }
}

TEST_F(ParamsTest, SetIntReplacesAndTextIsCutToTheBuffer) {
  ASSERT_EQ(set_param_int(store(), "max_cameras", 16), 0);
  ASSERT_EQ(set_param_int(store(), "max_cameras", 64), 0);
  EXPECT_EQ(get_param_int(store(), "max_cameras", 0), 64);
  ASSERT_EQ(add_param_value(store(), "company", "Abcdefgh"), 0);
  EXPECT_EQ(text("company", "", 4), "Abc");
  EXPECT_EQ(text("nosuch", "Default", 4), "Def");
  EXPECT_EQ(text("company", "", 1), "");
  char buffer[4];
  EXPECT_EQ(get_param_value(store(), "company", buffer, 0, ""), -1);
  EXPECT_EQ(get_param_value(store(), "company", nullptr, 4, ""), -1);
}

TEST_F(ParamsTest, SetValueReplacesOnlyAnExistingKey) {
  EXPECT_EQ(set_param_value(store(), "wizard_enable", "1"), -1);
  EXPECT_EQ(check_param_key(store(), "wizard_enable"), 1);
  ASSERT_EQ(add_param_value(store(), "wizard_enable", "0"), 0);
  EXPECT_EQ(set_param_value(store(), "wizard_enable", "1"), 0);
  EXPECT_EQ(text("wizard_enable", ""), "1");
  // add on an existing key (another process was first) still stores the value
  EXPECT_EQ(add_param_value(store(), "wizard_enable", "2"), 0);
  EXPECT_EQ(text("wizard_enable", ""), "2");
}

TEST_F(ParamsTest, BadArgumentsFail) {
  const std::string long_key(256, 'k');
  EXPECT_EQ(set_param_int(store(), long_key.c_str(), 1), -1);
  EXPECT_EQ(set_param_int(store(), std::string(255, 'k').c_str(), 1), 0);
  EXPECT_EQ(set_param_int(store(), "", 1), -1);
  EXPECT_EQ(set_param_int(store(), nullptr, 1), -1);
  EXPECT_EQ(set_param_int(nullptr, "a", 1), -1);
  EXPECT_EQ(set_param_value(store(), "a", nullptr), -1);
  EXPECT_EQ(add_param_value(store(), "a", nullptr), -1);
  EXPECT_EQ(get_param_int(store(), nullptr, 7), 7);
  EXPECT_EQ(check_param_key(store(), nullptr), -1);
  // Key text is data, never SQL.
  ASSERT_EQ(add_param_value(store(), "x'); DROP TABLE params; --", "v"), 0);
  EXPECT_EQ(text("x'); DROP TABLE params; --", ""), "v");
  EXPECT_EQ(get_param_int(store(), std::string(255, 'k').c_str(), 0), 1);
}

}  // namespace
