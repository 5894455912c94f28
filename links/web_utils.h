// The converters that the settings handlers share: weekly schedules, channel masks, the
// PTZ, white-LED and HTTP-notification linkage of events and the camera alarm-output
// selection, between the store's records and the web's JSON; and the request and file
// utilities every handler module uses.
//
// Converters keep no state, never talk to the core and never write a response. Values
// from a request may be short, of the wrong JSON type or missing elements: they are read
// only as far as they go, and what is missing reads as empty text and 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include "linkage.h"

struct json_object;

// ---- Schedules ------------------------------------------------------------------------

// 8 day arrays of 12 section objects {"startTime", "endTime", "actionType"}.
json_object* get_schedule_json_object(const ScheduleBlock* block);
// Reads 8 day arrays of 12 section arrays [start, end, action] from tree[key] into a
// cleared block. -1 (block untouched) when an argument is null or the key is absent.
int get_schedule_by_json(json_object* tree, const char* key, ScheduleBlock* block);
// The same for the store's second schedule record type (audible, e-mail, PTZ schedules).
json_object* get_schedule_json_object_ex(const ScheduleBlock* block);
int get_schedule_by_json_ex(json_object* tree, const char* key, ScheduleBlock* block);
// Camera form: sections without "actionType"; a row whose whole-day word is 0 reads "".
json_object* get_schedule_json_object_ipc(const ScheduleBlock* block);
// Camera form in: rows 0 to 6, sections 0 to 9, start and end; whole-day set on rows 0-6.
int get_schedule_by_json_ipc(json_object* tree, const char* key, ScheduleBlock* block);

// ---- Masks and small converters -------------------------------------------------------

// Bit v for each of the first tree[count_key] elements of tree[list_key] whose value v
// lies in 0 to 63; 0 when the count is absent or not positive.
uint64_t get_copy_flag_by_json(json_object* tree, const char* list_key, const char* count_key);

// One camera alarm-output text as read from a request.
struct AlarmOutItem {
  int32_t chn;
  int32_t index;  // 0 or 1
  char text[65];
};
// The two selection texts as a JSON array (each read up to 64 characters).
json_object* get_event_chn_alarmout_object(const char* text0, const char* text1);
// Fills items[0] and items[1] from the array under key (absent elements leave their item
// empty). -1 when an argument is null or the key is absent, else 0.
int get_event_chn_alarmout_by_object(int channel, json_object* tree, const char* key,
                                     AlarmOutItem items[2]);

// Smart-event index 0 to 8 to PTZ event type 5 to 13; -1 for any other value.
int get_smart_event_ptz_type(int event);

// Copies what follows the first `pattern` in `text` up to a "?" or the end into `out`
// (at most out_length - 1 characters, always terminated). -1 when an argument is null,
// the pattern is empty, out_length is not positive or the pattern is absent; else 0.
int get_section_info(const char* text, const char* pattern, char* out, int out_length);

// Bit i set when alarm audio file i (0 to 9) is in use ("audioIdMask").
int get_audio_file_id_mask();

// ---- PTZ linkage ----------------------------------------------------------------------

// Fills a cleared block from an array of objects with "acto_ptz_*" keys (at most 64).
// -1 when the channel is outside 0 to 15 or `array` or `block` is null.
int get_ptz_params_by_json(int channel, int event_type, json_object* array, PtzLinkBlock* block);
// Decodes and stores the block (people counting, type 20, in its own table). 1 when
// stored, 0 otherwise.
int set_ptz_params_by_json(int channel, int event_type, json_object* array);
// The stored entries whose PTZ channel is above 0, as objects with "acto_ptz_channel",
// "acto_ptz_type", "acto_ptz_preset", "acto_ptz_patrol".
json_object* get_ptz_params_json_object(int event_type, int channel);

// ---- White-LED linkage ----------------------------------------------------------------

// The channel's list in `table` as objects {"chnid", "mode", "time"}.
json_object* get_white_params_json_object(int channel, const char* table);
// Clears the slot block and reads the list under key into the channel's slot (entries as
// objects when the array's text names "chnid", else as [chnid, mode, time]). -1 when an
// argument is null, the channel is outside 0 to 63 or the key is absent.
int get_white_params_by_json(int channel, WhiteLedSlots* slots, json_object* tree, const char* key);
// People counting's list (at most 16 entries, not cleared first). `count`, when given,
// receives the number of entries read.
json_object* get_pcnt_white_params_json_object(int channel);
int get_pcnt_white_params_by_json(int channel, WhiteLedEntry* entries, json_object* tree,
                                  const char* key, int* count = nullptr);

// ---- HTTP notification ----------------------------------------------------------------

// {"chnId", "url", "username", "password"} of the channel's target in `table`.
json_object* get_http_params_json_object(int channel, const char* table);
// Clears the record, sets its channel and copies the texts of tree[key] (cut to 512, 96
// and 64 characters). -1 when an argument is null or the key is absent.
int get_http_params_by_json(int channel, HttpNotifyRecord* record, json_object* tree,
                            const char* key);

// ---- Request and file utilities -------------------------------------------------------

// The parsed request, owned by the caller; null for a null text or text that is not JSON.
json_object* get_request_tokener_json_object(const char* text);
// The whole file in a buffer from __dv_malloc (no terminating NUL), its size in *length;
// null with *length 0 when the file cannot be read. Free with __dv_free.
char* dv_get_file_data(const char* path, int* length);
// Creates or truncates the file and writes `length` bytes: 0, or -1 when not all were written.
int dv_wirte_file_data(const char* path, const char* data, int length);
