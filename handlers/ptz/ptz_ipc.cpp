// The PTZ module's answer callback and the writers of the answers its queries wait for.
//
// Answers are untrusted: counts come from the payload length (a state answer shorter than
// its 15604 bytes is no state at all), preset names are read within their 32 bytes, and a
// tour ends at its first empty step or after its 48 steps.
#include "ptz/ptz_ipc.h"

#include <json-c/json.h>

#include "loginfo.h"

namespace {

json_object* object_with(const char* key, json_object* value) {
  json_object* out = json_object_new_object();
  json_object_object_add(out, key, value);
  return out;
}

json_object* int_array(const int32_t* values, int count) {
  json_object* list = json_object_new_array();
  for (int i = 0; i < count; ++i) json_object_array_add(list, json_object_new_int(values[i]));
  return list;
}

json_object* state_json(const PtzStateAnswer& state) {
  json_object* out = object_with("status", json_object_new_string("OK"));

  json_object* presets = json_object_new_array();
  for (const PtzPresetSlot& slot : state.preset) {
    char name[sizeof slot.name + 1];
    const std::size_t n = ipc_copy_text(name, slot.name);
    json_object* p = object_with("enable", json_object_new_int(slot.enable));
    json_object_object_add(p, "name", json_object_new_string_len(name, static_cast<int>(n)));
    json_object_array_add(presets, p);
  }
  json_object_object_add(out, "PRESET", presets);

  json_object* tours = json_object_new_array();
  for (const PtzFishTour& tour : state.tour) {
    json_object* steps = json_object_new_array();
    for (int s = 0; s < kPtzTourSteps && tour.preset[s] >= 1; ++s) {
      json_object* step = object_with("preset_id", json_object_new_int(tour.preset[s]));
      json_object_object_add(step, "speed", json_object_new_int(tour.speed[s]));
      json_object_object_add(step, "timeout", json_object_new_int(tour.time[s]));
      json_object_array_add(steps, step);
    }
    json_object_array_add(tours, steps);
  }
  json_object_object_add(out, "TOUR", tours);

  json_object* patterns = json_object_new_array();
  for (int32_t enable : state.pattern_enable)
    json_object_array_add(patterns, object_with("enable", json_object_new_int(enable)));
  json_object_object_add(out, "PATTERN", patterns);

  json_object_object_add(out, "autoscan_status",
                         int_array(state.autoscan_status, kPtzStatusGroups));
  json_object* groups = json_object_new_array();
  for (const auto& group : state.tour_status) json_object_array_add(groups, int_array(group, 8));
  json_object_object_add(out, "tour_status", groups);
  return out;
}

}  // namespace

void on_ptz_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  PtzRouter::route(context, header_words, payload);
}

void ptz_log(int param_type, int channel) {
  cgi_send_log(kPtzCore.callback, cgi_make_log(kLogSubPtz, param_type, channel));
}

// 6262: "-1" when the camera has no PTZ; an answer too short for its int writes nothing,
// and the handler's wait then ends with the error body.
int on_ip_ptzsupport_cb(int count, const void* payload) {
  auto code = ipc_record<int32_t>(payload, count, 0);
  if (!code) return -1;
  return answer_text(*code == -1 ? "-1" : "0");
}

// 6265, 6268: the state as JSON, or {"status":"Error"} for less than a whole record.
int on_ptz_reply_info(int count, const void* payload) {
  auto state = ipc_record<PtzStateAnswer>(payload, count, 0);
  if (!state) return answer_json(object_with("status", json_object_new_string("Error")));
  return answer_json(state_json(*state));
}

int on_cgi_get_ptz_basic_cb(int count, const void* payload) {
  auto basic = ipc_record<PtzBasicSettings>(payload, count, 0);
  if (!basic) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  (void)record_to_json(kPtzBasicAnswerKeys, &*basic, out);
  return answer_json(out);
}

int on_cgi_set_ptz_basic_cb(int count, const void* payload) {
  return on_cgi_common_json_cb(count, payload);
}

// 8226: the camera took the parameter when the first int is 0. A refusal is no success:
// it answers "FAILED" rather than "OK".
int on_set_ipc_common_cb(int count, const void* payload) {
  auto code = ipc_record<int32_t>(payload, count, 0);
  if (!code) return answer_error(kCgiText);
  return answer_text(*code == 0 ? "OK" : "FAILED");
}

int on_cgi_set_ptz_control_cb(int count, const void* payload) {
  auto res = ipc_record<int32_t>(payload, count, 0);
  if (!res) return answer_error(kCgiJson);
  return answer_json(object_with("res", json_object_new_int(*res)));
}

int on_cgi_get_led_status_cb(int count, const void* payload) {
  auto light = ipc_record<PtzLightAnswer>(payload, count, 0);
  if (!light) return answer_error(kCgiJson);
  json_object* out = json_object_new_object();
  (void)record_to_json(kPtzLightKind, &*light, out);
  return answer_json(out);
}
