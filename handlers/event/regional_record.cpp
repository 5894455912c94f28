// The regional counting event record's store operations and the four regions' linkage
// descriptions.
#include "event/regional_record.h"

#include <cstring>
#include <span>

#include "handler_kit.h"

namespace {

// What the regional page overlays on a region's record: all of its linkage fields.
constexpr auto kRegionalSaveKeys =
    pick_keys(kRegionalPcntEventKind,
              {"interval", "audioId", "email_interval", "email_pic_enable", "tri_channels_pic",
               "ptz_interval", "white_interval", "http_notification_interval", "alarmout_interval",
               "triAlarms", "triChannels"});

// One region's "action" object, in its answer order.
constexpr std::span<const LinkageKey> kRegionalGetter = std::span(kActionObjectGetter).subspan(1);

// The tables of region 0 carry no number, those of regions 1 to 3 their region number, as
// the white-LED and HTTP tables the store already names.
#define NVR_REGIONAL_SCHEDULES(name, prefix)                                          \
  constexpr LinkageSchedule name[] = {                                                \
      {"audible", prefix "_audible_sche", ScheduleCodec::kSecond},                    \
      {"email", prefix "_mail_sche", ScheduleCodec::kSecond},                         \
      {"ptz", prefix "_ptz_sche", ScheduleCodec::kSecond},                            \
      {"white", prefix "_whiteled_esche", ScheduleCodec::kStandard},                  \
      {"httpSche", prefix "_http_notification_sche", ScheduleCodec::kStandard, true}, \
  }
NVR_REGIONAL_SCHEDULES(kRegion0Schedules, "regional_pcnt");
NVR_REGIONAL_SCHEDULES(kRegion1Schedules, "regional_pcnt1");
NVR_REGIONAL_SCHEDULES(kRegion2Schedules, "regional_pcnt2");
NVR_REGIONAL_SCHEDULES(kRegion3Schedules, "regional_pcnt3");
#undef NVR_REGIONAL_SCHEDULES

// The schedule kind numbers, by the JSON key of the description's schedule.
struct ScheduleKindKey {
  int kind;
  const char* json_key;
};
constexpr ScheduleKindKey kScheduleKinds[] = {
    {kRegionalScheduleAudible, "audible"}, {kRegionalScheduleEmail, "email"},
    {kRegionalSchedulePtz, "ptz"},         {kRegionalScheduleWhite, "white"},
    {kRegionalScheduleHttp, "httpSche"},
};

#define NVR_REGIONAL_LINKAGE(r, sched, white, http)                                          \
  EventLinkageDesc {                                                                         \
    .record = &kRegionalPcntEventKind, .index = r, .schedules = sched, .white_table = white, \
    .http_table = http, .ptz_event_type = kRegionalPtzEventFirst + (r),                      \
    .scalar_keys = kRegionalSaveKeys,                                                        \
    .trigger_text_field = field_named(kRegionalPcntEventKind, "tri_channels"),               \
    .trigger_mask_field = field_named(kRegionalPcntEventKind, "trigger_mask"),               \
    .alarm_out_fields = {field_named(kRegionalPcntEventKind, "tri_chn_alarm0"),              \
                         field_named(kRegionalPcntEventKind, "tri_chn_alarm1")},             \
    .getter = kRegionalGetter,                                                               \
  }

}  // namespace

constexpr EventLinkageDesc kRegionalLinkage[kRegionalRegions] = {
    NVR_REGIONAL_LINKAGE(0, kRegion0Schedules, "regional_pcnt_whiteled_params",
                         "regional_pcnt_http_notification_params"),
    NVR_REGIONAL_LINKAGE(1, kRegion1Schedules, "regional_pcnt1_whiteled_params",
                         "regional_pcnt1_http_notification_params"),
    NVR_REGIONAL_LINKAGE(2, kRegion2Schedules, "regional_pcnt2_whiteled_params",
                         "regional_pcnt2_http_notification_params"),
    NVR_REGIONAL_LINKAGE(3, kRegion3Schedules, "regional_pcnt3_whiteled_params",
                         "regional_pcnt3_http_notification_params"),
};
#undef NVR_REGIONAL_LINKAGE
NVR_CHECK_LINKAGE_DESC(kRegionalLinkage[0]);
NVR_CHECK_LINKAGE_DESC(kRegionalLinkage[3]);

constexpr LinkageSaveScope kRegionalSaveScope{.keys = {}, .ptz_own = true};

int read_regional_pcnt_event(const char* store, RegionalPcntEventRecord* record, int channel,
                             int region) {
  if (!channel_valid(channel) || !regional_region_valid(region)) return -1;
  return store_read(store, RecordKey(channel, region), record);
}

int write_regional_pcnt_event(const char* store, const RegionalPcntEventRecord& record,
                              int region) {
  if (!channel_valid(record.chn) || !regional_region_valid(region)) return -1;
  return store_write(store, RecordKey(record.chn, region), record);
}

int copy_regional_pcnt_event(const char* store, const RegionalPcntEventRecord& record, int region,
                             uint64_t mask) {
  if (!regional_region_valid(region)) return -1;
  return store_copy_mask(store, record, mask, region);
}

const char* regional_pcnt_schedule_table(int kind, int region) {
  if (!regional_region_valid(region)) return nullptr;
  for (const ScheduleKindKey& k : kScheduleKinds)
    if (k.kind == kind) {
      const LinkageSchedule* s = linkage_schedule_of(kRegionalLinkage[region], k.json_key);
      return s != nullptr ? s->table : nullptr;
    }
  return nullptr;
}

int write_regional_pcnt_schedule(const char* store, int kind, const ScheduleBlock* block,
                                 int channel, int region) {
  const char* table = regional_pcnt_schedule_table(kind, region);
  if (table == nullptr || !channel_valid(channel)) return -1;
  return write_schedule(store, table, channel, block);
}

int copy_regional_pcnt_schedule(const char* store, int kind, const ScheduleBlock* block, int region,
                                uint64_t mask) {
  const char* table = regional_pcnt_schedule_table(kind, region);
  if (table == nullptr) return -1;
  return copy_schedule(store, table, block, mask);
}
