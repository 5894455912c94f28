// One schedule given to a list of channels or alarm inputs. The list is the first "cnt"
// values of "chnid"; values that name no record of the kind are skipped, duplicates count
// once. Every part is stored even when another fails; the core hears the copy mask when
// anything may have reached the store, and the page gets "OK" only when all of it did.
#include <json-c/json.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
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

// The listed numbers that name a record of the kind.
uint64_t listed_mask(const EventLinkageDesc& desc, json_object* tree) {
  uint64_t mask = get_copy_flag_by_json(tree, "chnid", "cnt");
  for (int c = 0; c < kMaskBits; ++c)
    if (c < desc.record->key.min || c > desc.record->key.max) mask &= ~(uint64_t{1} << c);
  return mask;
}

// The body's "schedule" decoded in the codec of the kind's `key` schedule; nullptr (the
// body then gets no answer) when it does not decode.
std::unique_ptr<ScheduleBlock> decoded(const LinkageSchedule* schedule, json_object* tree) {
  if (schedule == nullptr) return nullptr;
  auto block = std::make_unique<ScheduleBlock>();
  if (linkage_schedule_decode(*schedule, tree, "schedule", block.get()) != 0) return nullptr;
  return block;
}

// Sends the copy mask, then answers: "OK", or the text error when a part failed.
int finish(int notice, uint64_t mask, bool failed) {
  kVideoCore.notice_mask(notice, mask);
  if (failed) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

// Whether a listed record is stored when the request left it as it was.
enum class Store : bool { kChanged, kEvery };

// The schedule to every listed record, and the picked fields ("enable", "interval") into
// each; a record is stored when the request changed it, or always with Store::kEvery.
template <class Record>
int set_schedule_and_fields(const EventLinkageDesc& desc, const char* key, const FieldKeys& pick,
                            int notice, const char* text, Store store = Store::kChanged) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  const LinkageSchedule* schedule = linkage_schedule_of(desc, key);
  auto block = decoded(schedule, tree.get());
  const char* bad = nullptr;
  if (block == nullptr || record_validate(pick, tree.get(), nullptr, 0, &bad) != 0) {
    std::fprintf(stderr, "%s copy: refused body (%s)\n", desc.record->name,
                 bad != nullptr ? bad : "schedule");
    return -1;
  }
  const uint64_t mask = listed_mask(desc, tree.get());
  bool failed = copy_schedule(kStoreMain, schedule->table, block.get(), mask) != 0;
  for (int c = 0; c < kMaskBits; ++c) {
    if ((mask & (uint64_t{1} << c)) == 0) continue;
    Record rec{};
    if (store_read(kStoreMain, c, &rec) != 0) {
      failed = true;
      continue;
    }
    const Record before = rec;
    (void)record_from_json(pick, tree.get(), &rec);
    const bool changed = std::memcmp(&before, &rec, sizeof rec) != 0;
    if ((changed || store == Store::kEvery) && store_write(kStoreMain, rec) != 0) failed = true;
  }
  if (failed) std::fprintf(stderr, "%s copy: a part was not stored\n", desc.record->name);
  return finish(notice, mask, failed);
}

// The PTZ schedule to every listed channel, with the PTZ linkage of "camId" stored for each
// listed channel other than "camId" itself, its entries retargeted to that channel.
int set_ptz_schedule(const EventLinkageDesc& desc, int notice, const char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) return -1;
  const LinkageSchedule* schedule = linkage_schedule_of(desc, "ptz");
  auto block = decoded(schedule, tree.get());
  if (block == nullptr) return -1;
  auto source = channel_from_json(tree.get(), "camId");
  if (!source || *source > desc.record->key.max) {
    std::fprintf(stderr, "%s PTZ copy: \"camId\" names no record\n", desc.record->name);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  PtzLinkBlock ptz{};
  int count = 0;
  if (read_ptz_params(kStoreMain, &ptz, desc.ptz_event_type, *source, &count) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  const uint64_t mask = listed_mask(desc, tree.get());
  bool failed = false;
  for (int c = 0; c < kMaskBits; ++c) {
    if ((mask & (uint64_t{1} << c)) == 0) continue;
    for (PtzLinkEntry& e : ptz.entry)
      if (e.ptzChn > 0) e.eventChn = c;
    if (c != *source && write_ptz_params_all(kStoreMain, &ptz, desc.ptz_event_type, c) != 0)
      failed = true;
  }
  if (copy_schedule(kStoreMain, schedule->table, block.get(), mask) != 0) failed = true;
  if (failed) std::fprintf(stderr, "%s PTZ copy: a part was not stored\n", desc.record->name);
  return finish(notice, mask, failed);
}

constexpr auto kVideoLossBuzzerKeys = pick_keys(kVideoLossKind, {"enable", "interval"});
constexpr auto kVideoLossEmailKeys =
    pick_renamed(kVideoLossKind, {{"email_enable", "enable"}, {"email_interval", "interval"}});
constexpr auto kAlarmInBuzzerKeys = pick_keys(kAlarmInKind, {"enable", "interval"});
constexpr auto kAlarmInEmailKeys = pick_renamed(
    kAlarmInKind,
    {{"email_enable", "enable"}, {"email_interval", "interval"}, {"tri_snapshot", "triSnapshot"}});

}  // namespace

int on_set_videolost_audible_sche(char* text) {
  return set_schedule_and_fields<VideoLossRecord>(kVideoLossLinkage, "audible",
                                                  kVideoLossBuzzerKeys, kVideoLossCopied, text);
}

int on_set_videolost_email_sche(char* text) {
  return set_schedule_and_fields<VideoLossRecord>(kVideoLossLinkage, "email", kVideoLossEmailKeys,
                                                  kVideoLossCopied, text);
}

int on_set_alarmin_audible_sche(char* text) {
  return set_schedule_and_fields<AlarmInRecord>(kAlarmInLinkage, "audible", kAlarmInBuzzerKeys,
                                                kAlarmInLinkageChanged, text);
}

// The e-mail page sets all three fields of every listed input, so each is stored.
int on_set_alarmin_email_sche(char* text) {
  return set_schedule_and_fields<AlarmInRecord>(kAlarmInLinkage, "email", kAlarmInEmailKeys,
                                                kAlarmInLinkageChanged, text, Store::kEvery);
}

int on_set_videoloss_ptz_sche(char* text) {
  return set_ptz_schedule(kVideoLossLinkage, kVideoLossCopied, text);
}

int on_set_alarmin_ptz_sche(char* text) {
  return set_ptz_schedule(kAlarmInLinkage, kAlarmInLinkageChanged, text);
}
