// The camera module's link to the core: the answer writers of the files that wait for
// answers, their rows, and `on_camera_ipc_callback`, which every request of the camera
// pages passes to the core and which routes each answer by its type.
//
// A new group of camera requests declares its writers and its rows here and adds its table
// to CameraRouter; an answer type routed twice stops the build.
#pragma once

#include <cstdint>

#include "camera/camera_feature_wire.h"
#include "camera/camera_params_wire.h"
#include "camera/camera_wire.h"
#include "cgi_ipc.h"
#include "handler_kit.h"
#include "ipc_router.h"

// ---- Channel management (camera_queries.cpp) -------------------------------------------------
// Each writes the response of its request and sets the flag; 0 when it wrote.
int on_search_ipc_cb(int count, const void* payload);                    // 8200
int on_get_ipc_channel_list_cb(int count, const void* payload);          // 8201
int on_test_ipc_connection_cb(int count, const void* payload);           // 8202, 8227
int on_set_ipc_network_cb(int count, const void* payload);               // 8205
int on_get_ipc_network_batch_result_cb(int count, const void* payload);  // 8230
int on_web_get_ipc_model_type_cb(int count, const void* payload);        // 7503
int on_web_get_channels_model_cb(int count, const void* payload);        // 7505
int on_web_get_motion_status_cb(int count, const void* payload);         // 8307
int on_get_qt_cmd_result_cb(int length, const void* payload);            // 9002, 9003

inline constexpr IpcAnswerRoute kCameraQueryAnswers[] = {
    {kReqSearch + kAnswerOffset, sizeof(SearchResultEntry), on_search_ipc_cb},
    {kReqChannelList + kAnswerOffset, sizeof(ChannelListEntry), on_get_ipc_channel_list_cb},
    {kReqLoginTest + kAnswerOffset, sizeof(int32_t), on_test_ipc_connection_cb},
    {kReqWebLoginTest + kAnswerOffset, sizeof(int32_t), on_test_ipc_connection_cb},
    {kReqNetworkChange + kAnswerOffset, sizeof(int32_t), on_set_ipc_network_cb},
    {kReqNetworkBatchResult + kAnswerOffset, sizeof(BatchResultEntry),
     on_get_ipc_network_batch_result_cb},
    {kReqModelType + kAnswerOffset, sizeof(int32_t), on_web_get_ipc_model_type_cb},
    {kReqChannelModels + kAnswerOffset, sizeof(ChannelModelEntry), on_web_get_channels_model_cb},
    {kReqMotionState + kAnswerOffset, sizeof(MotionStateAnswer), on_web_get_motion_status_cb},
    {kReqConsoleCommand + kAnswerOffset, 1, on_get_qt_cmd_result_cb},
    {kAnsConsoleCommandAlt, 1, on_get_qt_cmd_result_cb},
};

// ---- Stream and image parameters (camera_stream.cpp, camera_image.cpp, camera_image_mode.cpp,
// camera_schedule.cpp) ----------------------------------------------------------------------------
int on_get_ipc_stream_cb(int count, const void* payload);                // 8204
int on_set_ipc_stream_cb(int count, const void* payload);                // 8203
int on_get_ipc_ipcimage_enhancement_cb(int count, const void* payload);  // 8221
int on_get_ipc_ipcimage_display_cb(int count, const void* payload);      // 8223
int on_set_ipc_ipcimage_display_cb(int count, const void* payload);      // 8224
int on_get_ipc_common_param_cb(int count, const void* payload);          // 8225
int on_set_ipc_common_param_cb(int count, const void* payload);          // 8226, 8222
int on_get_ipc_image_mode_cb(int count, const void* payload);            // 8278
int on_get_ipc_area_cb(int count, const void* payload);                  // 8271
int on_get_ipc_schedule_cb(int count, const void* payload);              // 8273
int on_get_ipc_exposure_schedule_cb(int count, const void* payload);     // 8275
int on_get_ipc_schedule3_cb(int count, const void* payload);             // 8277

inline constexpr IpcAnswerRoute kCameraParamAnswers[] = {
    {kReqStreamQuery + kAnswerOffset, sizeof(StreamSettingsAnswer), on_get_ipc_stream_cb},
    {kReqStreamChange + kAnswerOffset, sizeof(StreamChangeAnswer), on_set_ipc_stream_cb},
    {kReqEnhancementQuery + kAnswerOffset, sizeof(ImageEnhancementAnswer),
     on_get_ipc_ipcimage_enhancement_cb},
    {kReqDisplayQuery + kAnswerOffset, sizeof(ImageDisplayMessage), on_get_ipc_ipcimage_display_cb},
    {kReqDisplayChange + kAnswerOffset, sizeof(int32_t), on_set_ipc_ipcimage_display_cb},
    {kReqCommonParamQuery + kAnswerOffset, sizeof(CommonParamAnswer), on_get_ipc_common_param_cb},
    {kReqCommonParamChange + kAnswerOffset, sizeof(int32_t), on_set_ipc_common_param_cb},
    {kAnsCameraParamStatus, sizeof(int32_t), on_set_ipc_common_param_cb},
    {kReqImageModeQuery + kAnswerOffset, sizeof(ImageModeTable), on_get_ipc_image_mode_cb},
    {kReqAreaQuery + kAnswerOffset, sizeof(CameraAreaAnswer), on_get_ipc_area_cb},
    {kReqScheduleQuery + kAnswerOffset, sizeof(CameraScheduleAnswer), on_get_ipc_schedule_cb},
    {kReqExposureScheduleQuery + kAnswerOffset, sizeof(ExposureScheduleAnswer),
     on_get_ipc_exposure_schedule_cb},
    {kReqSchedule3Query + kAnswerOffset, sizeof(CameraScheduleAnswer), on_get_ipc_schedule3_cb},
};

