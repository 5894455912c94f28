// The shared event-linkage save (see event_linkage.h).
#include "event_linkage.h"

#include <json-c/json.h>

#include <memory>

#include "dvdb.h"
#include "linkage.h"
#include "record_json.h"
#include "web_utils.h"

namespace {

int decode_schedule(ScheduleCodec codec, json_object* request, const char* key,
                    ScheduleBlock* block) {
  switch (codec) {
    case ScheduleCodec::kStandard: return get_schedule_by_json(request, key, block);
    case ScheduleCodec::kSecond: return get_schedule_by_json_ex(request, key, block);
    case ScheduleCodec::kCamera: return get_schedule_by_json_ipc(request, key, block);
  }
  return -1;
}

json_object* member(json_object* o, const char* key) {
  json_object* v = nullptr;
  if (o == nullptr || !json_object_is_type(o, json_type_object)) return nullptr;
  return json_object_object_get_ex(o, key, &v) ? v : nullptr;
}

}  // namespace

int event_linkage_save(const EventLinkageDesc& desc, json_object* request, int channel,
                       void* record, LinkageSaveResult* result) {
  LinkageSaveResult local;
  LinkageSaveResult& r = result != nullptr ? *result : local;
  r = LinkageSaveResult{};
  if (desc.record == nullptr || record == nullptr || request == nullptr ||
      !json_object_is_type(request, json_type_object) || channel < 0 || channel >= kMaxChannels)
    return -1;

  // 1. Schedules.
  {
    auto block = std::make_unique<ScheduleBlock>();
    for (const LinkageSchedule& s : desc.schedules) {
      if (decode_schedule(s.codec, request, s.json_key, block.get()) != 0) continue;
      if (write_schedule(kStoreMain, s.table, channel, block.get()) != 0) r.failed = true;
    }
  }

  // 2. White-LED list and HTTP target.
  if (desc.white_table != nullptr) {
    auto slots = std::make_unique<WhiteLedSlots>();
    if (get_white_params_by_json(channel, slots.get(), request, "whiteInfo") == 0 &&
        write_whiteled_params_all(kStoreMain, &slots->slot[channel], desc.white_table, channel) != 0)
      r.failed = true;
  }
  if (desc.http_table != nullptr) {
    HttpNotifyRecord http;
    if (get_http_params_by_json(channel, &http, request, "httpParams") == 0 &&
        write_http_notification_params(kStoreMain, &http, desc.http_table) != 0)
      r.failed = true;
  }

  // 3. The detection record with the scalar keys the request carries. Without a good
  // read there is nothing to overlay on: the record is not written.
  bool read_ok = store_read(kStoreMain, *desc.record, channel, record, nullptr,
                            desc.record_table) == 0;
  if (!read_ok) r.failed = true;
  if (desc.scalar_keys.empty())
    r.scalars = record_from_json(*desc.record, request, record);
  else
    r.scalars = record_from_json_as(*desc.record, request, record, desc.scalar_keys.data(),
                                    static_cast<int>(desc.scalar_keys.size()));
  if (r.scalars < 0) r.scalars = 0;
  if (r.scalars > 0 && desc.after_overlay != nullptr) desc.after_overlay(record, request);

  // 4. PTZ linkage.
  if (desc.store_ptz) {
    json_object* chn = member(request, "ptzChnId");
    json_object* type = member(request, "ptzType");
    json_object* params = member(request, "ptzParams");
    if (chn != nullptr && type != nullptr && params != nullptr)
      r.ptz_stored = set_ptz_params_by_json(json_object_get_int(chn), json_object_get_int(type),
                                            params) == 1;
  }

  // 5. The record.
  if (read_ok && (r.scalars > 0 || r.ptz_stored)) {
    if (store_write(kStoreMain, *desc.record, channel, record, desc.record_table) == 0)
      r.record_written = true;
    else
      r.failed = true;
  }
  return r.failed ? -1 : 0;
}

json_object* linkage_schedule_json(const LinkageSchedule& schedule, int channel) {
  auto block = std::make_unique<ScheduleBlock>();
  read_schedule(kStoreMain, schedule.table, channel, block.get());
  switch (schedule.codec) {
    case ScheduleCodec::kCamera: return get_schedule_json_object_ipc(block.get());
    case ScheduleCodec::kSecond: return get_schedule_json_object_ex(block.get());
    case ScheduleCodec::kStandard: break;
  }
  return get_schedule_json_object(block.get());
}
