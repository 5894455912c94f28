// Building the motion core payloads, and the JSON form of the motion map answer.
#include "event/motion_core.h"

#include <iterator>

#include "linkage.h"

CameraDaySchedule camera_all_day_schedule(int channel, uint64_t list_mask) {
  CameraDaySchedule s{};
  s.channel = channel;
  for (int d = 0; d < 7; ++d) {
    s.day[d].day = d;
    s.day[d].enabled = 1;
    for (CameraSection& sec : s.day[d].section) sec = {0, 0, 24, 0};
  }
  s.list = core_channel_list(list_mask);
  return s;
}

namespace {

// In the answer's key order.
constexpr FieldDesc kMotionMapFields[] = {
    NVR_FIELD(MotionMapRecord, map, "map"),
    NVR_FIELD(MotionMapRecord, sensitivity, "sensitivity"),
    NVR_FIELD(MotionMapRecord, result, "result"),
    NVR_FIELD(MotionMapRecord, enable, "enable"),
    NVR_FIELD(MotionMapRecord, model_type, "modelType"),
    NVR_FIELD(MotionMapRecord, fish_display, "fishdisplay"),
    NVR_FIELD(MotionMapRecord, fish_transfer, "fishtransfer"),
    NVR_FIELD(MotionMapRecord, fish_install, "fishinstall"),
    NVR_FIELD(MotionMapRecord, channel, nullptr),
};

}  // namespace

constexpr RecordKind kMotionMapKind{.name = "motion_map",
                                    NVR_KIND_FIELDS(MotionMapRecord, kMotionMapFields)};
static_assert(record_kind_is_valid(kMotionMapKind));
