// The shared event-linkage save on a small event kind declared here.
#include <gtest/gtest.h>

#include <json-c/json.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dvdb.h"
#include "event_linkage.h"
#include "linkage.h"
#include "handler_kit.h"
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
    NVR_FIELD(TestEvent, chn, "chnid"),         NVR_FIELD(TestEvent, enable, "enable"),
    NVR_FIELD(TestEvent, interval, "interval"), NVR_FIELD(TestEvent, channels, "triChannels"),
    NVR_FIELD(TestEvent, mask, nullptr),
};
constexpr RecordKind kTestEventKind{
    .name = "test_event", NVR_KIND_FIELDS(TestEvent, kTestEventFields), .key = {"chn", 0, 63}};

constexpr LinkageSchedule kSchedules[] = {
    {"effective", "test_esche", ScheduleCodec::kStandard},
    {"audible", "test_audible", ScheduleCodec::kSecond},
};
constexpr auto kScalars = pick_keys(kTestEventKind, {"enable", "interval", "triChannels"});

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
                                 .ptz_event_type = 1,
                                 .scalar_keys = kScalars,
                                 .after_overlay = rebuild_mask};
NVR_CHECK_LINKAGE_DESC(kDesc);

struct Json {
  explicit Json(const std::string& text) : tree(json_tokener_parse(text.c_str())) {}
  explicit Json(json_object* owned) : tree(owned) {}
  Json(const Json&) = delete;
  Json& operator=(const Json&) = delete;
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
  ASSERT_EQ(store_read(kStoreMain, kScheduleKind, 3, block.get(), &audible_stored, "test_audible"),
            0);
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

  Json ptz(
      "{\"ptzChnId\":9,\"ptzType\":1,\"ptzParams\":[{\"acto_ptz_channel\":2,\"acto_ptz_type\":1}]"
      "}");
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

// Makes the store unreachable while it lives: its folder becomes a file.
class BrokenStore {
 public:
  BrokenStore() {
    store_close_all();
    if (rename(dir_.c_str(), moved_.c_str()) != 0) return;
    FILE* f = fopen(dir_.c_str(), "w");
    if (f == nullptr) return;
    fclose(f);
    broken_ = true;
  }
  ~BrokenStore() {
    unlink(dir_.c_str());
    rename(moved_.c_str(), dir_.c_str());
    store_close_all();
  }
  BrokenStore(const BrokenStore&) = delete;
  BrokenStore& operator=(const BrokenStore&) = delete;
  bool broken() const { return broken_; }

 private:
  std::string dir_ = std::string(getenv("NVR_ROOT")) + "/mnt/nand/app";
  std::string moved_ = dir_ + ".away";
  bool broken_ = false;
};

TEST(EventLinkage, AFailedStoreIsReported) {
  Json req("{\"enable\":2}");
  TestEvent rec{};
  LinkageSaveResult r;
  BrokenStore broken;
  ASSERT_TRUE(broken.broken());
  EXPECT_EQ(event_linkage_save(kDesc, req.tree, 1, &rec, &r), -1);
  EXPECT_TRUE(r.failed);
  EXPECT_FALSE(r.record_written);
}

}  // namespace

