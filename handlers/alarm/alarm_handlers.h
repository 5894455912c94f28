// The request handlers of the alarm contacts: the recorder's outputs ("/6020" to "/6023"),
// its inputs with their linkage ("/6026", "/6027") and the older simple input pages
// ("/6060" to "/6064"), the cameras' inputs and outputs ("/6024", "/6025", "/6028",
// "/6029", "/6033") and the name lists ("/6032", "/6034").
#pragma once

int on_get_alarm_outputs(char* text);
int on_get_alarm_output(char* text);
int on_set_alarm_output(char* text);
int on_trigger_alarm_output(char* text);
int on_get_all_alarmout_names(char* text);

int on_get_nvr_alarm_input(char* text);
int on_set_nvr_alarm_input(char* text);
int on_get_alarm_inputs(char* text);
int on_get_alarm_input(char* text);
int on_set_alarm_input(char* text);
int on_set_alarm_input_basic(char* text);
int on_set_alarm_input_params(char* text);
int on_get_all_alarmin_names(char* text);

int on_get_camera_alarm_input(char* text);
int on_set_camera_alarm_input(char* text);
int on_get_camera_alarm_output(char* text);
int on_set_camera_alarm_output(char* text);
int on_set_camera_alarm_output_state(char* text);
