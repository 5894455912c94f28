// The upgrade requests' exchange with the core: local and online recorder upgrades, camera
// upgrades and version checks, their payloads and answers, and the answer rows the module's
// router joins.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "cgi_ipc.h"
#include "field_table.h"

inline constexpr int kUpgradeStart = 1713;          // int32 reset flag, answered by 6713
inline constexpr int kOnlineCheck = 1715;           // no payload, answered by 6715
inline constexpr int kOnlineDownload = 1716;        // OnlineDownload, answered by 6716
inline constexpr int kOnlineRemove = 1717;          // no payload, answered by 6717
inline constexpr int kUpgradePrepare = 1721;        // no payload, no answer
inline constexpr int kCameraUpgradeStart = 3350;    // CameraUpgradeStart, answered by 8350
inline constexpr int kCameraUpgradeStop = 3351;     // no payload, no answer
inline constexpr int kCameraOnlineCheck = 3365;     // uint64 channel mask, answered by 8365
inline constexpr int kUpgradeStartAnswer = 6713;    // int32 status, 0 = success
inline constexpr int kOnlineCheckAnswer = 6715;     // UpgradeInfo records
inline constexpr int kOnlineDownloadAnswer = 6716;  // int32 result
inline constexpr int kOnlineRemoveAnswer = 6717;    // int32 result
inline constexpr int kCameraUpgradeAnswer = 8350;   // CameraUpgradeResult records
inline constexpr int kCameraOnlineAnswer = 8365;    // up to 64 UpgradeInfo records

inline constexpr const char* kRecorderImage = "/dev/shm/updateFM.bin";
inline constexpr const char* kCameraImage = "/dev/shm/updateIPCFM.bin";
inline constexpr int kCameraCheckRecords = 64;

struct UpgradeInfo {
  int32_t state;
  int32_t file_size;
  char softversion[64];
  char url[128];
  char description[128];
};
static_assert(sizeof(UpgradeInfo) == 328);
static_assert(offsetof(UpgradeInfo, softversion) == 8);
static_assert(offsetof(UpgradeInfo, url) == 72);
static_assert(offsetof(UpgradeInfo, description) == 200);
static_assert(std::is_trivially_copyable_v<UpgradeInfo>);

// The answer's fields under the pages' keys; not a store kind. Texts are read within their
// fields.
inline constexpr FieldDesc kUpgradeInfoFields[] = {
    NVR_FIELD(UpgradeInfo, state, "state"),
    NVR_FIELD(UpgradeInfo, file_size, "fileSize"),
    NVR_FIELD(UpgradeInfo, softversion, "softversion"),
    NVR_FIELD(UpgradeInfo, url, "url"),
    NVR_FIELD(UpgradeInfo, description, "description"),
};
inline constexpr RecordKind kUpgradeInfoKind{.name = "upgrade_info",
                                             NVR_KIND_FIELDS(UpgradeInfo, kUpgradeInfoFields)};
static_assert(record_kind_is_valid(kUpgradeInfoKind));

struct CameraUpgradeStart {
  int32_t chnid;
  int32_t reset;
  char path[256];  // the camera image
};
static_assert(sizeof(CameraUpgradeStart) == 264);
static_assert(offsetof(CameraUpgradeStart, path) == 8);
static_assert(std::is_trivially_copyable_v<CameraUpgradeStart>);

struct CameraUpgradeResult {
  int32_t chnid;
  int32_t status;
};
static_assert(sizeof(CameraUpgradeResult) == 8);
static_assert(std::is_trivially_copyable_v<CameraUpgradeResult>);

struct OnlineDownload {
  char url[128];   // cut to 127 characters
  char path[128];  // the image to write
};
static_assert(sizeof(OnlineDownload) == 256);
static_assert(offsetof(OnlineDownload, path) == 128);
static_assert(std::is_trivially_copyable_v<OnlineDownload>);

// The core's status of the last 1713, apart from g_callback_done (which only says that an
// answer came): a status of 1 is a failure like any other non-zero one.
extern std::atomic<int> g_upgrade_status;

int on_upgrade_status_cb(int count, const void* payload);
int on_online_check_cb(int count, const void* payload);
int on_upgrade_result_cb(int count, const void* payload);
int on_start_upgrade_camera_cb(int count, const void* payload);
int on_check_ipc_online_cb(int count, const void* payload);
inline constexpr IpcAnswerRoute kUpgradeAnswers[] = {
    {kUpgradeStartAnswer, sizeof(int32_t), on_upgrade_status_cb},
    {kOnlineCheckAnswer, sizeof(UpgradeInfo), on_online_check_cb},
    {kOnlineDownloadAnswer, sizeof(int32_t), on_upgrade_result_cb},
    {kOnlineRemoveAnswer, sizeof(int32_t), on_upgrade_result_cb},
    {kCameraUpgradeAnswer, sizeof(CameraUpgradeResult), on_start_upgrade_camera_cb},
    {kCameraOnlineAnswer, sizeof(UpgradeInfo), on_check_ipc_online_cb},
};

// The reset flag of a local upgrade's request text ("temp & <query>"): 1 when the query,
// up to its first white space, contains "reset". Read with bounds, whatever its length.
[[nodiscard]] int upgrade_reset_flag(const char* text);
// The channel mask of a "ch" text: character i "1" sets bit i; reading stops at the first
// character other than "0" and "1", and after 64.
[[nodiscard]] uint64_t upgrade_channel_mask(const char* text);
