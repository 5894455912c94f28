// The account store operations that do more than the typed store.
#include "system/user_record.h"

int read_user_by_name(const char* store, const char* name, UserRecord* rec) {
  if (rec == nullptr) return -1;
  if (store_find(store, kUserKind, "name", name, rec) == 0) return 0;
  rec->id = -1;
  return -1;
}

int read_user_count(const char* store, int* count) {
  return store_count(store, kUserKind, count, "enable", 1);
}

int add_user(const char* store, UserRecord* rec, int* id) {
  // A record with enable 0 would leave its slot free for the next add.
  if (rec == nullptr || rec->enable == 0) return -1;
  int64_t slot = -1;
  if (store_add(store, kUserKind, rec, "enable", &slot) != 0) return -1;
  if (id != nullptr) *id = static_cast<int>(slot);
  return 0;
}
