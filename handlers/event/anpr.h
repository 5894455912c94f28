// Number-plate recognition pages: the linkage of each list mode (store only), the camera's
// recognition settings, plate format, support and zoom state (through the core, waiting for
// the camera's answer).
#pragma once

#include "event/anpr_core.h"
#include "ipc_router.h"

int on_get_anpr_mode_params(char* text);
int on_set_anpr_mode_params(char* text);
int on_get_anpr_settings(char* text);
int on_set_anpr_settings(char* text);
int on_get_anpr_support_anpr(char* text);
int on_get_ipc_zoom_state(char* text);
int on_get_ipc_anpr_wildcards(char* text);
int on_set_ipc_anpr_wildcards(char* text);

// Answer writers.
int on_get_anpr_settings_cb(int count, const void* payload);
int on_get_anpr_support_anpr_cb(int count, const void* payload);
int on_get_ipc_zoom_state_cb(int count, const void* payload);
int on_get_ipc_anpr_wildcards_cb(int count, const void* payload);

inline constexpr IpcAnswerRoute kAnprAnswers[] = {
    {kAnprSettingsGet + kAnprAnswerOffset, sizeof(AnprSettingsRecord), on_get_anpr_settings_cb},
    {kAnprSettingsSet + kAnprAnswerOffset, sizeof(int32_t), on_cgi_ok_failed_cb},
    {kAnprSupportGet + kAnprAnswerOffset, sizeof(AnprSupportAnswer), on_get_anpr_support_anpr_cb},
    {kAnprZoomGet + kAnprAnswerOffset, sizeof(AnprZoomAnswer), on_get_ipc_zoom_state_cb},
    {kAnprFormatGet + kAnprAnswerOffset, sizeof(AnprFormatRecord), on_get_ipc_anpr_wildcards_cb},
    {kAnprFormatSet + kAnprAnswerOffset, sizeof(int32_t), on_cgi_ok_failed_cb},
};
