// The shared event-linkage save on a small event kind declared here.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "dvdb.h"
#include "event_linkage.h"
#include "linkage.h"
#include "web_utils.h"

namespace {

struct TestEvent {
  int32_t chn;
  int32_t enable;
  int32_t interval;
  char channels[65];
  int32_t mask;
};

constexpr FieldDesc kTestEventFields[] = {
    NVR_FIELD(TestEvent, chn, "chnid"),
    NVR_FIELD(TestEvent, enable, "enable"),
    NVR_FIELD(TestEvent, interval, "interval"),
    NVR_FIELD(TestEvent, channels, "triChannels"),
    NVR_FIELD(TestEvent, mask, nullptr),
};
constexpr RecordKind kTestEventKind{.name = "test_event",
                                    .size = sizeof(TestEvent),
                                    .fields = kTestEventFields,
                                    .field_count = static_cast<int>(std::size(kTestEventFields)),
                                    .key = {"chn", 0, 63}};

constexpr LinkageSchedule kSchedules[] = {
    {"effective", "test_esche", ScheduleCodec::kStandard},
    {"audible", "test_audible", ScheduleCodec::kSecond},
};
constexpr JsonKeyMap kScalars[] = {{"enable", "enable"}, {"interval", "interval"},
                                   {"channels", "triChannels"}};

void rebuild_mask(void* record, json_object*) {
  auto* e = static_cast<TestEvent*>(record);
  e->mask = 0;
  for (int i = 0; i < 32 && e->channels[i] != '\0'; ++i)
    if (e->channels[i] == '1') e->mask |= 1 << i;
}

constexpr EventLinkageDesc kDesc{.record = &kTestEventKind,
                                 .record_table = nullptr,
                                 .schedules = kSchedules,
                                 .white_table = "test_white",
                                 .http_table = "test_http",
                                 .scalar_keys = kScalars,
                                 .after_overlay = rebuild_mask,
                                 .store_ptz = true};

struct Json {
  explicit Json(const std::string& text) : tree(json_tokener_parse(text.c_str())) {}
  ~Json() { json_object_put(tree); }
  json_object* tree;
};

std::string row12() {
  std::string r = "[";
  for (int i = 0; i < 12; ++i) r += std::string(i ? "," : "") + "[\"01:00\",\"02:00\",1]";
  return r + "]";
}

std::string schedule() {
  std::string s = "[";
  for (int d = 0; d < 8; ++d) s += (d ? "," : "") + row12();
  return s + "]";
}

TEST(EventLinkage, StoresEachPartThatTheRequestCarries) {
  TestEvent stored{3, 1, 30, "0000", 0};
  ASSERT_EQ(store_write(kStoreMain, kTestEventKind, 3, &stored), 0);
  Json req("{\"effective\":" + schedule() +
           ",\"whiteInfo\":[[2,1,5]],\"httpParams\":{\"url\":\"http://x\"},"
           "\"triChannels\":\"0101\",\"unknown\":7}");
  TestEvent rec{};
  LinkageSaveResult r;
  ASSERT_EQ(event_linkage_save(kDesc, req.tree, 3, &rec, &r), 0);
  EXPECT_EQ(r.scalars, 1);
  EXPECT_TRUE(r.record_written);
  EXPECT_FALSE(r.ptz_stored);

  TestEvent back{};
  ASSERT_EQ(store_read(kStoreMain, kTestEventKind, 3, &back), 0);
  EXPECT_STREQ(back.channels, "0101");
  EXPECT_EQ(back.mask, 10);
  EXPECT_EQ(back.enable, 1);  // not in the request: as stored
  EXPECT_EQ(back.interval, 30);

  auto block = std::make_unique<ScheduleBlock>();
  ASSERT_EQ(read_schedule(kStoreMain, "test_esche", 3, block.get()), 0);
  EXPECT_STREQ(block->day[7].section[11].end, "02:00");
  bool audible_stored = true;
  ASSERT_EQ(store_read(kStoreMain, kScheduleKind, 3, block.get(), &audible_stored, "test_audible"), 0);
  EXPECT_FALSE(audible_stored);

  WhiteLedSlot slot{};
  WhiteLedTarget target{3, "test_white"};
  int count = 0;
  ASSERT_EQ(read_whiteled_params(kStoreMain, &slot, &target, &count), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(slot.entry[0].chnid, 2);
  HttpNotifyRecord http{};
  ASSERT_EQ(read_http_notification_params(kStoreMain, &http, "test_http", 3), 0);
  EXPECT_STREQ(http.url, "http://x");
}

TEST(EventLinkage, RecordWrittenOnlyForScalarsOrAStoredPtzLinkage) {
  Json nothing("{\"audible\":" + schedule() + "}");
  TestEvent rec{};
  LinkageSaveResult r;
  ASSERT_EQ(event_linkage_save(kDesc, nothing.tree, 9, &rec, &r), 0);
  EXPECT_FALSE(r.record_written);
  bool stored = true;
  TestEvent back{};
  ASSERT_EQ(store_read(kStoreMain, kTestEventKind, 9, &back, &stored), 0);
  EXPECT_FALSE(stored);

  Json ptz("{\"ptzChnId\":9,\"ptzType\":1,\"ptzParams\":[{\"acto_ptz_channel\":2,\"acto_ptz_type\":1}]}");
  ASSERT_EQ(event_linkage_save(kDesc, ptz.tree, 9, &rec, &r), 0);
  EXPECT_TRUE(r.ptz_stored);
  EXPECT_TRUE(r.record_written);
  ASSERT_EQ(store_read(kStoreMain, kTestEventKind, 9, &back, &stored), 0);
  EXPECT_TRUE(stored);

  // A PTZ channel outside 0 to 15 stores no linkage, so no record either.
  Json far("{\"ptzChnId\":16,\"ptzType\":1,\"ptzParams\":[]}");
  ASSERT_EQ(event_linkage_save(kDesc, far.tree, 10, &rec, &r), 0);
  EXPECT_FALSE(r.ptz_stored);
  EXPECT_FALSE(r.record_written);
}

TEST(EventLinkage, RefusesBadArguments) {
  Json req("{\"enable\":1}");
  TestEvent rec{};
  EXPECT_EQ(event_linkage_save(kDesc, req.tree, 64, &rec, nullptr), -1);
  EXPECT_EQ(event_linkage_save(kDesc, req.tree, -1, &rec, nullptr), -1);
  EXPECT_EQ(event_linkage_save(kDesc, nullptr, 1, &rec, nullptr), -1);
  Json array("[1]");
  EXPECT_EQ(event_linkage_save(kDesc, array.tree, 1, &rec, nullptr), -1);
}

TEST(EventLinkage, AFailedStoreIsReported) {
  // A store that cannot be written (its folder is a file) fails the save.
  Json req("{\"enable\":2}");
  TestEvent rec{};
  LinkageSaveResult r;
  store_close_all();
  std::string dir = std::string(getenv("NVR_ROOT")) + "/mnt/nand/app";
  std::string moved = dir + ".away";
  ASSERT_EQ(rename(dir.c_str(), moved.c_str()), 0);
  FILE* f = fopen(dir.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fclose(f);
  EXPECT_EQ(event_linkage_save(kDesc, req.tree, 1, &rec, &r), -1);
  EXPECT_TRUE(r.failed);
  EXPECT_FALSE(r.record_written);
  unlink(dir.c_str());
  ASSERT_EQ(rename(moved.c_str(), dir.c_str()), 0);
  store_close_all();
}

}  // namespace
