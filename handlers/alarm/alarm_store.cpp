// The alarm inputs in the shared event-linkage model: the recorder's inputs (one
// description, the input index as event channel) and the cameras' inputs (one description
// per alarm index, each with its own tables, the camera channel as event channel).
#include "alarm/alarm_store.h"

#include <cstring>

#include "alarm/alarm_ipc.h"

namespace {

// A linkage save that carries "interval" or "email_interval" puts that interval under the
// page's control (mode 2).
void alarm_in_modes(void* record, json_object* request) {
  AlarmInRecord rec;
  std::memcpy(&rec, record, sizeof rec);
  if (json_member(request, "interval") != nullptr) rec.interval_mode = 2;
  if (json_member(request, "email_interval") != nullptr) rec.email_interval_mode = 2;
  std::memcpy(record, &rec, sizeof rec);
}

void camera_alarm_in_modes(void* record, json_object* request) {
  CameraAlarmInEvent rec;
  std::memcpy(&rec, record, sizeof rec);
  if (json_member(request, "interval") != nullptr) rec.interval_mode = 2;
  std::memcpy(record, &rec, sizeof rec);
}

constexpr LinkageSchedule kAlarmInSchedules[] = {
    {"effective", "alarmin_esche", ScheduleCodec::kStandard},
    {"audible", "alarmin_audible_sche", ScheduleCodec::kSecond},
    {"email", "alarmin_email_sche", ScheduleCodec::kSecond},
    {"ptz", "alarmin_ptz_sche", ScheduleCodec::kSecond},
    {"white", "alarmin_whiteled_esche", ScheduleCodec::kStandard},
    {"httpSche", "alarmin_http_notification_sche", ScheduleCodec::kStandard, true},
};

// The integers and texts of the linkage dialog ("/6027").
constexpr auto kAlarmInSaveKeys = pick_keys(
    kAlarmInKind, {"triAlarms", "interval", "audioId", "email_interval", "email_pic_enable",
                   "ptz_interval", "alarmout_interval", "white_interval",
                   "http_notification_interval", "tri_channels_pic", "triSnapshot", "triChannels"});

// "/6026", in its answer order.
constexpr LinkageKey kAlarmInGetter[] = {
    {"alarmId", LinkageValue::kField, "id"},
    {"name"},
    {"alarmType", LinkageValue::kField, "type"},
    {"enable"},
    {"triAlarms"},
    {"interval"},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz_interval"},
    {"alarmout_interval"},
    {"triChannels"},
    {"triSnapshot"},
    {"effective", LinkageValue::kSchedule},
    {"audible", LinkageValue::kSchedule},
    {"email", LinkageValue::kSchedule},
    {"ptz", LinkageValue::kSchedule},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
    {"white", LinkageValue::kSchedule},
    {"whiteInfo", LinkageValue::kWhiteInfo},
    {"white_interval"},
    {"audioId"},
    {"audioIdMask", LinkageValue::kAudioIdMask},
    {"ptzParams", LinkageValue::kPtzParams},
};

constexpr auto kCameraAlarmInSaveKeys =
    pick_keys(kCameraAlarmInEventKind,
              {"triAlarms", "interval", "audioId", "email_interval", "email_pic_enable",
               "tri_channels_pic", "ptz_interval", "alarmout_interval", "white_interval",
               "http_notification_interval", "triChannels"});

// The stored part of an element of "/6024", after the camera's own "alarmName".
constexpr LinkageKey kCameraAlarmInGetter[] = {
    {"effective", LinkageValue::kSchedule},
    {"audible", LinkageValue::kSchedule},
    {"interval"},
    {"audioId"},
    {"audioIdMask", LinkageValue::kAudioIdMask},
    {"email", LinkageValue::kSchedule},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz", LinkageValue::kSchedule},
    {"ptz_interval"},
    {"ptzParams", LinkageValue::kPtzParams},
    {"alarmout_interval"},
    {"triAlarms"},
    {"triChannels"},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
    {"white", LinkageValue::kSchedule},
    {"whiteInfo", LinkageValue::kWhiteInfo},
    {"white_interval"},
    {"http_notification_interval"},
    {"httpSche", LinkageValue::kSchedule},
    {"httpParams", LinkageValue::kHttpParams},
};

// The six schedules of camera alarm input i, all in the standard form.
#define NVR_CAMERA_ALARM_IN_SCHEDULES(i)                                                        \
  constexpr LinkageSchedule kCameraAlarmIn##i##Schedules[] = {                                  \
      {"effective", "alarm_chnIn" #i "_esche", ScheduleCodec::kStandard},                       \
      {"audible", "alarm_chnIn" #i "_audible_sche", ScheduleCodec::kStandard},                  \
      {"email", "alarm_chnIn" #i "_mail_sche", ScheduleCodec::kStandard},                       \
      {"ptz", "alarm_chnIn" #i "_ptz_sche", ScheduleCodec::kStandard},                          \
      {"white", "alarm_chnIn" #i "_whiteled_esche", ScheduleCodec::kStandard},                  \
      {"httpSche", "alarm_chnIn" #i "_http_notification_sche", ScheduleCodec::kStandard, true}, \
  }
NVR_CAMERA_ALARM_IN_SCHEDULES(0);
NVR_CAMERA_ALARM_IN_SCHEDULES(1);
NVR_CAMERA_ALARM_IN_SCHEDULES(2);
NVR_CAMERA_ALARM_IN_SCHEDULES(3);
#undef NVR_CAMERA_ALARM_IN_SCHEDULES

#define NVR_CAMERA_ALARM_IN_LINKAGE(i)                                                            \
  EventLinkageDesc {                                                                              \
    .record = &kCameraAlarmInEventKind, .index = i, .schedules = kCameraAlarmIn##i##Schedules,    \
    .white_table = "alarm_chnIn" #i "_white_led_params",                                          \
    .http_table = "alarm_chnIn" #i "_http_notification_params",                                   \
    .ptz_event_type = converse_chn_alarmid_to_event_in(i), .scalar_keys = kCameraAlarmInSaveKeys, \
    .trigger_text_field = field_named(kCameraAlarmInEventKind, "tri_channels"),                   \
    .trigger_mask_field = field_named(kCameraAlarmInEventKind, "trigger_mask"),                   \
    .alarm_out_fields = {field_named(kCameraAlarmInEventKind, "tri_chn_alarm0"),                  \
                         field_named(kCameraAlarmInEventKind, "tri_chn_alarm1")},                 \
    .after_overlay = camera_alarm_in_modes, .getter = kCameraAlarmInGetter,                       \
    .notice = {kCameraAlarmInChanged, NoticeForm::kChannelMask},                                  \
  }

}  // namespace

constexpr EventLinkageDesc kAlarmInLinkage{
    .record = &kAlarmInKind,
    .schedules = kAlarmInSchedules,
    .white_table = "alarm_in_white_led_params",
    .http_table = "alarmin_http_notification_params",
    .ptz_event_type = kAlarmInPtzEventType,
    .scalar_keys = kAlarmInSaveKeys,
    .trigger_text_field = field_named(kAlarmInKind, "tri_channels"),
    .trigger_mask_field = field_named(kAlarmInKind, "trigger_mask"),
    .alarm_out_fields = {field_named(kAlarmInKind, "tri_chn_alarm0"),
                         field_named(kAlarmInKind, "tri_chn_alarm1")},
    .after_overlay = alarm_in_modes,
    .getter = kAlarmInGetter,
    .notice = {kAlarmInLinkageChanged, NoticeForm::kChannelMask},
};
NVR_CHECK_LINKAGE_DESC(kAlarmInLinkage);

constexpr EventLinkageDesc kCameraAlarmInLinkage[kCameraAlarmInputs] = {
    NVR_CAMERA_ALARM_IN_LINKAGE(0),
    NVR_CAMERA_ALARM_IN_LINKAGE(1),
    NVR_CAMERA_ALARM_IN_LINKAGE(2),
    NVR_CAMERA_ALARM_IN_LINKAGE(3),
};
#undef NVR_CAMERA_ALARM_IN_LINKAGE
NVR_CHECK_LINKAGE_DESC(kCameraAlarmInLinkage[0]);
NVR_CHECK_LINKAGE_DESC(kCameraAlarmInLinkage[3]);

constexpr LinkageSchedule kCameraAlarmOutSchedules[kCameraAlarmOutputs] = {
    {"effective", "alarm_chnOut0_esche", ScheduleCodec::kStandard},
    {"effective", "alarm_chnOut1_esche", ScheduleCodec::kStandard},
};
