// The linkage pages' one-schedule requests for motion, video loss and the recorder's alarm
// inputs: the getters of one schedule of one channel or input ("/6120", "/6124", "/6128",
// "/6129", "/6153", "/6158", "/6166", "/6168", "/6169") and the setters of one schedule of
// one channel ("/6118", "/6152", "/6159", "/6170").
#pragma once

int on_get_move_email_sche(char* text);
int on_get_move_effective_sche(char* text);
int on_get_move_ptz_sche(char* text);
int on_get_videolost_email_sche(char* text);
int on_get_videoloss_ptz_sche(char* text);
int on_get_alarmin_email_sche(char* text);
int on_get_alarmin_audible_sche(char* text);
int on_get_alarmin_ptz_sche(char* text);
int on_get_alarmin_effective_sche(char* text);

int on_set_move_effective_sche(char* text);
int on_set_move_ptz_sche(char* text);
int on_set_alarmin_effective_sche(char* text);
int on_set_move_email_sche(char* text);

// One schedule given to several channels or inputs ("chnid", first "cnt" values): the
// buzzer and e-mail schedules with their on-flag and interval ("/6121", "/6122", "/6125",
// "/6126" with the snapshot channels too),
// and the PTZ schedules with the source channel's PTZ linkage retargeted ("/6165", "/6167").
int on_set_videolost_audible_sche(char* text);
int on_set_videolost_email_sche(char* text);
int on_set_alarmin_audible_sche(char* text);
int on_set_alarmin_email_sche(char* text);
int on_set_videoloss_ptz_sche(char* text);
int on_set_alarmin_ptz_sche(char* text);

// One linkage field for several channels or alarm inputs: the video-loss alarm outputs
// ("/6123"), and the alarm inputs' trigger channels or alarm outputs with the effective
// schedule of one input ("/6127").
int on_set_videolost_others(char* text);
int on_set_alarm_others(char* text);
