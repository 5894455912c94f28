// The record module's answer callback and the channel lists of its save requests.
#include "record/record_ipc.h"

#include <json-c/json.h>

void on_record_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  RecordRouter::route(context, header_words, payload);
}

ChannelSelection read_channel_selection(json_object* tree, const char* list_key,
                                        const char* count_key) {
  ChannelSelection sel;
  json_object* count_value = json_member(tree, count_key);
  json_object* list = json_member(tree, list_key);
  if (count_value == nullptr || !json_object_is_type(list, json_type_array)) return sel;
  const int64_t count = json_object_get_int64(count_value);
  const std::size_t length = json_object_array_length(list);
  for (std::size_t i = 0; i < length && static_cast<int64_t>(i) < count; ++i) {
    int channel = json_object_get_int(json_object_array_get_idx(list, i));
    sel.last = channel;
    if (!channel_valid(channel)) continue;
    uint64_t bit = uint64_t{1} << channel;
    if ((sel.mask & bit) != 0) continue;  // each channel once: the list holds 64 at most
    sel.mask |= bit;
    sel.list.channel[sel.list.count++] = channel;
  }
  return sel;
}
