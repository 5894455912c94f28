// Smart-event (VCA) pages. Detection settings live on the camera: a getter asks the core,
// whose answer writer turns the camera's record into the page's JSON; a setter builds the
// whole record, stores the event's linkage first ("dialog", then copied to the "copyChn"
// channels) and waits for the camera's result. The linkage pages ("/6148" to "/6151")
// work on the store alone.
#include "event/vca.h"

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

// ---- Key picks --------------------------------------------------------------------------------

// Getter answers, in their key order.
constexpr auto kRegionAnswer =
    pick_keys(kVcaAreaKind, {"region", "enable", "sensitivity", "objtype", "polygonX", "polygonY"});
constexpr auto kMotionAnswer = pick_keys(
    kVcaAreaKind,
    {"region", "enable", "sensitivity", "ignore_time", "objtype", "polygonX", "polygonY"});
constexpr auto kTamperAnswer = pick_keys(kVcaAreaKind, {"enable", "sensitivity"});
constexpr auto kLoiteringAnswer = pick_keys(
    kVcaAreaKind, {"region", "enable", "time", "size", "objtype", "polygonX", "polygonY"});
constexpr auto kHumanAnswer = pick_keys(kVcaAreaKind, {"enable", "tracks"});
constexpr auto kLineAnswer = pick_keys(kVcaLineKind, {"enable", "width", "height", "objtype"});
constexpr auto kObjectAnswer = pick_keys(
    kVcaObjectKind,
    {"region", "left_enable", "remove_enable", "min_time", "sensitivity", "polygonX", "polygonY"});
constexpr auto kSettingsAnswer =
    pick_keys(kVcaSettingsKind, {"fps", "mode", "installation", "analysis", "width", "height",
                                 "vcaType", "minStartX", "minStartY", "minWidth", "minHeight",
                                 "maxStartX", "maxStartY", "maxWidth", "maxHeight"});
// The box, x and y values alternating (vca_box_from_web).
constexpr auto kSettingsBox =
    pick_keys(kVcaSettingsKind, {"minStartX", "minStartY", "minWidth", "minHeight", "maxStartX",
                                 "maxStartY", "maxWidth", "maxHeight"});
constexpr auto kPeopleAnswer =
    pick_keys(kVcaPeopleKind, {"width", "height", "osdEnable", "osdFontSize", "osdTextPos",
                               "osdType", "sensitivity", "lineNum"});
// The line keys the people-counting answer gives as arrays of four values.
constexpr auto kCountLineAnswer =
    pick_keys(kVcaCountLineKind, {"lineEnable", "autoResetEnable", "direction", "showCntEnable",
                                  "startX", "startY", "stopX", "stopY", "autoResetWeekday",
                                  "autoResetHour", "autoResetMin", "autoResetSec"});

// Setter keys of each event's row of the area record.
constexpr auto kRegionSet =
    pick_keys(kVcaAreaKind, {"enable", "sensitivity", "region", "objtype", "polygonX", "polygonY",
                             "copyChn", "regionType", "regionScene"});
constexpr auto kMotionSet =
    pick_keys(kVcaAreaKind, {"enable", "sensitivity", "region", "ignore_time", "objtype",
                             "polygonX", "polygonY", "copyChn", "regionType", "regionScene"});
constexpr auto kTamperSet = pick_keys(kVcaAreaKind, {"enable", "sensitivity", "copyChn"});
constexpr auto kLoiteringSet =
    pick_keys(kVcaAreaKind, {"enable", "sensitivity", "time", "size", "region", "objtype",
                             "polygonX", "polygonY", "copyChn", "regionType", "regionScene"});
constexpr auto kHumanSet = pick_keys(kVcaAreaKind, {"enable", "tracks", "copyChn"});
constexpr auto kLineSet =
    pick_keys(kVcaLineKind, {"enable", "objtype", "copyChn", "width", "height"});
constexpr auto kObjectSet =
    pick_keys(kVcaObjectKind, {"sensitivity", "left_enable", "remove_enable", "min_time", "region",
                               "polygonX", "polygonY", "copyChn", "regionType", "regionScene"});
constexpr auto kSettingsSet = pick_keys(
    kVcaSettingsKind, {"vcaType", "fps", "mode", "installation", "analysis", "width", "height"});
