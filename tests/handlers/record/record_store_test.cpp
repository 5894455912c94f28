// The recording records in the store: column copies by mask, record schedules with all
// 48 sections, the camera columns beside the camera table's other columns, holidays.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "dvdb.h"
#include "nvr_root.h"
#include "record/record_store.h"

namespace {

class RecordStore : public ::testing::Test {
 protected:
  void SetUp() override {
    store_close_all();
    for (const char* suffix : {"", "-wal", "-shm"})
      std::remove((nvr_path(kStoreMain) + suffix).c_str());
  }
};

constexpr uint64_t bit(int c) {
  return uint64_t{1} << c;
}

TEST_F(RecordStore, CopyTableColumnIntSetsTheColumnOfTheSelectedChannelsOnly) {
  RecordSettings rec{};
  rec.audio_enable = 1;
  rec.record_exp_date = 30;
  for (int c : {1, 2}) {
    rec.id = c;
    ASSERT_EQ(store_write(kStoreMain, rec), 0);
  }
  ASSERT_EQ(
      copy_table_column_int(kStoreMain, kRecordSettingsKind, "mode", 2, bit(1) | bit(5), "id"), 0);

  RecordSettings all[kMaxChannels];
  int count = 0;
  ASSERT_EQ(store_list(kStoreMain, all, &count), 0);
  ASSERT_EQ(count, kMaxChannels);
  EXPECT_EQ(all[1].mode, 2);
  EXPECT_EQ(all[1].audio_enable, 1);  // the other columns stay
  EXPECT_EQ(all[1].record_exp_date, 30);
  EXPECT_EQ(all[2].mode, 0);
  EXPECT_EQ(all[5].mode, 2);  // never written: defaults plus the value
  EXPECT_EQ(all[5].audio_enable, 0);
  for (int c = 0; c < kMaxChannels; ++c) EXPECT_EQ(all[c].id, c);
}

TEST_F(RecordStore, CopyTableColumnIntRefusals) {
  const struct {
    const RecordKind* kind;
    const char* column;
    uint64_t mask;
    const char* key;
  } cases[] = {
      {&kRecordSettingsKind, "mode", bit(1), "channel"},  // not the table's key column
      {&kRecordSettingsKind, "mode", bit(1), nullptr},
      {&kRecordSettingsKind, "no_such", bit(1), "id"},
      {&kRecordSettingsKind, "id", bit(1), "id"},         // the key itself
      {&kHolidayKind, "name", bit(1), "id"},              // a text column
      {&kHolidayKind, "enable", bit(1) | bit(40), "id"},  // holiday 40 does not exist
  };
  for (const auto& c : cases)
    EXPECT_EQ(copy_table_column_int(kStoreMain, *c.kind, c.column, 1, c.mask, c.key), -1)
        << c.column;
  // The refused holiday copy stored nothing, not even the holiday in range.
  HolidayRecord holidays[kMaxHolidays];
  int count = 0;
  ASSERT_EQ(store_list(kStoreMain, holidays, &count), 0);
  EXPECT_EQ(holidays[1].enable, 0);
  EXPECT_EQ(copy_table_column_int(kStoreMain, kRecordSettingsKind, "mode", 1, 0, "id"), 0);
}

// The camera table belongs to the camera pages; recording changes two of its columns.
TEST_F(RecordStore, CameraColumnsChangeWithoutTouchingTheCamerasOtherColumns) {
  CameraRecord cam{};
  ASSERT_EQ(store_read(kStoreMain, 3, &cam), 0);
  std::strcpy(cam.ipaddr, "10.0.0.5");
  cam.record_stream = 2;
  ASSERT_EQ(store_write(kStoreMain, cam), 0);
  ASSERT_EQ(copy_table_column_int(kStoreMain, kCameraKind, "anr", 1, bit(3), "id"), 0);
  ASSERT_EQ(copy_table_column_int(kStoreMain, kCameraKind, "record_stream", 1, bit(3), "id"), 0);

  CameraRecord back{};
  ASSERT_EQ(store_read(kStoreMain, 3, &back), 0);
  EXPECT_EQ(back.id, 3);
  EXPECT_STREQ(back.ipaddr, "10.0.0.5");
  EXPECT_EQ(back.anr, 1);
  EXPECT_EQ(back.record_stream, 1);
}

TEST_F(RecordStore, RecordSchedulesKeepAll48SectionsAndNameTheirChannel) {
  auto schedule = std::make_unique<RecordSchedule>();
  std::memset(schedule.get(), 0, sizeof *schedule);
  ScheduleSection& last = schedule->day[7].section[47];
  std::strcpy(last.start, "23:30");
  std::strcpy(last.end, "24:00");
  last.action = 2;
  schedule->day[2].wholeDay = 1;
  schedule->day[2].wholeDayAction = 3;
  ASSERT_EQ(store_copy_mask(kStoreMain, *schedule, bit(2) | bit(63)), 0);

  auto back = std::make_unique<RecordSchedule>();
  ASSERT_EQ(store_read(kStoreMain, 63, back.get()), 0);
  EXPECT_EQ(back->id, 63);
  EXPECT_STREQ(back->day[7].section[47].start, "23:30");
  EXPECT_STREQ(back->day[7].section[47].end, "24:00");
  EXPECT_EQ(back->day[7].section[47].action, 2);
  EXPECT_EQ(back->day[2].wholeDay, 1);
  EXPECT_EQ(back->day[2].wholeDayAction, 3);

  ASSERT_EQ(store_read(kStoreMain, 3, back.get()), 0);  // not in the mask
  EXPECT_EQ(back->id, 3);
  EXPECT_STREQ(back->day[7].section[47].start, "");
  EXPECT_EQ(store_read(kStoreMain, 64, back.get()), -1);
}

TEST_F(RecordStore, WriteRecordsStoresTheMaskedChannelsOnly) {
  RecordSettings all[kMaxChannels];
  int count = 0;
  ASSERT_EQ(store_list(kStoreMain, all, &count), 0);
  for (auto& r : all) r.mode = 1;
  ASSERT_EQ(
      store_write_selected(kStoreMain, std::span<const RecordSettings>(all), bit(0) | bit(63)), 0);
  ASSERT_EQ(store_list(kStoreMain, all, &count), 0);
  for (int c = 0; c < kMaxChannels; ++c) EXPECT_EQ(all[c].mode, c == 0 || c == 63 ? 1 : 0) << c;
}

TEST_F(RecordStore, HolidaysListEverySlotInIdOrder) {
  HolidayRecord h{};
  h.id = 31;
  std::strcpy(h.name, "New Year");
  h.enable = 1;
  ASSERT_EQ(store_write(kStoreMain, h), 0);
  h.id = 32;
  EXPECT_EQ(store_write(kStoreMain, h), -1);

  HolidayRecord holidays[kMaxHolidays];
  int count = 0;
  ASSERT_EQ(store_list(kStoreMain, holidays, &count), 0);
  ASSERT_EQ(count, kMaxHolidays);
  for (int i = 0; i < kMaxHolidays; ++i) EXPECT_EQ(holidays[i].id, i);
  EXPECT_STREQ(holidays[31].name, "New Year");
  EXPECT_EQ(holidays[31].enable, 1);
  EXPECT_STREQ(holidays[0].name, "");
}

}  // namespace
