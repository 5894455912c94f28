// The camera stream and image pages: settings kept by the cameras themselves, read through
// the core (which asks the camera) and changed by commands the core pushes to them. Only
// the exposure list is kept on the recorder. Each handler takes the request text and writes
// its whole response (or, for a refused body, none).
#pragma once

// ---- Streams (camera_stream.cpp) -------------------------------------------------------------
int on_get_ipc_stream(char* text);        // /2009
int on_set_ipc_stream(char* text);        // /2010 one channel
int on_set_ipc_stream_batch(char* text);  // /2030 the channels of "chans"

// ---- Image records and common parameters (camera_image.cpp) -------------------------------
int on_get_ipc_image_enhancement(char* text);  // /2019
int on_set_ipc_image_enhancement(char* text);  // /2020
int on_get_ipc_image_display(char* text);      // /2021
int on_set_ipc_image_display(char* text);      // /2022
int on_get_ipc_common_param(char* text);       // /2023
int on_set_ipc_common_param(char* text);       // /2024

// ---- Image modes and detection areas (camera_image_mode.cpp) --------------------------------
int on_get_ipc_image_mode(char* text);        // /2037
int on_set_ipc_image_mode(char* text);        // /2038 one mode
int on_set_ipc_image_mode_batch(char* text);  // /2047 every mode, several channels
int on_get_ipc_area(char* text);              // /2039
int on_set_ipc_area(char* text);              // /2040
int on_send_ipc_area_id(char* text);          // /2050

// ---- Day schedules and the exposure list (camera_schedule.cpp) -------------------------------
int on_get_ipc_schedule(char* text);           // /2041
int on_set_ipc_schedule(char* text);           // /2042
int on_get_ipc_exposure_schedule(char* text);  // /2043
int on_set_ipc_exposure_schedule(char* text);  // /2044
int on_get_ipc_schedule3(char* text);          // /2045
int on_set_ipc_schedule3(char* text);          // /2046
int on_set_exposure_list(char* text);          // /2048
int on_get_exposure_list(char* text);          // /2049
