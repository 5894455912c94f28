// What the camera module's handler files share: request checks, the waited and the
// fire-and-forget core exchanges through the module's callback, and the writers that
// answer callbacks use (claim the response, write, then set the flag).
#pragma once

#include <cstdint>
#include <optional>

#include "linkage.h"

struct json_object;

// True for a channel id the store and the core know (0 to 63).
constexpr bool camera_channel_valid(int64_t id) {
  return id >= 0 && id < kMaxChannels;
}

// The request parsed as a JSON object (owned by the caller), or null when the text is
// missing, not JSON, or JSON of another kind.
json_object* camera_request_object(const char* text);

// The integer under `key` when present (and not JSON null), read as json-c reads it.
[[nodiscard]] std::optional<int> camera_json_int(json_object* object, const char* key);
// True when `key` is present and its integer lies in lo..hi.
[[nodiscard]] bool camera_json_int_in(json_object* object, const char* key, int lo, int hi);
// True when `key` is present and its text is not empty.
[[nodiscard]] bool camera_json_text_nonempty(json_object* object, const char* key);

// Sends a request the core does not answer (change notices), through the module callback.
void camera_notify(int type, const void* payload, int length);
// Sends a request and waits for the answer callback; when none answered, writes the
// error body of `error_kind` (kCgiText or kCgiJson). Returns the flag the callback left
// (0 when no answer came).
int camera_query(int type, const void* payload, int length, int error_kind);

// Callback writers: each claims the response first and writes nothing when another
// writer already did; after writing it sets g_callback_done to `flag`. 0 when written,
// -1 otherwise. camera_answer_json releases `object` in every case.
int camera_answer_json(json_object* object, int flag = 1);
int camera_answer_text(const char* text, int flag = 1);
int camera_answer_error(int kind);

// Handler writer: the object as the JSON response, then released.
void camera_write_json(json_object* object);
