// The plate event record's store operations and the four list modes' linkage descriptions.
//
// Schedule tables (this side's names, beside the lamp and HTTP tables the store already
// has): "lpr_esche" for mode -1; "lpr_<list>_esche", "lpr_<list>_audible_sche",
// "lpr_<list>_mail_sche" and "lpr_<list>_ptz_sche" with <list> "black", "white" and
// "visitor" for modes 0, 1 and 2.
#include "event/anpr_record.h"

#include <json-c/json.h>

#include "event/anpr_core.h"
#include "handler_kit.h"

namespace {

// The keys a linkage save overlays on the record.
constexpr auto kAnprSaveKeys = pick_keys(
    kAnprEventKind, {"enable", "triAlarms", "interval", "audioId", "email_interval",
                     "email_pic_enable", "tri_channels_pic", "ptz_interval", "alarmout_interval",
                     "white_interval", "triChannels", "http_notification_interval"});

// "/6179" for modes 0 to 2, in its answer order.
constexpr LinkageKey kAnprGetter[] = {
    {"chnid"},
    {"mode", LinkageValue::kIndex},
    {"enable"},
    {"triAlarms"},
    {"interval"},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz_interval"},
    {"alarmout_interval"},
    {"white_interval"},
    {"http_notification_interval"},
    {"triChannels"},
    {"effective", LinkageValue::kSchedule},
    {"audible", LinkageValue::kSchedule},
    {"email", LinkageValue::kSchedule},
    {"ptz", LinkageValue::kSchedule},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
    {"white", LinkageValue::kSchedule},
    {"whiteInfo", LinkageValue::kWhiteInfo},
    {"httpSche", LinkageValue::kSchedule},
    {"httpParams", LinkageValue::kHttpParams},
    {"audioId"},
    {"audioIdMask", LinkageValue::kAudioIdMask},
    {"ptzParams", LinkageValue::kPtzParams},
};
// Mode -1 answers its schedule only.
constexpr LinkageKey kAnprOwnGetter[] = {
    {"chnid"},
    {"mode", LinkageValue::kIndex},
    {"effective", LinkageValue::kSchedule},
};

constexpr LinkageSchedule kAnprOwnSchedules[] = {
    {"effective", "lpr_esche", ScheduleCodec::kStandard},
};

#define NVR_ANPR_SCHEDULES(list, white, http)                            \
  constexpr LinkageSchedule kAnpr_##list##_Schedules[] = {               \
      {"effective", "lpr_" #list "_esche", ScheduleCodec::kStandard},    \
      {"audible", "lpr_" #list "_audible_sche", ScheduleCodec::kSecond}, \
      {"email", "lpr_" #list "_mail_sche", ScheduleCodec::kSecond},      \
      {"ptz", "lpr_" #list "_ptz_sche", ScheduleCodec::kSecond},         \
      {"white", white, ScheduleCodec::kStandard},                        \
      {"httpSche", http, ScheduleCodec::kStandard, true},                \
  }
NVR_ANPR_SCHEDULES(black, "lpr_black_whiteled_esche", "lpr_black_mode_http_notification_sche");
NVR_ANPR_SCHEDULES(white, "lpr_white_whiteled_esche", "lpr_white_mode_http_notification_sche");
NVR_ANPR_SCHEDULES(visitor, "lpr_vistor_whiteled_esche", "lpr_visitor_mode_http_notification_sche");
#undef NVR_ANPR_SCHEDULES

constexpr const FieldDesc* kTriggerText = field_named(kAnprEventKind, "tri_channels");
constexpr const FieldDesc* kTriggerMask = field_named(kAnprEventKind, "trigger_mask");
constexpr const FieldDesc* kAlarmOut0 = field_named(kAnprEventKind, "tri_chn_alarm0");
constexpr const FieldDesc* kAlarmOut1 = field_named(kAnprEventKind, "tri_chn_alarm1");

#define NVR_ANPR_LINKAGE(m, list, white, http)                                        \
  EventLinkageDesc {                                                                  \
    .record = &kAnprEventKind, .index = m, .schedules = kAnpr_##list##_Schedules,     \
    .white_table = white, .http_table = http, .ptz_event_type = (m) + 15,             \
    .scalar_keys = kAnprSaveKeys, .trigger_text_field = kTriggerText,                 \
    .trigger_mask_field = kTriggerMask, .alarm_out_fields = {kAlarmOut0, kAlarmOut1}, \
    .getter = kAnprGetter, .notice = {kAnprModeChanged, NoticeForm::kChannelIndex},   \
  }

// Index i is mode i - 1.
constexpr EventLinkageDesc kAnprLinkage[kAnprModes] = {
    {.record = &kAnprEventKind,
     .index = -1,
     .schedules = kAnprOwnSchedules,
     .scalar_keys = kAnprSaveKeys,
     .trigger_text_field = kTriggerText,
     .trigger_mask_field = kTriggerMask,
     .alarm_out_fields = {kAlarmOut0, kAlarmOut1},
     .getter = kAnprOwnGetter,
     .notice = {kAnprModeChanged, NoticeForm::kChannelIndex}},
    NVR_ANPR_LINKAGE(0, black, "lpr_black_white_led_params",
                     "lpr_black_mode_http_notification_params"),
    NVR_ANPR_LINKAGE(1, white, "lpr_white_white_led_params",
                     "lpr_white_mode_http_notification_params"),
    NVR_ANPR_LINKAGE(2, visitor, "lpr_vistor_white_led_params",
                     "lpr_visitor_mode_http_notification_params"),
};
#undef NVR_ANPR_LINKAGE
NVR_CHECK_LINKAGE_DESC(kAnprLinkage[0]);
NVR_CHECK_LINKAGE_DESC(kAnprLinkage[1]);
NVR_CHECK_LINKAGE_DESC(kAnprLinkage[2]);
NVR_CHECK_LINKAGE_DESC(kAnprLinkage[3]);

}  // namespace

const EventLinkageDesc* anpr_linkage(int mode) {
  return anpr_mode_valid(mode) ? &kAnprLinkage[mode - kAnprModeFirst] : nullptr;
}

int read_anpr_event(const char* store, AnprEventRecord* record, int channel, int mode) {
  if (record == nullptr || !channel_valid(channel) || !anpr_mode_valid(mode)) return -1;
  return store_read(store, RecordKey(channel, mode), record);
}

int write_anpr_event(const char* store, AnprEventRecord* record, int mode) {
  if (record == nullptr || !channel_valid(record->chn) || !anpr_mode_valid(mode)) return -1;
  record->instance = mode;
  return store_write(store, *record);
}

int save_anpr_dialog_data(json_object* object, AnprEventRecord* record, int mode, int channel,
                          LinkageSaveResult* result) {
  const EventLinkageDesc* desc = anpr_linkage(mode);
  if (result != nullptr) *result = LinkageSaveResult{};
  if (desc == nullptr || record == nullptr || !channel_valid(channel) ||
      !json_object_is_type(object, json_type_object))
    return -1;
  return event_linkage_save(*desc, object, channel, record, result);
}
