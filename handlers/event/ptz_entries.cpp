// PTZ linkage entries one by one. Every body names the event type ("type", one that has
// PTZ linkage blocks) and the event channel ("chn_id", 0 to 63); a body that does not
// parse or names an unknown type gets no answer, a channel outside 0 to 63 the text error.
// How an entry merges into its block is the store's (linkage.h).
#include "event/ptz_entries.h"

#include <json-c/json.h>

#include <cstddef>
#include <cstdio>
#include <optional>

#include "handler_kit.h"
#include "linkage.h"
#include "web_utils.h"

namespace {

struct EntryTarget {
  Json tree;
  int type = 0;
  int channel = 0;
};

std::optional<EntryTarget> entry_target(const char* text) {
  EntryTarget t;
  t.tree = request_object(text);
  auto type = json_int(t.tree.get(), "type");
  if (t.tree == nullptr || !type || !ptz_event_type_known(*type)) {
    std::fprintf(stderr, "PTZ entry: no body or no known \"type\"\n");
    return std::nullopt;
  }
  auto channel = channel_from_json(t.tree.get(), "chn_id");
  if (!channel) {
    std::fprintf(stderr, "PTZ entry: \"chn_id\" is no channel\n");
    cgi_error_to_webserver(kCgiText);
    return std::nullopt;
  }
  t.type = *type;
  t.channel = *channel;
  return t;
}

// The entry of "/6160" and "/6163": only the number its action type selects is kept.
PtzLinkEntry entry_of(const EntryTarget& t) {
  json_object* o = t.tree.get();
  PtzLinkEntry e{};
  e.eventChn = t.channel;
  e.ptzChn = json_int(o, "acto_ptz_channel").value_or(0);
  e.actionType = json_int(o, "acto_ptz_type").value_or(0);
  switch (e.actionType) {
    case 1:
      e.preset = json_int(o, "acto_ptz_preset").value_or(0);
      break;
    case 2:
      e.patrol = json_int(o, "acto_ptz_patrol").value_or(0);
      break;
    case 3:
      e.pattern = json_int(o, "acto_ptz_pattern").value_or(0);
      break;
    default:
      break;
  }
  return e;
}

int answer_store(int rc, const char* what) {
  if (rc != 0) {
    std::fprintf(stderr, "PTZ entry: %s not stored\n", what);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

int remove_entry(const EntryTarget& t, int ptz_channel) {
  return t.type == kPtzEventPeopleCount
             ? delete_peoplecnt_ptz_params(kStoreMain, t.channel, ptz_channel)
             : delete_ptz_params(kStoreMain, t.type, t.channel, ptz_channel);
}

}  // namespace

int on_set_ptz_params(char* text) {
  auto t = entry_target(text);
  if (!t) return -1;
  const PtzLinkEntry e = entry_of(*t);
  return answer_store(t->type == kPtzEventPeopleCount ? write_peoplecnt_ptz_params(kStoreMain, &e)
                                                      : write_ptz_params(kStoreMain, &e, t->type),
                      "new entry");
}

int on_update_ptz_params(char* text) {
  auto t = entry_target(text);
  if (!t) return -1;
  auto old_channel = channel_from_json(t->tree.get(), "old_chn_id");
  if (!old_channel) {
    std::fprintf(stderr, "PTZ entry: \"old_chn_id\" is no channel\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const PtzLinkEntry e = entry_of(*t);
  return answer_store(t->type == kPtzEventPeopleCount
                          ? update_peoplecnt_ptz_params(kStoreMain, &e, *old_channel)
                          : update_ptz_params(kStoreMain, &e, t->type, *old_channel),
                      "changed entry");
}

int on_get_ptz_params(char* text) {
  auto t = entry_target(text);
  if (!t) return -1;
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "ptzInfo", get_ptz_params_json_object(t->type, t->channel));
  write_json(answer.get());
  return 0;
}

int on_delete_ptz_params(char* text) {
  auto t = entry_target(text);
  if (!t) return -1;
  auto ptz_channel = json_int(t->tree.get(), "acto_ptz_channel");
  if (!ptz_channel || *ptz_channel < 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  return answer_store(remove_entry(*t, *ptz_channel), "deletion");
}

// One deletion per element, in order; an element that is no PTZ channel is skipped.
int on_delete_ptz_params_batch(char* text) {
  auto t = entry_target(text);
  if (!t) return -1;
  json_object* list = json_member(t->tree.get(), "ptzChannel");
  if (list == nullptr || !json_object_is_type(list, json_type_array)) return -1;
  bool failed = false;
  const std::size_t n = json_object_array_length(list);
  for (std::size_t i = 0; i < n; ++i) {
    json_object* v = json_object_array_get_idx(list, i);
    if (!json_object_is_type(v, json_type_int) || json_object_get_int(v) < 0) continue;
    if (remove_entry(*t, json_object_get_int(v)) != 0) failed = true;
  }
  return answer_store(failed ? -1 : 0, "batch deletion");
}