// ---- Camera feature settings (camera_features.cpp) -------------------------------------------
int on_get_ipc_motion_cb(int count, const void* payload);          // 8358
int on_get_ipc_log_cb(int length, const void* payload);            // 8360
int on_cgi_res_cb(int count, const void* payload);                 // {"res"}: 6216 6218 6262 ...
int on_get_auto_tracking_cb(int count, const void* payload);       // 8294
int on_get_ipc_type_cb(int count, const void* payload);            // 7507
int on_get_watermark_cb(int count, const void* payload);           // 6213
int on_get_event_stream_cb(int count, const void* payload);        // 6217
int on_get_lpr_night_mode_cb(int count, const void* payload);      // 6219
int on_get_ipc_audio_info_cb(int count, const void* payload);      // 8371
int on_set_ipc_audio_info_cb(int count, const void* payload);      // 8372
int on_get_ipc_system_info_cb(int count, const void* payload);     // 8376
int on_get_ipc_custom_param_cb(int count, const void* payload);    // 8377
int on_start_ipc_upgrade_cb(int count, const void* payload);       // 8379
int on_get_ipc_upgrade_status_cb(int count, const void* payload);  // 8386
int on_set_report_auto_backup_cb(int count, const void* payload);  // 6423 (camera_peoplecnt.cpp)

inline constexpr IpcAnswerRoute kCameraFeatureAnswers[] = {
    {kReqIpcMotionQuery + kAnswerOffset, sizeof(IpcMotionAnswer), on_get_ipc_motion_cb},
    {kReqIpcMotionChange + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqIpcLog + kAnswerOffset, 1, on_get_ipc_log_cb},
    {kReqAutoTrackingQuery + kAnswerOffset, sizeof(AutoTracking), on_get_auto_tracking_cb},
    {kReqAutoTrackingChange + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqPtzSupport + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqIpcType + kAnswerOffset, sizeof(ChannelModelEntry), on_get_ipc_type_cb},
    {kReqWatermarkQuery + kAnswerOffset, sizeof(Watermark), on_get_watermark_cb},
    {kReqWatermarkChange + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqEventStreamQuery + kAnswerOffset, sizeof(EventStream), on_get_event_stream_cb},
    {kReqEventStreamChange + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqNightModeQuery + kAnswerOffset, sizeof(NightModeAnswer), on_get_lpr_night_mode_cb},
    {kReqAudioQuery + kAnswerOffset, sizeof(AudioAnswer), on_get_ipc_audio_info_cb},
    {kReqAudioChange + kAnswerOffset, sizeof(int32_t), on_set_ipc_audio_info_cb},
    {kReqIpcSystemInfo + kAnswerOffset, sizeof(IpcSystemInfo), on_get_ipc_system_info_cb},
    {kReqCustomParam + kAnswerOffset, sizeof(CustomParamAnswer), on_get_ipc_custom_param_cb},
    {kReqUpgradePrepare + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqUpgradeStart + kAnswerOffset, sizeof(UpgradeStatus), on_start_ipc_upgrade_cb},
    {kReqUpgradeStatus + kAnswerOffset, sizeof(UpgradeStatus), on_get_ipc_upgrade_status_cb},
    // People counting, POS and face capture: the core's status of a stored change.
    {kReqPeopleCountGroups + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqPeopleCountDbReset + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqPeopleCountLiveviewReset + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqPeopleCountAction + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqPosChange + kAnswerOffset, sizeof(int32_t), on_cgi_res_cb},
    {kReqReportBackupChange + kAnswerOffset, 1, on_set_report_auto_backup_cb},
    {kReqFaceConfig + kAnswerOffset, sizeof(int32_t), on_cgi_common_json_cb},
};

// ---- The module ----------------------------------------------------------------------------

using CameraRouter = IpcRouter<kCameraQueryAnswers, kCameraParamAnswers, kCameraFeatureAnswers>;

// Routes one answer: ignores a null payload and types no table knows (nothing written,
// the flag stays 0); otherwise runs the matching row's writer with the record count
// (payload length / the row's record size; 0 and a null payload for less than one record).
void on_camera_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kCameraCore{on_camera_ipc_callback};

// Parameter types of the module's operation log records.
inline constexpr int kLogParamAddChannel = 901;
inline constexpr int kLogParamDeleteChannel = 902;
inline constexpr int kLogParamChannel = 903;
