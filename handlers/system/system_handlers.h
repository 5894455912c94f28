// The request handlers of the account pages ("/6070" to "/6077") and of the system
// operations: restart and restore, configuration export, import and download, system
// information and identity, display settings, automatic maintenance and reboot.
#pragma once

#include <cstddef>
#include <string>

int on_get_user_list(char* text);
int on_add_new_user(char* text);
int on_set_user_info(char* text);
int on_del_user_info(char* text);
int on_get_oem_user_list(char* text);
int on_modify_poe_camera_pwd(char* text);
int on_cgi_notify_core(char* text);
int on_cgi_set_user_info(char* text);

int on_restart_device(char* text);
int on_get_restart_state(char* text);
int on_restore_device(char* text);
int on_export_config(char* text);
int on_import_config(char* text);
int on_download_config(char* text);
int on_get_system_info(char* text);
int on_set_system_info(char* text);
int on_get_general_info(char* text);
int on_set_general_info(char* text);
int on_get_auto_maintenance(char* text);
int on_set_auto_maintenance(char* text);
int on_get_auto_reboot(char* text);
int on_set_auto_reboot(char* text);

// Operation log sub types of the system events (restart is loginfo.h's kLogSubRestart).
inline constexpr int kLogSubExportConfig = 213;
inline constexpr int kLogSubImportConfig = 214;
inline constexpr int kLogSubRestore = 215;

// Parameter types of the module's operation log records (listed in the module registry).
inline constexpr int kLogParamGeneral = 913;
inline constexpr int kLogParamUserAdd = 921;
inline constexpr int kLogParamUserDelete = 922;

// The uptime text of "/1009": the output of "uptime" cut before its user count ("users"
// found: 5 characters before it) or else 2 characters before its first "l" (the load);
// as read when neither applies. A cut never reaches before the start of the text.
void cut_uptime(char* text);

// True for the path of a file directly in "/tmp": "/tmp/" and one plain name (not "." or
// "..", no "/", no control characters).
[[nodiscard]] bool is_plain_tmp_path(const char* path);

// Stores the host name (cut to 127 characters) in the network record, read first so that its
// other settings stay; false when the read or the write failed.
[[nodiscard]] bool store_host_name(const char* name);
// Tells the core the new device id (1705) and that the host name changed (1702).
void notice_identity(int device_id);

// ---- Factory commands, customisation package and the small system requests ----------------

int on_vb_htm(char* text);
int on_upload_oem(char* text);
int on_get_access_filter(char* text);
int on_set_access_filter(char* text);
int on_export_diagnosis(char* text);
int on_download_diagnosis(char* text);
int on_get_audio_file_list(char* text);
int on_upload_audio_file(char* text);
int on_add_audio_file(char* text);
int on_del_audio_file(char* text);
int on_rename_audio_file(char* text);
int on_audio_file_action(char* text);
int on_get_upnp_info(char* text);
int on_set_upnp_info(char* text);
int on_clear_dvfs_dbup(char* text);
int on_clear_permission_update(char* text);
int on_get_lang_json(char* text);
int on_set_camera_ip_batch(char* text);
int on_download_stub(char* text);

// Parameter type of the alarm audio file changes.
inline constexpr int kLogParamAudioFile = 925;

// The bucket (0 to 63) of a factory command name: hash = hash * 37 + character, in wrapping
// signed 32-bit arithmetic, and the low six bits.
[[nodiscard]] int hash_cal_value(const char* name);

// The uploaded file that a request text names ("<path>" or "<path> & <query>") on this
// machine, when it is a plain file name directly in "/tmp" of at most 63 characters; ""
// (and why on standard error) otherwise, so a body posted in place of an upload can never
// name another file.
std::string uploaded_tmp_file(const char* text);

// True when the zip archive's central directory is whole and none of its entries is a link
// or names a path outside the folder it is unpacked into (absolute, "..", a backslash or a
// drive letter); the first refused name goes to standard error.
[[nodiscard]] bool zip_entries_are_safe(const unsigned char* data, std::size_t size);

// ---- Log search and export, upgrade requests ----
int on_get_log_info(char* text);
int on_download_logfile(char* text);
int on_get_log_details(char* text);
int on_check_download_log(char* text);
int on_get_log_type_list(char* text);
int on_upgrade_system(char* text);
int on_clean_upgrade_files(char* text);
int on_cgi_upgrade_system_init(char* text);
int on_upgrade_camera(char* text);
int on_start_upgrade_camera(char* text);
int on_stop_upgrade_camera(char* text);
int on_get_online_upgrade(char* text);
int on_del_online_upgrade(char* text);
int on_check_nvr_online_upgrade(char* text);
int on_nvr_online_upgrade(char* text);
int on_check_ipc_online_upgrade(char* text);
// ---- end: log search and export, upgrade requests ----
