// The record module's answer table and the helpers its handlers share.
#include "record/record_ipc.h"

#include <json-c/json.h>

#include <cctype>
#include <charconv>

#include "cgi_ipc.h"
#include "cgi_response.h"
#include "loginfo.h"
#include "record_json.h"
#include "web_utils.h"

namespace {

// Every answer the record handlers wait for; the callbacks live beside their handlers.
constexpr IpcAnswerRoute kRecordAnswers[] = {
    {kSetCameraAnrAnswer, sizeof(AnrAnswer), on_set_record_anr_cb},
    {kGetRecordSupportAnswer, sizeof(RecordSupportAnswer), on_get_record_support_cb},
    {kGetRecordStreamsAnswer, sizeof(RecordStreamsAnswer), on_get_record_primary_secondary_cb},
};

bool is_space(char c) {
  return std::isspace(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

void on_record_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  ipc_router<kRecordAnswers>(context, header_words, payload);
}

std::optional<int> parse_channel_text(const char* text) {
  if (text == nullptr) return std::nullopt;
  const char* begin = text;
  while (is_space(*begin)) ++begin;
  const char* end = begin;
  while (*end >= '0' && *end <= '9') ++end;
  const char* rest = end;
  while (is_space(*rest)) ++rest;
  if (end == begin || *rest != '\0') return std::nullopt;
  int channel = -1;
  auto [stop, ec] = std::from_chars(begin, end, channel);
  if (ec != std::errc() || stop != end || channel < 0 || channel >= kMaxChannels)
    return std::nullopt;
  return channel;
}

ChannelSelection read_channel_selection(json_object* tree, const char* list_key,
                                        const char* count_key) {
  ChannelSelection sel;
  json_object* count_value = nullptr;
  json_object* list = nullptr;
  if (!json_object_is_type(tree, json_type_object) ||
      !json_object_object_get_ex(tree, count_key, &count_value) ||
      !json_object_object_get_ex(tree, list_key, &list) ||
      !json_object_is_type(list, json_type_array))
    return sel;
  const int64_t count = json_object_get_int64(count_value);
  const std::size_t length = json_object_array_length(list);
  for (std::size_t i = 0; i < length && static_cast<int64_t>(i) < count; ++i) {
    int channel = json_object_get_int(json_object_array_get_idx(list, i));
    sel.last = channel;
    if (channel < 0 || channel >= kMaxChannels) continue;
    uint64_t bit = uint64_t{1} << channel;
    if ((sel.mask & bit) != 0) continue;  // each channel once: the list holds 64 at most
    sel.mask |= bit;
    sel.list.channel[sel.list.count++] = channel;
  }
  return sel;
}

void send_record_notice(int type, const void* payload, int length) {
  int rc = cgi_start_ipc(on_record_ipc_callback, type, length, payload, 1);
  cgi_stop_ipc(rc);
}

void send_record_mask_notice(int type, uint64_t mask) {
  CoreChannelMask words = core_channel_mask(mask);
  send_record_notice(type, &words, sizeof words);
}

void send_record_log(int param_type, int channel) {
  cgi_send_log(on_record_ipc_callback, cgi_make_log(kLogSubParameter, param_type, channel));
}

void write_record_json(json_object* object) {
  cgi_writeback_webserver(kCgiJson, json_object_to_json_string(object));
  json_object_put(object);
}

void write_record_list(const char* key, const RecordKind& kind, const void* records, int count,
                       const JsonKeyMap* keys, int key_count) {
  json_object* list = json_object_new_array();
  const auto* bytes = static_cast<const unsigned char*>(records);
  for (int i = 0; i < count; ++i) {
    const void* record = bytes + static_cast<std::size_t>(i) * kind.size;
    json_object* object = json_object_new_object();
    if (keys != nullptr)
      (void)record_to_json_as(kind, record, object, keys, key_count);
    else
      (void)record_to_json(kind, record, object);
    json_object_array_add(list, object);
  }
  json_object* answer = json_object_new_object();
  json_object_object_add(answer, key, list);
  write_record_json(answer);
}

json_object* parse_record_request(const char* text, bool (*check)(json_object*)) {
  json_object* tree = get_request_tokener_json_object(text);
  if (tree != nullptr && check != nullptr && !check(tree)) {
    json_object_put(tree);
    return nullptr;
  }
  return tree;
}
