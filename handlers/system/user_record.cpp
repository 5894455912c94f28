// The account kind's field table and its named store operations.
#include "system/user_record.h"

#include <iterator>

namespace {

// Table order is the order of the account list answer.
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

}  // namespace

constexpr RecordKind kUserKind{.name = "user",
                               NVR_KIND_FIELDS(UserRecord, kUserFields),
                               .key = {"id", 0, kMaxUsers - 1},
                               .list_every_slot = true};
static_assert(record_kind_is_valid(kUserKind));

constexpr JsonKeyMap kUserLoginKeys[] = {
    {"name", "userName"},
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
    {"remote_playback_channels", "remoteplayback"},
};
constexpr int kUserLoginKeyCount = static_cast<int>(std::size(kUserLoginKeys));

int read_user_by_name(const char* store, const char* name, UserRecord* rec) {
  if (rec == nullptr) return -1;
  if (store_find(store, kUserKind, "name", name, rec) == 0) return 0;
  rec->id = -1;
  return -1;
}

int read_user(const char* store, UserRecord* rec, int id) {
  return store_read(store, kUserKind, id, rec);
}

int read_users(const char* store, UserRecord* recs, int capacity, int* count) {
  return store_list(store, kUserKind, recs, capacity, count);
}

int read_user_count(const char* store, int* count) {
  return store_count(store, kUserKind, count, "enable", 1);
}

int write_user(const char* store, const UserRecord* rec) {
  return rec != nullptr ? store_write(store, kUserKind, rec->id, rec) : -1;
}

int add_user(const char* store, UserRecord* rec, int* id) {
  // A record with enable 0 would leave its slot free for the next add.
  if (rec == nullptr || rec->enable == 0) return -1;
  int64_t slot = -1;
  if (store_add(store, kUserKind, rec, "enable", &slot) != 0) return -1;
  if (id != nullptr) *id = static_cast<int>(slot);
  return 0;
}