constexpr auto kPeopleSet =
    pick_keys(kVcaPeopleKind, {"width", "height", "osdEnable", "osdFontSize", "osdTextPos",
                               "sensitivity", "osdType", "lineNum", "triggerType", "triggerEnable",
                               "totalAlarmEnable", "totalAlarmThreshold", "copyChn"});
// "/6151", in its answer order.
constexpr auto kCommonAnswer =
    pick_keys(kSmartEventKind, {"chnid", "enable", "triAlarms", "interval", "email_interval",
                                "email_pic_enable", "tri_channels_pic", "triChannels"});
constexpr auto kAlarmsKey = pick_keys(kSmartEventKind, {"triAlarms"});
constexpr auto kChannelsKey = pick_keys(kSmartEventKind, {"triChannels"});

// ---- Shared steps -----------------------------------------------------------------------------

int text_error() {
  cgi_error_to_webserver(kCgiText);
  return -1;
}

// "regionInfo": up to four region objects, each with up to five polygons in its "region"
// array; region types below 2 draw one polygon per region, type 0 draws none.
template <class Region>
void fill_regions(json_object* tree, int region_type, Region (&regions)[kVcaRegions],
                  const RecordKind& region_kind) {
  if (region_type == 0) return;
  json_object* info = json_member(tree, "regionInfo");
  if (info == nullptr || !json_object_is_type(info, json_type_array)) return;
  const std::size_t count = std::min<std::size_t>(json_object_array_length(info), kVcaRegions);
  const std::size_t polygons = region_type < 2 ? 1 : kVcaPolygons;
  for (std::size_t r = 0; r < count; ++r) {
    json_object* region = json_object_array_get_idx(info, r);
    if (!json_object_is_type(region, json_type_object)) continue;
    (void)record_from_json(region_kind, region, &regions[r]);
    json_object* list = json_member(region, "region");
    if (list == nullptr || !json_object_is_type(list, json_type_array)) continue;
    const std::size_t n = std::min(json_object_array_length(list), polygons);
    for (std::size_t p = 0; p < n; ++p)
      (void)record_from_json(kVcaPolygonKind, json_object_array_get_idx(list, p),
                             &vca_polygon(regions[r], static_cast<int>(p)));
  }
}

// The area setters: the event's keys on a cleared record, the regions where the event
// draws them, the linkage, then the camera.
int set_area(const char* text, int type, const FieldKeys& keys, bool regions) {
  Json tree = request_object(text);
  if (tree == nullptr) return text_error();
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return text_error();
  auto rec = std::make_unique<VcaAreaRecord>();
  *rec = VcaAreaRecord{};
  (void)record_from_json(keys, tree.get(), rec.get());
  rec->chn = *channel;
  if (regions) fill_regions(tree.get(), rec->region_type, rec->regions, kVcaRegionKind);
  // The event is the page's "type"; one outside 0 to 8 stores no linkage.
  const int event = json_int(tree.get(), "type").value_or(-1);
  if (!vca_save_linkage(tree.get(), event, rec->copy_chn, kCgiText)) return -1;
  kVideoCore.query(type, *rec, kCgiText);
  return 0;
}

template <class Rec>
int answer_pick(const FieldKeys& keys, const void* payload, int count) {
  auto rec = ipc_record<Rec>(payload, count, 0);
  if (!rec) return -1;
  json_object* o = json_object_new_object();
  (void)record_to_json(keys, &*rec, o);
  return answer_json(o);
}

// The line position text under `key` as camera points (see vca_points_from_web).
VcaPoints position_of(json_object* object, const char* key, VcaFrame frame) {
  json_object* v = json_member(object, key);
  return vca_points_from_web(v != nullptr ? json_object_get_string(v) : nullptr, frame);
}

}  // namespace

// ---- Shared by the smart-event pages of both forms ---------------------------------------------

int vca_query_channel(const char* text, const char* key, int type) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), key);
  if (!channel) {
    std::fprintf(stderr, "request %d: \"%s\" is no channel\n", type, key);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kVideoCore.query(type, int32_t{*channel}, kCgiJson);
  return 0;
}

bool vca_save_linkage(json_object* tree, int event, const char* copy_chn, int error_kind) {
  json_object* dialog = json_member(tree, "dialog");
  if (dialog == nullptr) return true;
  if (save_smart_event_dialog_data(event, dialog, get_channel_mask(copy_chn)) ==
      SmartEventSave::kFailed) {
    std::fprintf(stderr, "smart event %d: the linkage was not stored whole\n", event);
    cgi_error_to_webserver(error_kind);
    return false;
  }
  return true;
}

