// One schedule of one event channel at a time. Each request names a schedule of a kind's
// linkage description (motion, video loss, the recorder's alarm inputs), so a schedule is
// read and written in the same table and codec as the kind's full linkage page uses.
//
// The getters answer nothing for a number outside the kind's records (channels 0 to 63,
// alarm inputs 0 to 15): the schedule tables are keyed by it and a stray row would be
// read back by no page. The setters store first and tell the core afterwards.
#include "event/event_schedule.h"

#include <json-c/json.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "alarm/alarm_ipc.h"
#include "alarm/alarm_store.h"
#include "event/motion_record.h"
#include "event/video_ipc.h"
#include "event/videoloss_record.h"
#include "event_linkage.h"
#include "field_json.h"
#include "handler_kit.h"
#include "linkage.h"

namespace {

// The number of `text` when the kind has a record for it.
std::optional<int> number_of(const EventLinkageDesc& desc, std::optional<int> number) {
  if (number && (*number < desc.record->key.min || *number > desc.record->key.max))
    return std::nullopt;
  return number;
}

int get_schedule(const EventLinkageDesc& desc, const char* key, const char* text) {
  auto number = number_of(desc, channel_from_text(text));
  const LinkageSchedule* schedule = linkage_schedule_of(desc, key);
  if (!number || schedule == nullptr) {
    std::fprintf(stderr, "schedule getter: no %s record for \"%s\"\n", desc.record->name,
                 text != nullptr ? text : "");
    return -1;
  }
  Json answer(linkage_schedule_json(*schedule, *number));
  if (answer == nullptr) {
    cgi_error_to_webserver(kCgiJson);
    return -1;
  }
  write_json(answer.get());
  return 0;
}

// What a single-channel setter found in its body.
struct ScheduleRequest {
  Json tree;
  int channel = -1;
  std::unique_ptr<ScheduleBlock> block;
  const LinkageSchedule* schedule = nullptr;
};

// Parses the body: a body that is no object or whose "schedule" does not decode gets no
// answer; a "camId" that names no record gets the text error. Nothing when either happened.
std::optional<ScheduleRequest> schedule_request(const EventLinkageDesc& desc, const char* key,
                                                const char* text) {
  ScheduleRequest req;
  req.tree = request_object(text);
  req.schedule = linkage_schedule_of(desc, key);
  if (req.tree == nullptr || req.schedule == nullptr) return std::nullopt;
  req.block = std::make_unique<ScheduleBlock>();
  if (linkage_schedule_decode(*req.schedule, req.tree.get(), "schedule", req.block.get()) != 0) {
    std::fprintf(stderr, "schedule setter: \"schedule\" does not decode\n");
    return std::nullopt;
  }
  auto channel = number_of(desc, channel_from_json(req.tree.get(), "camId"));
  if (!channel) {
    std::fprintf(stderr, "schedule setter: \"camId\" names no %s record\n", desc.record->name);
    cgi_error_to_webserver(kCgiText);
    return std::nullopt;
  }
  req.channel = *channel;
  return req;
}

// Stores the decoded schedule; tells the core `notice` with the channel when it did.
int store_schedule(const ScheduleRequest& req, int notice) {
  if (write_schedule(kStoreMain, req.schedule->table, req.channel, req.block.get()) != 0) {
    std::fprintf(stderr, "schedule setter: %s of %d not stored\n", req.schedule->table,
                 req.channel);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(notice, static_cast<int32_t>(req.channel));
  write_ok();
  return 0;
}

int set_schedule(const EventLinkageDesc& desc, const char* key, int notice, const char* text) {
  auto req = schedule_request(desc, key, text);
  if (!req) return -1;
  return store_schedule(*req, notice);
}

// "/6118" names the motion record's e-mail fields by the page's short keys.
constexpr auto kMotionEmailKeys =
    pick_renamed(kMotionKind, {{"email_enable", "enable"}, {"email_interval", "interval"}});

}  // namespace

int on_get_move_email_sche(char* text) {
  return get_schedule(kMotionLinkage, "email", text);
}
int on_get_move_effective_sche(char* text) {
  return get_schedule(kMotionLinkage, "effective", text);
}
int on_get_move_ptz_sche(char* text) {
  return get_schedule(kMotionLinkage, "ptz", text);
}
int on_get_videolost_email_sche(char* text) {
  return get_schedule(kVideoLossLinkage, "email", text);
}
int on_get_videoloss_ptz_sche(char* text) {
  return get_schedule(kVideoLossLinkage, "ptz", text);
}
int on_get_alarmin_email_sche(char* text) {
  return get_schedule(kAlarmInLinkage, "email", text);
}
int on_get_alarmin_audible_sche(char* text) {
  return get_schedule(kAlarmInLinkage, "audible", text);
}
int on_get_alarmin_ptz_sche(char* text) {
  return get_schedule(kAlarmInLinkage, "ptz", text);
}
int on_get_alarmin_effective_sche(char* text) {
  return get_schedule(kAlarmInLinkage, "effective", text);
}

int on_set_move_effective_sche(char* text) {
  return set_schedule(kMotionLinkage, "effective", kMotionChanged, text);
}
int on_set_move_ptz_sche(char* text) {
  return set_schedule(kMotionLinkage, "ptz", kMotionChanged, text);
}
int on_set_alarmin_effective_sche(char* text) {
  return set_schedule(kAlarmInLinkage, "effective", kAlarmInChanged, text);
}

// The e-mail switch and interval go into the motion record before the schedule is stored;
// when the schedule then fails, the core still hears of the record that did change.
int on_set_move_email_sche(char* text) {
  auto req = schedule_request(kMotionLinkage, "email", text);
  if (!req) return -1;
  if (record_validate(kMotionEmailKeys, req->tree.get()) != 0) {
    std::fprintf(stderr, "/6118: \"enable\" or \"interval\" is no integer\n");
    return -1;
  }
  MotionRecord rec{};
  if (store_read(kStoreMain, req->channel, &rec) != 0) {
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  (void)record_from_json(kMotionEmailKeys, req->tree.get(), &rec);
  if (store_write(kStoreMain, rec) != 0) {
    std::fprintf(stderr, "/6118: motion record %d not stored\n", req->channel);
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  if (write_schedule(kStoreMain, req->schedule->table, req->channel, req->block.get()) != 0) {
    std::fprintf(stderr, "/6118: e-mail schedule of %d not stored\n", req->channel);
    kVideoCore.notice(kMotionChanged, static_cast<int32_t>(req->channel));
    cgi_error_to_webserver(kCgiText);
    return -1;
  }
  kVideoCore.notice(kMotionChanged, static_cast<int32_t>(req->channel));
  write_ok();
  return 0;
}
