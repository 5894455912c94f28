// The account record (store kind "user"): up to 100 accounts in slots 0 to 99, read at
// login and managed by the account pages. This file is also the pattern for every
// record kind: a fixed-layout struct, its field table (in user_record.cpp) and one-line
// named operations over the generic store.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "kind_store.h"
#include "field_table.h"

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

inline  // Table order is the order of the account list answer.
    constexpr FieldDesc kUserFields[] = {
        NVR_FIELD(UserRecord, id, "id").range(0, kMaxUsers - 1),
        NVR_FIELD(UserRecord, enable, "enable").range(0, 1),
        NVR_FIELD(UserRecord, name, "name"),
        NVR_FIELD(UserRecord, password, "password"),
        NVR_FIELD(UserRecord, type, "type").range(0, 3),
        NVR_FIELD(UserRecord, permission, "permission").range(-1, INT32_MAX),
        NVR_FIELD(UserRecord, local_live_view, "localLiveView"),
        NVR_FIELD(UserRecord, local_playback, "localPlayback"),
        NVR_FIELD(UserRecord, local_retrieve, "localRetrieve"),
        NVR_FIELD(UserRecord, local_smart_analysis, "localSmartAnalysis"),
        NVR_FIELD(UserRecord, local_event, "localEvent"),
        NVR_FIELD(UserRecord, local_camera, "localCamera"),
        NVR_FIELD(UserRecord, local_storage, "localStorage"),
        NVR_FIELD(UserRecord, local_settings, "localSettings"),
        NVR_FIELD(UserRecord, local_status, "localStatus"),
        NVR_FIELD(UserRecord, local_shutdown, "localShutdown"),
        NVR_FIELD(UserRecord, local_live_view_channels, "localliveview"),
        NVR_FIELD(UserRecord, local_playback_channels, "localplayback"),
        NVR_FIELD(UserRecord, remote_permission, "remotePermission").range(-1, INT32_MAX),
        NVR_FIELD(UserRecord, remote_live_view, "remoteLiveView"),
        NVR_FIELD(UserRecord, remote_playback, "remotePlayback"),
        NVR_FIELD(UserRecord, remote_retrieve, "remoteRetrieve"),
        NVR_FIELD(UserRecord, remote_smart_analysis, "remoteSmartAnalysis"),
        NVR_FIELD(UserRecord, remote_event, "remoteEvent"),
        NVR_FIELD(UserRecord, remote_camera, "remoteCamera"),
        NVR_FIELD(UserRecord, remote_storage, "remoteStorage"),
        NVR_FIELD(UserRecord, remote_settings, "remoteSettings"),
        NVR_FIELD(UserRecord, remote_status, "remoteStatus"),
        NVR_FIELD(UserRecord, remote_shutdown, "remoteShutdown"),
        NVR_FIELD(UserRecord, remote_live_view_channels, "remoteliveview"),
        NVR_FIELD(UserRecord, remote_playback_channels, "remoteplayback"),
        NVR_FIELD(UserRecord, local_live_view_mask, nullptr),
        NVR_FIELD(UserRecord, local_playback_mask, nullptr),
        NVR_FIELD(UserRecord, remote_live_view_mask, nullptr),
        NVR_FIELD(UserRecord, remote_playback_mask, nullptr),
        NVR_FIELD(UserRecord, extra, nullptr),
};

inline constexpr RecordKind kUserKind{.name = "user",
                                      NVR_KIND_FIELDS(UserRecord, kUserFields),
                                      .key = {"id", 0, kMaxUsers - 1},
                                      .list_every_slot = true};
static_assert(record_kind_is_valid(kUserKind));
NVR_STORE_KIND(UserRecord, kUserKind);

// The keys of the login answer, in its order, where they differ from the account list's
// ("userName", and "remotePermisson" as the login page spells it).
inline constexpr auto kUserLoginKeys =
    pick_renamed(kUserKind, {{"name", "userName"},
                             {"permission", "permission"},
                             {"local_live_view", "localLiveView"},
                             {"local_playback", "localPlayback"},
                             {"local_retrieve", "localRetrieve"},
                             {"local_smart_analysis", "localSmartAnalysis"},
                             {"local_event", "localEvent"},
                             {"local_camera", "localCamera"},
                             {"local_storage", "localStorage"},
                             {"local_settings", "localSettings"},
                             {"local_status", "localStatus"},
                             {"local_shutdown", "localShutdown"},
                             {"local_live_view_channels", "localliveview"},
                             {"local_playback_channels", "localplayback"},
                             {"remote_permission", "remotePermisson"},
                             {"remote_live_view", "remoteLiveView"},
                             {"remote_playback", "remotePlayback"},
                             {"remote_retrieve", "remoteRetrieve"},
                             {"remote_smart_analysis", "remoteSmartAnalysis"},
                             {"remote_event", "remoteEvent"},
                             {"remote_camera", "remoteCamera"},
                             {"remote_storage", "remoteStorage"},
                             {"remote_settings", "remoteSettings"},
                             {"remote_status", "remoteStatus"},
                             {"remote_shutdown", "remoteShutdown"},
                             {"remote_live_view_channels", "remoteliveview"},
                             {"remote_playback_channels", "remoteplayback"}});

// The account with this name (exact, case-sensitive). 0 when found; -1 when no account
// has the name, the name is empty or the store fails: rec->id is then -1.
int read_user_by_name(const char* store, const char* name, UserRecord* rec);
// The number of accounts in use (enable 1).
int read_user_count(const char* store, int* count);
// Stores the account (enable must be 1) in the lowest free slot and sets rec->id and
// *id to it; -1 when all 100 slots are in use or enable is 0.
int add_user(const char* store, UserRecord* rec, int* id);

// The slot of the account in use whose name has the same first 31 characters as `name`
// (the length account names are compared at); -1 when none does or the name is empty.
// 0, or -1 when the store cannot be read.
int find_user_by_name31(const char* store, const char* name, int* id);

// Sets the four 32-bit channel masks from the channel texts: bit i when character i (0 to
// 31) of the text is "1".
void user_fill_channel_masks(UserRecord* rec);
