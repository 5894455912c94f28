// The linkage descriptions of people counting, POS and face capture: each kind's action
// record table, its schedules and the tables of its white-LED list and HTTP target.
//
// Schedule tables chosen: "<kind>_esche" (effective), "<kind>_audible_sche",
// "<kind>_email_sche", "<kind>_ptz_sche", "<kind>_whiteled_esche" and the HTTP names the
// kinds share with the rest of the recorder ("pos_http_notification_sche", ...).
#include "camera/camera_linkage_record.h"

namespace {

// People counting has no effective schedule of its own: the page's "effective" shows the
// audible one. Its white-LED list and PTZ block live in tables of their own (handled by the
// page), so the description leaves them out.
constexpr LinkageSchedule kPeopleCountSchedules[] = {
    {"audible", "peoplecnt_audible_sche", ScheduleCodec::kSecond},
    {"email", "peoplecnt_email_sche", ScheduleCodec::kSecond},
    {"ptz", "peoplecnt_ptz_sche", ScheduleCodec::kSecond},
    {"white", "peoplecnt_whiteled_esche", ScheduleCodec::kStandard},
    {"httpSche", "people_cnt_http_notification_sche", ScheduleCodec::kStandard, true},
};

constexpr auto kPeopleCountKeys = pick_keys(
    kFeatureEventKind,
    {"triAlarms", "interval", "audioId", "email_interval", "email_pic_enable", "tri_channels_pic",
     "ptz_interval", "alarmout_interval", "white_interval", "http_notification_interval"});

constexpr LinkageKey kPeopleCountGetter[] = {
    {"chnid"},
    {"triAlarms"},
    {"interval"},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz_interval"},
    {"alarmout_interval"},
    {"white_interval"},
    {"audible", LinkageValue::kSchedule},
    {"email", LinkageValue::kSchedule},
    {"ptz", LinkageValue::kSchedule},
    {"triChnAlarms", LinkageValue::kAlarmOutTexts},
    {"white", LinkageValue::kSchedule},
    {"audioId"},
    {"audioIdMask", LinkageValue::kAudioIdMask},
};

constexpr LinkageSchedule kPosSchedules[] = {
    {"effective", "pos_esche", ScheduleCodec::kStandard},
    {"audible", "pos_audible_sche", ScheduleCodec::kSecond},
    {"email", "pos_email_sche", ScheduleCodec::kSecond},
    {"ptz", "pos_ptz_sche", ScheduleCodec::kSecond},
    {"white", "pos_whiteled_esche", ScheduleCodec::kStandard},
    {"httpSche", "pos_http_notification_sche", ScheduleCodec::kStandard, true},
};

constexpr LinkageSchedule kFaceSchedules[] = {
    {"effective", "face_esche", ScheduleCodec::kStandard},
    {"audible", "face_audible_sche", ScheduleCodec::kSecond},
    {"email", "face_email_sche", ScheduleCodec::kSecond},
    {"ptz", "face_ptz_sche", ScheduleCodec::kSecond},
    {"white", "face_whiteled_esche", ScheduleCodec::kStandard},
    {"httpSche", "face_http_notification_sche", ScheduleCodec::kStandard, true},
};

// POS and face take every key of the record, the trigger channels included.
constexpr auto kActionKeys = pick_keys(
    kFeatureEventKind, {"triAlarms", "interval", "audioId", "email_interval", "email_pic_enable",
                        "tri_channels_pic", "triChannels", "ptz_interval", "alarmout_interval",
                        "white_interval", "http_notification_interval"});

constexpr const FieldDesc* kAlarmOut0 = field_named(kFeatureEventKind, "tri_chn_alarm0");
constexpr const FieldDesc* kAlarmOut1 = field_named(kFeatureEventKind, "tri_chn_alarm1");

}  // namespace

constexpr EventLinkageDesc kPeopleCountLinkage{
    .record = &kFeatureEventKind,
    .record_table = "peoplecnt_event",
    .schedules = kPeopleCountSchedules,
    .http_table = "people_cnt_http_notification_params",
    .ptz_event_type = kPtzEventPeopleCount,
    .scalar_keys = kPeopleCountKeys,
    .alarm_out_fields = {kAlarmOut0, kAlarmOut1},
    .getter = kPeopleCountGetter,
};
NVR_CHECK_LINKAGE_DESC(kPeopleCountLinkage);

constexpr EventLinkageDesc kPosLinkage{
    .record = &kFeatureEventKind,
    .record_table = "pos_event",
    .schedules = kPosSchedules,
    .white_table = "pos_whiteled_params",
    .http_table = "pos_http_notification_params",
    .ptz_event_type = kPtzEventPos,
    .scalar_keys = kActionKeys,
    .trigger_text_field = field_named(kFeatureEventKind, "triChannels"),
    .trigger_mask_field = field_named(kFeatureEventKind, "trigger_mask"),
    .alarm_out_fields = {kAlarmOut0, kAlarmOut1},
    .getter = kActionObjectGetter,
};
NVR_CHECK_LINKAGE_DESC(kPosLinkage);

constexpr EventLinkageDesc kFaceLinkage{
    .record = &kFeatureEventKind,
    .record_table = "face_event",
    .schedules = kFaceSchedules,
    .white_table = "face_whiteled_params",
    .http_table = "face_http_notification_params",
    .ptz_event_type = kPtzEventFace,
    .scalar_keys = kActionKeys,
    .trigger_text_field = field_named(kFeatureEventKind, "triChannels"),
    .trigger_mask_field = field_named(kFeatureEventKind, "trigger_mask"),
    .alarm_out_fields = {kAlarmOut0, kAlarmOut1},
    .getter = kActionObjectGetter,
};
NVR_CHECK_LINKAGE_DESC(kFaceLinkage);
