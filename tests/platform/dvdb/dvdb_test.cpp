// The generic record operations of the store: round trips of every field type, the
// never-written rule, lists, copies by channel mask, column copies, finds, slot
// allocation, table overrides and tables written by older or newer programs.
#include "dvdb.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sample_kinds.h"
#include "support/store_fixture.h"
#include "support/temp_root.h"

using sample::Entry;
using sample::Everything;
using sample::kEntryKind;
using sample::kEverythingKind;
using sample::kLinkageKind;
using sample::Linkage;

namespace {

class StoreTest : public nvrtest::StoreFixture {
 protected:
  // Runs SQL on the database file directly, as the sqlite3 shell would.
  std::string sql(const std::string& statement) {
    sqlite3* db = nullptr;
    std::string out;
    EXPECT_EQ(sqlite3_open(nvrtest::process_temp_root().at(store_).c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    sqlite3_exec(
        db, statement.c_str(),
        [](void* sink, int n, char** values, char**) {
          auto* s = static_cast<std::string*>(sink);
          for (int i = 0; i < n; ++i)
            *s += (i ? "|" : "") + std::string(values[i] ? values[i] : "NULL");
          *s += "\n";
          return 0;
        },
        &out, &error);
    EXPECT_EQ(error, nullptr) << error;
    sqlite3_free(error);
    sqlite3_close(db);
    return out;
  }
};

std::unique_ptr<Everything> full_record(int32_t tag) {
  auto r = std::make_unique<Everything>();
  std::memset(r.get(), 0, sizeof *r);
  r->i8 = -128;
  r->u8 = 255;
  r->i16 = static_cast<int16_t>(-30000 + tag);
  r->u16 = 65535;
  r->i32 = tag;
  r->u32 = 4000000000u;
  r->i64 = INT64_MIN + 1;
  r->u64 = UINT64_MAX - static_cast<uint64_t>(tag);
  r->f32 = 1.5f;
  r->f64 = -2.25e100;
  std::snprintf(r->text, sizeof r->text, "chan%d", tag);
  const unsigned char bytes[8] = {0, 1, 0x7f, 0x80, 0xff, 0, 0, 9};
  std::memcpy(r->bytes, bytes, sizeof bytes);
  for (int i = 0; i < 4; ++i) r->ints[i] = tag * 10 + i - 20;
  for (int d = 0; d < 8; ++d) {
    r->rows[d].wholeday_enable = d & 1;
    r->rows[d].wholeday_action = d;
    for (int s : {0, 11, 47}) {
      std::snprintf(r->rows[d].sections[s].start, 32, "%02d:%02d", d, s);
      std::snprintf(r->rows[d].sections[s].end, 32, "%s", "24:00");
      r->rows[d].sections[s].action = s + d;
    }
  }
  return r;
}

TEST_F(StoreTest, EveryFieldTypeSurvivesARoundTripThroughTheFile) {
  auto written = full_record(3);
  ASSERT_EQ(store_write(store(), kEverythingKind, 5, written.get()), 0);
  store_close_all();  // read back from the file, not from any cache

  auto read = std::make_unique<Everything>();
  bool stored = false;
  ASSERT_EQ(store_read(store(), kEverythingKind, 5, read.get(), &stored), 0);
  EXPECT_TRUE(stored);
  written->channel = 5;  // the key field follows the key
  EXPECT_EQ(std::memcmp(written.get(), read.get(), sizeof(Everything)), 0);
}

TEST_F(StoreTest, TheShellShowsColumnsByFieldNameAndArraysAsJson) {
  auto r = full_record(1);
  ASSERT_EQ(store_write(store(), kEverythingKind, 2, r.get()), 0);
  EXPECT_EQ(sql("SELECT channel, i8, u16, text, ints FROM everything"),
            "2|-128|65535|chan1|[-10,-9,-8,-7]\n");
  std::string rows = sql("SELECT rows FROM everything");
  EXPECT_EQ(rows.rfind("[{\"sections\":[{\"start\":\"00:00\",\"end\":\"24:00\",\"action\":0},", 0),
            0u)
      << rows.substr(0, 120);
  EXPECT_NE(rows.find("\"wholeday_enable\":1,\"wholeday_action\":7}]"), std::string::npos);
  EXPECT_EQ(sql("SELECT typeof(bytes), typeof(f64), typeof(u64) FROM everything"),
            "blob|real|integer\n");
}

TEST_F(StoreTest, ARecordNeverWrittenReadsAsTheKindsDefaults) {
  Entry e;
  std::memset(&e, 0x5a, sizeof e);
  bool stored = true;
  ASSERT_EQ(store_read(store(), kEntryKind, 4, &e, &stored), 0);
  EXPECT_FALSE(stored);
  EXPECT_EQ(e.id, 4);
  EXPECT_EQ(e.level, 11);
  EXPECT_STREQ(e.name, "x");
  EXPECT_EQ(e.enable, 0);

  auto r = std::make_unique<Everything>();
  std::memset(r.get(), 0x5a, sizeof *r);
  ASSERT_EQ(store_read(store(), kEverythingKind, 9, r.get(), &stored), 0);
  EXPECT_FALSE(stored);
  auto zero = std::make_unique<Everything>();
  std::memset(zero.get(), 0, sizeof *zero);
  zero->channel = 9;
  EXPECT_EQ(std::memcmp(r.get(), zero.get(), sizeof(Everything)), 0);
}

TEST_F(StoreTest, ReadingAStoreThatWasNeverWrittenCreatesNoFile) {
  Entry e;
  bool stored = true;
  ASSERT_EQ(store_read(store(), kEntryKind, 2, &e, &stored), 0);
  EXPECT_FALSE(stored);
  EXPECT_EQ(e.level, 9);
  Entry list[3];
  int count = -1;
  ASSERT_EQ(store_list(store(), kEntryKind, list, 3, &count), 0);
  EXPECT_EQ(count, 0);
  std::vector<Everything> slots(4);
  ASSERT_EQ(store_list(store(), kEverythingKind, slots.data(), 4, &count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(slots[3].channel, 3);
  ASSERT_EQ(store_count(store(), kEntryKind, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(store_find(store(), kEntryKind, "name", "x", &e), -1);
  EXPECT_FALSE(nvrtest::process_temp_root().exists(store_));

  ASSERT_EQ(store_write(store(), kEntryKind, 2, &e), 0);
  EXPECT_TRUE(nvrtest::process_temp_root().exists(store_));
}

TEST_F(StoreTest, KeysOutsideTheKindsRangeAreRefused) {
  Entry e{};
  struct Case {
    int64_t key;
    int expected;
  } cases[] = {{-1, -1}, {0, 0}, {31, 0}, {32, -1}, {INT64_MAX, -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(store_write(store(), kEntryKind, c.key, &e), c.expected) << c.key;
    EXPECT_EQ(store_read(store(), kEntryKind, c.key, &e), c.expected) << c.key;
    EXPECT_EQ(store_delete(store(), kEntryKind, c.key), c.expected) << c.key;
  }
  Linkage l{};
  EXPECT_EQ(store_write(store(), kLinkageKind, {3, 27}, &l), -1);
  EXPECT_EQ(store_write(store(), kLinkageKind, {3, 26}, &l), 0);
}

TEST_F(StoreTest, AListOfEverySlotFillsNeverWrittenSlotsAndStopsAtCapacity) {
  auto a = full_record(2), b = full_record(5);
  ASSERT_EQ(store_write(store(), kEverythingKind, 2, a.get()), 0);
  ASSERT_EQ(store_write(store(), kEverythingKind, 5, b.get()), 0);

  struct Case {
    int capacity;
    int expected_count;
  } cases[] = {{64, 64}, {100, 64}, {3, 3}, {0, 0}};
  for (const Case& c : cases) {
    // One record more than the capacity, as a canary that must stay untouched.
    std::vector<Everything> list(static_cast<std::size_t>(c.capacity) + 1);
    std::memset(list.data(), 0x77, list.size() * sizeof(Everything));
    int count = -1;
    ASSERT_EQ(store_list(store(), kEverythingKind, list.data(), c.capacity, &count), 0);
    EXPECT_EQ(count, c.expected_count);
    for (int i = 0; i < count; ++i) EXPECT_EQ(list[i].channel, i);
    if (count > 5) {
      EXPECT_EQ(list[5].i32, 5);
      EXPECT_STREQ(list[5].text, "chan5");
      EXPECT_EQ(list[4].i32, 0);
    }
    if (count > 2) {
      EXPECT_STREQ(list[2].text, "chan2");
    }
    const unsigned char* canary = reinterpret_cast<const unsigned char*>(&list[c.capacity]);
    for (std::size_t i = 0; i < sizeof(Everything); ++i) ASSERT_EQ(canary[i], 0x77) << c.capacity;
  }
}

TEST_F(StoreTest, ASparseListHoldsTheStoredRecordsInKeyOrder) {
  for (int id : {30, 3, 7}) {
    Entry e{};
    e.level = id * 2;
    ASSERT_EQ(store_write(store(), kEntryKind, id, &e), 0);
  }
  Entry list[4] = {};
  int count = -1;
  ASSERT_EQ(store_list(store(), kEntryKind, list, 2, &count), 0);
  ASSERT_EQ(count, 2);
  EXPECT_EQ(list[0].id, 3);
  EXPECT_EQ(list[1].id, 7);
  EXPECT_EQ(list[2].id, 0);  // untouched
  ASSERT_EQ(store_list(store(), kEntryKind, list, 4, &count), 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(list[2].id, 30);
  EXPECT_EQ(list[2].level, 60);

  EXPECT_EQ(store_list(nullptr, kEntryKind, list, 4, &count), -1);
  EXPECT_EQ(store_list(store(), kEntryKind, nullptr, 4, &count), -1);
  EXPECT_EQ(store_list(store(), kEntryKind, list, -1, &count), -1);
}

TEST_F(StoreTest, AListUnderAFirstKeyWalksTheSecondKey) {
  for (auto [channel, type] : {std::pair{1, 4}, {1, 2}, {2, 2}, {1, 26}}) {
    Linkage l{};
    l.targets[0] = channel * 100 + type;
    ASSERT_EQ(store_write(store(), kLinkageKind, {channel, type}, &l), 0);
  }
  Linkage list[8];
  int count = 0;
  ASSERT_EQ(store_list_under(store(), kLinkageKind, 1, list, 8, &count), 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(list[0].targets[0], 102);
  EXPECT_EQ(list[1].targets[0], 104);
  EXPECT_EQ(list[2].targets[0], 126);
  EXPECT_EQ(list[2].channel, 1);
  EXPECT_EQ(store_list_under(store(), kEntryKind, 1, list, 8, &count), -1);  // one key only
}

TEST_F(StoreTest, CopyByMaskWritesExactlyTheSelectedChannels) {
  auto r = full_record(8);
  uint64_t mask = (1ull << 0) | (1ull << 5) | (1ull << 63);
  ASSERT_EQ(store_copy_mask(store(), kEverythingKind, r.get(), mask), 0);
  EXPECT_EQ(sql("SELECT channel, i32 FROM everything ORDER BY channel"), "0|8\n5|8\n63|8\n");
  auto back = std::make_unique<Everything>();
  ASSERT_EQ(store_read(store(), kEverythingKind, 63, back.get()), 0);
  EXPECT_EQ(back->channel, 63);
  EXPECT_STREQ(back->rows[7].sections[47].start, "07:47");

  // A channel outside the kind's range refuses the whole copy.
  Entry e{};
  EXPECT_EQ(store_copy_mask(store(), kEntryKind, &e, (1ull << 1) | (1ull << 40)), -1);
  int count = -1;
  ASSERT_EQ(store_count(store(), kEntryKind, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(store_copy_mask(store(), kEntryKind, &e, 0), 0);

  Linkage l{};
  l.targets[3] = 9;
  ASSERT_EQ(store_copy_mask(store(), kLinkageKind, &l, 0b110, 20), 0);
  EXPECT_EQ(sql("SELECT channel, event_type, targets FROM linkage ORDER BY channel"),
            "1|20|[0,0,0,9]\n2|20|[0,0,0,9]\n");
}

TEST_F(StoreTest, DeleteMakesARecordReadAsNeverWritten) {
  Entry e{};
  e.level = 99;
  ASSERT_EQ(store_write(store(), kEntryKind, 6, &e), 0);
  ASSERT_EQ(store_delete(store(), kEntryKind, 6), 0);
  bool stored = true;
  ASSERT_EQ(store_read(store(), kEntryKind, 6, &e, &stored), 0);
  EXPECT_FALSE(stored);
  EXPECT_EQ(e.level, 13);
  EXPECT_EQ(store_delete(store(), kEntryKind, 6), 0);
}

TEST_F(StoreTest, UpdateChangesOnlyAStoredRecord) {
  Entry e{};
  e.level = 1;
  EXPECT_EQ(store_update(store(), kEntryKind, 2, &e), -1);
  ASSERT_EQ(store_write(store(), kEntryKind, 2, &e), 0);
  e.level = 2;
  EXPECT_EQ(store_update(store(), kEntryKind, 2, &e), 0);
  ASSERT_EQ(store_read(store(), kEntryKind, 2, &e), 0);
  EXPECT_EQ(e.level, 2);
  EXPECT_EQ(sql("SELECT count(*) FROM entry"), "1\n");
}

TEST_F(StoreTest, ColumnCopyChangesOneFieldOfTheSelectedChannels) {
  auto r = full_record(4);
  ASSERT_EQ(store_write(store(), kEverythingKind, 1, r.get()), 0);
  ASSERT_EQ(store_copy_column_int(store(), kEverythingKind, "i32", 77, 0b1110), 0);
  auto back = std::make_unique<Everything>();
  ASSERT_EQ(store_read(store(), kEverythingKind, 1, back.get()), 0);
  EXPECT_EQ(back->i32, 77);
  EXPECT_STREQ(back->text, "chan4");  // the rest as stored
  bool stored = false;
  ASSERT_EQ(store_read(store(), kEverythingKind, 3, back.get(), &stored), 0);
  EXPECT_TRUE(stored);
  EXPECT_EQ(back->i32, 77);
  EXPECT_STREQ(back->text, "");
  ASSERT_EQ(store_read(store(), kEverythingKind, 0, back.get(), &stored), 0);
  EXPECT_FALSE(stored);

  EXPECT_EQ(store_copy_column_int(store(), kEverythingKind, "text", 1, 1), -1);
  EXPECT_EQ(store_copy_column_int(store(), kEverythingKind, "channel", 1, 1), -1);
  EXPECT_EQ(store_copy_column_int(store(), kEverythingKind, "nosuch", 1, 1), -1);
  // Saturated at the field's type, as every integer conversion is.
  ASSERT_EQ(store_copy_column_int(store(), kEverythingKind, "i8", 1000, 2), 0);
  ASSERT_EQ(store_read(store(), kEverythingKind, 1, back.get()), 0);
  EXPECT_EQ(back->i8, 127);
}

TEST_F(StoreTest, FindReturnsTheLowestKeyWithTheValue) {
  for (auto [id, name, level] : {std::tuple{9, "bob", 1}, {4, "bob", 2}, {6, "amy", 2}}) {
    Entry e{};
    std::snprintf(e.name, sizeof e.name, "%s", name);
    e.level = level;
    ASSERT_EQ(store_write(store(), kEntryKind, id, &e), 0);
  }
  Entry e;
  ASSERT_EQ(store_find(store(), kEntryKind, "name", "bob", &e), 0);
  EXPECT_EQ(e.id, 4);
  ASSERT_EQ(store_find(store(), kEntryKind, "level", int64_t{2}, &e), 0);
  EXPECT_EQ(e.id, 4);
  EXPECT_EQ(store_find(store(), kEntryKind, "name", "Bob", &e), -1);
  EXPECT_EQ(store_find(store(), kEntryKind, "name", "", &e), -1);
  EXPECT_EQ(store_find(store(), kEntryKind, "name", static_cast<const char*>(nullptr), &e), -1);
  EXPECT_EQ(store_find(store(), kEntryKind, "nosuch", "bob", &e), -1);
  EXPECT_EQ(store_find(store(), kEntryKind, "name", "zed", &e), -1);
  EXPECT_EQ(e.id, 0);  // defaults of the first key
}

TEST_F(StoreTest, AddTakesTheLowestFreeSlot) {
  Entry e{};
  e.enable = 1;
  int64_t key = -1;
  ASSERT_EQ(store_add(store(), kEntryKind, &e, "enable", &key), 0);
  EXPECT_EQ(key, 0);
  EXPECT_EQ(e.id, 0);
  ASSERT_EQ(store_add(store(), kEntryKind, &e, "enable", &key), 0);
  EXPECT_EQ(key, 1);
  Entry freed{};
  ASSERT_EQ(store_write(store(), kEntryKind, 0, &freed), 0);  // enable 0: free again
  ASSERT_EQ(store_add(store(), kEntryKind, &e, "enable", &key), 0);
  EXPECT_EQ(key, 0);
  for (int expected = 2; expected < 32; ++expected) {
    ASSERT_EQ(store_add(store(), kEntryKind, &e, "enable", &key), 0);
    EXPECT_EQ(key, expected);
  }
  key = -7;
  EXPECT_EQ(store_add(store(), kEntryKind, &e, "enable", &key), -1);
  EXPECT_EQ(key, -7);
  int count = 0;
  ASSERT_EQ(store_count(store(), kEntryKind, &count, "enable", 1), 0);
  EXPECT_EQ(count, 32);
}

TEST_F(StoreTest, TableOverridesKeepTheSameKindApartAndMustBeIdentifiers) {
  Entry a{}, b{};
  a.level = 1;
  b.level = 2;
  ASSERT_EQ(store_write(store(), kEntryKind, 0, &a, "motion_entry"), 0);
  ASSERT_EQ(store_write(store(), kEntryKind, 0, &b, "video_loss_entry"), 0);
  Entry back;
  ASSERT_EQ(store_read(store(), kEntryKind, 0, &back, nullptr, "motion_entry"), 0);
  EXPECT_EQ(back.level, 1);
  ASSERT_EQ(store_read(store(), kEntryKind, 0, &back, nullptr, "video_loss_entry"), 0);
  EXPECT_EQ(back.level, 2);

  const std::string long_name(64, 'a');
  for (const char* bad : {"", "a-b", "a b", "x\"y", "9lives", "sqlite_master", long_name.c_str(),
                          "t;DROP TABLE entry"})
    EXPECT_EQ(store_write(store(), kEntryKind, 0, &a, bad), -1) << bad;
  EXPECT_EQ(store_write(store(), kEntryKind, 0, &a, std::string(63, 'a').c_str()), 0);
}

TEST_F(StoreTest, TablesOfOtherVersionsKeepUnknownColumnsAndGainMissingOnes) {
  // Written by a version that had a "legacy" field and no "level" yet.
  sql("CREATE TABLE entry (id INTEGER NOT NULL PRIMARY KEY, enable INTEGER, name TEXT, legacy "
      "TEXT)");
  sql("INSERT INTO entry VALUES (3, 1, 'old', 'keep me')");
  Entry e;
  bool stored = false;
  ASSERT_EQ(store_read(store(), kEntryKind, 3, &e, &stored), 0);
  EXPECT_TRUE(stored);
  EXPECT_STREQ(e.name, "old");
  EXPECT_EQ(e.level, 10);  // the missing column reads as the default

  e.level = 42;
  ASSERT_EQ(store_write(store(), kEntryKind, 3, &e), 0);
  EXPECT_EQ(sql("SELECT id, enable, name, legacy, level FROM entry"), "3|1|old|keep me|42\n");
  store_close_all();
  ASSERT_EQ(store_read(store(), kEntryKind, 3, &e), 0);
  EXPECT_EQ(e.level, 42);
}

TEST_F(StoreTest, StoredValuesThatDoNotFitAreCutNotOverrun) {
  sql("CREATE TABLE everything (channel INTEGER NOT NULL PRIMARY KEY, i8 INTEGER, text TEXT, "
      "bytes BLOB, ints TEXT, rows TEXT, u16 TEXT)");
  sql("INSERT INTO everything VALUES (1, 100000, 'abcdefghijklmnopqrstuvwxyz', "
      "x'0102030405060708090a0b', '[1,2,3,4,5,6]', 'not json', 'seven')");
  sql("INSERT INTO everything VALUES (2, NULL, NULL, NULL, '{\"a\":1}', '[{\"sections\":7}]', "
      "'12')");
  auto r = std::make_unique<Everything>();
  ASSERT_EQ(store_read(store(), kEverythingKind, 1, r.get()), 0);
  EXPECT_EQ(r->i8, 127);
  EXPECT_STREQ(r->text, "abcdefghijklmno");
  const unsigned char bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(std::memcmp(r->bytes, bytes, 8), 0);
  EXPECT_EQ(r->ints[3], 4);
  EXPECT_EQ(r->rows[0].sections[0].start[0], '\0');
  EXPECT_EQ(r->u16, 0);
  ASSERT_EQ(store_read(store(), kEverythingKind, 2, r.get()), 0);
  EXPECT_EQ(r->i8, 0);
  EXPECT_EQ(r->ints[0], 0);
  EXPECT_EQ(r->u16, 12);
}

TEST_F(StoreTest, ATableWithoutTheKeyColumnIsRefused) {
  sql("CREATE TABLE entry (other INTEGER PRIMARY KEY, name TEXT)");
  Entry e{};
  EXPECT_EQ(store_write(store(), kEntryKind, 1, &e), -1);
  EXPECT_EQ(store_read(store(), kEntryKind, 1, &e), -1);
  EXPECT_STRNE(store_last_error(), "");
  int count = 0;
  EXPECT_EQ(store_list(store(), kEntryKind, &e, 1, &count), -1);
}

TEST_F(StoreTest, NullArgumentsFail) {
  Entry e{};
  EXPECT_EQ(store_read(nullptr, kEntryKind, 0, &e), -1);
  EXPECT_EQ(store_read(store(), kEntryKind, 0, nullptr), -1);
  EXPECT_EQ(store_write(store(), kEntryKind, 0, nullptr), -1);
  EXPECT_EQ(store_write(nullptr, kEntryKind, 0, &e), -1);
  EXPECT_EQ(store_copy_mask(store(), kEntryKind, nullptr, 1), -1);
  EXPECT_EQ(store_count(store(), kEntryKind, nullptr), -1);
  int64_t key;
  EXPECT_EQ(store_add(store(), kEntryKind, &e, nullptr, &key), -1);
  EXPECT_EQ(store_add(store(), kEntryKind, &e, "name", &key), -1);
}

}  // namespace

namespace {

// A failing call writes its reason, SQLite's own text included, to standard error (the
// request process's error log); a find that matches nothing is a result and stays quiet.
TEST_F(StoreTest, FailuresAreWrittenToStandardError) {
  nvrtest::process_temp_root().write(store_, std::string(4096, 'x'));  // not a database
  Entry e{};
  const struct {
    const char* what;
    std::function<int()> call;
    const char* expected;  // in standard error; null: nothing written
  } cases[] = {
      {"write", [&] { return store_write(store(), kEntryKind, 1, &e); }, "file is not a database"},
      {"read", [&] { return store_read(store(), kEntryKind, 1, &e); }, "file is not a database"},
      {"key", [&] { return store_write(store(), kEntryKind, 9999, &e); }, "key out of range"},
      {"find", [&] { return store_find(store(), kEntryKind, "name", "", &e); }, nullptr},
  };
  for (const auto& c : cases) {
    store_close_all();
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.call(), -1) << c.what;
    const std::string err = testing::internal::GetCapturedStderr();
    if (c.expected == nullptr) {
      EXPECT_EQ(err, "") << c.what;
      continue;
    }
    EXPECT_EQ(err, "store: " + std::string(store_last_error()) + "\n") << c.what;
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.what << ": " << err;
  }
}

}  // namespace