// The whole description on a kind with a second key (an event index), a trigger mask,
// camera alarm-output texts and a getter.
namespace {

struct LinkEvent {
  int32_t chn;
  int32_t event;
  int32_t enable;
  int32_t interval;
  char channels[65];
  int32_t mask;
  char alarm0[65];
  char alarm1[65];
  int32_t http_interval;
};

constexpr FieldDesc kLinkEventFields[] = {
    NVR_FIELD(LinkEvent, chn, "chnid"),
    NVR_FIELD(LinkEvent, event, nullptr),
    NVR_FIELD(LinkEvent, enable, "enable"),
    NVR_FIELD(LinkEvent, interval, "interval"),
    NVR_FIELD(LinkEvent, channels, "triChannels"),
    NVR_FIELD(LinkEvent, mask, nullptr),
    NVR_FIELD(LinkEvent, alarm0, nullptr),
    NVR_FIELD(LinkEvent, alarm1, nullptr),
    NVR_FIELD(LinkEvent, http_interval, "http_notification_interval"),
};
constexpr RecordKind kLinkEventKind{.name = "link_event",
                                    NVR_KIND_FIELDS(LinkEvent, kLinkEventFields),
                                    .key = {"chn", 0, 63},
                                    .key2 = {"event", 0, 8}};

constexpr LinkageSchedule kLinkSchedules[] = {
    {"effective", "link_esche", ScheduleCodec::kStandard},
    {"audible", "link_audible", ScheduleCodec::kSecond},
    {"httpSche", "link_http_sche", ScheduleCodec::kStandard, true},
};
constexpr auto kLinkKeys =
    pick_keys(kLinkEventKind, {"enable", "interval", "triChannels", "http_notification_interval"});
// Not the table's order, and one field under another key.
constexpr LinkageKey kLinkGetter[] = {
    {"camId", LinkageValue::kField, "chn"},
    {"event", LinkageValue::kIndex},
    {"triChannels"},
    {"enable"},
    {"audible", LinkageValue::kSchedule},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
    {"whiteInfo", LinkageValue::kWhiteInfo},
    {"httpSche", LinkageValue::kSchedule},
    {"httpParams", LinkageValue::kHttpParams},
    {"http_notification_interval"},
    {"audioIdMask", LinkageValue::kAudioIdMask},
    {"ptzParams", LinkageValue::kPtzParams},
};
constexpr EventLinkageDesc kLinkDesc{.record = &kLinkEventKind,
                                     .index = 4,
                                     .schedules = kLinkSchedules,
                                     .white_table = "link_white",
                                     .http_table = "link_http",
                                     .ptz_event_type = 9,
                                     .scalar_keys = kLinkKeys,
                                     .trigger_text_field = field_named(kLinkEventKind, "channels"),
                                     .trigger_mask_field = field_named(kLinkEventKind, "mask"),
                                     .alarm_out_fields = {field_named(kLinkEventKind, "alarm0"),
                                                          field_named(kLinkEventKind, "alarm1")},
                                     .getter = kLinkGetter,
                                     .notice = {1412, NoticeForm::kChannelMask}};
NVR_CHECK_LINKAGE_DESC(kLinkDesc);

std::string full_request(int ptz_channel) {
  return "{\"effective\":" + schedule() + ",\"audible\":" + schedule() +
         ",\"httpSche\":" + schedule() +
         ",\"whiteInfo\":[{\"chnid\":7,\"mode\":2,\"time\":30}],"
         "\"httpParams\":{\"url\":\"http://h/a\",\"username\":\"u\",\"password\":\"p\"},"
         "\"enable\":1,\"interval\":20,\"triChannels\":\"10000000000000000000000000000001\","
         "\"http_notification_interval\":15,\"triChnAlarms\":[\"01\",\"10\"],"
         "\"ptzChnId\":" +
         std::to_string(ptz_channel) +
         ",\"ptzType\":9,\"ptzParams\":[{\"acto_ptz_channel\":4,\"acto_ptz_type\":1,"
         "\"acto_ptz_preset\":3}]}";
}

std::vector<std::string> keys_of(json_object* o) {
  std::vector<std::string> keys;
  json_object_object_foreach(o, key, value) {
    (void)value;
    keys.emplace_back(key);
  }
  return keys;
}

std::string text_of(json_object* o, const char* key) {
  json_object* v = nullptr;
  return json_object_object_get_ex(o, key, &v) ? json_object_to_json_string(v) : "(absent)";
}

TEST(EventLinkageDesc, SaveAddressesTheInstanceAndRebuildsTheTriggerMask) {
  Json req(full_request(5));
  LinkEvent rec{};
  LinkageSaveResult r;
  ASSERT_EQ(event_linkage_save(kLinkDesc, req.tree, 5, &rec, &r), 0);
  EXPECT_TRUE(r.record_written);
  EXPECT_TRUE(r.ptz_stored);
  EXPECT_EQ(r.scalars, 5);  // four keys and the alarm-output texts

  LinkEvent back{};
  bool stored = false;
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(5, 4), &back, &stored), 0);
  EXPECT_TRUE(stored);
  EXPECT_EQ(back.event, 4);
  EXPECT_EQ(back.enable, 1);
  EXPECT_EQ(back.http_interval, 15);
  // Bit 31 keeps its pattern in a signed mask field.
  EXPECT_EQ(static_cast<uint32_t>(back.mask), 0x80000001u);
  EXPECT_STREQ(back.alarm0, "01");
  EXPECT_STREQ(back.alarm1, "10");
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(5, 0), &back, &stored), 0);
  EXPECT_FALSE(stored);  // another instance of the same channel is untouched
}

