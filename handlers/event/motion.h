// Motion detection pages: the motion settings with all their linkage ("/6010"), the
// schedule page ("/6011", "/6013"), the basic, schedule, linkage and single-field setters
// ("/6012", "/6113", "/6114", "/6117", "/6119"), the save-and-copy dialog ("/6112") and
// the camera's motion map ("/6098").
#pragma once

int on_get_movedetect_info(char* text);
int OnGetMotionSchedule(char* text);
int on_set_movedetect_info(char* text);
int OnSetMotionSchedule(char* text);
int on_get_motion_map(char* text);
int on_set_motion_dialog(char* text);
int on_set_motion_schedule_info(char* text);
int on_set_motion_basic_info(char* text);
int on_set_move_action(char* text);
int on_set_move_others(char* text);

// Writer of answer 8206: the first motion map record as JSON. -1 (nothing written) when
// the answer holds no whole record.
int on_get_motion_map_cb(int count, const void* payload);
