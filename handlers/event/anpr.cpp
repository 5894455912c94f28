// Number-plate recognition pages. The linkage pages ("/6179", "/6180") work on the store
// alone, through the mode's description; the recognition settings, plate format, support and
// zoom pages ask the camera through the core and wait for its answer. Every request with a bad
// channel or mode, a body that does not parse, or no answer gets the JSON error.
#include "event/anpr.h"

#include <json-c/json.h>

#include <cstdio>
#include <memory>
#include <optional>

#include "cgi_ipc.h"
#include "event/anpr_record.h"
#include "event/video_ipc.h"
#include "field_json.h"
#include "handler_kit.h"

namespace {

constexpr auto kEnableKey = pick_keys(kAnprEventKind, {"enable"});
// The plate format object: its plain keys, and the wildcards kept as parallel arrays.
constexpr auto kFormatKeys = pick_keys(kAnprFormatKind, {"chnid", "filter", "maxPlateCharNum"});
constexpr auto kWildcardColumns = pick_keys(kAnprFormatKind, {"enable", "cr_count", "format"});

// A getter's {"chnid"}: the channel sent as one int32 and the answer awaited.
int query_channel(const char* text, int type) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "plate recognition", "\"chnid\" is no channel");
  kVideoCore.query(type, int32_t{*channel}, kCgiJson);
  return 0;
}

struct ModeRequest {
  int channel;
  int mode;
};

// "chnid" 0 to 63 and "mode" -1 to 2, or nothing.
std::optional<ModeRequest> mode_request(json_object* tree) {
  auto channel = channel_from_json(tree, "chnid");
  auto mode = json_whole_int(tree, "mode");
  if (!channel || !mode || !anpr_mode_valid(*mode)) return std::nullopt;
  return ModeRequest{*channel, *mode};
}

// The plate format record of `object` on a cleared record; the wildcards never beyond the
// record's nine entries (eight counts), whatever the array holds.
void format_from_json(json_object* object, int channel, AnprFormatRecord* rec) {
  *rec = AnprFormatRecord{};
  (void)record_from_json(kFormatKeys, object, rec);
  (void)record_columns_from_json(kWildcardColumns, json_member(object, "wildcards"), rec,
                                 kAnprWildcards);
  rec->chnid = channel;
}

// The channel of a "formatData" object: its own "chnid", or the request's when it has none.
std::optional<int> format_channel(json_object* format, int channel) {
  return json_member(format, "chnid") != nullptr ? channel_from_json(format, "chnid")
                                                 : std::optional<int>(channel);
}

}  // namespace

// ---- Linkage of the list modes ------------------------------------------------------------------

int on_get_anpr_mode_params(char* text) {
  Json tree = request_object(text);
  auto request = mode_request(tree.get());
  Json answer(request ? event_linkage_json(*anpr_linkage(request->mode), request->channel)
                      : nullptr);
  if (answer == nullptr)
    return refuse(kCgiJson, "plate mode linkage", "bad \"chnid\" or \"mode\", or unreadable");
  write_json(answer.get());
  return 0;
}