TEST(EventLinkageDesc, TriggerPositionsBeyond31SetNoBit) {
  LinkEvent rec{};
  std::string text(40, '0');
  text += "1";
  std::snprintf(rec.channels, sizeof rec.channels, "%s", text.c_str());
  rec.mask = 77;
  event_linkage_rebuild_trigger_mask(kLinkDesc, &rec);
  EXPECT_EQ(rec.mask, 0);
  std::snprintf(rec.channels, sizeof rec.channels, "0101");
  event_linkage_rebuild_trigger_mask(kLinkDesc, &rec);
  EXPECT_EQ(rec.mask, 10);
}

TEST(EventLinkageDesc, AlarmOutTextsPresentReplaceTheirFieldOnly) {
  Json first("{\"triChnAlarms\":[\"11\",\"22\"]}");
  LinkEvent rec{};
  ASSERT_EQ(event_linkage_save(kLinkDesc, first.tree, 6, &rec, nullptr), 0);
  Json one("{\"triChnAlarms\":[\"\"]}");
  LinkageSaveResult r;
  ASSERT_EQ(event_linkage_save(kLinkDesc, one.tree, 6, &rec, &r), 0);
  EXPECT_EQ(r.scalars, 1);
  LinkEvent back{};
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(6, 4), &back), 0);
  EXPECT_STREQ(back.alarm0, "");
  EXPECT_STREQ(back.alarm1, "22");
}

TEST(EventLinkageDesc, ScopeWithoutHttpAndPtzLeavesThemAlone) {
  static constexpr auto kFew = pick_keys(kLinkEventKind, {"enable"});
  const LinkageSaveScope scope{.keys = kFew, .http = false, .ptz = false};
  Json req(full_request(8));
  LinkEvent rec{};
  LinkageSaveResult r;
  ASSERT_EQ(event_linkage_save(kLinkDesc, req.tree, 8, &rec, &r, scope), 0);
  EXPECT_FALSE(r.ptz_stored);
  EXPECT_EQ(r.scalars, 2);  // "enable" and the alarm-output texts

  LinkEvent back{};
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(8, 4), &back), 0);
  EXPECT_EQ(back.enable, 1);
  EXPECT_EQ(back.interval, 0);
  EXPECT_EQ(back.http_interval, 0);
  HttpNotifyRecord http{};
  ASSERT_EQ(read_http_notification_params(kStoreMain, &http, "link_http", 8), 0);
  EXPECT_STREQ(http.url, "");
  auto block = std::make_unique<ScheduleBlock>();
  bool stored = true;
  ASSERT_EQ(store_read(kStoreMain, kScheduleKind, 8, block.get(), &stored, "link_http_sche"), 0);
  EXPECT_FALSE(stored);
  ASSERT_EQ(store_read(kStoreMain, kScheduleKind, 8, block.get(), &stored, "link_audible"), 0);
  EXPECT_TRUE(stored);
  PtzLinkBlock ptz{};
  int count = -1;
  ASSERT_EQ(read_ptz_params(kStoreMain, &ptz, 9, 8, &count), 0);
  EXPECT_EQ(count, 0);
}

