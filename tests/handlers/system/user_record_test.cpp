// The account kind: its answer key orders, lookup by name, slot allocation and counts.
#include "system/user_record.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <cstring>
#include <string>
#include <vector>

#include "field_json.h"
#include "support/store_fixture.h"
#include "support/temp_root.h"

namespace {

class UserRecordTest : public nvrtest::StoreFixture {
 protected:
};

UserRecord account(const char* name, int type = 1) {
  UserRecord u{};
  u.enable = 1;
  std::snprintf(u.name, sizeof u.name, "%s", name);
  std::snprintf(u.password, sizeof u.password, "%s", "0192023a7bbd73250516f069df18b500");
  u.type = type;
  return u;
}

std::string keys_of(json_object* object) {
  std::string keys;
  json_object_object_foreach(object, key, value) {
    (void)value;
    keys += std::string(key) + " ";
  }
  return keys;
}

TEST(UserRecordKeysTest, TheAccountListAndTheLoginAnswerHaveTheirKeyOrders) {
  UserRecord u = account("admin");
  json_object* list = json_object_new_object();
  ASSERT_EQ(record_to_json(kUserKind, &u, list), 0);
  EXPECT_EQ(keys_of(list),
            "id enable name password type permission localLiveView localPlayback localRetrieve "
            "localSmartAnalysis localEvent localCamera localStorage localSettings localStatus "
            "localShutdown localliveview localplayback remotePermission remoteLiveView "
            "remotePlayback remoteRetrieve remoteSmartAnalysis remoteEvent remoteCamera "
            "remoteStorage remoteSettings remoteStatus remoteShutdown remoteliveview "
            "remoteplayback ");
  json_object_put(list);

  json_object* login = json_object_new_object();
  ASSERT_EQ(record_to_json(kUserLoginKeys, &u, login), 0);
  EXPECT_EQ(keys_of(login),
            "userName permission localLiveView localPlayback localRetrieve localSmartAnalysis "
            "localEvent localCamera localStorage localSettings localStatus localShutdown "
            "localliveview localplayback remotePermisson remoteLiveView remotePlayback "
            "remoteRetrieve remoteSmartAnalysis remoteEvent remoteCamera remoteStorage "
            "remoteSettings remoteStatus remoteShutdown remoteliveview remoteplayback ");
  EXPECT_STREQ(json_object_get_string(json_object_object_get(login, "userName")), "admin");
  json_object_put(login);
}

TEST_F(UserRecordTest, ReadByNameFindsTheAccountOrSetsIdToMinusOne) {
  UserRecord a = account("alice"), b = account("bob", 2);
  a.id = 3;
  b.id = 7;
  ASSERT_EQ(store_write(store(), a), 0);
  ASSERT_EQ(store_write(store(), b), 0);
  UserRecord u{};
  ASSERT_EQ(read_user_by_name(store(), "bob", &u), 0);
  EXPECT_EQ(u.id, 7);
  EXPECT_EQ(u.type, 2);
  for (const char* missing : {"carol", "", "Bob", "bob "}) {
    UserRecord m{};
    EXPECT_EQ(read_user_by_name(store(), missing, &m), -1) << missing;
    EXPECT_EQ(m.id, -1) << missing;
  }
  UserRecord m{};
  EXPECT_EQ(read_user_by_name(store(), nullptr, &m), -1);
  EXPECT_EQ(m.id, -1);
}

TEST_F(UserRecordTest, AddFillsTheLowestFreeSlotAndReadUsersListsEverySlot) {
  int id = -1;
  UserRecord a = account("a"), b = account("b"), c = account("c");
  ASSERT_EQ(add_user(store(), &a, &id), 0);
  EXPECT_EQ(id, 0);
  ASSERT_EQ(add_user(store(), &b, &id), 0);
  EXPECT_EQ(id, 1);
  UserRecord freed{};
  freed.id = 0;
  ASSERT_EQ(store_write(store(), freed), 0);  // deleting: a zeroed record, enable 0
  ASSERT_EQ(add_user(store(), &c, &id), 0);
  EXPECT_EQ(id, 0);
  EXPECT_EQ(c.id, 0);
  UserRecord off = account("off");
  off.enable = 0;
  EXPECT_EQ(add_user(store(), &off, &id), -1);

  int count = -1;
  ASSERT_EQ(read_user_count(store(), &count), 0);
  EXPECT_EQ(count, 2);
  std::vector<UserRecord> all(kMaxUsers + 1);
  ASSERT_EQ(store_list(store(), std::span(all.data(), kMaxUsers), &count), 0);
  EXPECT_EQ(count, kMaxUsers);
  EXPECT_STREQ(all[0].name, "c");
  EXPECT_STREQ(all[1].name, "b");
  EXPECT_EQ(all[2].enable, 0);
  EXPECT_EQ(all[99].id, 99);

  UserRecord slot{};
  ASSERT_EQ(store_read(store(), 1, &slot), 0);
  EXPECT_STREQ(slot.name, "b");
  EXPECT_EQ(store_read(store(), 100, &slot), -1);
}

TEST_F(UserRecordTest, TheHundredAndFirstAccountIsRefused) {
  for (int i = 0; i < kMaxUsers; ++i) {
    UserRecord u = account(("user" + std::to_string(i)).c_str());
    int id = -1;
    ASSERT_EQ(add_user(store(), &u, &id), 0);
    ASSERT_EQ(id, i);
  }
  UserRecord extra = account("extra");
  int id = -1;
  EXPECT_EQ(add_user(store(), &extra, &id), -1);
  int count = 0;
  ASSERT_EQ(read_user_count(store(), &count), 0);
  EXPECT_EQ(count, kMaxUsers);
}

}  // namespace
