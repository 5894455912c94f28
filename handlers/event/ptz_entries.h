// The PTZ linkage entries of one event channel edited one at a time: add ("/6160"), list
// ("/6161"), delete one ("/6162") or several ("/6164") by PTZ channel, and move or change
// one ("/6163"). Event type 20 (people counting) edits its own 16-entry table.
#pragma once

int on_set_ptz_params(char* text);
int on_get_ptz_params(char* text);
int on_delete_ptz_params(char* text);
int on_delete_ptz_params_batch(char* text);
int on_update_ptz_params(char* text);