// ---- Area pages -------------------------------------------------------------------------------

int on_get_vca_region(char* text) {
  Json tree = request_object(text);
  const int type = json_int(tree.get(), "type").value_or(0);
  return vca_query_channel(text, "channel", type == 0 ? kVcaRegionEnterGet : kVcaRegionExitGet);
}
int on_set_vca_region(char* text) {
  Json tree = request_object(text);
  const int type = json_int(tree.get(), "type").value_or(0);
  return set_area(text, type == 0 ? kVcaRegionEnterSet : kVcaRegionExitSet, kRegionSet, true);
}
int on_get_vca_motion(char* text) {
  return vca_query_channel(text, "channel", kVcaMotionGet);
}
int on_set_vca_motion(char* text) {
  return set_area(text, kVcaMotionSet, kMotionSet, true);
}
int on_get_vca_tamper(char* text) {
  return vca_query_channel(text, "channel", kVcaTamperGet);
}
int on_set_vca_tamper(char* text) {
  return set_area(text, kVcaTamperSet, kTamperSet, false);
}
int on_get_vca_loitering(char* text) {
  return vca_query_channel(text, "channel", kVcaLoiteringGet);
}
int on_set_vca_loitering(char* text) {
  return set_area(text, kVcaLoiteringSet, kLoiteringSet, true);
}
int on_get_vca_human(char* text) {
  return vca_query_channel(text, "channel", kVcaHumanGet);
}
int on_set_vca_human(char* text) {
  return set_area(text, kVcaHumanSet, kHumanSet, false);
}

int on_get_vca_region_cb(int count, const void* payload) {
  return answer_pick<VcaAreaRecord>(kRegionAnswer, payload, count);
}
int on_get_vca_motion_cb(int count, const void* payload) {
  return answer_pick<VcaAreaRecord>(kMotionAnswer, payload, count);
}
int on_get_vca_tamper_cb(int count, const void* payload) {
  return answer_pick<VcaAreaRecord>(kTamperAnswer, payload, count);
}
int on_get_vca_loitering_cb(int count, const void* payload) {
  return answer_pick<VcaAreaRecord>(kLoiteringAnswer, payload, count);
}
int on_get_vca_human_cb(int count, const void* payload) {
  return answer_pick<VcaAreaRecord>(kHumanAnswer, payload, count);
}

// ---- Object left or removed -------------------------------------------------------------------

int on_get_vca_leftremove(char* text) {
  return vca_query_channel(text, "channel", kVcaLeftRemoveGet);
}

int on_set_vca_leftremove(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return text_error();
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return text_error();
  auto rec = std::make_unique<VcaObjectRecord>();
  *rec = VcaObjectRecord{};
  (void)record_from_json(kObjectSet, tree.get(), rec.get());
  rec->chn = *channel;
  fill_regions(tree.get(), rec->region_type, rec->regions, kVcaObjectRegionKind);
  if (!vca_save_linkage(tree.get(), kSmartEventObject, rec->copy_chn, kCgiText)) return -1;
  kVideoCore.query(kVcaLeftRemoveSet, *rec, kCgiText);
  return 0;
}

int on_get_vca_leftremove_cb(int count, const void* payload) {
  return answer_pick<VcaObjectRecord>(kObjectAnswer, payload, count);
}

// ---- Line crossing ----------------------------------------------------------------------------

int on_get_vca_line(char* text) {
  return vca_query_channel(text, "channel", kVcaLineGet);
}

int on_set_vca_line(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return text_error();
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return text_error();
  VcaLineRecord rec{};
  (void)record_from_json(kLineSet, tree.get(), &rec);
  rec.chn = *channel;
  if (!vca_save_linkage(tree.get(), kSmartEventLine, rec.copy_chn, kCgiText)) return -1;

  json_object* lines = json_member(tree.get(), "line");
  if (lines != nullptr && json_object_is_type(lines, json_type_array)) {
    const std::size_t n = std::min<std::size_t>(json_object_array_length(lines), kVcaLines);
    for (std::size_t i = 0; i < n; ++i) {
      json_object* line = json_object_array_get_idx(lines, i);
      VcaLine& out = rec.line[i];
      out.points = position_of(line, "position", {rec.width, rec.height});
      out.direction = json_int(line, "direction").value_or(0);
    }
  }
  kVideoCore.query(kVcaLineSet, rec, kCgiText);
  return 0;
}

