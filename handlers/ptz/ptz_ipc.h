// The PTZ module's link to the core: the answer writers, their rows, the module's router
// and `on_ptz_ipc_callback`, through which every PTZ request reaches the core, and the
// module's operation log record.
#pragma once

#include <cstdint>

#include "cgi_ipc.h"
#include "handler_kit.h"
#include "ipc_router.h"
#include "ptz/ptz_wire.h"

// Each writes the response of its request and sets the flag; 0 when it wrote. `count` is
// the number of whole records of the row's size in the answer.
int on_ip_ptzsupport_cb(int count, const void* payload);        // 6262 -> "-1" or "0"
int on_ptz_reply_info(int count, const void* payload);          // 6265, 6268 -> the state
int on_cgi_get_ptz_basic_cb(int count, const void* payload);    // 6270 -> the basic settings
int on_cgi_set_ptz_basic_cb(int count, const void* payload);    // 6271 -> {"status"}
int on_set_ipc_common_cb(int count, const void* payload);       // 8226 -> "OK"
int on_cgi_set_ptz_control_cb(int count, const void* payload);  // 8361 -> {"res"}
int on_cgi_get_led_status_cb(int count, const void* payload);   // 8363 -> {"chnid","status"}

inline constexpr IpcAnswerRoute kPtzAnswers[] = {
    {kPtzSupportQuery + kPtzAnswerOffset, sizeof(int32_t), on_ip_ptzsupport_cb},
    {kPtzStateQuery + kPtzAnswerOffset, sizeof(PtzStateAnswer), on_ptz_reply_info},
    {kPtzFishStateQuery + kPtzAnswerOffset, sizeof(PtzStateAnswer), on_ptz_reply_info},
    {kPtzBasicQuery + kPtzAnswerOffset, sizeof(PtzBasicSettings), on_cgi_get_ptz_basic_cb},
    {kPtzBasicChange + kPtzAnswerOffset, sizeof(int32_t), on_cgi_set_ptz_basic_cb},
    {kPtzCommonParam + kPtzAnswerOffset, sizeof(int32_t), on_set_ipc_common_cb},
    {kPtzControl + kPtzAnswerOffset, sizeof(int32_t), on_cgi_set_ptz_control_cb},
    {kPtzLightQuery + kPtzAnswerOffset, sizeof(PtzLightAnswer), on_cgi_get_led_status_cb},
};
using PtzRouter = IpcRouter<kPtzAnswers>;

// Routes 6262, 6265, 6268, 6270, 6271, 8226, 8361 and 8363; ignores other types and a
// missing payload.
void on_ptz_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
inline constexpr CoreLink kPtzCore{on_ptz_ipc_callback};

// The operation log record of a PTZ operation: sub type 206, the parameter type, the
// 0-based channel (the record names it plus one).
inline constexpr int kLogSubPtz = 206;
inline constexpr int kLogParamPtzMove = 900;  // movement, tours, preset call, zoom
inline constexpr int kLogParamPtz = 904;      // every other PTZ change
void ptz_log(int param_type, int channel);
