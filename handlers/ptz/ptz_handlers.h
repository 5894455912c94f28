// The request handlers of PTZ control: live commands, presets, patterns, tours and zoom
// (ptz_control.cpp), the state and camera queries (ptz_query.cpp), and the PTZ port,
// speed and tour settings (ptz_settings.cpp, ptz_tour.cpp).
#pragma once

int on_send_ptz_cmd(char* text);           // /5000
int on_preset_op(char* text);              // /5001
int on_set_ptz_tour_run(char* text);       // /5002
int on_set_ptz_tour_stop(char* text);      // /5003
int on_set_ptz_pattern(char* text);        // /5004
int on_get_ptz_info(char* text);           // /5005
int on_set_ptz_preset_call(char* text);    // /5006
int on_set_ptz_zomm(char* text);           // /5007
int on_set_ipc_speed(char* text);          // /5008
int on_cgi_set_ptz_control(char* text);    // /5009
int on_cgi_get_led_status(char* text);     // /5010
int on_cgi_get_ptz_basic(char* text);      // /5011
int on_cgi_set_ptz_basic(char* text);      // /5012
int on_get_ptzport_info(char* text);       // /6050
int on_set_ptzport_info(char* text);       // /6051
int on_get_ptzsupport_info(char* text);    // /6052
int on_get_ptz_speed(char* text);          // /6053
int on_set_ptz_speed(char* text);          // /6054
int on_set_ptz_tour_set(char* text);       // /6055
int on_set_fish_ptz_tour_set(char* text);  // /6056
int on_set_ptz_tour_clear(char* text);     // /6057

// The pattern action code of the web's pattern action 0 to 4 (any other: 0).
int ptz_pattern_action_code(int action);
// The speed a speed push sends for the web's speed: 1 below 1, else one less.
int ptz_pushed_speed(int speed);