TEST(EventLinkageDesc, GetterAnswersInTheDescriptionsOrder) {
  Json req(full_request(11));
  LinkEvent rec{};
  ASSERT_EQ(event_linkage_save(kLinkDesc, req.tree, 11, &rec, nullptr), 0);
  Json out(event_linkage_json(kLinkDesc, 11));
  ASSERT_NE(out.tree, nullptr);
  const std::vector<std::string> expected = {
      "camId",        "event",     "triChannels", "enable",     "audible",
      "triChnAlarms", "whiteInfo", "httpSche",    "httpParams", "http_notification_interval",
      "audioIdMask",  "ptzParams"};
  EXPECT_EQ(keys_of(out.tree), expected);
  EXPECT_EQ(text_of(out.tree, "camId"), "11");
  EXPECT_EQ(text_of(out.tree, "event"), "4");
  EXPECT_EQ(text_of(out.tree, "triChnAlarms"), "[ \"01\", \"10\" ]");
  EXPECT_EQ(text_of(out.tree, "whiteInfo"), "[ { \"chnid\": 7, \"mode\": 2, \"time\": 30 } ]");
  EXPECT_EQ(
      text_of(out.tree, "httpParams"),
      "{ \"chnId\": 11, \"url\": \"http:\\/\\/h\\/a\", \"username\": \"u\", \"password\": \"p\" }");
  EXPECT_EQ(text_of(out.tree, "ptzParams"),
            "[ { \"acto_ptz_channel\": 4, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 3, "
            "\"acto_ptz_patrol\": 0 } ]");
  json_object* audible = nullptr;
  ASSERT_TRUE(json_object_object_get_ex(out.tree, "audible", &audible));
  ASSERT_EQ(json_object_array_length(audible), 8u);
  EXPECT_EQ(json_object_array_length(json_object_array_get_idx(audible, 7)), 12u);

  EXPECT_EQ(event_linkage_json(kLinkDesc, 64), nullptr);
  EXPECT_EQ(event_linkage_json(kLinkDesc, -1), nullptr);
}

TEST(EventLinkageDesc, GetterOfANeverSavedChannelHasEmptyLists) {
  Json out(event_linkage_json(kLinkDesc, 30));
  ASSERT_NE(out.tree, nullptr);
  EXPECT_EQ(text_of(out.tree, "whiteInfo"), "[ ]");
  EXPECT_EQ(text_of(out.tree, "ptzParams"), "[ ]");
  EXPECT_EQ(text_of(out.tree, "triChnAlarms"), "[ \"\", \"\" ]");
}

TEST(EventLinkageDesc, CopyGivesEverySelectedChannelTheRecordAndLinkage) {
  Json req(full_request(12));
  LinkEvent source{};
  ASSERT_EQ(event_linkage_save(kLinkDesc, req.tree, 12, &source, nullptr), 0);
  source.interval = 99;  // the caller's version of the record is what is copied
  const uint64_t mask = (uint64_t{1} << 13) | (uint64_t{1} << 40) | (uint64_t{1} << 63);
  ASSERT_EQ(event_linkage_copy(kLinkDesc, 12, &source, mask), 0);

  for (int c : {13, 40, 63}) {
    LinkEvent back{};
    bool stored = false;
    ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(c, 4), &back, &stored), 0);
    EXPECT_TRUE(stored) << c;
    EXPECT_EQ(back.chn, c);
    EXPECT_EQ(back.interval, 99);
    EXPECT_STREQ(back.alarm1, "10");
    Json out(event_linkage_json(kLinkDesc, c));
    ASSERT_NE(out.tree, nullptr);
    EXPECT_EQ(text_of(out.tree, "whiteInfo"), "[ { \"chnid\": 7, \"mode\": 2, \"time\": 30 } ]")
        << c;
    EXPECT_EQ(text_of(out.tree, "httpParams"),
              "{ \"chnId\": " + std::to_string(c) +
                  ", \"url\": \"http:\\/\\/h\\/a\", \"username\": \"u\", \"password\": \"p\" }");
    EXPECT_EQ(text_of(out.tree, "ptzParams"),
              "[ { \"acto_ptz_channel\": 4, \"acto_ptz_type\": 1, \"acto_ptz_preset\": 3, "
              "\"acto_ptz_patrol\": 0 } ]");
    auto block = std::make_unique<ScheduleBlock>();
    ASSERT_EQ(read_schedule(kStoreMain, "link_http_sche", c, block.get()), 0);
    EXPECT_STREQ(block->day[7].section[11].start, "01:00");
    WhiteLedSlot slot{};
    WhiteLedTarget target{c, "link_white"};
    int count = 0;
    ASSERT_EQ(read_whiteled_params(kStoreMain, &slot, &target, &count), 0);
    EXPECT_EQ(slot.entry[0].eventChn, c);
    PtzLinkBlock ptz{};
    ASSERT_EQ(read_ptz_params(kStoreMain, &ptz, 9, c, &count), 0);
    EXPECT_EQ(ptz.entry[0].eventChn, c);
  }
  // Channels outside the mask, and the source's own stored record, are unchanged.
  bool stored = true;
  LinkEvent other{};
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(14, 4), &other, &stored), 0);
  EXPECT_FALSE(stored);
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(12, 4), &other), 0);
  EXPECT_EQ(other.interval, 20);
  auto block = std::make_unique<ScheduleBlock>();
  ASSERT_EQ(store_read(kStoreMain, kScheduleKind, 14, block.get(), &stored, "link_audible"), 0);
  EXPECT_FALSE(stored);
}