int on_set_anpr_mode_params(char* text) {
  Json tree = request_object(text);
  auto request = mode_request(tree.get());
  json_object* dialog = json_member(tree.get(), "dialog");
  const bool has_enable = json_member(tree.get(), "enable") != nullptr;
  if (!request || (dialog != nullptr && !json_object_is_type(dialog, json_type_object)) ||
      (has_enable && !json_whole_int_in(tree.get(), "enable", 0, 1)))
    return refuse(kCgiJson, "plate mode linkage",
                  "bad \"chnid\", \"mode\", \"dialog\" or \"enable\"");
  const auto [channel, mode] = *request;

  AnprEventRecord rec{};
  LinkageSaveResult result;
  bool failed =
      dialog != nullptr && save_anpr_dialog_data(dialog, &rec, mode, channel, &result) != 0;
  bool stored = result.stored;
  if (has_enable) {
    if (read_anpr_event(kStoreMain, &rec, channel, mode) != 0) {
      failed = true;
    } else {
      (void)record_from_json(kEnableKey, tree.get(), &rec);
      if (write_anpr_event(kStoreMain, &rec, mode) != 0)
        failed = true;
      else
        stored = true;
    }
  }
  if (!failed || stored) event_linkage_notify(*anpr_linkage(mode), kVideoCore.callback, channel);
  if (failed) {
    std::fprintf(stderr, "plate mode %d linkage of channel %d: a store call failed\n", mode,
                 channel);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

// ---- Recognition settings -----------------------------------------------------------------------

int on_get_anpr_settings(char* text) {
  return query_channel(text, kAnprSettingsGet);
}

int on_set_anpr_settings(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "plate recognition", "\"chnid\" is no channel");
  json_object* dialog = json_member(tree.get(), "dialog");
  json_object* format_data = json_member(tree.get(), "formatData");
  std::optional<int> format_chn = format_channel(format_data, *channel);
  if ((dialog != nullptr && !json_object_is_type(dialog, json_type_object)) ||
      (format_data != nullptr &&
       (!json_object_is_type(format_data, json_type_object) || !format_chn)))
    return refuse(kCgiJson, "plate recognition settings", "bad \"dialog\" or \"formatData\"");

  // 1. The recognition's own linkage (mode -1).
  if (dialog != nullptr) {
    AnprEventRecord rec{};
    LinkageSaveResult result;
    const int rc = save_anpr_dialog_data(dialog, &rec, kAnprModeFirst, *channel, &result);
    if (result.stored)
      event_linkage_notify(*anpr_linkage(kAnprModeFirst), kVideoCore.callback, *channel);
    if (rc != 0) {
      std::fprintf(stderr, "plate recognition linkage of channel %d: a store call failed\n",
                   *channel);
      return refuse(kCgiJson, "plate recognition settings", "linkage not stored");
    }
  }

  // 2. The plate format, sent without waiting. Without "formatData" the camera keeps its own:
  // a cleared record would erase its wildcards.
  if (format_data != nullptr) {
    AnprFormatRecord format;
    format_from_json(format_data, *format_chn, &format);
    kNoAnswerCore.notice(kAnprFormatSet, format);
  }

  // 3. The settings on a cleared record; the polygons only for the analysis types that
  // draw them.
  const bool polygons = json_int(tree.get(), "jsonSupport").value_or(0) != 0 &&
                        on_cgi_is_dv_lpr(json_int(tree.get(), "aitype").value_or(0));
  if (!polygons) json_object_object_del(tree.get(), "normalPolygons");
  auto rec = std::make_unique<AnprSettingsRecord>();
  *rec = AnprSettingsRecord{};
  (void)record_from_json(kAnprSettingsKind, tree.get(), rec.get());
  rec->chnid = *channel;

  // 4. The camera's result.
  kVideoCore.query(kAnprSettingsSet, *rec, kCgiJson);
  return 0;
}

int on_get_anpr_settings_cb(int count, const void* payload) {
  return answer_record_json<AnprSettingsRecord>(kAnprSettingsKind, count, payload);
}

// ---- Support and zoom state ---------------------------------------------------------------------

int on_get_anpr_support_anpr(char* text) {
  return query_channel(text, kAnprSupportGet);
}

int on_get_anpr_support_anpr_cb(int count, const void* payload) {
  return answer_record_json<AnprSupportAnswer>(kAnprSupportKind, count, payload);
}

int on_get_ipc_zoom_state(char* text) {
  return query_channel(text, kAnprZoomGet);
}

int on_get_ipc_zoom_state_cb(int count, const void* payload) {
  return answer_record_json<AnprZoomAnswer>(kAnprZoomKind, count, payload);
}

// ---- Plate format (wildcards) -------------------------------------------------------------------

int on_get_ipc_anpr_wildcards(char* text) {
  return query_channel(text, kAnprFormatGet);
}

int on_set_ipc_anpr_wildcards(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "plate recognition", "\"chnid\" is no channel");
  AnprFormatRecord rec;
  format_from_json(tree.get(), *channel, &rec);
  kVideoCore.query(kAnprFormatSet, rec, kCgiJson);
  return 0;
}

int on_get_ipc_anpr_wildcards_cb(int count, const void* payload) {
  auto rec = ipc_record<AnprFormatRecord>(payload, count, 0);
  if (!rec) return -1;
  json_object* o = json_object_new_object();
  (void)record_to_json(kFormatKeys, &*rec, o);
  json_object_object_add(o, "wildcards",
                         record_columns_to_json(kWildcardColumns, &*rec, kAnprWildcards));
  return answer_json(o);
}
