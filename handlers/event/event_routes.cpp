// Route table of the event detection and linkage module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "event/anpr.h"
#include "event/anpr_list.h"
#include "event/anpr_record.h"
#include "event/camera_alarm.h"
#include "event/event_schedule.h"
#include "event/fisheye.h"
#include "event/motion.h"
#include "event/motion_record.h"
#include "event/osd_mask.h"
#include "event/ptz_entries.h"
#include "event/regional.h"
#include "event/snapshot.h"
#include "event/snapshot_record.h"
#include "event/vca.h"
#include "event/vca2.h"
#include "event/vca_record.h"
#include "event/video_ipc.h"
#include "event/videoloss.h"
#include "event/videoloss_record.h"
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/6000", on_get_osd_info},
    {"/6001", on_set_osd_info},
    {"/6002", OnSetOSDName},
    {"/6010", on_get_movedetect_info},
    {"/6011", OnGetMotionSchedule},
    {"/6012", on_set_movedetect_info},
    {"/6013", OnSetMotionSchedule},
    {"/6014", on_get_videolost_info},
    {"/6015", on_get_videolost_schedule},
    {"/6016", on_set_videolost_info},
    {"/6017", on_set_videolost_schedule},
    {"/6018", on_get_privacy_masks},
    {"/6019", on_set_privacy_mask},
    {"/6090", on_get_cameraio_info},
    {"/6091", on_set_cameraio_info},
    {"/6092", on_get_volumedetect_info},
    {"/6093", on_set_volumedetect_info},
    {"/6094", on_get_videoloss_info},
    {"/6095", on_set_videoloss_info},
    {"/6096", on_cgi_get_ipc_regional_info},
    {"/6097", on_cgi_set_ipc_regional_info},
    {"/6098", on_get_motion_map},
    {"/6112", on_set_motion_dialog},
    {"/6113", on_set_motion_schedule_info},
    {"/6114", on_set_motion_basic_info},
    {"/6115", on_get_privacy_mask_ovf},
    {"/6116", on_get_ipc_model_type},
    {"/6117", on_set_move_action},
    {"/6118", on_set_move_email_sche},
    {"/6119", on_set_move_others},
    {"/6120", on_get_move_email_sche},
    {"/6121", on_set_videolost_audible_sche},
    {"/6122", on_set_videolost_email_sche},
    {"/6123", on_set_videolost_others},
    {"/6124", on_get_videolost_email_sche},
    {"/6125", on_set_alarmin_audible_sche},
    {"/6126", on_set_alarmin_email_sche},
    {"/6127", on_set_alarm_others},
    {"/6128", on_get_alarmin_email_sche},
    {"/6129", on_get_alarmin_audible_sche},
    {"/6130", on_get_fisheye_info},
    {"/6131", on_cgi_set_fisheye_mode},
    {"/6132", on_get_vca_region},
    {"/6133", on_set_vca_region},
    {"/6134", on_get_vca_motion},
    {"/6135", on_set_vca_motion},
    {"/6136", on_get_vca_tamper},
    {"/6137", on_set_vca_tamper},
    {"/6138", on_get_vca_line},
    {"/6139", on_set_vca_line},
    {"/6140", on_get_vca_loitering},
    {"/6141", on_set_vca_loitering},
    {"/6142", on_get_vca_human},
    {"/6143", on_set_vca_human},
    {"/6144", on_get_vca_people},
    {"/6145", on_set_vca_people},
    {"/6146", on_get_vca_settings},
    {"/6147", on_set_vca_settings},
    {"/6148", on_get_smart_event_schedule},
    {"/6149", on_set_smart_event_schedule},
    {"/6150", on_set_vca_allrtm_others},
    {"/6151", on_get_vca_common_para},
    {"/6152", on_set_move_effective_sche},
    {"/6153", on_get_move_effective_sche},
    {"/6154", on_vca_clear_people_count},
    {"/6157", on_get_vca_support},
    {"/6158", on_get_move_ptz_sche},
    {"/6159", on_set_move_ptz_sche},
    {"/6160", on_set_ptz_params},
    {"/6161", on_get_ptz_params},
    {"/6162", on_delete_ptz_params},
    {"/6163", on_update_ptz_params},
    {"/6164", on_delete_ptz_params_batch},
    {"/6165", on_set_videoloss_ptz_sche},
    {"/6166", on_get_videoloss_ptz_sche},
    {"/6167", on_set_alarmin_ptz_sche},
    {"/6168", on_get_alarmin_ptz_sche},
    {"/6169", on_get_alarmin_effective_sche},
    {"/6170", on_set_alarmin_effective_sche},
    {"/6171", on_set_vca_leftremove},
    {"/6172", on_get_vca_leftremove},
    {"/6173", on_delete_privacy_mask},
    {"/6174", on_get_snapshot_schedule},
    {"/6175", on_set_snapshot_schedule},
    {"/6176", on_get_snapshot_setting_params},
    {"/6177", on_set_snapshot_setting_params},
    {"/6178", on_set_snapshot_batch_setting},
    {"/6179", on_get_anpr_mode_params},
    {"/6180", on_set_anpr_mode_params},
    {"/6181", on_get_anpr_settings},
    {"/6182", on_set_anpr_settings},
    {"/6183", on_set_anpr_del_lpr_plate},
    {"/6184", on_set_anpr_add_lpr_plate},
    {"/6185", on_set_anpr_update_lpr_plate},
    {"/6186", on_get_anpr_support_anpr},
    {"/6189", on_get_ipc_zoom_state},
    {"/6190", on_get_ipc_anpr_wildcards},
    {"/6191", on_set_ipc_anpr_wildcards},
    {"/6192", on_get_ipc_vca_line2},
    {"/6193", on_set_ipc_vca_line2},
    {"/6194", on_get_ipc_vca_settings2},
    {"/6195", on_set_ipc_vca_settings2},
    {"/6196", on_cgi_check_fisheye_info},
    {"/6197", on_cgi_set_fisheye_info},
    {"/6198", on_cgi_set_privacy_edit},
    {"/6996", on_set_osdconfig},
    {"/6997", on_get_osdconfig},
    {"/6998", on_set_exception},
    {"/6999", on_get_exception},
};

constexpr const RecordKind* kKinds[] = {
    &kMotionKind,    &kVideoLossKind,        &kTriggerAlarmsKind, &kSnapshotScheduleKind,
    &kSnapshotKind,  &kSmartEventKind,       &kCameraIoKind,      &kVolumeDetectKind,
    &kAnprEventKind, &kRegionalPcntEventKind};
constexpr int kLogParams[] = {kLogParamMotion, kLogParamVideoLoss, kLogParamCameraIo,
                              kLogParamVolumeDetect};

}  // namespace

extern const ModuleRoutes kEventModule = {"event", kRoutes,    static_cast<int>(std::size(kRoutes)),
                                          kKinds,  kLogParams, VideoRouter::kTables};
