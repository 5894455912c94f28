// Two questions to the core: "/6046" whether a channel supports recording (as the core
// sees the camera), "/6047" the primary and secondary recording values of the channels.
#include <json-c/json.h>

#include <optional>

#include "cgi_ipc.h"
#include "record/record_handlers.h"
#include "record/record_ipc.h"

namespace {

json_object* int_array(const int32_t* values, int count) {
  json_object* array = json_object_new_array();
  for (int i = 0; i < count; ++i) json_object_array_add(array, json_object_new_int(values[i]));
  return array;
}

}  // namespace

int on_get_record_support(char* text) {
  std::optional<int> channel = channel_from_text(text);
  if (!channel) return -1;
  kRecordCore.query(kGetRecordSupport, int32_t{*channel}, kCgiJson);
  return 0;
}

int on_get_record_primary_secondary(char* /*text*/) {
  kRecordCore.query(kGetRecordStreams, nullptr, 0, kCgiJson);
  return 0;
}

int on_get_record_support_cb(int count, const void* payload) {
  std::optional<RecordSupportAnswer> answer = ipc_record<RecordSupportAnswer>(payload, count, 0);
  if (!answer) return -1;
  json_object* object = json_object_new_object();
  json_object_object_add(object, "chnid", json_object_new_int(answer->chnid));
  json_object_object_add(object, "support", json_object_new_int(answer->support));
  return answer_json(object);
}

int on_get_record_primary_secondary_cb(int count, const void* payload) {
  std::optional<RecordStreamsAnswer> answer = ipc_record<RecordStreamsAnswer>(payload, count, 0);
  if (!answer) return -1;
  // The size comes from the core: never past the 64 entries each array holds.
  const int size = answer->size < 0 ? 0 : answer->size > kMaxChannels ? kMaxChannels : answer->size;
  json_object* object = json_object_new_object();
  json_object_object_add(object, "primary", int_array(answer->primary, size));
  json_object_object_add(object, "secondary", int_array(answer->secondary, size));
  json_object_object_add(object, "size", json_object_new_int(size));
  return answer_json(object);
}
