// Smart-event (VCA) pages: the detection settings each camera keeps (read and written
// through the core, waiting for the camera), the recorder-side linkage of the nine smart
// events, the people-count reset and the support list.
#pragma once

#include <cstddef>

#include "event/vca_core.h"
#include "ipc_router.h"

struct json_object;

int on_get_vca_region(char* text);
int on_set_vca_region(char* text);
int on_get_vca_motion(char* text);
int on_set_vca_motion(char* text);
int on_get_vca_tamper(char* text);
int on_set_vca_tamper(char* text);
int on_get_vca_line(char* text);
int on_set_vca_line(char* text);
int on_get_vca_loitering(char* text);
int on_set_vca_loitering(char* text);
int on_get_vca_human(char* text);
int on_set_vca_human(char* text);
int on_get_vca_people(char* text);
int on_set_vca_people(char* text);
int on_get_vca_settings(char* text);
int on_set_vca_settings(char* text);
int on_get_vca_leftremove(char* text);
int on_set_vca_leftremove(char* text);
int on_vca_clear_people_count(char* text);
int on_get_vca_support(char* text);
int on_get_smart_event_schedule(char* text);
int on_set_smart_event_schedule(char* text);
int on_set_vca_allrtm_others(char* text);
int on_get_vca_common_para(char* text);

// Shared by the smart-event pages of both forms (this file's and event/vca2.h):
// A getter's request: the channel under `key` (0 to 63) sent with request `type` as one
// int32, waiting for the answer; the JSON error for a bad channel or no answer. 0, or -1
// when the channel was refused.
int vca_query_channel(const char* text, const char* key, int type);
// Stores the linkage of smart event `event` from tree["dialog"] (when present), copied to
// the channels of the `copy_chn` text. False when a store call failed: the error body of
// `error_kind` is then written and the reason goes to standard error.
[[nodiscard]] bool vca_save_linkage(json_object* tree, int event, const char* copy_chn,
                                    int error_kind);

// Answer writers.
int on_get_vca_region_cb(int count, const void* payload);
int on_get_vca_motion_cb(int count, const void* payload);
int on_get_vca_tamper_cb(int count, const void* payload);
int on_get_vca_line_cb(int count, const void* payload);
int on_get_vca_loitering_cb(int count, const void* payload);
int on_get_vca_human_cb(int count, const void* payload);
int on_get_vca_people_cb(int count, const void* payload);
int on_get_vca_settings_cb(int count, const void* payload);
int on_get_vca_leftremove_cb(int count, const void* payload);
int on_get_vca_support_cb(int count, const void* payload);

inline constexpr IpcAnswerRoute kVcaAnswers[] = {
    {kVcaRegionEnterGet + kAnswerOffset, sizeof(VcaAreaRecord), on_get_vca_region_cb},
    {kVcaRegionExitGet + kAnswerOffset, sizeof(VcaAreaRecord), on_get_vca_region_cb},
    {kVcaMotionGet + kAnswerOffset, sizeof(VcaAreaRecord), on_get_vca_motion_cb},
    {kVcaTamperGet + kAnswerOffset, sizeof(VcaAreaRecord), on_get_vca_tamper_cb},
    {kVcaLineGet + kAnswerOffset, sizeof(VcaLineRecord), on_get_vca_line_cb},
    {kVcaLoiteringGet + kAnswerOffset, sizeof(VcaAreaRecord), on_get_vca_loitering_cb},
    {kVcaHumanGet + kAnswerOffset, sizeof(VcaAreaRecord), on_get_vca_human_cb},
    {kVcaPeopleGet + kAnswerOffset, sizeof(VcaPeopleRecord), on_get_vca_people_cb},
    {kVcaSettingsGet + kAnswerOffset, sizeof(VcaSettingsRecord), on_get_vca_settings_cb},
    {kVcaLeftRemoveGet + kAnswerOffset, sizeof(VcaObjectRecord), on_get_vca_leftremove_cb},
    {kVcaSupportGet + kAnswerOffset, sizeof(VcaSupportEntry), on_get_vca_support_cb},
};
