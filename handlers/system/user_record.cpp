// The account store operations that do more than the typed store.
#include "system/user_record.h"

#include <cstring>

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

int find_user_by_name31(const char* store, const char* name, int* id) {
  *id = -1;
  UserRecord users[kMaxUsers];
  int count = 0;
  if (store_list(store, users, &count) != 0) return -1;
  if (name == nullptr || name[0] == '\0') return 0;
  for (int i = 0; i < count && i < kMaxUsers; ++i) {
    const UserRecord& u = users[i];
    if (u.enable != 0 && std::strncmp(u.name, name, 31) == 0) {
      *id = u.id;
      break;
    }
  }
  return 0;
}

namespace {

uint32_t channel_mask_of(const char (&text)[65]) {
  uint32_t mask = 0;
  for (int i = 0; i < 32 && text[i] != '\0'; ++i)
    if (text[i] == '1') mask |= uint32_t{1} << i;
  return mask;
}

}  // namespace

void user_fill_channel_masks(UserRecord* rec) {
  rec->local_live_view_mask = channel_mask_of(rec->local_live_view_channels);
  rec->local_playback_mask = channel_mask_of(rec->local_playback_channels);
  rec->remote_live_view_mask = channel_mask_of(rec->remote_live_view_channels);
  rec->remote_playback_mask = channel_mask_of(rec->remote_playback_channels);
}
