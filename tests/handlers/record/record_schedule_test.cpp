// The record schedule codec: day objects with whole-day words and all 48 sections.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "record/record_handlers.h"
#include "record/record_store.h"

namespace {

std::unique_ptr<RecordSchedule> filled(unsigned char byte) {
  auto s = std::make_unique<RecordSchedule>();
  std::memset(s.get(), byte, sizeof *s);
  return s;
}

int decode(const std::string& text, RecordSchedule* schedule, const char* key = "schedule") {
  json_object* tree = json_tokener_parse(text.c_str());
  int rc = get_record_schedule_by_json(tree, key, schedule);
  json_object_put(tree);
  return rc;
}

// A full schedule: 8 days of 48 sections ["dd:ss", "dd:ss", d*100+s].
std::string full_schedule_text() {
  std::string s = R"({"schedule":[)";
  for (int d = 0; d < 8; ++d) {
    char head[96];
    std::snprintf(head, sizeof head, R"(%s{"wholedayEnable":%d,"wholedayActionType":%d,"plans":[)",
                  d ? "," : "", d % 2, d + 10);
    s += head;
    for (int i = 0; i < 48; ++i) {
      char sec[64];
      std::snprintf(sec, sizeof sec, R"(%s["%02d:%02d","%02d:%02d",%d])", i ? "," : "", d, i, d,
                    i + 1, d * 100 + i);
      s += sec;
    }
    s += "]}";
  }
  return s + "]}";
}

TEST(RecordScheduleCodec, AllSectionsAndWholeDayWordsOfEnabledDays) {
  auto s = filled(0xAB);
  ASSERT_EQ(decode(full_schedule_text(), s.get()), 0);
  for (int d = 0; d < 8; ++d) {
    const ScheduleDay& day = s->day[d];
    // Only a whole-day row keeps its whole-day action.
    EXPECT_EQ(day.wholeDay, d % 2) << d;
    EXPECT_EQ(day.wholeDayAction, d % 2 ? d + 10 : 0) << d;
    for (int i = 0; i < 48; ++i) {
      char start[8], end[8];
      std::snprintf(start, sizeof start, "%02d:%02d", d, i);
      std::snprintf(end, sizeof end, "%02d:%02d", d, i + 1);
      ASSERT_STREQ(day.section[i].start, start);
      ASSERT_STREQ(day.section[i].end, end);
      ASSERT_EQ(day.section[i].action, d * 100 + i);
    }
  }
  EXPECT_EQ(s->id, 0);  // cleared: the store names the channel
}

TEST(RecordScheduleCodec, ShortOrOddInputLeavesTheRestEmpty) {
  auto s = filled(0xAB);
  const std::string long_text(40, 'x');
  ASSERT_EQ(decode(R"({"schedule":[
      {"wholedayEnable":0,"wholedayActionType":7,"plans":[["01:00"],"no",["02:00","03:00",4,"extra"]]},
      7,
      {"plans":[["a","b","c"],["s","e",1]]},
      {"plans":[[")" + long_text +
                       R"(","e",1]]}]})",
                   s.get()),
            0);
  EXPECT_EQ(s->day[0].wholeDayAction, 0);
  EXPECT_STREQ(s->day[0].section[0].start, "01:00");
  EXPECT_STREQ(s->day[0].section[0].end, "");
  EXPECT_STREQ(s->day[0].section[1].start, "");  // not an array
  EXPECT_EQ(s->day[0].section[2].action, 4);
  EXPECT_STREQ(s->day[1].section[0].start, "");  // not an object
  EXPECT_EQ(s->day[2].section[0].action, 0);     // "c" is no number
  EXPECT_STREQ(s->day[2].section[1].end, "e");
  EXPECT_EQ(std::strlen(s->day[3].section[0].start), 31u);
  for (int d = 4; d < 8; ++d) EXPECT_STREQ(s->day[d].section[0].start, "") << d;
  EXPECT_STREQ(s->day[0].section[47].start, "");
  EXPECT_EQ(s->day[7].wholeDay, 0);
}

TEST(RecordScheduleCodec, ExtraDaysAndSectionsAreNotRead) {
  std::string text = R"({"schedule":[)";
  for (int d = 0; d < 10; ++d) {
    text += d ? "," : "";
    text += R"({"wholedayEnable":1,"plans":[)";
    for (int i = 0; i < 60; ++i) text += std::string(i ? "," : "") + R"(["s","e",1])";
    text += "]}";
  }
  text += "]}";
  auto s = filled(0);
  ASSERT_EQ(decode(text, s.get()), 0);
  EXPECT_EQ(s->day[7].section[47].action, 1);
  EXPECT_EQ(s->id, 0);  // the word after the eighth day is not a section
}

TEST(RecordScheduleCodec, RefusedInputLeavesTheScheduleUntouched) {
  auto s = filled(0xAB);
  EXPECT_EQ(decode(R"({"other":[]})", s.get()), -1);
  EXPECT_EQ(decode(R"({"schedule":{}})", s.get()), -1);
  EXPECT_EQ(decode(R"({"schedule":"x"})", s.get()), -1);
  EXPECT_EQ(decode(R"([1])", s.get()), -1);
  EXPECT_EQ(decode(R"({"schedule":[]})", s.get(), nullptr), -1);
  EXPECT_EQ(get_record_schedule_by_json(nullptr, "schedule", s.get()), -1);
  EXPECT_EQ(s->day[0].wholeDay, static_cast<int32_t>(0xABABABAB));
  json_object* tree = json_tokener_parse(R"({"schedule":[]})");
  EXPECT_EQ(get_record_schedule_by_json(tree, "schedule", nullptr), -1);
  json_object_put(tree);
}

TEST(RecordScheduleCodec, OutputHasEightDayObjectsOf48Sections) {
  auto s = filled(0);
  s->day[5].wholeDay = 1;
  s->day[5].wholeDayAction = 2;
  std::strcpy(s->day[5].section[47].start, "23:00");
  std::strcpy(s->day[5].section[47].end, "24:00");
  s->day[5].section[47].action = 3;
  json_object* days = get_record_schedule_json_object(s.get());
  ASSERT_EQ(json_object_array_length(days), 8u);
  json_object* day = json_object_array_get_idx(days, 5);
  json_object* plans = nullptr;
  ASSERT_TRUE(json_object_object_get_ex(day, "plans", &plans));
  ASSERT_EQ(json_object_array_length(plans), 48u);
  json_object_get(plans);  // kept past its removal from the day
  json_object_object_del(day, "plans");
  EXPECT_STREQ(json_object_to_json_string_ext(day, JSON_C_TO_STRING_PLAIN),
               R"({"wholedayEnable":1,"wholedayActionType":2})");
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(plans, 47), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"23:00","endTime":"24:00","actionType":3})");
  EXPECT_STREQ(
      json_object_to_json_string_ext(json_object_array_get_idx(plans, 0), JSON_C_TO_STRING_PLAIN),
      R"({"startTime":"","endTime":"","actionType":0})");
  json_object_put(plans);
  json_object_put(days);
}

}  // namespace
