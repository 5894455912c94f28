// Route table of the system, accounts and maintenance module. A null handler marks a path whose
// handler is not built yet; it is served like an unknown path.
#include "module_routes.h"
#include "system/login.h"
#include "system/system_handlers.h"
#include "system/system_ipc.h"
#include "system/service_store.h"
#include "system/system_store.h"
#include "system/user_record.h"

namespace {

constexpr WebReq kRoutes[] = {
    {"/1000", on_user_login},
    {"/1001", on_change_language},
    {"/1002", on_get_log_info},
    {"/1003", on_download_logfile},
    {"/1004", on_restart_device},
    {"/1005", on_get_restart_state},
    {"/1006", on_restore_device},
    {"/1007", on_export_config},
    {"/1008", on_import_config},
    {"/1009", on_get_system_info},
    {"/1010", on_upgrade_system},
    {"/1011", on_clean_upgrade_files},
    {"/1012", on_set_system_info},
    {"/1013", on_download_config},
    {"/1014", on_user_logout},
    {"/1015", on_get_log_type_list},
    {"/1016", on_get_auto_maintenance},
    {"/1017", on_set_auto_maintenance},
    {"/1018", on_user_login_from_mail},
    {"/1019", nullptr},
    {"/1020", on_get_system_info},
    {"/1021", on_get_log_details},
    {"/1022", on_check_download_log},
    {"/1023", on_clear_dvfs_dbup},
    {"/1024", on_clear_permission_update},
    {"/1030", on_get_upnp_info},
    {"/1031", on_set_upnp_info},
    {"/1032", on_get_auto_reboot},
    {"/1033", on_set_auto_reboot},
    {"/1034", on_cgi_upgrade_system_init},
    {"/6070", on_get_user_list},
    {"/6071", on_add_new_user},
    {"/6072", on_set_user_info},
    {"/6073", on_del_user_info},
    {"/6074", on_get_oem_user_list},
    {"/6075", on_modify_poe_camera_pwd},
    {"/6076", on_cgi_notify_core},
    {"/6077", on_cgi_set_user_info},
    {"/6080", on_get_general_info},
    {"/6081", on_set_general_info},
    {"/6082", on_upgrade_camera},
    {"/6083", on_start_upgrade_camera},
    {"/6084", on_stop_upgrade_camera},
    {"/6085", on_get_online_upgrade},
    {"/6086", on_del_online_upgrade},
    {"/6087", on_check_nvr_online_upgrade},
    {"/6088", on_nvr_online_upgrade},
    {"/6089", on_check_ipc_online_upgrade},
    {"/6300", on_get_access_filter},
    {"/6301", on_set_access_filter},
    {"/6310", on_export_diagnosis},
    {"/6311", on_download_diagnosis},
    {"/6320", on_get_audio_file_list},
    {"/6321", on_upload_audio_file},
    {"/6322", on_add_audio_file},
    {"/6323", on_del_audio_file},
    {"/6324", on_rename_audio_file},
    {"/6325", on_audio_file_action},
    {"/json", on_get_lang_json},
    {"/vb.htm", on_vb_htm},
    {"/oem", on_upload_oem},
    {"/dw.cgi", on_download_stub},
    {"/ipc", on_set_camera_ip_batch},
};

constexpr const RecordKind* kKinds[] = {&kUserKind, &kDisplayKind, &kMaintainKind, &kAutoRebootKind,
                                        // Access filter and UPnP
                                        &kAccessFilterKind, &kUpnpKind};
constexpr int kLogParams[] = {kLogParamGeneral, kLogParamUserAdd, kLogParamUserDelete,
                              // Alarm audio files
                              kLogParamAudioFile};

}  // namespace

extern const ModuleRoutes kSystemModule = {
    "system", kRoutes,    static_cast<int>(std::size(kRoutes)),
    kKinds,   kLogParams, SystemRouter::kTables};
