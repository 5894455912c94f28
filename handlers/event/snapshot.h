// Snapshot pages: the weekly snapshot schedule ("/6174", "/6175"), the snapshot parameters
// ("/6176", "/6177") and snapshot taking started or stopped on several channels ("/6178").
#pragma once

int on_get_snapshot_schedule(char* text);
int on_set_snapshot_schedule(char* text);
int on_get_snapshot_setting_params(char* text);
int on_set_snapshot_setting_params(char* text);
int on_set_snapshot_batch_setting(char* text);
