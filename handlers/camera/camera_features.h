// The camera feature pages: settings the cameras keep themselves (motion detection, auto
// tracking, watermark, event stream, audio ...), queries of the camera's capabilities, the
// camera firmware upgrade and the liveness check. Each handler takes the request text and
// writes its whole response (or, where the page expects none, nothing).
#pragma once

// ---- Effective schedules (camera_effective.cpp) ---------------------------------------------
int on_get_effective_schedules(char* text);  // /2035
int on_set_effective_schedules(char* text);  // /2036

// ---- Camera settings and queries (camera_features.cpp) --------------------------------------
int on_get_ipc_motion(char* text);                // /2051
int on_set_ipc_motion(char* text);                // /2052
int on_get_ipc_log(char* text);                   // /2053
int on_cgi_get_auto_tracking_status(char* text);  // /2054
int on_cgi_set_auto_tracking_status(char* text);  // /2055
int on_cgi_get_ptz_support(char* text);           // /2056
int on_cgi_get_ipc_type(char* text);              // /2057
int on_cgi_get_watermark(char* text);             // /2058
int on_cgi_set_watermark(char* text);             // /2059
int on_cgi_get_ipc_event_stream(char* text);      // /2060
int on_cgi_set_ipc_event_stream(char* text);      // /2061
int on_cgi_get_ipc_lpr_night_mode(char* text);    // /2062
int on_cgi_get_ipc_audio_info(char* text);        // /2063
int on_cgi_set_ipc_audio_info(char* text);        // /2064
int on_cgi_get_ipc_system_info(char* text);       // /2065
int on_cgi_get_ipc_custom_param(char* text);      // /2068

// ---- People counting groups and reports (camera_peoplecnt.cpp) ------------------------------
int on_cgi_get_peoplecnt_settings(char* text);        // /2066
int on_cgi_set_peoplecnt_settings(char* text);        // /2067
int on_cgi_get_peoplecnt_action(char* text);          // /2069
int on_cgi_set_peoplecnt_action(char* text);          // /2070
int on_cgi_set_peoplecnt_db_reset(char* text);        // /2071
int on_cgi_set_peoplecnt_liveview_reset(char* text);  // /2072
int on_cgi_get_report_auto_backup(char* text);        // /2075
int on_cgi_set_report_auto_backup(char* text);        // /2076

// ---- POS sources and face capture (camera_pos_face.cpp) --------------------------------------
int on_cgi_get_pos_info(char* text);     // /2073
int on_cgi_set_pos_info(char* text);     // /2074
int on_cgi_set_face_config(char* text);  // /2077

// ---- Camera firmware upgrade and liveness (camera_features.cpp) -----------------------------
int on_prepare_ipc_upgrade(char* text);     // /2078
int on_get_ipc_upgrade_status(char* text);  // /2079
int on_start_ipc_upgrade(char* text);       // /2080
int on_stop_ipc_upgrade(char* text);        // /2081
int on_cgi_check(char* text);               // /2082
