// Conversions between the camera's frame and the web pages' drawing frame (vca_frame.h).
#include "event/vca_frame.h"

#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "handler_kit.h"

namespace {

// Picked keys alternate x and y: even positions are x values, odd ones y values.
int frame_side(VcaFrame frame, std::size_t key_index) {
  return key_index % 2 == 0 ? frame.width : frame.height;
}
int web_side(std::size_t key_index) {
  return key_index % 2 == 0 ? kVcaWebWidth : kVcaWebHeight;
}

}  // namespace

int vca_to_web(int value, int camera, int web) {
  if (camera == 0) return 0;
  const int64_t v = (int64_t{value} * web + camera / 2) / camera;
  return static_cast<int>(std::clamp<int64_t>(v, 1, INT32_MAX));
}

int vca_from_web(int value, int camera, int web) {
  if (web == 0) return 1;
  const int64_t v = (int64_t{camera} * value + web / 2) / web;
  return static_cast<int>(std::clamp<int64_t>(v, 1, INT32_MAX));
}

void vca_parse_position(const char* text, int32_t out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = 0;
  if (text == nullptr) return;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s", text);  // the first 31 characters
  char* p = buf;
  for (int i = 0; i < 4 && p != nullptr; ++i) {
    char* end = nullptr;
    const long v = std::strtol(p, &end, 10);
    if (end != p) out[i] = static_cast<int32_t>(std::clamp<long>(v, INT32_MIN, INT32_MAX));
    p = std::strchr(p, ';');
    if (p != nullptr) ++p;
  }
}

void vca_format_position(const int32_t in[4], char* out, std::size_t size) {
  if (out == nullptr || size == 0) return;
  std::snprintf(out, size, "%d;%d;%d;%d", in[0], in[1], in[2], in[3]);
}

VcaPoints vca_points_from_web(const char* text, VcaFrame frame) {
  int32_t p[4];
  vca_parse_position(text, p);
  return {vca_from_web(p[0], frame.width, kVcaWebWidth),
          vca_from_web(p[1], frame.height, kVcaWebHeight),
          vca_from_web(p[2], frame.width, kVcaWebWidth),
          vca_from_web(p[3], frame.height, kVcaWebHeight)};
}

json_object* vca_points_to_web(const VcaPoints& points, VcaFrame frame) {
  const int32_t web[4] = {vca_to_web(points.start_x, frame.width, kVcaWebWidth),
                          vca_to_web(points.start_y, frame.height, kVcaWebHeight),
                          vca_to_web(points.end_x, frame.width, kVcaWebWidth),
                          vca_to_web(points.end_y, frame.height, kVcaWebHeight)};
  char text[64];
  vca_format_position(web, text, sizeof text);
  return json_object_new_string(text);
}

void vca_box_from_web(const FieldKeys& pick, json_object* box, uint32_t slot, VcaFrame frame,
                      void* record) {
  if (box == nullptr || record == nullptr) return;
  for (std::size_t i = 0; i < pick.keys.size(); ++i) {
    const FieldKey& key = pick.keys[i];
    const int value =
        vca_from_web(json_int(box, key.json_key).value_or(0), frame_side(frame, i), web_side(i));
    if (key.field->type == FieldType::kIntArray)
      field_set_element(*key.field, record, slot, value);  // a slot past the array is ignored
    else if (slot == 0)
      field_set_int(*key.field, record, value);
  }
}

void vca_box_to_web(const FieldKeys& pick, const void* record, uint32_t slot, VcaFrame frame,
                    json_object* object) {
  if (object == nullptr || record == nullptr) return;
  for (std::size_t i = 0; i < pick.keys.size(); ++i) {
    const FieldKey& key = pick.keys[i];
    const int64_t camera = key.field->type == FieldType::kIntArray
                               ? field_get_element(*key.field, record, slot)
                               : field_get_int(*key.field, record);
    const int value =
        vca_to_web(static_cast<int>(std::clamp<int64_t>(camera, INT32_MIN, INT32_MAX)),
                   frame_side(frame, i), web_side(i));
    json_object_object_add(object, key.json_key, json_object_new_int(value));
  }
}
