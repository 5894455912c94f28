// One linkage field given to the listed channels ("chnid", first "cnt" values; numbers
// that name no record are skipped). Both log the change with motion's parameter type, as
// the linkage pages' other single-field setter does.
#include <json-c/json.h>

#include <cstdint>
#include <cstdio>
#include <memory>

#include "alarm/alarm_ipc.h"
#include "alarm/alarm_store.h"
#include "event/event_schedule.h"
#include "event/video_ipc.h"
#include "event/videoloss_record.h"
#include "event_linkage.h"
#include "field_json.h"
#include "handler_kit.h"
#include "linkage.h"
#include "web_utils.h"

namespace {

constexpr int kMaskBits = 64;

uint64_t listed_mask(const RecordKind& kind, json_object* tree) {
  uint64_t mask = get_copy_flag_by_json(tree, "chnid", "cnt");
  for (int c = 0; c < kMaskBits; ++c)
    if (c < kind.key.min || c > kind.key.max) mask &= ~(uint64_t{1} << c);
  return mask;
}

constexpr auto kVideoLossAlarms = pick_keys(kVideoLossKind, {"triAlarms"});
constexpr auto kAlarmInChannels = pick_keys(kAlarmInKind, {"triChannels"});
constexpr auto kAlarmInAlarms = pick_keys(kAlarmInKind, {"triAlarms"});

}  // namespace

// Only the channels whose alarm outputs differ are stored and named in the notice.
int on_set_videolost_others(char* text) {
  Json tree = request_checked(text, kVideoLossAlarms, {"triAlarms"});
  if (tree == nullptr) return -1;
  const uint64_t mask = listed_mask(kVideoLossKind, tree.get());
  uint64_t changed = 0;
  bool failed = false;
  for (int c = 0; c < kMaskBits; ++c) {
    if ((mask & (uint64_t{1} << c)) == 0) continue;
    VideoLossRecord rec{};
    if (store_read(kStoreMain, c, &rec) != 0) {
      failed = true;
      continue;
    }
    const int32_t before = rec.tri_alarms;
    (void)record_from_json(kVideoLossAlarms, tree.get(), &rec);
    if (rec.tri_alarms == before) continue;
    if (store_write(kStoreMain, rec) != 0) {
      failed = true;
      continue;
    }
    changed |= uint64_t{1} << c;
  }
  kVideoCore.notice_mask(kVideoLossCopied, changed);
  if (failed) {
    std::fprintf(stderr, "/6123: a video-loss record was not stored\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.log_mask(kLogParamMotion, -1, mask);
  write_ok();
  return 0;
}

// "type" 0 gives the trigger channels (their mask rebuilt), any other type the alarm
// outputs; the effective schedule of "camId" goes to every listed input.
int on_set_alarm_others(char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  const bool channels = json_int(tree.get(), "type").value_or(0) == 0;
  const FieldKeys& pick = channels ? kAlarmInChannels : kAlarmInAlarms;
  const char* key = channels ? "triChannels" : "triAlarms";
  const char* required[] = {key};
  if (record_validate(pick, tree.get(), required, 1) != 0) {
    std::fprintf(stderr, "/6127: \"%s\" missing or refused\n", key);
    return -1;
  }
  auto source = channel_from_json(tree.get(), "camId");
  if (!source || *source > kAlarmInKind.key.max) {
    std::fprintf(stderr, "/6127: \"camId\" names no alarm input\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const LinkageSchedule* effective = linkage_schedule_of(kAlarmInLinkage, "effective");
  auto block = std::make_unique<ScheduleBlock>();
  if (effective == nullptr ||
      read_schedule(kStoreMain, effective->table, *source, block.get()) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const uint64_t mask = listed_mask(kAlarmInKind, tree.get());
  bool failed = false;
  for (int c = 0; c < kMaskBits; ++c) {
    if ((mask & (uint64_t{1} << c)) == 0) continue;
    AlarmInRecord rec{};
    if (store_read(kStoreMain, c, &rec) != 0) {
      failed = true;
      continue;
    }
    (void)record_from_json(pick, tree.get(), &rec);
    event_linkage_rebuild_trigger_mask(kAlarmInLinkage, &rec);
    if (store_write(kStoreMain, rec) != 0) failed = true;
  }
  if (copy_schedule(kStoreMain, effective->table, block.get(), mask) != 0) failed = true;
  kVideoCore.notice_mask(kAlarmInLinkageChanged, mask);
  if (failed) {
    std::fprintf(stderr, "/6127: a part was not stored\n");
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.log_mask(kLogParamMotion, -1, mask);
  write_ok();
  return 0;
}
