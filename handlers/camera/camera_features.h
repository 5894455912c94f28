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

// ---- Camera firmware upgrade and liveness (camera_features.cpp) -----------------------------
int on_prepare_ipc_upgrade(char* text);     // /2078
int on_get_ipc_upgrade_status(char* text);  // /2079
int on_start_ipc_upgrade(char* text);       // /2080
int on_stop_ipc_upgrade(char* text);        // /2081
int on_cgi_check(char* text);               // /2082
