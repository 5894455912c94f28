// The day schedules kept by the cameras ("/2041" to "/2046": a schedule, the exposure
// schedule and a third schedule, each read from one camera and pushed to several) and the
// exposure list the recorder keeps itself ("/2048", "/2049").
//
// A change message holds the 8 day rows of the camera's table although the web fills only
// days 0 to 6 and slots 0 to 9; it is built whole and zeroed, and sent cut at the answer's
// size as the cameras expect.
#include <json-c/json.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <type_traits>

#include "camera/camera_ipc.h"
#include "camera/camera_params.h"
#include "camera/exposure_record.h"
#include "handler_kit.h"

namespace {

// The body's `key` as a channel; the JSON error body otherwise.
std::optional<int32_t> body_channel(json_object* tree, const char* key) {
  auto id = channel_from_json(tree, key);
  if (!id) {
    std::fprintf(stderr, "webcgi: \"%s\" names no channel 0 to 63\n", key);
    cgi_error_to_webserver(kCgiJson);
  }
  return id;
}

int query_schedule(const char* text, int type) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto id = body_channel(tree.get(), "id");
  if (!id) return -1;
  kCameraCore.query(type, *id, kCgiJson);
  return 0;
}

// The slots of a day row, whichever schedule it belongs to.
ScheduleSection (&slots_of(ScheduleDay& day))[kScheduleSections] {
  return day.section;
}
ExposureSlot (&slots_of(ExposureDay& day))[kScheduleSections] {
  return day.slot;
}

// {"schedule": 7 days of `shown` slot objects} from an answer's day rows.
template <class Answer>
int answer_schedule(const RecordKind& slot_kind, int count, const void* payload, int shown) {
  if (payload == nullptr || count < 1) return answer_error(kCgiJson);
  // 26 or 29 KB: off the callback thread's stack.
  auto answer = std::make_unique<Answer>();
  std::memcpy(answer.get(), payload, sizeof(Answer));
  json_object* days = json_object_new_array();
  for (int d = 0; d < kCameraScheduleDays; ++d) {
    json_object* day = json_object_new_array();
    for (int j = 0; j < shown; ++j) {
      json_object* slot = json_object_new_object();
      (void)record_to_json(slot_kind, &slots_of(answer->day[d])[j], slot);
      json_object_array_add(day, slot);
    }
    json_object_array_add(days, day);
  }
  json_object* out = json_object_new_object();
  json_object_object_add(out, "schedule", days);
  return answer_json(out);
}

// Fills a change from the body: the channel list from "channel" (ids 0 to 63, in order, -1
// after the last), days 0 to 6 and entries 0 to 9 of "schedule", each entry an array in the
// order of the slot's field table, texts cut to 31 characters. False (nothing to send) when
// the body lacks either array.
template <class Change>
[[nodiscard]] bool schedule_change(json_object* tree, const RecordKind& slot_kind, Change* change) {
  json_object* channels = json_member(tree, "channel");
  json_object* schedule = json_member(tree, "schedule");
  if (!json_object_is_type(channels, json_type_array) ||
      !json_object_is_type(schedule, json_type_array))
    return false;
  for (int32_t& c : change->channels.channel) c = -1;
  (void)json_channel_ids(channels, kMaxChannels, change->channels.channel, kMaxChannels);
  const std::size_t days =
      std::min<std::size_t>(json_object_array_length(schedule), kCameraScheduleDays);
  for (std::size_t d = 0; d < days; ++d) {
    json_object* day = json_object_array_get_idx(schedule, d);
    if (!json_object_is_type(day, json_type_array)) continue;
    const std::size_t entries =
        std::min<std::size_t>(json_object_array_length(day), kCameraScheduleSlots);
    for (std::size_t j = 0; j < entries; ++j)
      (void)record_from_json_array(slot_kind, json_object_array_get_idx(day, j),
                                   &slots_of(change->day[d])[j]);
  }
  return true;
}

template <class Change>
int set_schedule(const char* text, const RecordKind& slot_kind, int type, int length) {
  static_assert(std::is_trivially_copyable_v<Change>);
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto change = std::make_unique<Change>();  // zeroed, every day row
  if (!schedule_change(tree.get(), slot_kind, change.get())) {
    std::fprintf(stderr, "webcgi: schedule change without \"channel\" and \"schedule\" arrays\n");
    return -1;
  }
  kCameraCore.notice(type, change.get(), length);
  write_ok();
  return 0;
}

static_assert(kCameraScheduleChangeLength <= static_cast<int>(sizeof(CameraScheduleChange)));
static_assert(kExposureScheduleChangeLength <= static_cast<int>(sizeof(ExposureScheduleChange)));

}  // namespace

int on_get_ipc_schedule_cb(int count, const void* payload) {
  return answer_schedule<CameraScheduleAnswer>(kScheduleSectionKind, count, payload,
                                               kCameraScheduleSlots);
}

int on_get_ipc_exposure_schedule_cb(int count, const void* payload) {
  return answer_schedule<ExposureScheduleAnswer>(kExposureSlotKind, count, payload,
                                                 kCameraScheduleShown);
}

int on_get_ipc_schedule3_cb(int count, const void* payload) {
  return answer_schedule<CameraScheduleAnswer>(kScheduleSectionKind, count, payload,
                                               kCameraScheduleShown);
}

int on_get_ipc_schedule(char* text) {
  return query_schedule(text, kReqScheduleQuery);
}

int on_get_ipc_exposure_schedule(char* text) {
  return query_schedule(text, kReqExposureScheduleQuery);
}

int on_get_ipc_schedule3(char* text) {
  return query_schedule(text, kReqSchedule3Query);
}

int on_set_ipc_schedule(char* text) {
  return set_schedule<CameraScheduleChange>(text, kScheduleSectionKind, kReqScheduleChange,
                                            kCameraScheduleChangeLength);
}

int on_set_ipc_exposure_schedule(char* text) {
  return set_schedule<ExposureScheduleChange>(text, kExposureSlotKind, kReqExposureScheduleChange,
                                              kExposureScheduleChangeLength);
}

int on_set_ipc_schedule3(char* text) {
  return set_schedule<CameraScheduleChange>(text, kScheduleSectionKind, kReqSchedule3Change,
                                            kCameraScheduleChangeLength);
}

int on_set_exposure_list(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto channel = body_channel(tree.get(), "channel");
  if (!channel) return -1;
  json_object* list = json_member(tree.get(), "exposure");
  if (!json_object_is_type(list, json_type_array)) {
    std::fprintf(stderr, "webcgi: exposure list change without an \"exposure\" array\n");
    return -1;
  }
  ExposurePair pairs[kMaxExposurePairs] = {};
  int count = 0;
  const std::size_t n = std::min<std::size_t>(json_object_array_length(list), kMaxExposurePairs);
  for (std::size_t i = 0; i < n; ++i) {
    json_object* element = json_object_array_get_idx(list, i);
    if (!json_object_is_type(element, json_type_object)) continue;
    (void)record_from_json(kExposurePairKind, element, &pairs[count++]);
  }
  if (write_exposure(kStoreMain, *channel, pairs, count) != 0) {
    std::fprintf(stderr, "webcgi: exposure list of channel %d not stored\n", *channel);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

int on_get_exposure_list(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  auto channel = body_channel(tree.get(), "channel");
  if (!channel) return -1;
  ExposurePair pairs[kMaxExposurePairs];
  int count = 0;
  if (read_exposure(kStoreMain, *channel, pairs, kMaxExposurePairs, &count) != 0 || count == 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_record_list("exposure", kExposurePairKind, pairs, count);
  return 0;
}
