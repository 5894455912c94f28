// Route table of the camera channels module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "camera/camera_channels.h"
#include "camera/camera_features.h"
#include "camera/camera_ipc.h"
#include "camera/camera_linkage_record.h"
#include "camera/camera_params.h"
#include "camera/exposure_record.h"
#include "camera/camera_record.h"
#include "camera/ipc_catalog_record.h"
#include "camera/osd_record.h"
#include "camera/privacy_mask_record.h"
#include "module_routes.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/2000", on_get_ipc_channel_info},
    {"/2001", on_get_ipc_channel_list},
    {"/2003", on_edit_ipc_channel},
    {"/2004", on_add_ipc_channel},
    {"/2005", on_delete_ipc_channel},
    {"/2006", on_search_ipc},
    {"/2007", on_get_ipc_channel_list},
    {"/2008", on_get_ipc_protocols},
    {"/2009", on_get_ipc_stream},
    {"/2010", on_set_ipc_stream},
    {"/2011", on_set_ipc_network},
    {"/2012", on_get_channel_names},
    {"/2013", nullptr},
    {"/2014", on_test_ipc_connection},
    {"/2015", on_test_ipc_web_connection},
    {"/2016", on_get_poe_password},
    {"/2017", on_set_ipc_login},
    {"/2018", on_get_max_poe_num},
    {"/2019", on_get_ipc_image_enhancement},
    {"/2020", on_set_ipc_image_enhancement},
    {"/2021", on_get_ipc_image_display},
    {"/2022", on_set_ipc_image_display},
    {"/2023", on_get_ipc_common_param},
    {"/2024", on_set_ipc_common_param},
    {"/2025", on_web_get_ipc_model_type},
    {"/2026", on_web_sendto_qt_cmd},
    {"/2028", on_web_get_motion_status},
    {"/2029", on_web_get_channels_model},
    {"/2030", on_set_ipc_stream_batch},
    {"/2031", on_set_ipc_transport},
    {"/2032", on_set_ipc_network_batch},
    {"/2033", on_get_ipc_network_batch_result},
    {"/2034", on_get_have_ipv6},
    {"/2035", on_get_effective_schedules},
    {"/2036", on_set_effective_schedules},
    {"/2037", on_get_ipc_image_mode},
    {"/2038", on_set_ipc_image_mode},
    {"/2039", on_get_ipc_area},
    {"/2040", on_set_ipc_area},
    {"/2041", on_get_ipc_schedule},
    {"/2042", on_set_ipc_schedule},
    {"/2043", on_get_ipc_exposure_schedule},
    {"/2044", on_set_ipc_exposure_schedule},
    {"/2045", on_get_ipc_schedule3},
    {"/2046", on_set_ipc_schedule3},
    {"/2047", on_set_ipc_image_mode_batch},
    {"/2048", on_set_exposure_list},
    {"/2049", on_get_exposure_list},
    {"/2050", on_send_ipc_area_id},
    {"/2051", on_get_ipc_motion},
    {"/2052", on_set_ipc_motion},
    {"/2053", on_get_ipc_log},
    {"/2054", on_cgi_get_auto_tracking_status},
    {"/2055", on_cgi_set_auto_tracking_status},
    {"/2056", on_cgi_get_ptz_support},
    {"/2057", on_cgi_get_ipc_type},
    {"/2058", on_cgi_get_watermark},
    {"/2059", on_cgi_set_watermark},
    {"/2060", on_cgi_get_ipc_event_stream},
    {"/2061", on_cgi_set_ipc_event_stream},
    {"/2062", on_cgi_get_ipc_lpr_night_mode},
    {"/2063", on_cgi_get_ipc_audio_info},
    {"/2064", on_cgi_set_ipc_audio_info},
    {"/2065", on_cgi_get_ipc_system_info},
    {"/2066", on_cgi_get_peoplecnt_settings},
    {"/2067", on_cgi_set_peoplecnt_settings},
    {"/2068", on_cgi_get_ipc_custom_param},
    {"/2069", on_cgi_get_peoplecnt_action},
    {"/2070", on_cgi_set_peoplecnt_action},
    {"/2071", on_cgi_set_peoplecnt_db_reset},
    {"/2072", on_cgi_set_peoplecnt_liveview_reset},
    {"/2073", on_cgi_get_pos_info},
    {"/2074", on_cgi_set_pos_info},
    {"/2075", on_cgi_get_report_auto_backup},
    {"/2076", on_cgi_set_report_auto_backup},
    {"/2077", on_cgi_set_face_config},
    {"/2078", on_prepare_ipc_upgrade},
    {"/2079", on_get_ipc_upgrade_status},
    {"/2080", on_start_ipc_upgrade},
    {"/2081", on_stop_ipc_upgrade},
    {"/2082", on_cgi_check},
};

constexpr const RecordKind* kKinds[] = {
    &kCameraKind,           &kOsdKind,        &kPrivacyMaskKind,
    &kIpcProtocolKind,      &kIpcModelKind,   &kExposureListKind,
    &kPeopleCountGroupKind, &kPosSettingKind, &kReportBackupKind};
constexpr int kLogParams[] = {kLogParamAddChannel, kLogParamDeleteChannel, kLogParamChannel};

}  // namespace

extern const ModuleRoutes kCameraModule = {
    "camera", kRoutes,    static_cast<int>(std::size(kRoutes)),
    kKinds,   kLogParams, CameraRouter::kTables};
