// The camera's alarm input and sound detection. A getter asks the camera (through the
// core) and writes its answer; a setter checks the whole body, stores the recorder-side
// trigger settings, sends the camera its part, logs and answers "OK".
#include "event/camera_alarm.h"

#include <json-c/json.h>

#include <cstdio>

#include "event/video_ipc.h"
#include "event_linkage.h"
#include "field_json.h"
#include "handler_kit.h"

namespace {

// Only the trigger text and its mask are used: the kinds have no schedules of their own.
constexpr EventLinkageDesc kCameraIoTrigger{
    .record = &kCameraIoKind,
    .trigger_text_field = field_named(kCameraIoKind, "triChannels"),
    .trigger_mask_field = field_named(kCameraIoKind, "trigger_mask")};
NVR_CHECK_LINKAGE_DESC(kCameraIoTrigger);
constexpr EventLinkageDesc kVolumeDetectTrigger{
    .record = &kVolumeDetectKind,
    .trigger_text_field = field_named(kVolumeDetectKind, "triChannels"),
    .trigger_mask_field = field_named(kVolumeDetectKind, "trigger_mask")};
NVR_CHECK_LINKAGE_DESC(kVolumeDetectTrigger);

constexpr const char* kTriggerKeys[] = {"camId", "enable", "triActions", "triChannels"};
constexpr const char* kCameraIoKeys[] = {"type"};
constexpr const char* kVolumeKeys[] = {"type",    "volume",   "duration",
                                       "onEvent", "offEvent", "ongoingEvent"};

int query(char* text, int type) {
  auto channel = channel_from_text(text);
  if (!channel) {
    std::fprintf(stderr, "camera alarm: \"%s\" is no channel\n", text != nullptr ? text : "");
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  kVideoCore.query(type, int32_t{*channel}, kCgiJson);
  return 0;
}

// Checks the body against the trigger record and the camera command; fills both.
template <std::size_t N, class Command>
bool parse(json_object* tree, const EventLinkageDesc& trigger, const RecordKind& command_kind,
           const char* const (&command_keys)[N], CameraTriggerRecord* rec, Command* command) {
  if (record_validate(*trigger.record, tree, kTriggerKeys, 4) != 0 ||
      record_validate(command_kind, tree, command_keys, static_cast<int>(N)) != 0)
    return false;
  (void)record_from_json(*trigger.record, tree, rec);
  event_linkage_rebuild_trigger_mask(trigger, rec);
  (void)record_from_json(command_kind, tree, command);
  return true;
}

template <std::size_t N, class Command>
int set(char* text, const EventLinkageDesc& trigger, const RecordKind& command_kind,
        const char* const (&command_keys)[N], int command_type, int log_param) {
  Json tree = request_object(text);
  CameraTriggerRecord rec{};
  Command command{};
  if (tree == nullptr || !parse(tree.get(), trigger, command_kind, command_keys, &rec, &command)) {
    std::fprintf(stderr, "%s: refused body\n", trigger.record->name);
    return -1;
  }
  if (store_write(kStoreMain, *trigger.record, rec.camId, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(command_type, command);
  kVideoCore.log(log_param, rec.camId);
  write_ok();
  return 0;
}

}  // namespace

int on_get_cameraio_info(char* text) {
  return query(text, kCameraIoGet);
}

int on_get_volumedetect_info(char* text) {
  return query(text, kVolumeDetectGet);
}

int on_get_cameraio_info_cb(int count, const void* payload) {
  return answer_record_json<CameraIoAnswer>(kCameraIoAnswerKind, count, payload);
}

int on_get_volumedetect_info_cb(int count, const void* payload) {
  return answer_record_json<VolumeDetectAnswer>(kVolumeDetectAnswerKind, count, payload);
}

int on_set_cameraio_info(char* text) {
  return set<1, CameraIoCommand>(text, kCameraIoTrigger, kCameraIoCommandKind, kCameraIoKeys,
                                 kCameraIoSet, kLogParamCameraIo);
}

int on_set_volumedetect_info(char* text) {
  return set<6, VolumeDetectCommand>(text, kVolumeDetectTrigger, kVolumeDetectCommandKind,
                                     kVolumeKeys, kVolumeDetectSet, kLogParamVolumeDetect);
}
