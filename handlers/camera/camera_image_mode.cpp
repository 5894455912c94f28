// Image modes and detection areas of the cameras: "/2037" reads a channel's seven image
// modes (day, night, scheduled ... each with its exposure and IR settings), "/2038" changes
// one mode and "/2047" every mode with its effective periods on several channels; "/2039"
// reads the detection areas, "/2040" changes them and "/2050" tells the camera which area
// the page is drawing. Changes are pushed without an answer.
#include <json-c/json.h>

#include <algorithm>
#include <cstdio>

#include "camera/camera_ipc.h"
#include "camera/camera_params.h"
#include "handler_kit.h"

namespace {

constexpr auto kImageModeKeys =
    pick_keys(kImageModeKind, {"enable", "startHour", "startMinute", "endHour", "endMinute",
                               "exposureLevel", "maxShutter", "minShutter", "gainLevel",
                               "irCutLatency", "irCutState", "irLedState", "colorMode"});

constexpr auto kAreaKeys = pick_keys(kCameraAreaKind, {"enable", "left", "top", "right", "bottom"});

// The body's `key` as a channel; the JSON error body otherwise.
std::optional<int32_t> body_channel(json_object* tree, const char* key) {
  auto id = channel_from_json(tree, key);
  if (!id) {
    std::fprintf(stderr, "webcgi: \"%s\" names no channel 0 to 63\n", key);
    cgi_error_to_webserver(kCgiJson);
  }
  return id;
}

// A query whose body names the channel in "id"; the answer is written by the callback.
int query_channel(const char* text, int type) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto id = body_channel(tree.get(), "id");
  if (!id) return -1;
  kCameraCore.query(type, *id, kCgiJson);
  return 0;
}

// Objects {"id": i, keys of the element} for the elements of `records`.
template <class Rec, std::size_t N>
json_object* indexed_list(const FieldKeys& keys, const Rec (&records)[N]) {
  json_object* list = json_object_new_array();
  for (std::size_t i = 0; i < N; ++i) {
    json_object* o = json_object_new_object();
    json_object_object_add(o, "id", json_object_new_int(static_cast<int>(i)));
    (void)record_to_json(keys, &records[i], o);
    json_object_array_add(list, o);
  }
  return list;
}

}  // namespace

// 8278: the seven modes of the channel.
int on_get_ipc_image_mode_cb(int count, const void* payload) {
  auto table = ipc_record<ImageModeTable>(payload, count, 0);
  if (!table) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  json_object_object_add(out, "image", indexed_list(kImageModeKeys, table->mode));
  return answer_json(out);
}

// 8271: the detection areas of the channel.
int on_get_ipc_area_cb(int count, const void* payload) {
  auto answer = ipc_record<CameraAreaAnswer>(payload, count, 0);
  if (!answer) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  (void)record_to_json(kCameraAreaAnswerKind, &*answer, out);
  json_object_object_add(out, "area", indexed_list(kAreaKeys, answer->area));
  return answer_json(out);
}

int on_get_ipc_image_mode(char* text) {
  return query_channel(text, kReqImageModeQuery);
}

int on_set_ipc_image_mode(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto channel = body_channel(tree.get(), "channel");
  if (!channel) return -1;
  // The mode index selects one of the seven 56-byte slots: any other index would write
  // outside the table.
  auto mode = json_int(tree.get(), "id");
  if (!mode || *mode < 0 || *mode >= kImageModes) {
    std::fprintf(stderr, "webcgi: image mode index outside 0 to %d\n", kImageModes - 1);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  ImageModeTable table{};
  table.chnid = *channel;
  table.mode[*mode].in_use = 1;
  (void)record_from_json(kImageModeKind, tree.get(), &table.mode[*mode]);
  kCameraCore.notice(kReqImageModeChange, table);
  write_ok();
  return 0;
}

int on_set_ipc_image_mode_batch(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  ImageModeTable table{};
  // "image" fills at most the 7 slots and "effective" at most the 10 periods.
  (void)record_from_json(kImageModeTableKind, tree.get(), &table);
  json_object* image = json_member(tree.get(), "image");
  const std::size_t modes =
      json_object_is_type(image, json_type_array)
          ? std::min<std::size_t>(json_object_array_length(image), kImageModes)
          : 0;
  for (std::size_t i = 0; i < modes; ++i)
    if (json_object_is_type(json_object_array_get_idx(image, i), json_type_object))
      table.mode[i].in_use = 1;

  const int cnt = std::max(json_int(tree.get(), "cnt").value_or(0), 0);
  int32_t channels[kMaxChannels];
  const int n = json_channel_ids(json_member(tree.get(), "chnid"), static_cast<std::size_t>(cnt),
                                 channels, kMaxChannels);
  for (int i = 0; i < n; ++i) {
    table.chnid = channels[i];
    kCameraCore.notice(kReqImageModeChange, table);
  }
  write_ok();
  return 0;
}

int on_get_ipc_area(char* text) {
  return query_channel(text, kReqAreaQuery);
}

int on_set_ipc_area(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  CameraAreaChange req{};
  // "enable" and at most 16 elements of "area", in order.
  (void)record_from_json(kCameraAreaChangeKind, tree.get(), &req);
  const int cnt = std::max(json_int(tree.get(), "cnt").value_or(0), 0);
  req.count = json_channel_ids(json_member(tree.get(), "chnid"), static_cast<std::size_t>(cnt),
                               req.channel, kMaxChannels);
  kCameraCore.notice(kReqAreaChange, req);
  write_ok();
  return 0;
}

int on_send_ipc_area_id(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto channel = body_channel(tree.get(), "chan_id");
  if (!channel) return -1;
  auto area = json_int(tree.get(), "area_id");
  if (!area || *area < 0 || *area > kCameraAreaIdMax) {
    std::fprintf(stderr, "webcgi: area index outside 0 to %d\n", kCameraAreaIdMax);
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kCameraCore.notice(kReqAreaSelect, CameraAreaSelect{*channel, *area});
  write_ok();
  return 0;
}
