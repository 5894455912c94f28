// What the system module exchanges with the core daemon: request types, the fixed-layout
// payloads and answers, the answer tables joined by the module's router, and its CoreLink.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "handler_kit.h"
#include "ipc_router.h"
#include "system/login.h"

// ---- Log pages and upgrade requests (their rows join the router below) ----
#include "system/log_ipc.h"
#include "system/upgrade_ipc.h"
// ---- end: log pages and upgrade requests ----

// ---- Request types -----------------------------------------------------------------------

inline constexpr int kResolutionChanged = 1001;   // DisplayResolution, no answer
inline constexpr int kAudioOutputChanged = 1002;  // AudioOutput, no answer
inline constexpr int kDisplayApply = 1015;        // after the resolutions, no payload
inline constexpr int kSubOutputChanged = 1023;    // int32 subEnable, no answer
inline constexpr int kNetworkChanged = 1702;      // NetworkChangeName, no answer
inline constexpr int kRestart = 1703;             // no payload, no answer
inline constexpr int kDeviceIdChanged = 1705;     // int32 device id, no answer
inline constexpr int kAutoRebootChanged = 1718;   // no payload, no answer
inline constexpr int kMaintainChanged = 2102;     // no payload, no answer
inline constexpr int kModifyPoePassword = 3265;   // no payload, answered by 8265
inline constexpr int kPoeNotice = 3267;           // no payload, no answer
inline constexpr int kRestore = 3311;             // RestoreRequest, no answer
inline constexpr int kGetSystemInfo = 3400;       // no payload, answered by 8400
inline constexpr int kRestoreFollow = 3410;       // right after 3311, no payload
inline constexpr int kUsersChanged = 3505;        // none, or the int32 id; no answer

// ---- Payloads ----------------------------------------------------------------------------

struct NetworkChangeName {
  char name[32];  // NUL-terminated: "hostname"
};
static_assert(sizeof(NetworkChangeName) == 32);
static_assert(std::is_trivially_copyable_v<NetworkChangeName>);

struct DisplayResolution {
  int32_t output;  // 0 main, 1 sub
  int32_t resolution;
};
static_assert(sizeof(DisplayResolution) == 8);
static_assert(std::is_trivially_copyable_v<DisplayResolution>);

struct AudioOutput {
  int32_t hdmi_audio_on;
  int32_t audio_output_on;
  int32_t audio_volume;
};
static_assert(sizeof(AudioOutput) == 12);
static_assert(std::is_trivially_copyable_v<AudioOutput>);

struct RestoreRequest {
  int32_t keep_ip;
  int32_t keep_user;
};
static_assert(sizeof(RestoreRequest) == 8);
static_assert(std::is_trivially_copyable_v<RestoreRequest>);

// ---- Answers -----------------------------------------------------------------------------

inline constexpr int kModifyPoePasswordAnswer = 8265;
inline constexpr int kGetSystemInfoAnswer = 8400;

