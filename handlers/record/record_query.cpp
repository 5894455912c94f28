// Two questions to the core: "/6046" whether a channel supports recording (as the core
// sees the camera), "/6047" the primary and secondary recording values of the channels.
#include <json-c/json.h>

#include <optional>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"

namespace {

json_object* int_array(const int32_t* values, int count) {
  json_object* array = json_object_new_array();
  for (int i = 0; i < count; ++i) json_object_array_add(array, json_object_new_int(values[i]));
  return array;
}

// Sends a waited request; the JSON error body when no answer came.
void ask_core(int type, const void* payload, int length) {
  int rc = cgi_start_ipc(on_record_ipc_callback, type, length, payload, 0);
  if (g_callback_done == 0) cgi_error_to_webserver(kCgiJson);
  cgi_stop_ipc(rc);
}

}  // namespace

int on_get_record_support(char* text) {
  std::optional<int> channel = parse_channel_text(text);
  if (!channel) return -1;
  const int32_t payload = *channel;
  ask_core(kGetRecordSupport, &payload, sizeof payload);
  return 0;
}

int on_get_record_primary_secondary(char* /*text*/) {
  ask_core(kGetRecordStreams, nullptr, 0);
  return 0;
}

int on_get_record_support_cb(int count, const void* payload) {
  std::optional<RecordSupportAnswer> answer = ipc_record<RecordSupportAnswer>(payload, count, 0);
  if (!answer || !cgi_claim_response()) return -1;
  json_object* object = json_object_new_object();
  json_object_object_add(object, "chnid", json_object_new_int(answer->chnid));
  json_object_object_add(object, "support", json_object_new_int(answer->support));
  write_record_json(object);
  g_callback_done = 1;
  return 0;
}

int on_get_record_primary_secondary_cb(int count, const void* payload) {
  std::optional<RecordStreamsAnswer> answer = ipc_record<RecordStreamsAnswer>(payload, count, 0);
  if (!answer || !cgi_claim_response()) return -1;
  // The size comes from the core: never past the 64 entries each array holds.
  const int size = answer->size < 0 ? 0 : answer->size > kMaxChannels ? kMaxChannels : answer->size;
  json_object* object = json_object_new_object();
  json_object_object_add(object, "primary", int_array(answer->primary, size));
  json_object_object_add(object, "secondary", int_array(answer->secondary, size));
  json_object_object_add(object, "size", json_object_new_int(size));
  write_record_json(object);
  g_callback_done = 1;
  return 0;
}