int on_get_vca_line_cb(int count, const void* payload) {
  auto rec = ipc_record<VcaLineRecord>(payload, count, 0);
  if (!rec) return -1;
  json_object* o = json_object_new_object();
  json_object* lines = json_object_new_array();
  for (const VcaLine& l : rec->line) {
    json_object* line = json_object_new_object();
    json_object_object_add(line, "direction", json_object_new_int(l.direction));
    json_object_object_add(line, "position",
                           vca_points_to_web(l.points, {rec->width, rec->height}));
    json_object_array_add(lines, line);
  }
  json_object_object_add(o, "line", lines);
  (void)record_to_json(kLineAnswer, &*rec, o);
  return answer_json(o);
}

// ---- Analysis settings ------------------------------------------------------------------------

int on_get_vca_settings(char* text) {
  return vca_query_channel(text, "channel", kVcaSettingsGet);
}

int on_set_vca_settings(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return text_error();
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return text_error();
  VcaSettingsRecord rec{};
  (void)record_from_json(kSettingsSet, tree.get(), &rec);
  rec.chn = *channel;
  json_object* position = json_member(tree.get(), "position");
  json_object* box = nullptr;
  if (position != nullptr && json_object_is_type(position, json_type_array) &&
      json_object_array_length(position) > 0)
    box = json_object_array_get_idx(position, 0);
  vca_box_from_web(kSettingsBox, box, 0, {rec.width, rec.height}, &rec);
  kVideoCore.query(kVcaSettingsSet, rec, kCgiText);
  return 0;
}

int on_get_vca_settings_cb(int count, const void* payload) {
  auto rec = ipc_record<VcaSettingsRecord>(payload, count, 0);
  if (!rec) return -1;
  json_object* o = json_object_new_object();
  (void)record_to_json(kSettingsAnswer, &*rec, o);
  json_object* box = json_object_new_object();
  vca_box_to_web(kSettingsBox, &*rec, 0, {rec->width, rec->height}, box);
  json_object* position = json_object_new_array();
  json_object_array_add(position, box);
  json_object_object_add(o, "position", position);
  return answer_json(o);
}

// ---- People counting --------------------------------------------------------------------------

int on_get_vca_people(char* text) {
  return vca_query_channel(text, "channel", kVcaPeopleGet);
}

int on_set_vca_people(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return text_error();
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return text_error();
  SmartEventRecord event{};
  if (read_smart_event(kStoreMain, &event, *channel, kSmartEventPeople) != 0) return text_error();

  auto rec = std::make_unique<VcaPeopleRecord>();
  *rec = VcaPeopleRecord{};
  (void)record_from_json(kPeopleSet, tree.get(), rec.get());
  rec->chn = *channel;
  (void)get_schedule_by_json_ipc(tree.get(), "effective", &rec->effective);
  json_object* lines = json_member(tree.get(), "line");
  if (lines != nullptr && json_object_is_type(lines, json_type_array)) {
    const std::size_t n = std::min<std::size_t>(json_object_array_length(lines), kVcaLines);
    for (std::size_t i = 0; i < n; ++i) {
      json_object* line = json_object_array_get_idx(lines, i);
      VcaCountLine& out = rec->line[i];
      (void)record_from_json(kVcaCountLineKind, line, &out);
      if (json_member(line, "position") == nullptr) continue;
      // The page sends what the getter gave it: positions in the web frame.
      const VcaPoints p = position_of(line, "position", {rec->width, rec->height});
      out.start_x = p.start_x;
      out.start_y = p.start_y;
      out.stop_x = p.end_x;
      out.stop_y = p.end_y;
    }
  }

  event.enable = std::any_of(std::begin(rec->line), std::end(rec->line),
                             [](const VcaCountLine& l) { return l.line_enable != 0; })
                     ? 1
                     : 0;
  if (write_smart_event(kStoreMain, event) != 0) return text_error();
  if (!vca_save_linkage(tree.get(), kSmartEventPeople, rec->copy_chn, kCgiText)) return -1;
  kVideoCore.query(kVcaPeopleSet, *rec, kCgiText);
  return 0;
}