// 8400: the recorder's identity and resources. Only the fields the pages show are named;
// the rest is the core's. The Part gives no end for "hwver": we read it as a 32-byte
// field like "software", so a text without its NUL never runs into the bytes after it.
struct SystemInfoAnswer {
  int32_t device_id;
  int32_t max_cameras;
  int32_t reserved8[2];
  int32_t max_sensor;
  int32_t max_alarm;
  int32_t reserved24;
  int32_t max_audio_out;
  int32_t display_num;
  int32_t reserved36[2];
  int32_t max_rs485;
  int32_t reserved48;
  int32_t max_network_lan;
  int32_t reserved56;
  int32_t oem_version;
  int32_t reserved64;
  int32_t dvddns;
  char sn[65];
  char prefix[16];
  char device_name[32];
  char software[32];
  char hwver[32];
  char reserved249[160];
  char mac_address[43];
  int32_t is_support_talk;
  unsigned char reserved456[136];
};
static_assert(sizeof(SystemInfoAnswer) == 592);
static_assert(offsetof(SystemInfoAnswer, max_cameras) == 4);
static_assert(offsetof(SystemInfoAnswer, max_sensor) == 16);
static_assert(offsetof(SystemInfoAnswer, max_alarm) == 20);
static_assert(offsetof(SystemInfoAnswer, max_audio_out) == 28);
static_assert(offsetof(SystemInfoAnswer, display_num) == 32);
static_assert(offsetof(SystemInfoAnswer, max_rs485) == 44);
static_assert(offsetof(SystemInfoAnswer, max_network_lan) == 52);
static_assert(offsetof(SystemInfoAnswer, oem_version) == 60);
static_assert(offsetof(SystemInfoAnswer, dvddns) == 68);
static_assert(offsetof(SystemInfoAnswer, sn) == 72);
static_assert(offsetof(SystemInfoAnswer, prefix) == 137);
static_assert(offsetof(SystemInfoAnswer, device_name) == 153);
static_assert(offsetof(SystemInfoAnswer, software) == 185);
static_assert(offsetof(SystemInfoAnswer, hwver) == 217);
static_assert(offsetof(SystemInfoAnswer, mac_address) == 409);
static_assert(offsetof(SystemInfoAnswer, is_support_talk) == 452);
static_assert(std::is_trivially_copyable_v<SystemInfoAnswer>);

// The answer's fields under their JSON keys; not a store kind. Texts are read within
// their fields.
inline constexpr FieldDesc kSystemInfoFields[] = {
    NVR_FIELD(SystemInfoAnswer, device_id, "deviceId"),
    NVR_FIELD(SystemInfoAnswer, max_cameras, "maxCameras"),
    NVR_FIELD(SystemInfoAnswer, max_sensor, "maxSensor"),
    NVR_FIELD(SystemInfoAnswer, max_alarm, "maxAlarm"),
    NVR_FIELD(SystemInfoAnswer, max_audio_out, "maxAudioOut"),
    NVR_FIELD(SystemInfoAnswer, display_num, "displayNum"),
    NVR_FIELD(SystemInfoAnswer, max_rs485, "masRs485"),
    NVR_FIELD(SystemInfoAnswer, max_network_lan, "maxNetworkLan"),
    NVR_FIELD(SystemInfoAnswer, oem_version, "oemversion"),
    NVR_FIELD(SystemInfoAnswer, dvddns, "dvddns"),
    NVR_FIELD(SystemInfoAnswer, sn, "sn"),
    NVR_FIELD(SystemInfoAnswer, prefix, "prefix"),
    NVR_FIELD(SystemInfoAnswer, device_name, "deviceName"),
    NVR_FIELD(SystemInfoAnswer, software, "software"),
    NVR_FIELD(SystemInfoAnswer, hwver, "hwver"),
    NVR_FIELD(SystemInfoAnswer, mac_address, "macAddress"),
    NVR_FIELD(SystemInfoAnswer, is_support_talk, "isSupportTalk"),
};
inline constexpr RecordKind kSystemInfoKind{.name = "system_info",
                                            NVR_KIND_FIELDS(SystemInfoAnswer, kSystemInfoFields)};
static_assert(record_kind_is_valid(kSystemInfoKind));

// 8265: the first int32 as decimal text. 8400: the system information JSON.
int on_modify_poe_camera_pwd_cb(int count, const void* payload);
int on_get_system_info_cb(int count, const void* payload);
inline constexpr IpcAnswerRoute kSystemAnswers[] = {
    {kModifyPoePasswordAnswer, sizeof(int32_t), on_modify_poe_camera_pwd_cb},
    {kGetSystemInfoAnswer, sizeof(SystemInfoAnswer), on_get_system_info_cb},
};
// ---- Factory commands, diagnosis and alarm audio files ------------------------------------

