// Video loss in the shared event-linkage model, its schedule page's table and the names of
// the recorder's exceptions.
#include "event/videoloss_record.h"

#include <cstdio>
#include <iterator>

#include "dvdb.h"

namespace {

constexpr const char* kAudibleTable = "videoloss_audible_sche";

// Video loss is watched around the clock: it has no effective schedule.
constexpr LinkageSchedule kVideoLossSchedules[] = {
    {"audible", kAudibleTable, ScheduleCodec::kSecond},
    {"email", "videoloss_email_sche", ScheduleCodec::kSecond},
    {"ptz", "videoloss_ptz_sche", ScheduleCodec::kSecond},
    {"white", "videoloss_whiteled_esche", ScheduleCodec::kStandard},
    {"httpSche", "videoloss_http_notification_sche", ScheduleCodec::kStandard, true},
};

// The keys "/6095" overlays ("triChnAlarms" through the alarm-output fields).
constexpr auto kVideoLossSaveKeys = pick_keys(
    kVideoLossKind, {"enable", "triAlarms", "interval", "audioId", "email_interval", "ptz_interval",
                     "alarmout_interval", "white_interval", "http_notification_interval"});

// "/6094", in its answer order; the channel is answered as "chnid".
constexpr LinkageKey kVideoLossGetter[] = {
    {"chnid", LinkageValue::kField, "chn"},
    {"enable"},
    {"triAlarms"},
    {"interval"},
    {"email_interval"},
    {"ptz_interval"},
    {"alarmout_interval"},
    {"white_interval"},
    {"http_notification_interval"},
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

// The exceptions in the order the core numbers them.
constexpr const char* kExceptionNames[kExceptionTargets] = {
    "diskFull",     "diskError",    "networkDisconnected", "ipConflict", "illegalAccess",
    "recordFailed", "raidDegraded", "cameraOffline",       "fanFailure",
};

}  // namespace

constexpr EventLinkageDesc kVideoLossLinkage{
    .record = &kVideoLossKind,
    .schedules = kVideoLossSchedules,
    .white_table = "video_loss_white_led_params",
    .http_table = "videoloss_http_notification_params",
    .ptz_event_type = kVideoLossPtzEventType,
    .scalar_keys = kVideoLossSaveKeys,
    .alarm_out_fields = {field_named(kVideoLossKind, "tri_chn_alarm0"),
                         field_named(kVideoLossKind, "tri_chn_alarm1")},
    .getter = kVideoLossGetter,
    // The linkage page tells the core once, with the channel and every channel it copied to.
    .notice = {kVideoLossCopied, NoticeForm::kChannelMask},
};
NVR_CHECK_LINKAGE_DESC(kVideoLossLinkage);

int write_video_loss_schedule(const char* store, const ScheduleBlock* block, int channel) {
  return write_schedule(store, kAudibleTable, channel, block);
}

int read_videoloss_audible_schedule(const char* store, ScheduleBlock* block, int channel) {
  return read_schedule(store, kAudibleTable, channel, block);
}

int get_exception_name(int index, char* text, int size) {
  if (text == nullptr || size <= 0) return -1;
  text[0] = '\0';
  if (index < 0 || index >= static_cast<int>(std::size(kExceptionNames))) return -1;
  std::snprintf(text, static_cast<std::size_t>(size), "%s", kExceptionNames[index]);
  return text[0] != '\0' ? 0 : -1;
}