int on_get_vca_people_cb(int count, const void* payload) {
  auto rec = std::make_unique<VcaPeopleRecord>();
  if (count < 1 || payload == nullptr) return -1;
  std::memcpy(rec.get(), payload, sizeof *rec);
  json_object* o = json_object_new_object();
  (void)record_to_json(kPeopleAnswer, rec.get(), o);
  for (const FieldKey& key : FieldKeys(kCountLineAnswer).keys) {
    json_object* values = json_object_new_array();
    for (const VcaCountLine& l : rec->line)
      json_object_array_add(values, field_to_json(*key.field, &l, RecordNames::kJson));
    json_object_object_add(o, key.json_key, values);
  }
  json_object* positions = json_object_new_array();
  for (const VcaCountLine& l : rec->line)
    json_object_array_add(positions, vca_points_to_web({l.start_x, l.start_y, l.stop_x, l.stop_y},
                                                       {rec->width, rec->height}));
  json_object_object_add(o, "position", positions);
  return answer_json(o);
}

// ---- Count reset and support ------------------------------------------------------------------

int on_vca_clear_people_count(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "channel");
  if (!channel) return text_error();
  VcaClearCount clear{};
  clear.chn = *channel;
  clear.line = json_int(tree.get(), "line").value_or(0);
  clear.resetdb = json_int(tree.get(), "resetdb").value_or(0);
  kVideoCore.query(kVcaClearCount, clear, kCgiText);
  return 0;
}

int on_get_vca_support(char* text) {
  Json tree = request_object(text);
  // The camera side checks the channel; the page asks with whatever it holds.
  const int32_t channel = json_int(tree.get(), "channel").value_or(0);
  kVideoCore.query(kVcaSupportGet, channel, kCgiJson);
  return 0;
}

int on_get_vca_support_cb(int count, const void* payload) {
  if (count < 0 || payload == nullptr) return -1;
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) {
    auto entry = ipc_record<VcaSupportEntry>(payload, count, i);
    if (!entry) break;
    json_object* o = json_object_new_object();
    (void)record_to_json(kVcaSupportKind, &*entry, o);
    json_object_array_add(list, o);
  }
  return answer_json(list);
}

// ---- Linkage pages ----------------------------------------------------------------------------

int on_get_smart_event_schedule(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  const int event = json_int(tree.get(), "event").value_or(-1);
  Json action(channel && smart_event_valid(event)
                  ? event_linkage_json(kSmartEventLinkage[event], *channel)
                  : nullptr);
  if (action == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "action", action.release());
  write_json(answer.get());
  return 0;
}

int on_set_smart_event_schedule(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  const int event = json_int(tree.get(), "event").value_or(-1);
  if (!channel || !smart_event_valid(event)) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const EventLinkageDesc& desc = kSmartEventLinkage[event];
  SmartEventRecord rec{};
  LinkageSaveResult result;
  const int rc =
      event_linkage_save(desc, tree.get(), *channel, &rec, &result, kSmartEventScheduleScope);
  if (rc == 0 || result.stored) event_linkage_notify(desc, kVideoCore.callback, *channel);
  if (rc != 0) return text_error();
  write_ok();
  return 0;
}

int on_set_vca_allrtm_others(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "channel");
  const int event = json_int(tree.get(), "event").value_or(-1);
  SmartEventRecord rec{};
  if (!channel || !smart_event_valid(event) ||
      read_smart_event(kStoreMain, &rec, *channel, event) != 0) {
    cgi_writeback_webserver(kCgiText, "ERROT");
    return -1;
  }
  const int type = json_int(tree.get(), "type").value_or(-1);
  if (type == 0) (void)record_from_json(kAlarmsKey, tree.get(), &rec);
  if (type == 1) {
    (void)record_from_json(kChannelsKey, tree.get(), &rec);
    event_linkage_rebuild_trigger_mask(kSmartEventLinkage[event], &rec);
  }
  if (write_smart_event(kStoreMain, rec) != 0) {
    cgi_writeback_webserver(kCgiText, "ERROT");
    return -1;
  }
  event_linkage_notify(kSmartEventLinkage[event], kVideoCore.callback, *channel);
  write_ok();
  return 0;
}

int on_get_vca_common_para(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "channel");
  const int event = json_int(tree.get(), "type").value_or(-1);
  SmartEventRecord rec{};
  if (!channel || !smart_event_valid(event) ||
      read_smart_event(kStoreMain, &rec, *channel, event) != 0)
    return text_error();
  Json answer(json_object_new_object());
  (void)record_to_json(kCommonAnswer, &rec, answer.get());
  write_json(answer.get());
  return 0;
}
