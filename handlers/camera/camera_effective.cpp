// Effective schedules of the camera's detections on one page: "/2035" lists the motion
// schedule and the smart-event schedules of kinds 0 to 7 of a channel, "/2036" saves those
// of the indexes `start` to `end` that the body carries.
//
// The smart-event schedules are kept one table per event kind ("smart_event0_esche" to
// "smart_event7_esche", a schedule block per channel), beside motion's "motion_esche".
#include <json-c/json.h>

#include <algorithm>
#include <cstdio>

#include "camera/camera_features.h"
#include "dvdb.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

struct EffectiveSchedule {
  const char* json_key;
  const char* table;
};

// Index i of "/2036"'s start..end range is entry i.
constexpr EffectiveSchedule kEffectiveSchedules[] = {
    {"schedule_motion", "motion_esche"},
    {"schedule_region_entrance", "smart_event0_esche"},
    {"schedule_region_exit", "smart_event1_esche"},
    {"schedule_advanced_motion", "smart_event2_esche"},
    {"schedule_tamper_detection", "smart_event3_esche"},
    {"schedule_line_crossing", "smart_event4_esche"},
    {"schedule_loitering", "smart_event5_esche"},
    {"schedule_human_detection", "smart_event6_esche"},
    {"schedule_people_counting", "smart_event7_esche"},
};
constexpr int kEffectiveCount = static_cast<int>(std::size(kEffectiveSchedules));

// The page shows an unused section (empty start text) as "00:00" to "00:00", action 0.
json_object* effective_schedule_json(const ScheduleBlock& block) {
  json_object* days = get_schedule_json_object(&block);
  for (std::size_t d = 0; d < json_object_array_length(days); ++d) {
    json_object* day = json_object_array_get_idx(days, d);
    for (std::size_t i = 0; i < json_object_array_length(day); ++i) {
      json_object* section = json_object_array_get_idx(day, i);
      json_object* start = json_member(section, "startTime");
      if (start != nullptr && json_object_get_string_len(start) > 0) continue;
      json_object_object_add(section, "startTime", json_object_new_string("00:00"));
      json_object_object_add(section, "endTime", json_object_new_string("00:00"));
      json_object_object_add(section, "actionType", json_object_new_int(0));
    }
  }
  return days;
}

}  // namespace

int on_get_effective_schedules(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "channel");
  if (!channel) {
    std::fprintf(stderr, "webcgi: effective schedules without a \"channel\" 0 to 63\n");
    return -1;  // the page expects no answer
  }
  Json out(json_object_new_object());
  for (const EffectiveSchedule& s : kEffectiveSchedules) {
    ScheduleBlock block{};
    if (read_schedule(kStoreMain, s.table, *channel, &block) != 0) {
      std::fprintf(stderr, "webcgi: cannot read schedule %s of channel %d\n", s.table, *channel);
      cgi_error_to_webserver(kCgiJson);
      return -1;
    }
    json_object_object_add(out.get(), s.json_key, effective_schedule_json(block));
  }
  write_json(out.get());
  return 0;
}

int on_set_effective_schedules(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto channel = channel_from_json(tree.get(), "channel");
  if (!channel) {
    std::fprintf(stderr, "webcgi: effective schedules change without a \"channel\" 0 to 63\n");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  const int start = std::max(json_int(tree.get(), "start").value_or(0), 0);
  const int end = std::min(json_int(tree.get(), "end").value_or(-1), kEffectiveCount - 1);
  bool failed = false;
  for (int i = start; i <= end; ++i) {
    ScheduleBlock block{};
    // An absent key leaves its stored schedule alone rather than clearing it.
    if (get_schedule_by_json(tree.get(), kEffectiveSchedules[i].json_key, &block) != 0) continue;
    if (write_schedule(kStoreMain, kEffectiveSchedules[i].table, *channel, &block) != 0) {
      std::fprintf(stderr, "webcgi: cannot write schedule %s of channel %d\n",
                   kEffectiveSchedules[i].table, *channel);
      failed = true;
    }
  }
  if (failed) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}
