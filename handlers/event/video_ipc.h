// The event module's link to the core: its answer table (the writers each file of the
// module declares in its own header), its answer callback, and its log parameter codes.
#pragma once

#include <cstdint>

#include "cgi_ipc.h"
#include "event/anpr.h"
#include "event/camera_alarm.h"
#include "event/fisheye.h"
#include "event/motion.h"
#include "event/motion_core.h"
#include "event/osd_mask.h"
#include "event/osd_mask_core.h"
#include "event/regional.h"
#include "event/vca.h"
#include "event/vca2.h"
#include "handler_kit.h"
#include "ipc_router.h"

// Camera-side event settings answer a plain result word, 0 for success.
inline constexpr std::size_t kResultWord = sizeof(std::int32_t);

inline constexpr IpcAnswerRoute kVideoAnswers[] = {
    {kMotionMapAnswer, sizeof(MotionMapRecord), on_get_motion_map_cb},
    {8244, kResultWord, on_cgi_ok_failed_cb},
    {8245, kResultWord, on_cgi_ok_failed_cb},
    {8246, kResultWord, on_cgi_ok_failed_cb},
    {8247, kResultWord, on_cgi_ok_failed_cb},
    {8248, kResultWord, on_cgi_ok_failed_cb},
    {8249, kResultWord, on_cgi_ok_failed_cb},
    {8250, kResultWord, on_cgi_ok_failed_cb},
    {8254, kResultWord, on_cgi_ok_failed_cb},
    {8260, kResultWord, on_cgi_ok_failed_cb},
    {8261, kResultWord, on_cgi_ok_failed_cb},
    {8269, kResultWord, on_cgi_ok_failed_cb},
    {kVcaLine2SetAnswer, kResultWord, on_cgi_ok_failed_cb},
    {kVcaSettings2SetAnswer, kResultWord, on_cgi_ok_failed_cb},
};
// The camera OSD and privacy-mask answers (event/osd_mask.h).
inline constexpr IpcAnswerRoute kOsdMaskAnswers[] = {
    {kCameraOsdSetAnswer, kResultWord, on_set_osdconfig_cb},
    {kCameraOsdAnswer, sizeof(CameraOsdRecord), on_get_osdconfig_cb},
    {kCameraMasksAnswer, sizeof(CameraMaskEntry), on_get_privacy_mask_ovf_cb},
    {kCameraModelAnswer, kResultWord, on_get_ipc_model_type_cb},
    {kPrivacyEditAnswer, kResultWord, on_set_privacy_edit_cb},
};
using VideoRouter = IpcRouter<kVideoAnswers, kOsdMaskAnswers, kVcaAnswers, kCameraAlarmAnswers,
                              kFisheyeAnswers, kVca2Answers, kAnprAnswers, kRegionalAnswers>;

// Routes a core answer by its type to the module's writer; unknown types and answers
// without a payload are ignored (the waiting handler then times out).
void on_video_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kVideoCore{on_video_ipc_callback};

// Parameter types of the module's operation log records.
inline constexpr int kLogParamMotion = 909;
inline constexpr int kLogParamVideoLoss = 908;
