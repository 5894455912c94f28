// The account record (store kind "user"): up to 100 accounts in slots 0 to 99, read at
// login and managed by the account pages. This file is also the pattern for every
// record kind: a fixed-layout struct, its field table (in user_record.cpp) and one-line
// named operations over the generic store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "dvdb.h"
#include "record.h"

inline constexpr int kMaxUsers = 100;

struct UserRecord {
  int32_t id;      // slot 0 to 99
  int32_t enable;  // 1 in use, 0 free slot
  char name[64];
  char password[33];  // MD5 of the password, 32 hexadecimal characters
  int32_t type;       // 0 to 3; type 3 cannot log in
  int32_t permission;
  int32_t local_live_view;
  int32_t local_playback;
  int32_t local_retrieve;
  int32_t local_smart_analysis;
  int32_t local_event;
  int32_t local_camera;
  int32_t local_storage;
  int32_t local_settings;
  int32_t local_status;
  int32_t local_shutdown;
  char local_live_view_channels[65];  // "0"/"1" per channel, character i for channel i + 1
  char local_playback_channels[65];
  int32_t remote_permission;
  int32_t remote_live_view;
  int32_t remote_playback;
  int32_t remote_retrieve;
  int32_t remote_smart_analysis;
  int32_t remote_event;
  int32_t remote_camera;
  int32_t remote_storage;
  int32_t remote_settings;
  int32_t remote_status;
  int32_t remote_shutdown;
  char remote_live_view_channels[65];
  char remote_playback_channels[65];
  // Bit i set when character i (0 to 31) of the matching channel text is "1".
  uint32_t local_live_view_mask;
  uint32_t local_playback_mask;
  uint32_t remote_live_view_mask;
  uint32_t remote_playback_mask;
  char extra[32];  // set to "0" when an account is added
};
static_assert(sizeof(UserRecord) == 512);
static_assert(offsetof(UserRecord, type) == 108);
static_assert(offsetof(UserRecord, remote_permission) == 288);
static_assert(std::is_trivially_copyable_v<UserRecord>);

extern const RecordKind kUserKind;

// The keys of the login answer, in its order, where they differ from the account list's
// ("userName", and "remotePermisson" as the login page spells it).
extern const JsonKeyMap kUserLoginKeys[];
extern const int kUserLoginKeyCount;

// The account with this name (exact, case-sensitive). 0 when found; -1 when no account
// has the name, the name is empty or the store fails: rec->id is then -1.
int read_user_by_name(const char* store, const char* name, UserRecord* rec);
// The account in slot `id` (a free or never-written slot reads as zero with enable 0).
int read_user(const char* store, UserRecord* rec, int id);
// All 100 slots in slot order (*count = 100 when `capacity` allows); free slots have
// enable 0.
int read_users(const char* store, UserRecord* recs, int capacity, int* count);
// The number of accounts in use (enable 1).
int read_user_count(const char* store, int* count);
// Stores the account in slot rec->id.
int write_user(const char* store, const UserRecord* rec);
// Stores the account (enable must be 1) in the lowest free slot and sets rec->id and
// *id to it; -1 when all 100 slots are in use or enable is 0.
int add_user(const char* store, UserRecord* rec, int* id);
