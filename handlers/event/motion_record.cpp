// The motion record's field table, its store operations and motion's linkage description.
#include "event/motion_record.h"

#include <iterator>

#include "dvdb.h"

namespace {

constexpr FieldDesc kMotionFields[] = {
    NVR_FIELD(MotionRecord, chn, "chnid"),
    NVR_FIELD(MotionRecord, enabled, "enable").range(0, 2),
    NVR_FIELD(MotionRecord, sensitivity, "sensitivity").range(0, INT32_MAX),
    NVR_FIELD(MotionRecord, trigger_mask, nullptr),
    NVR_FIELD(MotionRecord, alarm_outputs, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(MotionRecord, grid, "motionTable"),
    NVR_FIELD(MotionRecord, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(MotionRecord, full_day, "enableDV"),
    NVR_FIELD(MotionRecord, tri_channels, "triChannels"),
    NVR_FIELD(MotionRecord, email_enable, "email_enable"),
    NVR_FIELD(MotionRecord, email_interval, "email_interval"),
    NVR_FIELD(MotionRecord, tri_chn_alarm0, nullptr),
    NVR_FIELD(MotionRecord, tri_chn_alarm1, nullptr),
    NVR_FIELD(MotionRecord, ptz_interval, "ptz_interval"),
    NVR_FIELD(MotionRecord, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(MotionRecord, white_interval, "white_interval"),
    NVR_FIELD(MotionRecord, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(MotionRecord, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(MotionRecord, audio_id, "audioId"),
    NVR_FIELD(MotionRecord, http_interval, "http_notification_interval"),
    NVR_FIELD(MotionRecord, reserved, nullptr),
};

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
constexpr JsonKeyMap kMotionSaveKeys[] = {
    {"enabled", "enable"},
    {"alarm_outputs", "triAlarms"},
    {"interval", "interval"},
    {"audio_id", "audioId"},
    {"email_interval", "email_interval"},
    {"email_pic_enable", "email_pic_enable"},
    {"tri_channels_pic", "tri_channels_pic"},
    {"ptz_interval", "ptz_interval"},
    {"alarmout_interval", "alarmout_interval"},
    {"white_interval", "white_interval"},
    {"tri_channels", "triChannels"},
    {"http_interval", "http_notification_interval"},
};

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

constexpr RecordKind kMotionKind{.name = "motion",
                                 NVR_KIND_FIELDS(MotionRecord, kMotionFields),
                                 .key = {"chn", 0, kMaxChannels - 1},
                                 .list_every_slot = true};
static_assert(record_kind_is_valid(kMotionKind));

constexpr EventLinkageDesc kMotionLinkage{
    .record = &kMotionKind,
    .schedules = kMotionSchedules,
    .white_table = "motion_white_led_params",
    .http_table = "motion_http_notification_params",
    .ptz_event_type = kMotionPtzEventType,
    .scalar_keys = kMotionSaveKeys,
    .trigger_text_field = "tri_channels",
    .trigger_mask_field = "trigger_mask",
    .alarm_out_fields = {"tri_chn_alarm0", "tri_chn_alarm1"},
    .getter = kMotionGetter,
    .notice = {kMotionChanged, NoticeForm::kChannel},
    .copy_notice = {kMotionCopied, NoticeForm::kMask},
};

constexpr LinkageSaveScope kMotionActionScope{
    .keys = std::span(kMotionSaveKeys).first(std::size(kMotionSaveKeys) - 1),
    .http = false,
    .ptz = false};

int read_motion(const char* store, MotionRecord* rec, int channel) {
  return store_read(store, kMotionKind, channel, rec);
}

int read_motions(const char* store, MotionRecord* recs, int capacity, int* count) {
  return store_list(store, kMotionKind, recs, capacity, count);
}

int write_motion(const char* store, const MotionRecord* rec) {
  return rec != nullptr ? store_write(store, kMotionKind, rec->chn, rec) : -1;
}

int copy_motions(const char* store, const MotionRecord* rec, uint64_t mask) {
  return store_copy_mask(store, kMotionKind, rec, mask);
}

int write_motion_schedule(const char* store, const ScheduleBlock* block, int channel) {
  return write_schedule(store, kAudibleTable, channel, block);
}

int read_motion_audible_schedule(const char* store, ScheduleBlock* block, int channel) {
  return read_schedule(store, kAudibleTable, channel, block);
}