inline constexpr int kSetLanguage = 4000;          // int32 language number, no answer
inline constexpr int kAccessFilterChanged = 1722;  // no payload, no answer
inline constexpr int kExportDiagnosis = 3528;      // DiagnosisRequest, answered by 8528
inline constexpr int kUpnpChanged = 3720;          // UpnpRecord, no answer
inline constexpr int kGetAudioFiles = 4012;        // no payload, answered by 9012
inline constexpr int kAddAudioFile = 4013;         // AudioFileName, answered by 9013
inline constexpr int kDeleteAudioFiles = 4014;     // int32 id mask, answered by 9014
inline constexpr int kRenameAudioFile = 4015;      // AudioFileRecord, answered by 9015
inline constexpr int kAudioFileAction = 4016;      // int32 id, answered by 9016
inline constexpr int kExportDiagnosisAnswer = 8528;
inline constexpr int kGetAudioFilesAnswer = 9012;
inline constexpr int kAddAudioFileAnswer = 9013;
inline constexpr int kDeleteAudioFilesAnswer = 9014;
inline constexpr int kRenameAudioFileAnswer = 9015;
inline constexpr int kAudioFileActionAnswer = 9016;

// 3528: the folder the core writes the package into.
struct DiagnosisRequest {
  char directory[64];  // NUL-terminated: "/tmp"
};
static_assert(sizeof(DiagnosisRequest) == 64);
static_assert(std::is_trivially_copyable_v<DiagnosisRequest>);

// 8528 begins with these two words; the package's NUL-terminated path follows, as long as
// the answer is (read within the payload, which may lack the NUL).
struct DiagnosisAnswerHead {
  int32_t unused;
  int32_t status;  // 0 or more: the package was made
};
static_assert(sizeof(DiagnosisAnswerHead) == 8);
static_assert(offsetof(DiagnosisAnswerHead, status) == 4);
static_assert(std::is_trivially_copyable_v<DiagnosisAnswerHead>);

// 4013: the new file's name in "/tmp", URL-safe Base64 of the name the user gave.
struct AudioFileName {
  char name[128];
};
static_assert(sizeof(AudioFileName) == 128);
static_assert(std::is_trivially_copyable_v<AudioFileName>);

// One alarm audio file: 9012 answers an array of them, 4015 renames one.
struct AudioFileRecord {
  int32_t id;
  int32_t enable;  // 1: the slot holds a file
  char name[128];  // NUL-terminated, URL-safe Base64 of the name shown
};
static_assert(sizeof(AudioFileRecord) == 136);
static_assert(offsetof(AudioFileRecord, name) == 8);
static_assert(std::is_trivially_copyable_v<AudioFileRecord>);

// 8528: "OK/<path URL-encoded>\r\n" or "Failed". 9012: the list of audio files. 9013 to
// 9016: {"status"} from the first int32 (the shared status callback).
int on_export_diagnosis_cb(int count, const void* payload);
int on_get_audio_file_list_cb(int count, const void* payload);
inline constexpr IpcAnswerRoute kFactoryAnswers[] = {
    {kExportDiagnosisAnswer, 1, on_export_diagnosis_cb},
    {kGetAudioFilesAnswer, sizeof(AudioFileRecord), on_get_audio_file_list_cb},
    {kAddAudioFileAnswer, sizeof(int32_t), on_cgi_common_json_cb},
    {kDeleteAudioFilesAnswer, sizeof(int32_t), on_cgi_common_json_cb},
    {kRenameAudioFileAnswer, sizeof(int32_t), on_cgi_common_json_cb},
    {kAudioFileActionAnswer, sizeof(int32_t), on_cgi_common_json_cb},
};

using SystemRouter =
    IpcRouter<kLoginAnswers, kSystemAnswers, kFactoryAnswers, kLogAnswers, kUpgradeAnswers>;

// The module's answer callback: routes the types of the tables above; every other type is
// ignored.
void on_system_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kSystemCore{on_system_ipc_callback};

// The operation log record of a system event (restart, restore, export, import), sent
// through the module's callback without waiting.
void send_system_log(int sub_type, int param_type);
