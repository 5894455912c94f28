// A fisheye camera's mounting and display ("/6130", "/6131"), and the check and setup of a
// fisheye camera by its address before it is added ("/6196", "/6197"). The camera answers
// through the core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "cgi_ipc.h"
#include "field_table.h"
#include "ipc_router.h"

inline constexpr int kFisheyeSet = 3231;          // FisheyeRecord; waits for 8231
inline constexpr int kFisheyeSetAnswer = 8231;    // int32 result, 0 = done
inline constexpr int kFisheyeGet = 3232;          // int32 channel; waits for 8232
inline constexpr int kFisheyeAnswer = 8232;       // FisheyeRecord
inline constexpr int kFisheyeCheck = 3373;        // FisheyeSetup up to "transfer"; waits for 8373
inline constexpr int kFisheyeSupport = 8373;      // FisheyeSupport
inline constexpr int kFisheyeSetup = 3374;        // FisheyeSetup; waits for 8374
inline constexpr int kFisheyeSetupAnswer = 8374;  // int32 result

struct FisheyeRecord {
  int32_t chnid;
  int32_t fishmount;    // how the camera hangs (ceiling, wall, desk)
  int32_t fishdisplay;  // the view the camera streams
  int32_t fishcorrect;  // where the picture is dewarped
  int32_t result;       // in an answer: 0 when the camera gave its settings
};
static_assert(sizeof(FisheyeRecord) == 20);
static_assert(std::is_trivially_copyable_v<FisheyeRecord>);

inline constexpr FieldDesc kFisheyeFields[] = {
    NVR_FIELD(FisheyeRecord, chnid, "chnid").range(0, 63),
    NVR_FIELD(FisheyeRecord, fishmount, "fishmount").range(0, INT32_MAX),
    NVR_FIELD(FisheyeRecord, fishdisplay, "fishdisplay").range(0, INT32_MAX),
    NVR_FIELD(FisheyeRecord, fishcorrect, "fishcorrect").range(0, INT32_MAX),
    NVR_FIELD(FisheyeRecord, result, "result"),
};
inline constexpr RecordKind kFisheyeKind{.name = "fisheye",
                                         NVR_KIND_FIELDS(FisheyeRecord, kFisheyeFields)};
static_assert(record_kind_is_valid(kFisheyeKind));

inline constexpr std::size_t kFisheyeText = 64;

// The camera to check (3373, the first 260 bytes) or to set up (3374), by address and
// login.
struct FisheyeSetup {
  char ddns[kFisheyeText];
  char ipaddr[kFisheyeText];
  char username[kFisheyeText];
  char password[kFisheyeText];
  int32_t port;
  int32_t transfer;
  int32_t install;
  int32_t display;
};
static_assert(sizeof(FisheyeSetup) == 272);
static_assert(offsetof(FisheyeSetup, port) == 256);
static_assert(offsetof(FisheyeSetup, transfer) == 260);
static_assert(std::is_trivially_copyable_v<FisheyeSetup>);
inline constexpr std::size_t kFisheyeCheckSize = offsetof(FisheyeSetup, transfer);

inline constexpr FieldDesc kFisheyeSetupFields[] = {
    NVR_FIELD(FisheyeSetup, ddns, "ddns"),
    NVR_FIELD(FisheyeSetup, ipaddr, "ipaddr"),
    NVR_FIELD(FisheyeSetup, username, "username"),
    NVR_FIELD(FisheyeSetup, password, "password"),
    NVR_FIELD(FisheyeSetup, port, "port").range(1, 65535),
    NVR_FIELD(FisheyeSetup, transfer, "transfer").range(0, INT32_MAX),
    NVR_FIELD(FisheyeSetup, install, "install").range(0, INT32_MAX),
    NVR_FIELD(FisheyeSetup, display, "display").range(0, INT32_MAX),
};
inline constexpr RecordKind kFisheyeSetupKind{.name = "fisheye_setup",
                                              NVR_KIND_FIELDS(FisheyeSetup, kFisheyeSetupFields)};
static_assert(record_kind_is_valid(kFisheyeSetupKind));

struct FisheyeSupport {
  int32_t support;  // 1: the camera is a fisheye camera
  int32_t transfer;
  int32_t install;
  int32_t display;
  int32_t streamCnt;
};
static_assert(sizeof(FisheyeSupport) == 20);
static_assert(std::is_trivially_copyable_v<FisheyeSupport>);

inline constexpr FieldDesc kFisheyeSupportFields[] = {
    NVR_FIELD(FisheyeSupport, support, "support"),
    NVR_FIELD(FisheyeSupport, transfer, "transfer"),
    NVR_FIELD(FisheyeSupport, install, "install"),
    NVR_FIELD(FisheyeSupport, display, "display"),
    NVR_FIELD(FisheyeSupport, streamCnt, "streamCnt"),
};
inline constexpr RecordKind kFisheyeSupportKind{
    .name = "fisheye_support", NVR_KIND_FIELDS(FisheyeSupport, kFisheyeSupportFields)};
static_assert(record_kind_is_valid(kFisheyeSupportKind));

int on_get_fisheye_info(char* text);
int on_cgi_set_fisheye_mode(char* text);
int on_cgi_check_fisheye_info(char* text);
int on_cgi_set_fisheye_info(char* text);
int on_get_fisheye_info_cb(int count, const void* payload);
int on_cgi_check_fisheye_info_cb(int count, const void* payload);
int on_cgi_set_fisheye_info_cb(int count, const void* payload);

inline constexpr IpcAnswerRoute kFisheyeAnswers[] = {
    {kFisheyeSetAnswer, sizeof(int32_t), on_cgi_ok_failed_cb},
    {kFisheyeAnswer, sizeof(FisheyeRecord), on_get_fisheye_info_cb},
    {kFisheyeSupport, sizeof(FisheyeSupport), on_cgi_check_fisheye_info_cb},
    {kFisheyeSetupAnswer, sizeof(int32_t), on_cgi_set_fisheye_info_cb},
};
