// The motion record's field table, its store operations and motion's linkage description.
#include "event/motion_record.h"

#include <iterator>

#include "dvdb.h"

namespace {

constexpr const char* kAudibleTable = "motion_audible_sche";

constexpr LinkageSchedule kMotionSchedules[] = {
    {"effective", "motion_esche", ScheduleCodec::kStandard},
    {"audible", kAudibleTable, ScheduleCodec::kSecond},
    {"email", "motion_email_sche", ScheduleCodec::kSecond},
    {"ptz", "motion_ptz_sche", ScheduleCodec::kSecond},
    {"white", "motion_whiteled_esche", ScheduleCodec::kStandard},
    {"httpSche", "motion_http_notification_sche", ScheduleCodec::kStandard, true},
};

// The keys of the full linkage save; "/6117" takes all but the last.
constexpr auto kMotionSaveKeys = pick_keys(
    kMotionKind, {"enable", "triAlarms", "interval", "audioId", "email_interval",
                  "email_pic_enable", "tri_channels_pic", "ptz_interval", "alarmout_interval",
                  "white_interval", "triChannels", "http_notification_interval"});

// "/6010", in its answer order.
constexpr LinkageKey kMotionGetter[] = {
    {"chnid"},
    {"enable"},
    {"sensitivity"},
    {"triChannels"},
    {"triAlarms"},
    {"interval"},
    {"enableDV"},
    {"motionTable"},
    {"email_enable"},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz_interval"},
    {"alarmout_interval"},
    {"http_notification_interval"},
    {"effective", LinkageValue::kSchedule},
    {"audible", LinkageValue::kSchedule},
    {"email", LinkageValue::kSchedule},
    {"ptz", LinkageValue::kSchedule},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
    {"white", LinkageValue::kSchedule},
    {"whiteInfo", LinkageValue::kWhiteInfo},
    {"white_interval"},
    {"httpSche", LinkageValue::kSchedule},
    {"httpParams", LinkageValue::kHttpParams},
    {"audioId"},
    {"audioIdMask", LinkageValue::kAudioIdMask},
    {"ptzParams", LinkageValue::kPtzParams},
};

}  // namespace

constexpr EventLinkageDesc kMotionLinkage{
    .record = &kMotionKind,
    .schedules = kMotionSchedules,
    .white_table = "motion_white_led_params",
    .http_table = "motion_http_notification_params",
    .ptz_event_type = kMotionPtzEventType,
    .scalar_keys = kMotionSaveKeys,
    .trigger_text_field = field_named(kMotionKind, "tri_channels"),
    .trigger_mask_field = field_named(kMotionKind, "trigger_mask"),
    .alarm_out_fields = {field_named(kMotionKind, "tri_chn_alarm0"),
                         field_named(kMotionKind, "tri_chn_alarm1")},
    .getter = kMotionGetter,
    .notice = {kMotionChanged, NoticeForm::kChannel},
    .copy_notice = {kMotionCopied, NoticeForm::kMask},
};
NVR_CHECK_LINKAGE_DESC(kMotionLinkage);

constexpr LinkageSaveScope kMotionActionScope{
    .keys = {&kMotionKind,
             std::span(kMotionSaveKeys.keys).first(std::size(kMotionSaveKeys.keys) - 1)},
    .http = false,
    .ptz = false};

int write_motion_schedule(const char* store, const ScheduleBlock* block, int channel) {
  return write_schedule(store, kAudibleTable, channel, block);
}

int read_motion_audible_schedule(const char* store, ScheduleBlock* block, int channel) {
  return read_schedule(store, kAudibleTable, channel, block);
}
