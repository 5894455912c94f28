// Snapshot schedules and parameters. A save names its channels in "chnid" (the first "cnt"
// values); each channel is taken once, 0 to 63 only, so that the core's 64-entry list can
// neither overflow nor carry a channel twice. The list is sent in channel order.
#include "event/snapshot.h"

#include <json-c/json.h>

#include <cstring>
#include <memory>

#include "event/snapshot_record.h"
#include "event/video_ipc.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

constexpr auto kParamKeys = pick_keys(
    kSnapshotKind, {"resolution", "quality", "interval", "interval_unit", "expiration_date"});

// The channel of a getter's text; the text error for anything else.
[[nodiscard]] std::optional<int> getter_channel(const char* text) {
  auto channel = channel_from_text(text);
  if (!channel) cgi_error_to_webserver(kCgiText);
  return channel;
}

// The request as an object; the text error for a missing or unparsable one.
[[nodiscard]] Json setter_tree(const char* text) {
  Json tree = request_object(text);
  if (tree == nullptr) cgi_error_to_webserver(kCgiText);
  return tree;
}

SnapshotStartStop start_stop(int action, uint64_t mask) {
  SnapshotStartStop s{};
  s.action = action;
  for (int c = 0; c < kMaxChannels; ++c) s.flag[c] = static_cast<int32_t>(mask >> c & 1u);
  return s;
}

}  // namespace

int on_get_snapshot_schedule(char* text) {
  auto channel = getter_channel(text);
  if (!channel) return -1;
  auto rec = std::make_unique<SnapshotSchedule>();
  if (store_read(kStoreMain, *channel, rec.get()) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  auto block = std::make_unique<ScheduleBlock>();
  std::memcpy(block.get(), rec->day, sizeof *block);
  Json answer(get_schedule_json_object(block.get()));
  write_json(answer.get());
  return 0;
}

int on_set_snapshot_schedule(char* text) {
  Json tree = setter_tree(text);
  if (tree == nullptr) return -1;
  // One block for every listed channel: stored in one transaction under each of them.
  auto block = std::make_unique<ScheduleBlock>();
  std::memset(block.get(), 0, sizeof *block);
  (void)get_schedule_by_json(tree.get(), "schedule", block.get());
  auto rec = std::make_unique<SnapshotSchedule>();
  std::memset(rec.get(), 0, sizeof *rec);
  std::memcpy(rec->day, block.get(), sizeof rec->day);
  const uint64_t mask = get_copy_flag_by_json(tree.get(), "chnid", "cnt");
  if (store_copy_mask(kStoreMain, *rec, mask) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(kSnapshotScheduleChanged, core_channel_list(mask));
  write_ok();
  return 0;
}

int on_get_snapshot_setting_params(char* text) {
  auto channel = getter_channel(text);
  if (!channel) return -1;
  SnapshotParams rec{};
  if (store_read(kStoreMain, *channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  Json answer(json_object_new_object());
  (void)record_to_json(kParamKeys, &rec, answer.get());
  write_json(answer.get());
  return 0;
}

int on_set_snapshot_setting_params(char* text) {
  Json tree = setter_tree(text);
  if (tree == nullptr) return -1;
  // The parameters are the request's, whole: what it leaves out is cleared.
  SnapshotParams rec{};
  (void)record_from_json(kParamKeys, tree.get(), &rec);
  const uint64_t mask = get_copy_flag_by_json(tree.get(), "chnid", "cnt");
  if (store_copy_mask(kStoreMain, rec, mask) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(kSnapshotParamsChanged, core_channel_list(mask));
  write_ok();
  return 0;
}

int on_set_snapshot_batch_setting(char* text) {
  Json tree = setter_tree(text);
  if (tree == nullptr) return -1;
  // Start first, then stop: a channel in both lists ends stopped.
  if (json_int(tree.get(), "snapshotCnt").value_or(0) > 0)
    kVideoCore.notice(
        kSnapshotStartStop,
        start_stop(1, get_copy_flag_by_json(tree.get(), "snapshotChnId", "snapshotCnt")));
  if (json_int(tree.get(), "stopCnt").value_or(0) > 0)
    kVideoCore.notice(kSnapshotStartStop,
                      start_stop(0, get_copy_flag_by_json(tree.get(), "stopChnId", "stopCnt")));
  write_ok();
  return 0;
}
