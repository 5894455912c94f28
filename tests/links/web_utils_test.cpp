// The shared converters: schedules, masks, PTZ / white-LED / HTTP linkage and the file
// utilities, on the store of the test's private root.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <cstring>
#include <memory>
#include <string>

#include "dvdb.h"
#include "dvmem.h"
#include "linkage.h"
#include "nvr_root.h"
#include "web_utils.h"

namespace {

// Owns a parsed JSON tree.
struct Json {
  explicit Json(const std::string& text) : tree(json_tokener_parse(text.c_str())) {}
  explicit Json(json_object* o) : tree(o) {}
  ~Json() { json_object_put(tree); }
  std::string text() const { return json_object_to_json_string_ext(tree, JSON_C_TO_STRING_PLAIN); }
  json_object* tree;
};

// A schedule JSON of `rows` rows with `sections` sections [start, end, action].
std::string schedule_text(int rows, int sections) {
  std::string s = "{\"s\":[";
  for (int d = 0; d < rows; ++d) {
    s += d ? ",[" : "[";
    for (int i = 0; i < sections; ++i) {
      char sec[64];
      std::snprintf(sec, sizeof sec, "%s[\"%02d:%02d\",\"%02d:59\",%d]", i ? "," : "", d, i, i,
                    d * 100 + i);
      s += sec;
    }
    s += "]";
  }
  return s + "]}";
}

TEST(Schedule, StandardFormCarriesTwelveSectionsOfEightRows) {
  Json in(schedule_text(8, 14));
  auto block = std::make_unique<ScheduleBlock>();
  std::memset(block.get(), 0x55, sizeof *block);
  ASSERT_EQ(get_schedule_by_json(in.tree, "s", block.get()), 0);
  for (int d = 0; d < 8; ++d) {
    for (int i = 0; i < 12; ++i) {
      char start[8];
      std::snprintf(start, sizeof start, "%02d:%02d", d, i);
      EXPECT_STREQ(block->day[d].section[i].start, start);
      EXPECT_EQ(block->day[d].section[i].action, d * 100 + i);
    }
    for (int i = 12; i < 48; ++i) {
      EXPECT_STREQ(block->day[d].section[i].start, "");
      EXPECT_EQ(block->day[d].section[i].action, 0);
    }
    EXPECT_EQ(block->day[d].wholeDay, 0);
    EXPECT_EQ(block->day[d].wholeDayAction, 0);
  }
  Json out(get_schedule_json_object(block.get()));
  ASSERT_EQ(json_object_array_length(out.tree), 8u);
  json_object* row5 = json_object_array_get_idx(out.tree, 5);
  ASSERT_EQ(json_object_array_length(row5), 12u);
  EXPECT_EQ(std::string(json_object_to_json_string_ext(json_object_array_get_idx(row5, 3),
                                                       JSON_C_TO_STRING_PLAIN)),
            "{\"startTime\":\"05:03\",\"endTime\":\"03:59\",\"actionType\":503}");
}

TEST(Schedule, AbsentKeyLeavesTheBlockAndBadShapesReadAsEmpty) {
  auto block = std::make_unique<ScheduleBlock>();
  std::memset(block.get(), 0x55, sizeof *block);
  Json none("{\"x\":1}");
  EXPECT_EQ(get_schedule_by_json(none.tree, "s", block.get()), -1);
  EXPECT_EQ(block->day[0].section[0].action, 0x55555555);
  EXPECT_EQ(get_schedule_by_json(nullptr, "s", block.get()), -1);
  EXPECT_EQ(get_schedule_by_json(none.tree, nullptr, block.get()), -1);

  // Short rows, a section that is not an array, a number for a text, too long a text,
  // a schedule that is not an array at all: read as far as they go, the rest empty.
  std::string long_text(40, 't');
  Json odd("{\"s\":[[[\"01:00\"],5,[7,\"" + long_text + "\",\"9\"]],\"row\",[]]}");
  ASSERT_EQ(get_schedule_by_json(odd.tree, "s", block.get()), 0);
  EXPECT_STREQ(block->day[0].section[0].start, "01:00");
  EXPECT_STREQ(block->day[0].section[0].end, "");
  EXPECT_STREQ(block->day[0].section[1].start, "");
  EXPECT_STREQ(block->day[0].section[2].start, "7");
  EXPECT_EQ(std::string(block->day[0].section[2].end), std::string(31, 't'));
  EXPECT_EQ(block->day[0].section[2].action, 9);
  EXPECT_STREQ(block->day[1].section[0].start, "");
  EXPECT_STREQ(block->day[7].section[11].end, "");
  Json scalar("{\"s\":17}");
  EXPECT_EQ(get_schedule_by_json_ex(scalar.tree, "s", block.get()), 0);
  EXPECT_STREQ(block->day[0].section[0].start, "");
}

TEST(Schedule, CameraForm) {
  Json in(schedule_text(8, 12));
  auto block = std::make_unique<ScheduleBlock>();
  ASSERT_EQ(get_schedule_by_json_ipc(in.tree, "s", block.get()), 0);
  for (int d = 0; d < 7; ++d) EXPECT_EQ(block->day[d].wholeDay, 1);
  EXPECT_EQ(block->day[7].wholeDay, 0);
  EXPECT_EQ(block->day[0].section[3].action, 0);
  Json out(get_schedule_json_object_ipc(block.get()));
  for (int d = 0; d < 8; ++d) {
    json_object* row = json_object_array_get_idx(out.tree, d);
    ASSERT_EQ(json_object_array_length(row), 12u);
    for (int i = 0; i < 12; ++i) {
      json_object* sec = json_object_array_get_idx(row, i);
      json_object* start = nullptr;
      ASSERT_TRUE(json_object_object_get_ex(sec, "startTime", &start));
      EXPECT_FALSE(json_object_object_get_ex(sec, "actionType", nullptr));
      bool sent = d < 7 && i < 10;
      char want[8] = "";
      if (sent) std::snprintf(want, sizeof want, "%02d:%02d", d, i);
      EXPECT_STREQ(json_object_get_string(start), want) << d << "/" << i;
    }
  }
  // A row whose whole-day word is 0 gives "" whatever its slots hold.
  std::strcpy(block->day[3].section[0].start, "12:00");
  block->day[3].wholeDay = 0;
  Json blank(get_schedule_json_object_ipc(block.get()));
  json_object* sec = json_object_array_get_idx(json_object_array_get_idx(blank.tree, 3), 0);
  json_object* start = nullptr;
  json_object_object_get_ex(sec, "startTime", &start);
  EXPECT_STREQ(json_object_get_string(start), "");
}

TEST(Schedule, StoredTextsWithoutTerminatorAreReadWithABound) {
  auto block = std::make_unique<ScheduleBlock>();
  std::memset(block.get(), 'x', sizeof *block);
  Json out(get_schedule_json_object(block.get()));
  json_object* sec = json_object_array_get_idx(json_object_array_get_idx(out.tree, 0), 0);
  json_object* start = nullptr;
  json_object_object_get_ex(sec, "startTime", &start);
  EXPECT_EQ(std::string(json_object_get_string(start)), std::string(32, 'x'));
}

TEST(CopyMask, CountListAndRange) {
  const struct {
    const char* json;
    uint64_t mask;
  } cases[] = {
      {"{\"l\":[0,35,64],\"n\":3}", (1ull << 0) | (1ull << 35)},
      {"{\"l\":[0,35,64],\"n\":0}", 0},
      {"{\"l\":[1,2],\"n\":5}", 6},
      {"{\"l\":[1,2,3],\"n\":2}", 6},
      {"{\"l\":[-1,63,\"7\"],\"n\":3}", (1ull << 63) | (1ull << 7)},
      {"{\"l\":[1],\"n\":-1}", 0},
      {"{\"l\":[1]}", 0},
      {"{\"l\":4,\"n\":1}", 0},
      {"{\"l\":[null,4],\"n\":2}", 16},
      {"{\"l\":[\"x\",{},5.0,\"3\"],\"n\":4}", 8 | 32},  // not numbers: skipped, not channel 0
  };
  for (const auto& c : cases) {
    Json in(c.json);
    EXPECT_EQ(get_copy_flag_by_json(in.tree, "l", "n"), c.mask) << c.json;
  }
  EXPECT_EQ(get_copy_flag_by_json(nullptr, "l", "n"), 0u);
}

TEST(SmallConverters, AlarmOutputsSectionsAndSmartTypes) {
  Json out(get_event_chn_alarmout_object("1010", "01"));
  EXPECT_EQ(out.text(), "[\"1010\",\"01\"]");
  AlarmOutItem items[2] = {};
  Json in("{\"a\":[\"" + std::string(70, '1') + "\"]}");
  ASSERT_EQ(get_event_chn_alarmout_by_object(9, in.tree, "a", items), 0);
  EXPECT_EQ(items[0].chn, 9);
  EXPECT_EQ(std::string(items[0].text), std::string(64, '1'));
  EXPECT_EQ(items[1].chn, 0);
  EXPECT_STREQ(items[1].text, "");
  EXPECT_EQ(get_event_chn_alarmout_by_object(9, in.tree, "zz", items), -1);

  char buf[8];
  EXPECT_EQ(get_section_info("a/b?token=xyz?more", "token=", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "xyz");
  EXPECT_EQ(get_section_info("token=abcdefghijk", "token=", buf, sizeof buf), 0);
  EXPECT_STREQ(buf, "abcdefg");
  EXPECT_EQ(get_section_info("abc", "zz", buf, sizeof buf), -1);
  EXPECT_EQ(get_section_info("abc", "", buf, sizeof buf), -1);
  EXPECT_EQ(get_section_info("abc", "a", buf, 0), -1);

  for (int e = -1; e <= 9; ++e)
    EXPECT_EQ(get_smart_event_ptz_type(e), e >= 0 && e <= 8 ? e + 5 : -1);
}

TEST(AudioFiles, MaskOfEntriesInUse) {
  EXPECT_EQ(get_audio_file_id_mask(), 0);
  for (int id : {0, 3, 9}) {
    AlarmAudioFile f{id, 1, "bmFtZQ"};
    ASSERT_EQ(write_alarm_audio_file(kStoreMain, &f), 0);
  }
  AlarmAudioFile off{4, 0, "x"};
  ASSERT_EQ(write_alarm_audio_file(kStoreMain, &off), 0);
  EXPECT_EQ(get_audio_file_id_mask(), (1 << 0) | (1 << 3) | (1 << 9));
}

std::string ptz_array(int n, int first_channel) {
  std::string s = "[";
  for (int i = 0; i < n; ++i)
    s += (i ? "," : "") + std::string("{\"acto_ptz_channel\":") +
         std::to_string(first_channel + i) +
         ",\"acto_ptz_type\":1,\"acto_ptz_preset\":" + std::to_string(i) +
         ",\"acto_ptz_patrol\":2,\"acto_ptz_pattern\":3}";
  return s + "]";
}

TEST(PtzLinkage, DecodeStoreAndGiveOut) {
  Json seventy(ptz_array(70, 0));
  PtzLinkBlock block;
  ASSERT_EQ(get_ptz_params_by_json(4, 1, seventy.tree, &block), 0);
  EXPECT_EQ(block.entry[63].preset, 63);
  EXPECT_EQ(block.entry[63].eventChn, 4);
  EXPECT_EQ(block.entry[10].pattern, 3);
  EXPECT_EQ(set_ptz_params_by_json(4, 1, seventy.tree), 1);
  Json out(get_ptz_params_json_object(1, 4));
  // Entry 0 has PTZ channel 0: stored but not given out; the pattern never is.
  ASSERT_EQ(json_object_array_length(out.tree), 63u);
  EXPECT_EQ(
      std::string(json_object_to_json_string_ext(json_object_array_get_idx(out.tree, 0),
                                                 JSON_C_TO_STRING_PLAIN)),
      "{\"acto_ptz_channel\":1,\"acto_ptz_type\":1,\"acto_ptz_preset\":1,\"acto_ptz_patrol\":2}");
  // Other event types and channels are separate blocks.
  Json other(get_ptz_params_json_object(2, 4));
  EXPECT_EQ(json_object_array_length(other.tree), 0u);

  Json empty("[]");
  ASSERT_EQ(get_ptz_params_by_json(7, 1, empty.tree, &block), 0);
  EXPECT_EQ(block.entry[0].eventChn, 7);
  EXPECT_EQ(block.entry[1].eventChn, 0);
  EXPECT_EQ(get_ptz_params_by_json(16, 1, empty.tree, &block), -1);
  EXPECT_EQ(set_ptz_params_by_json(16, 1, seventy.tree), 0);
  EXPECT_EQ(set_ptz_params_by_json(-1, 1, seventy.tree), 0);
  EXPECT_EQ(set_ptz_params_by_json(3, 1, nullptr), 0);
  Json not_array("{\"acto_ptz_channel\":5}");
  ASSERT_EQ(get_ptz_params_by_json(3, 1, not_array.tree, &block), 0);
  EXPECT_EQ(block.entry[0].ptzChn, 0);
}

TEST(PtzLinkage, PeopleCountingKeepsSixteenInItsOwnTable) {
  Json twenty(ptz_array(20, 1));
  EXPECT_EQ(set_ptz_params_by_json(2, kPtzEventPeopleCount, twenty.tree), 1);
  Json out(get_ptz_params_json_object(kPtzEventPeopleCount, 2));
  EXPECT_EQ(json_object_array_length(out.tree), 16u);
  int count = -1;
  PtzLinkBlock block;
  ASSERT_EQ(read_ptz_params(kStoreMain, &block, kPtzEventPeopleCount, 2, &count), 0);
  EXPECT_EQ(count, 0);  // not in the general table
}

TEST(WhiteLed, BothListFormsStoreTheSameEntry) {
  auto slots = std::make_unique<WhiteLedSlots>();
  Json arrays("{\"w\":[[3,1,10]]}");
  Json objects("{\"w\":[{\"chnid\":3,\"mode\":1,\"time\":10}]}");
  WhiteLedSlot a, b;
  ASSERT_EQ(get_white_params_by_json(5, slots.get(), arrays.tree, "w"), 0);
  a = slots->slot[5];
  ASSERT_EQ(get_white_params_by_json(5, slots.get(), objects.tree, "w"), 0);
  b = slots->slot[5];
  EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
  EXPECT_EQ(a.count, 1);
  EXPECT_EQ(a.entry[0].eventChn, 5);
  EXPECT_EQ(a.entry[0].chnid, 3);
  EXPECT_EQ(a.entry[0].time, 10);
  ASSERT_EQ(write_whiteled_params_all(kStoreMain, &a, "motion_white_led_params", 5), 0);
  Json out(get_white_params_json_object(5, "motion_white_led_params"));
  EXPECT_EQ(out.text(), "[{\"chnid\":3,\"mode\":1,\"time\":10}]");
  Json other(get_white_params_json_object(5, "video_loss_white_led_params"));
  EXPECT_EQ(other.text(), "[]");
}

TEST(WhiteLed, EveryChannelHasItsOwnSlotAndListsAreBounded) {
  auto slots = std::make_unique<WhiteLedSlots>();
  std::string many = "{\"w\":[";
  for (int i = 0; i < 20; ++i) many += (i ? "," : "") + std::string("[0,0,0]");
  many += "]}";
  Json in(many);
  ASSERT_EQ(get_white_params_by_json(63, slots.get(), in.tree, "w"), 0);
  EXPECT_EQ(slots->slot[63].count, 16);  // zero entries are real entries
  ASSERT_EQ(write_whiteled_params_all(kStoreMain, &slots->slot[63], "motion_white_led_params", 63),
            0);
  Json out(get_white_params_json_object(63, "motion_white_led_params"));
  EXPECT_EQ(json_object_array_length(out.tree), 16u);
  EXPECT_EQ(get_white_params_by_json(64, slots.get(), in.tree, "w"), -1);
  EXPECT_EQ(get_white_params_by_json(-1, slots.get(), in.tree, "w"), -1);
  Json holes("{\"w\":[[1,1,1],null,[2,2,2]]}");
  ASSERT_EQ(get_white_params_by_json(0, slots.get(), holes.tree, "w"), 0);
  EXPECT_EQ(slots->slot[0].count, 1);  // stops at the first missing element
  Json absent("{}");
  EXPECT_EQ(get_white_params_by_json(0, slots.get(), absent.tree, "w"), -1);

  WhiteLedEntry entries[16] = {};
  int count = 0;
  Json pcnt("{\"w\":[{\"chnid\":9,\"mode\":2,\"time\":30},{\"chnid\":8}]}");
  ASSERT_EQ(get_pcnt_white_params_by_json(1, entries, pcnt.tree, "w", &count), 0);
  EXPECT_EQ(count, 2);
  ASSERT_EQ(write_peoplecnt_wled_params_all(kStoreMain, entries, count, 1), 0);
  Json pout(get_pcnt_white_params_json_object(1));
  EXPECT_EQ(pout.text(),
            "[{\"chnid\":9,\"mode\":2,\"time\":30},{\"chnid\":8,\"mode\":0,\"time\":0}]");
}

TEST(HttpTarget, RoundTripAndCuts) {
  HttpNotifyRecord rec;
  std::string url(600, 'u');
  Json in("{\"h\":{\"url\":\"" + url + "\",\"username\":\"" + std::string(100, 'n') +
          "\",\"password\":\"%s\\\"\"}}");
  ASSERT_EQ(get_http_params_by_json(7, &rec, in.tree, "h"), 0);
  EXPECT_EQ(rec.chn, 7);
  EXPECT_EQ(std::string(rec.url), std::string(512, 'u'));
  EXPECT_EQ(std::string(rec.username), std::string(96, 'n'));
  EXPECT_STREQ(rec.password, "%s\"");
  ASSERT_EQ(write_http_notification_params(kStoreMain, &rec, "motion_http_notification_params"), 0);
  Json out(get_http_params_json_object(7, "motion_http_notification_params"));
  EXPECT_EQ(out.text(), "{\"chnId\":7,\"url\":\"" + std::string(512, 'u') + "\",\"username\":\"" +
                            std::string(96, 'n') + "\",\"password\":\"%s\\\"\"}");
  Json partial("{\"h\":{\"url\":\"x\"}}");
  ASSERT_EQ(get_http_params_by_json(7, &rec, partial.tree, "h"), 0);
  EXPECT_STREQ(rec.username, "");
  EXPECT_EQ(get_http_params_by_json(7, &rec, partial.tree, "zz"), -1);
  Json never(get_http_params_json_object(8, "motion_http_notification_params"));
  EXPECT_EQ(never.text(), "{\"chnId\":8,\"url\":\"\",\"username\":\"\",\"password\":\"\"}");
}

TEST(Files, WholeFileReadAndWrite) {
  std::string path = nvr_path("/tmp/data.bin");
  std::string content("a\0b\xff", 4);
  EXPECT_EQ(dv_wirte_file_data(path.c_str(), content.data(), 4), 0);
  int length = -1;
  char* data = dv_get_file_data(path.c_str(), &length);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(data, static_cast<std::size_t>(length)), content);
  __dv_free(data);
  length = 5;
  EXPECT_EQ(dv_get_file_data(nvr_path("/tmp/none").c_str(), &length), nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(dv_get_file_data(nullptr, &length), nullptr);
  EXPECT_EQ(dv_wirte_file_data(nvr_path("/no/dir/x").c_str(), "x", 1), -1);
  EXPECT_EQ(get_request_tokener_json_object("{not json"), nullptr);
  EXPECT_EQ(get_request_tokener_json_object(nullptr), nullptr);
}

}  // namespace
