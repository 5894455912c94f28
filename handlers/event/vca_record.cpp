// The smart-event record's store operations and the nine events' linkage descriptions.
#include "event/vca_record.h"

#include <json-c/json.h>

#include <cstdio>
#include <iterator>

#include "event/video_ipc.h"
#include "handler_kit.h"

namespace {

// The keys the detection pages' linkage save overlays: the whole linkage but the switch,
// which is the detection page's own (people counting sets it from its lines).
constexpr auto kSmartEventSaveKeys = pick_keys(
    kSmartEventKind, {"triAlarms", "interval", "audioId", "email_interval", "email_pic_enable",
                      "tri_channels_pic", "ptz_interval", "alarmout_interval", "white_interval",
                      "triChannels", "http_notification_interval"});
// "/6149" stores the switch too, and no HTTP part.
constexpr auto kSmartEventScheduleKeys =
    pick_keys(kSmartEventKind, {"enable", "triAlarms", "interval", "audioId", "email_interval",
                                "email_pic_enable", "tri_channels_pic", "ptz_interval",
                                "alarmout_interval", "white_interval", "triChannels"});

// "/6148", in its answer order.
constexpr LinkageKey kSmartEventGetter[] = {
    {"chnid"},
    {"event", LinkageValue::kIndex},
    {"enable"},
    {"triAlarms"},
    {"interval"},
    {"email_interval"},
    {"email_pic_enable"},
    {"tri_channels_pic"},
    {"ptz_interval"},
    {"alarmout_interval"},
    {"triChannels"},
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

#define NVR_SMART_EVENT_SCHEDULES(e)                                                            \
  constexpr LinkageSchedule kSmartEvent##e##Schedules[] = {                                     \
      {"effective", "smart_event" #e "_esche", ScheduleCodec::kStandard},                       \
      {"audible", "smart_event" #e "_audible_sche", ScheduleCodec::kSecond},                    \
      {"email", "smart_event" #e "_mail_sche", ScheduleCodec::kSecond},                         \
      {"ptz", "smart_event" #e "_ptz_sche", ScheduleCodec::kSecond},                            \
      {"white", "smart_event" #e "_whiteled_esche", ScheduleCodec::kStandard},                  \
      {"httpSche", "smart_event" #e "_http_notification_sche", ScheduleCodec::kStandard, true}, \
  }
NVR_SMART_EVENT_SCHEDULES(0);
NVR_SMART_EVENT_SCHEDULES(1);
NVR_SMART_EVENT_SCHEDULES(2);
NVR_SMART_EVENT_SCHEDULES(3);
NVR_SMART_EVENT_SCHEDULES(4);
NVR_SMART_EVENT_SCHEDULES(5);
NVR_SMART_EVENT_SCHEDULES(6);
NVR_SMART_EVENT_SCHEDULES(7);
NVR_SMART_EVENT_SCHEDULES(8);
#undef NVR_SMART_EVENT_SCHEDULES

constexpr const char* kWhiteTables[kSmartEvents] = {
    "smart_event0_white_led_params", "smart_event1_white_led_params",
    "smart_event2_white_led_params", "smart_event3_white_led_params",
    "smart_event4_white_led_params", "smart_event5_white_led_params",
    "smart_event6_white_led_params", "smart_event7_white_led_params",
    "smart_event8_white_led_params"};
constexpr const char* kHttpTables[kSmartEvents] = {
    "smart_event0_http_notification_params", "smart_event1_http_notification_params",
    "smart_event2_http_notification_params", "smart_event3_http_notification_params",
    "smart_event4_http_notification_params", "smart_event5_http_notification_params",
    "smart_event6_http_notification_params", "smart_event7_http_notification_params",
    "smart_event8_http_notification_params"};

#define NVR_SMART_EVENT_LINKAGE(e)                                                           \
  EventLinkageDesc {                                                                         \
    .record = &kSmartEventKind, .index = e, .schedules = kSmartEvent##e##Schedules,          \
    .white_table = kWhiteTables[e], .http_table = kHttpTables[e], .ptz_event_type = (e) + 5, \
    .scalar_keys = kSmartEventSaveKeys,                                                      \
    .trigger_text_field = field_named(kSmartEventKind, "tri_channels"),                      \
    .trigger_mask_field = field_named(kSmartEventKind, "trigger_mask"),                      \
    .alarm_out_fields = {field_named(kSmartEventKind, "tri_chn_alarm0"),                     \
                         field_named(kSmartEventKind, "tri_chn_alarm1")},                    \
    .getter = kSmartEventGetter, .notice = {kSmartEventChanged, NoticeForm::kChannelMask},   \
  }

}  // namespace

constexpr EventLinkageDesc kSmartEventLinkage[kSmartEvents] = {
    NVR_SMART_EVENT_LINKAGE(0), NVR_SMART_EVENT_LINKAGE(1), NVR_SMART_EVENT_LINKAGE(2),
    NVR_SMART_EVENT_LINKAGE(3), NVR_SMART_EVENT_LINKAGE(4), NVR_SMART_EVENT_LINKAGE(5),
    NVR_SMART_EVENT_LINKAGE(6), NVR_SMART_EVENT_LINKAGE(7), NVR_SMART_EVENT_LINKAGE(8),
};
#undef NVR_SMART_EVENT_LINKAGE
NVR_CHECK_LINKAGE_DESC(kSmartEventLinkage[0]);
NVR_CHECK_LINKAGE_DESC(kSmartEventLinkage[8]);

constexpr LinkageSaveScope kSmartEventScheduleScope{
    .keys = kSmartEventScheduleKeys, .http = false, .ptz = false};

int read_smart_event(const char* store, SmartEventRecord* record, int channel, int event) {
  if (!channel_valid(channel) || !smart_event_valid(event)) return -1;
  return store_read(store, RecordKey(channel, event), record);
}

int write_smart_event(const char* store, const SmartEventRecord& record) {
  return store_write(store, record);
}

const char* get_vca_white_table_name(int event) {
  return smart_event_valid(event) ? kWhiteTables[event] : nullptr;
}

const char* get_vca_http_table_name(int event) {
  return smart_event_valid(event) ? kHttpTables[event] : nullptr;
}

int copy_smart_event_action(int event, int channel, uint64_t mask) {
  if (!smart_event_valid(event) || !channel_valid(channel)) return -1;
  // The channel's own linkage is never its own copy target.
  return event_linkage_copy(kSmartEventLinkage[event], channel, nullptr,
                            mask & ~(uint64_t{1} << channel));
}

uint64_t get_channel_mask(const char* text) {
  uint64_t mask = 0;
  if (text == nullptr) return 0;
  for (int i = 0; i < kMaxChannels && text[i] != '\0'; ++i)
    if (text[i] == '1') mask |= uint64_t{1} << i;
  return mask;
}

void dv_set_bit(uint64_t* mask, int bit) {
  if (mask != nullptr && bit >= 0 && bit < 64) *mask |= uint64_t{1} << bit;
}

SmartEventSave save_smart_event_dialog_data(int event, json_object* dialog, uint64_t copy_mask) {
  if (!smart_event_valid(event) || dialog == nullptr ||
      !json_object_is_type(dialog, json_type_object))
    return SmartEventSave::kSkipped;
  auto channel = channel_from_json(dialog, "chnid");
  if (!channel) return SmartEventSave::kSkipped;
  const EventLinkageDesc& desc = kSmartEventLinkage[event];

  // People counting keeps its effective schedule in the camera record, not here.
  if (event == kSmartEventPeople) json_object_object_del(dialog, "effective");
  SmartEventRecord rec{};
  LinkageSaveResult result;
  const bool saved = event_linkage_save(desc, dialog, *channel, &rec, &result) == 0;
  const bool copied = copy_smart_event_action(event, *channel, copy_mask) == 0;
  uint64_t mask = copied ? copy_mask : 0;
  dv_set_bit(&mask, *channel);
  if (saved || result.stored || copy_mask != 0)
    event_linkage_notify(desc, kVideoCore.callback, *channel, mask);
  if (!saved || !copied) {
    std::fprintf(stderr, "smart event %d linkage of channel %d: %s failed\n", event, *channel,
                 saved ? "copy" : "store");
    return SmartEventSave::kFailed;
  }
  return SmartEventSave::kSaved;
}
