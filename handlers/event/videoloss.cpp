// Video-loss and exception pages. The video-loss record and its linkage go through the
// shared event-linkage piece (kVideoLossLinkage); what is left here is what video loss does
// differently -- the basic page that checks "enable" without storing it, the linkage save
// that always writes the record back, one notice for a save and its copy -- and the
// exception settings, which belong to the recorder rather than to a channel.
#include "event/videoloss.h"

#include <json-c/json.h>

#include <cstdio>
#include <memory>

#include "cgi_ipc.h"
#include "event/video_ipc.h"
#include "event/videoloss_record.h"
#include "event_linkage.h"
#include "field_json.h"
#include "handler_kit.h"
#include "web_utils.h"

namespace {

// "/6014" answers these; "/6016" checks them all and stores the last two.
constexpr auto kBasicKeys = pick_keys(kVideoLossKind, {"camId", "enable", "triAlarms", "interval"});
constexpr auto kBasicStored = pick_keys(kVideoLossKind, {"triAlarms", "interval"});
constexpr auto kScheduleEnable = pick_keys(kVideoLossKind, {"enable"});

constexpr auto kExceptionKeys = pick_keys(kTriggerAlarmsKind, {"recordFailedMailInterval"});

// Reads the channel's record, overlays `keys`, stores it. False, with the text error
// answered, when the read or the write fails.
[[nodiscard]] bool store_video_loss(json_object* tree, int channel, const FieldKeys& keys) {
  VideoLossRecord rec{};
  if (store_read(kStoreMain, channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  (void)record_from_json(keys, tree, &rec);
  rec.chn = channel;
  if (store_write(kStoreMain, rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return false;
  }
  return true;
}

void send_changed(int channel) {
  kVideoCore.notice(kVideoLossChanged, int32_t{channel});
}

// The linkage dialog's parts for one channel. The record is written back even when the
// dialog overlays none of its keys, so that the core always finds a stored record for a
// channel whose linkage it was told about.
[[nodiscard]] bool save_video_loss_dialog(json_object* dialog, int channel) {
  VideoLossRecord rec{};
  LinkageSaveResult result;
  json_object* object =
      dialog != nullptr && json_object_is_type(dialog, json_type_object) ? dialog : nullptr;
  Json empty;
  if (object == nullptr) {
    empty.reset(json_object_new_object());
    object = empty.get();
  }
  int rc = event_linkage_save(kVideoLossLinkage, object, channel, &rec, &result);
  if (rc == 0 && !result.record_written && store_write(kStoreMain, channel, rec) != 0) rc = -1;
  return rc == 0;
}

// "httpParams" of "/6998": one target per named exception, stored under its position.
// A member the object lacks clears its target. False when a write failed.
[[nodiscard]] bool store_exception_targets(json_object* params) {
  bool ok = true;
  for (int index = 0; index < kExceptionTargets; ++index) {
    char name[32];
    if (get_exception_name(index, name, sizeof name) != 0) continue;
    HttpNotifyRecord target{};
    // A member without "exceptId" belongs to the exception it is named after: the position
    // is the id, whatever the member says.
    if (json_member(params, name) == nullptr ||
        get_http_params_by_json(index, &target, params, name) != 0) {
      target = HttpNotifyRecord{};
    }
    target.chn = index;
    if (write_http_notification_params(kStoreMain, &target, kExceptHttpTable) != 0) ok = false;
  }
  return ok;
}

json_object* exception_targets_json() {
  json_object* o = json_object_new_object();
  for (int index = 0; index < kExceptionTargets; ++index) {
    char name[32];
    if (get_exception_name(index, name, sizeof name) != 0) continue;
    json_object* target = get_http_params_json_object(index, kExceptHttpTable);
    // The pages call the target's id "exceptId".
    json_object_object_del(target, "chnId");
    json_object* ordered = json_object_new_object();
    json_object_object_add(ordered, "exceptId", json_object_new_int(index));
    json_object_object_foreach(target, key, value) {
      json_object_object_add(ordered, key, json_object_get(value));
    }
    json_object_put(target);
    json_object_object_add(o, name, ordered);
  }
  return o;
}

}  // namespace

int on_get_videolost_info(char* text) {
  auto channel = channel_from_text(text);
  if (!channel) return -1;
  VideoLossRecord rec{};
  if (store_read(kStoreMain, *channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  (void)record_to_json(kBasicKeys, &rec, answer.get());
  write_json(answer.get());
  return 0;
}

int on_set_videolost_info(char* text) {
  // check_videolost_info: "camId" a channel, "enable" 0 to 2, "triAlarms" and "interval"
  // not negative. The page's "enable" is checked but not stored: video loss is switched
  // on and off by its linkage dialog.
  Json tree = request_checked(text, kVideoLossKind, {"camId", "enable", "triAlarms", "interval"});
  if (tree == nullptr) return -1;
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel || !store_video_loss(tree.get(), *channel, kBasicStored)) return -1;
  send_changed(*channel);
  kVideoCore.log(kLogParamVideoLoss, *channel);
  write_ok();
  return 0;
}

int on_get_videolost_schedule(char* text) {
  auto channel = channel_from_text(text);
  if (!channel) return -1;
  auto block = std::make_unique<ScheduleBlock>();
  if (read_videoloss_audible_schedule(kStoreMain, block.get(), *channel) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(get_schedule_json_object_ex(block.get()));
  write_json(answer.get());
  return 0;
}

int on_set_videolost_schedule(char* text) {
  // check_videolost_schedule: "camId" a channel; "enable", when present, 0 to 2.
  Json tree = request_checked(text, kVideoLossKind, {"camId"});
  if (tree == nullptr) return -1;
  auto channel = channel_from_json(tree.get(), "camId");
  if (!channel) return -1;
  auto block = std::make_unique<ScheduleBlock>();
  const bool has_schedule = get_schedule_by_json(tree.get(), "schedule", block.get()) == 0;
  if (has_schedule && write_video_loss_schedule(kStoreMain, block.get(), *channel) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  // A schedule that reached the store is told to the core even when the record fails.
  const bool stored = store_video_loss(tree.get(), *channel, kScheduleEnable);
  if (stored || has_schedule) send_changed(*channel);
  if (!stored) return -1;
  write_ok();
  return 0;
}

int on_get_videoloss_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  Json answer(channel ? event_linkage_json(kVideoLossLinkage, *channel) : nullptr);
  if (answer == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_json(answer.get());
  return 0;
}

int on_set_videoloss_info(char* text) {
  Json tree = request_object(text);
  auto channel = channel_from_json(tree.get(), "chnid");
  if (!channel) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  bool ok = save_video_loss_dialog(json_member(tree.get(), "dialog"), *channel);
  uint64_t mask = get_copy_flag_by_json(tree.get(), "copyChn", "copyCnt");
  mask &= ~(uint64_t{1} << *channel);  // the channel is its own source already
  // Every part is copied even when another failed; the core hears of all of it.
  if (ok && event_linkage_copy(kVideoLossLinkage, *channel, nullptr, mask) != 0) ok = false;
  event_linkage_notify(kVideoLossLinkage, kVideoCore.callback, *channel, mask);
  if (!ok) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  write_ok();
  return 0;
}

int on_get_exception(char* /*text*/) {
  TriggerAlarmsRecord rec{};
  if (store_read(kStoreMain, 0, &rec) != 0) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  Json answer(json_object_new_object());
  json_object_object_add(answer.get(), "httpParams", exception_targets_json());
  (void)record_to_json(kTriggerAlarmsKind, &rec, answer.get());
  write_json(answer.get());
  return 0;
}

int on_set_exception(char* text) {
  Json tree = request_object(text);
  json_object* values = json_member(tree.get(), "exception");
  if (values == nullptr || !json_object_is_type(values, json_type_array) ||
      json_object_array_length(values) < kExceptionValues) {
    std::fprintf(stderr, "exception settings: \"exception\" needs %d values\n", kExceptionValues);
    return -1;
  }
  TriggerAlarmsRecord rec{};
  if (store_read(kStoreMain, 0, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  for (int i = 0; i < kExceptionValues; ++i)
    rec.exception[i] = json_object_get_int(json_object_array_get_idx(values, i));
  (void)record_from_json(kExceptionKeys, tree.get(), &rec);
  if (store_write(kStoreMain, 0, rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(kExceptionsChanged);

  // A "httpParams" that is no object names no target: the stored ones stay.
  json_object* params = json_member(tree.get(), "httpParams");
  if (params != nullptr && json_object_is_type(params, json_type_object)) {
    bool ok = store_exception_targets(params);
    // Targets written before a failed one are in the store: the core must reread them.
    kVideoCore.notice(kExceptionTargetsChanged);
    if (!ok) {
      cgi_error_to_webserver(kCgiText);
      return -1;
    }
  }
  cgi_writeback_webserver(kCgiJson, R"({"status":"CGI SUCCESS"})");
  return 0;
}
