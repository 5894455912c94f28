// Regional people counting pages. The getter asks the camera for its record and answers it
// with each region's linkage read from the store; the setter stores the linkage of the
// regions the page sends (copied to the "copyChn" channels) first, then sends the camera
// its record and answers the camera's result.
#include "event/regional.h"

#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cgi_ipc.h"
#include "event/vca_record.h"
#include "event/video_ipc.h"
#include "field_json.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

constexpr auto kRegionalAnswerKeys =
    pick_keys(kRegionalKind,
              {"result", "chnid", "sensitivity", "minObjX", "minObjY", "minObjWidth",
               "minObjHeight", "maxObjX", "maxObjY", "maxObjWidth", "maxObjHeight", "regional"});
// The channel is the range-checked "chnid", set on its own.
constexpr auto kRegionalSetKeys = pick_keys(
    kRegionalKind, {"sensitivity", "minObjX", "minObjY", "minObjWidth", "minObjHeight", "maxObjX",
                    "maxObjY", "maxObjWidth", "maxObjHeight", "regional", "copyChn"});

// Stores the linkage of each region that "action" carries (element r for region r, at
// most four, up to the first missing element) and copies it to the channels of `mask`.
// Every region is tried; false when a store part of any failed.
[[nodiscard]] bool save_actions(json_object* tree, int channel, uint64_t mask) {
  json_object* actions = json_member(tree, "action");
  if (actions == nullptr || !json_object_is_type(actions, json_type_array)) return true;
  const std::size_t n = std::min<std::size_t>(json_object_array_length(actions), kRegionalRegions);
  bool ok = true;
  for (std::size_t r = 0; r < n; ++r) {
    json_object* action = json_object_array_get_idx(actions, r);
    if (action == nullptr) break;
    if (!json_object_is_type(action, json_type_object)) continue;
    const EventLinkageDesc& desc = kRegionalLinkage[r];
    RegionalPcntEventRecord rec{};
    LinkageSaveResult result;
    const bool saved =
        event_linkage_save(desc, action, channel, &rec, &result, kRegionalSaveScope) == 0;
    // The stored record is what the copy reads, so a part that failed is not spread.
    const bool copied = event_linkage_copy(desc, channel, nullptr, mask) == 0;
    if (!saved || !copied) {
      std::fprintf(stderr, "regional counting region %zu of channel %d: linkage %s failed\n", r,
                   channel, saved ? "copy" : "store");
      ok = false;
    }
  }
  return ok;
}

}  // namespace

int on_cgi_get_ipc_regional_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "regional counting", "\"chnid\" is no channel");
  kVideoCore.query(kRegionalGet, int32_t{*channel}, kCgiJson);
  return 0;
}

int on_cgi_set_ipc_regional_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "regional counting", "\"chnid\" is no channel");
  auto rec = std::make_unique<RegionalRecord>();
  *rec = RegionalRecord{};
  (void)record_from_json(kRegionalSetKeys, tree.get(), rec.get());
  rec->chn = *channel;
  (void)get_schedule_by_json_ipc(tree.get(), "effective", &rec->effective);

  // The channel's own linkage is never its own copy target.
  const uint64_t mask = get_channel_mask(rec->copy_chn) & ~(uint64_t{1} << *channel);
  if (!save_actions(tree.get(), *channel, mask))
    return refuse(kCgiJson, "regional counting", "a linkage part was not stored");
  kVideoCore.query(kRegionalSet, *rec, kCgiJson);
  return 0;
}

int on_get_ipc_regional_info_cb(int count, const void* payload) {
  if (count < 1 || payload == nullptr) return -1;
  auto rec = std::make_unique<RegionalRecord>();
  std::memcpy(rec.get(), payload, sizeof *rec);
  if (!channel_valid(rec->chn)) {
    std::fprintf(stderr, "regional counting answer for channel %d\n", rec->chn);
    return answer_error(kCgiJson);
  }
  Json actions(json_object_new_array());
  for (const EventLinkageDesc& desc : kRegionalLinkage) {
    json_object* action = event_linkage_json(desc, rec->chn);
    if (action == nullptr) {
      std::fprintf(stderr, "regional counting region %d of channel %d: linkage read failed\n",
                   desc.index, rec->chn);
      return answer_error(kCgiJson);
    }
    json_object_array_add(actions.get(), action);
  }
  json_object* o = json_object_new_object();
  (void)record_to_json(kRegionalAnswerKeys, rec.get(), o);
  json_object_object_add(o, "effective", get_schedule_json_object_ipc(&rec->effective));
  json_object_object_add(o, "action", actions.release());
  return answer_json(o);
}

int on_set_ipc_regional_info_cb(int count, const void* payload) {
  auto result = ipc_record<int32_t>(payload, count, 0);
  if (!result) return -1;
  json_object* o = json_object_new_object();
  json_object_object_add(o, "res", json_object_new_int(*result));
  return answer_json(o);
}