TEST(EventLinkageDesc, CopyWithoutARecordReadsTheStoredOne) {
  Json req("{\"enable\":2,\"interval\":7}");
  LinkEvent rec{};
  ASSERT_EQ(event_linkage_save(kLinkDesc, req.tree, 20, &rec, nullptr), 0);
  ASSERT_EQ(event_linkage_copy(kLinkDesc, 20, nullptr, uint64_t{1} << 21), 0);
  LinkEvent back{};
  ASSERT_EQ(store_read(kStoreMain, kLinkEventKind, RecordKey(21, 4), &back), 0);
  EXPECT_EQ(back.enable, 2);
  EXPECT_EQ(back.interval, 7);
  EXPECT_EQ(event_linkage_copy(kLinkDesc, 20, nullptr, 0), 0);
  EXPECT_EQ(event_linkage_copy(kLinkDesc, 64, nullptr, 1), -1);
}

TEST(EventLinkageDesc, NothingIsAnsweredOrCopiedFromAnUnreadableStore) {
  BrokenStore broken;
  ASSERT_TRUE(broken.broken());
  EXPECT_EQ(event_linkage_json(kLinkDesc, 2), nullptr);
  EXPECT_EQ(event_linkage_copy(kLinkDesc, 2, nullptr, uint64_t{1} << 3), -1);
}

TEST(EventLinkageDesc, ChannelOfARequest) {
  Json req(
      "{\"a\":5,\"b\":\"7\",\"c\":63,\"d\":64,\"e\":-1,\"f\":\"x\",\"g\":1.5,\"h\":true,"
      "\"i\":\"3x\",\"j\":null,\"k\":[1]}");
  const struct {
    const char* key;
    std::optional<int> want;
  } cases[] = {{"a", 5},
               {"b", 7},
               {"c", 63},
               {"d", std::nullopt},
               {"e", std::nullopt},
               {"f", std::nullopt},
               {"g", std::nullopt},
               {"h", std::nullopt},
               {"i", std::nullopt},
               {"j", std::nullopt},
               {"k", std::nullopt},
               {"z", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(channel_from_json(req.tree, c.key), c.want) << c.key;
  Json array("[5]");
  EXPECT_EQ(channel_from_json(array.tree, "a"), std::nullopt);
  EXPECT_EQ(channel_from_json(nullptr, "a"), std::nullopt);
}

TEST(EventLinkageDesc, CoreChannelMaskLowWordFirst) {
  CoreChannelMask m = core_channel_mask((uint64_t{1} << 63) | 5);
  unsigned char bytes[8];
  std::memcpy(bytes, &m, sizeof bytes);
  const unsigned char want[8] = {5, 0, 0, 0, 0, 0, 0, 0x80};
  EXPECT_EQ(std::memcmp(bytes, want, sizeof want), 0);
}

}  // namespace
