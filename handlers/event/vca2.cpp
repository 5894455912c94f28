// The second form of the line-crossing and analysis-settings pages. A getter asks the
// camera through the core and turns its record into the page's JSON, points in the web
// frame; a setter builds the whole record from the body, points in the camera's frame,
// stores the line-crossing linkage first ("dialog", copied to the "copyChn" channels) and
// waits for the camera's result word. Every refusal and a missing answer get the JSON
// error, which is what these pages read.
#include "event/vca2.h"

#include <json-c/json.h>

#include <algorithm>
#include <cstdio>

#include "event/vca.h"
#include "event/vca_record.h"
#include "event/video_ipc.h"
#include "field_json.h"
#include "handler_kit.h"

namespace {

constexpr auto kLine2Answer =
    pick_keys(kVcaLine2Kind, {"chnid", "width", "height", "sensitivity", "line"});
// "chnid" is checked on its own (channel_from_json) and set after these.
constexpr auto kLine2Set = pick_keys(
    kVcaLine2Kind, {"sensitivity", "width", "height", "line", "copyChn", "lineType", "lineScene"});

constexpr auto kSettings2Answer =
    pick_keys(kVcaSettings2Kind, {"fps", "mode", "installation", "analysis", "width", "height"});
constexpr auto kSettings2Set = pick_keys(
    kVcaSettings2Kind, {"fps", "mode", "installation", "analysis", "width", "height", "copyChn"});
// The box values, x and y alternating (vca_box_from_web), and the frame each box gives.
constexpr auto kSettings2Box =
    pick_keys(kVcaSettings2Kind, {"minStartX", "minStartY", "minWidth", "minHeight", "maxStartX",
                                  "maxStartY", "maxWidth", "maxHeight"});
constexpr auto kSettings2Frame = pick_keys(kVcaSettings2Kind, {"width", "height"});

// The elements of tree[key] when it is an array: at most `capacity` of them.
std::size_t array_count(json_object* tree, const char* key, std::size_t capacity) {
  json_object* array = json_member(tree, key);
  if (array == nullptr || !json_object_is_type(array, json_type_array)) return 0;
  return std::min(json_object_array_length(array), capacity);
}

}  // namespace

// ---- Line crossing ----------------------------------------------------------------------------

int on_get_ipc_vca_line2(char* text) {
  return vca_query_channel(text, "chnid", kVcaLine2Get);
}

int on_set_ipc_vca_line2(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return refuse(kCgiJson, "/6193", "the body is no JSON object");
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "/6193", "\"chnid\" is no channel");
  VcaLine2Record rec{};
  (void)record_from_json(kLine2Set, tree.get(), &rec);  // "line" stops at four entries
  rec.chnid = *channel;
  const VcaFrame frame{rec.width, rec.height};
  json_object* lines = json_member(tree.get(), "line");
  const std::size_t n = array_count(tree.get(), "line", kVcaLines2);
  for (std::size_t i = 0; i < n; ++i) {
    json_object* position = json_member(json_object_array_get_idx(lines, i), "position");
    rec.line[i].points = vca_points_from_web(
        position != nullptr ? json_object_get_string(position) : nullptr, frame);
  }
  if (!vca_save_linkage(tree.get(), kSmartEventLine, rec.copy_chn, kCgiJson)) return -1;
  kVideoCore.query(kVcaLine2Set, rec, kCgiJson);
  return 0;
}

int on_get_ipc_vca_line2_cb(int count, const void* payload) {
  auto rec = ipc_record<VcaLine2Record>(payload, count, 0);
  if (!rec) return answer_error(kCgiJson);
  json_object* o = json_object_new_object();
  (void)record_to_json(kLine2Answer, &*rec, o);
  // The table gives each line's own keys; its position is the one value converted.
  json_object* lines = json_member(o, "line");
  const VcaFrame frame{rec->width, rec->height};
  const std::size_t n = lines != nullptr ? json_object_array_length(lines) : 0;
  for (std::size_t i = 0; i < n && i < std::size(rec->line); ++i)
    json_object_object_add(json_object_array_get_idx(lines, i), "position",
                           vca_points_to_web(rec->line[i].points, frame));
  return answer_json(o);
}

// ---- Analysis settings ------------------------------------------------------------------------

int on_get_ipc_vca_settings2(char* text) {
  return vca_query_channel(text, "channel", kVcaSettings2Get);
}

int on_set_ipc_vca_settings2(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return refuse(kCgiJson, "/6195", "the body is no JSON object");
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) return refuse(kCgiJson, "/6195", "\"chnid\" is no channel");
  VcaSettings2Record rec{};
  (void)record_from_json(kSettings2Set, tree.get(), &rec);
  rec.chnid = *channel;
  const VcaFrame frame{rec.width, rec.height};
  json_object* boxes = json_member(tree.get(), "position");
  const std::size_t n = array_count(tree.get(), "position", kVcaBoxes2);
  for (std::size_t i = 0; i < n; ++i)
    vca_box_from_web(kSettings2Box, json_object_array_get_idx(boxes, i), static_cast<uint32_t>(i),
                     frame, &rec);
  kVideoCore.query(kVcaSettings2Set, rec, kCgiJson);
  return 0;
}

int on_get_ipc_vca_settings2_cb(int count, const void* payload) {
  auto rec = ipc_record<VcaSettings2Record>(payload, count, 0);
  if (!rec) return answer_error(kCgiJson);
  json_object* o = json_object_new_object();
  (void)record_to_json(kSettings2Answer, &*rec, o);
  const VcaFrame frame{rec->width, rec->height};
  json_object* boxes = json_object_new_array();
  for (uint32_t i = 0; i < kVcaBoxes2; ++i) {
    json_object* box = json_object_new_object();
    vca_box_to_web(kSettings2Box, &*rec, i, frame, box);
    // Each box names the camera frame its values were scaled from.
    (void)record_to_json(kSettings2Frame, &*rec, box);
    json_object_array_add(boxes, box);
  }
  json_object_object_add(o, "position", boxes);
  return answer_json(o);
}
