// The shared event-linkage model: save, getter, copy and notices (see event_linkage.h).
#include "event_linkage.h"

#include <json-c/json.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "cgi_ipc.h"
#include "dvdb.h"
#include "linkage.h"
#include "field_json.h"
#include "web_utils.h"

namespace {

int decode_schedule(ScheduleCodec codec, json_object* request, const char* key,
                    ScheduleBlock* block) {
  switch (codec) {
    case ScheduleCodec::kStandard:
      return get_schedule_by_json(request, key, block);
    case ScheduleCodec::kSecond:
      return get_schedule_by_json_ex(request, key, block);
    case ScheduleCodec::kCamera:
      return get_schedule_by_json_ipc(request, key, block);
  }
  return -1;
}

json_object* member(json_object* o, const char* key) {
  json_object* v = nullptr;
  if (o == nullptr || !json_object_is_type(o, json_type_object)) return nullptr;
  return json_object_object_get_ex(o, key, &v) ? v : nullptr;
}

bool valid_channel(int channel) {
  return channel >= 0 && channel < kMaxChannels;
}

const FieldDesc* field_by_json_key(const RecordKind& kind, const char* key) {
  for (int i = 0; i < kind.field_count; ++i)
    if (kind.fields[i].json_key != nullptr && std::strcmp(kind.fields[i].json_key, key) == 0)
      return &kind.fields[i];
  return nullptr;
}

RecordKey record_key(const EventLinkageDesc& desc, int channel) {
  return RecordKey(channel, desc.index);
}

// Overlays "triChnAlarms" on the two text fields: each text whose array element is present
// replaces its field. False when the request does not carry the key.
[[nodiscard]] bool overlay_alarm_out(const EventLinkageDesc& desc, json_object* request,
                                     int channel, void* record) {
  const FieldDesc* const* f = desc.alarm_out_fields;
  if (f[0] == nullptr || f[1] == nullptr) return false;
  AlarmOutItem items[2] = {};
  items[0].index = items[1].index = -1;  // an element the decoder fills gets its index
  if (get_event_chn_alarmout_by_object(channel, request, "triChnAlarms", items) != 0) return false;
  for (int i = 0; i < 2; ++i)
    if (items[i].index == i) field_set_text(*f[i], record, items[i].text);
  return true;
}

json_object* alarm_out_json(const EventLinkageDesc& desc, const void* record) {
  std::string text[2];
  for (int i = 0; i < 2; ++i) {
    const FieldDesc* f = desc.alarm_out_fields[i];
    if (f != nullptr) text[i] = std::string(field_get_text(*f, record));
  }
  return get_event_chn_alarmout_object(text[0].c_str(), text[1].c_str());
}

// The schedule of the description whose JSON key is `key`, or null.
const LinkageSchedule* schedule_of(const EventLinkageDesc& desc, const char* key) {
  for (const LinkageSchedule& s : desc.schedules)
    if (std::strcmp(s.json_key, key) == 0) return &s;
  return nullptr;
}

json_object* key_value(const EventLinkageDesc& desc, const LinkageKey& key, int channel,
                       const void* record) {
  switch (key.value) {
    case LinkageValue::kField: {
      const FieldDesc* f = key.field != nullptr ? record_find_field(*desc.record, key.field)
                                                : field_by_json_key(*desc.record, key.json_key);
      return f != nullptr ? field_to_json(*f, record, RecordNames::kJson) : nullptr;
    }
    case LinkageValue::kSchedule: {
      const LinkageSchedule* s = schedule_of(desc, key.json_key);
      return s != nullptr ? linkage_schedule_json(*s, channel) : nullptr;
    }
    case LinkageValue::kAlarmOutTexts:
      return alarm_out_json(desc, record);
    case LinkageValue::kWhiteInfo:
      return get_white_params_json_object(channel, desc.white_table);
    case LinkageValue::kHttpParams:
      return get_http_params_json_object(channel, desc.http_table);
    case LinkageValue::kPtzParams:
      return desc.ptz_event_type >= 0 ? get_ptz_params_json_object(desc.ptz_event_type, channel)
                                      : json_object_new_array();
    case LinkageValue::kAudioIdMask:
      return json_object_new_int(get_audio_file_id_mask());
    case LinkageValue::kIndex:
      return json_object_new_int(desc.index);
  }
  return nullptr;
}

[[nodiscard]] bool send_notice(dv_sock_callback callback, const LinkageNotice& notice, int channel,
                               int index, uint64_t mask) {
  unsigned char payload[8];
  int length = 0;
  switch (notice.form) {
    case NoticeForm::kNone:
      return false;
    case NoticeForm::kChannel: {
      int32_t c = channel;
      std::memcpy(payload, &c, sizeof c);
      length = 4;
      break;
    }
    case NoticeForm::kChannelIndex: {
      int32_t words[2] = {channel, index};
      std::memcpy(payload, words, sizeof words);
      length = 8;
      break;
    }
    case NoticeForm::kChannelMask:
      if (channel >= 0) mask |= uint64_t{1} << channel;
      [[fallthrough]];
    case NoticeForm::kMask: {
      CoreChannelMask m = core_channel_mask(mask);
      std::memcpy(payload, &m, sizeof m);
      length = 8;
      break;
    }
  }
  int rc = cgi_start_ipc(callback, notice.type, length, payload, 1);
  cgi_stop_ipc(rc);
  return rc == 0;
}

}  // namespace

void event_linkage_rebuild_trigger_mask(const EventLinkageDesc& desc, void* record) {
  const FieldDesc* text = desc.trigger_text_field;
  const FieldDesc* mask = desc.trigger_mask_field;
  if (text == nullptr || mask == nullptr || record == nullptr) return;
  std::string_view t = field_get_text(*text, record);
  uint32_t bits = 0;
  for (std::size_t i = 0; i < t.size() && i < 32; ++i)
    if (t[i] == '1') bits |= uint32_t{1} << i;
  // A signed 32-bit mask keeps the bit pattern (bit 31 is its sign), never a saturated value.
  int64_t value = mask->type == FieldType::kI32 ? static_cast<int32_t>(bits) : int64_t{bits};
  field_set_int(*mask, record, value);
}

int event_linkage_save(const EventLinkageDesc& desc, json_object* request, int channel,
                       void* record, LinkageSaveResult* result, const LinkageSaveScope& scope) {
  LinkageSaveResult local;
  LinkageSaveResult& r = result != nullptr ? *result : local;
  r = LinkageSaveResult{};
  if (desc.record == nullptr || record == nullptr || request == nullptr ||
      !json_object_is_type(request, json_type_object) || !valid_channel(channel))
    return -1;

  // 1. Schedules.
  {
    auto block = std::make_unique<ScheduleBlock>();
    for (const LinkageSchedule& s : desc.schedules) {
      if (s.http && !scope.http) continue;
      if (decode_schedule(s.codec, request, s.json_key, block.get()) != 0) continue;
      if (write_schedule(kStoreMain, s.table, channel, block.get()) != 0)
        r.failed = true;
      else
        r.stored = true;
    }
  }

  // 2. White-LED list and HTTP target.
  if (desc.white_table != nullptr) {
    auto slots = std::make_unique<WhiteLedSlots>();
    if (get_white_params_by_json(channel, slots.get(), request, "whiteInfo") == 0) {
      if (write_whiteled_params_all(kStoreMain, &slots->slot[channel], desc.white_table, channel) !=
          0)
        r.failed = true;
      else
        r.stored = true;
    }
  }
  if (desc.http_table != nullptr && scope.http) {
    HttpNotifyRecord http;
    if (get_http_params_by_json(channel, &http, request, "httpParams") == 0) {
      if (write_http_notification_params(kStoreMain, &http, desc.http_table) != 0)
        r.failed = true;
      else
        r.stored = true;
    }
  }

  // 3. The detection record with the scalar keys the request carries. Without a good
  // read there is nothing to overlay on: the record is not written.
  bool read_ok = store_read(kStoreMain, *desc.record, record_key(desc, channel), record, nullptr,
                            desc.record_table) == 0;
  if (!read_ok) r.failed = true;
  const FieldKeys& keys = !scope.keys.keys.empty() ? scope.keys : desc.scalar_keys;
  if (keys.keys.empty())
    r.scalars = record_from_json(*desc.record, request, record);
  else
    r.scalars = record_from_json(keys, request, record);
  if (r.scalars < 0) r.scalars = 0;
  if (overlay_alarm_out(desc, request, channel, record)) ++r.scalars;
  if (r.scalars > 0) {
    event_linkage_rebuild_trigger_mask(desc, record);
    if (desc.after_overlay != nullptr) desc.after_overlay(record, request);
  }

  // 4. PTZ linkage.
  if (desc.ptz_event_type >= 0 && scope.ptz) {
    json_object* chn = member(request, "ptzChnId");
    json_object* type = member(request, "ptzType");
    json_object* params = member(request, "ptzParams");
    if (scope.ptz_own && params != nullptr)
      r.ptz_stored = set_ptz_params_by_json(channel, desc.ptz_event_type, params) == 1;
    else if (!scope.ptz_own && chn != nullptr && type != nullptr && params != nullptr)
      r.ptz_stored =
          set_ptz_params_by_json(json_object_get_int(chn), json_object_get_int(type), params) == 1;
  }

  // 5. The record.
  if (read_ok && (r.scalars > 0 || r.ptz_stored)) {
    if (store_write(kStoreMain, *desc.record, record_key(desc, channel), record,
                    desc.record_table) == 0)
      r.record_written = true;
    else
      r.failed = true;
  }
  r.stored = r.stored || r.ptz_stored || r.record_written;
  return r.failed ? -1 : 0;
}

json_object* event_linkage_json(const EventLinkageDesc& desc, int channel) {
  if (desc.record == nullptr || !valid_channel(channel)) return nullptr;
  auto record = std::make_unique<unsigned char[]>(desc.record->size);
  if (store_read(kStoreMain, *desc.record, record_key(desc, channel), record.get(), nullptr,
                 desc.record_table) != 0)
    return nullptr;
  json_object* o = json_object_new_object();
  for (const LinkageKey& key : desc.getter) {
    json_object* v = key_value(desc, key, channel, record.get());
    if (v != nullptr) json_object_object_add(o, key.json_key, v);
  }
  return o;
}

int event_linkage_copy(const EventLinkageDesc& desc, int channel, const void* record,
                       uint64_t mask) {
  if (desc.record == nullptr || !valid_channel(channel)) return -1;
  if (mask == 0) return 0;
  bool ok = true;

  auto own = std::make_unique<unsigned char[]>(desc.record->size);
  if (record == nullptr) {
    ok = store_read(kStoreMain, *desc.record, record_key(desc, channel), own.get(), nullptr,
                    desc.record_table) == 0;
    record = ok ? own.get() : nullptr;
  }
  if (record != nullptr &&
      store_copy_mask(kStoreMain, *desc.record, record, mask, desc.index, desc.record_table) != 0)
    ok = false;
  return event_linkage_copy_parts(desc, channel, mask) == 0 && ok ? 0 : -1;
}

int event_linkage_copy_parts(const EventLinkageDesc& desc, int channel, uint64_t mask) {
  if (desc.record == nullptr || !valid_channel(channel)) return -1;
  if (mask == 0) return 0;
  bool ok = true;
  auto block = std::make_unique<ScheduleBlock>();
  for (const LinkageSchedule& s : desc.schedules)
    if (read_schedule(kStoreMain, s.table, channel, block.get()) != 0 ||
        copy_schedule(kStoreMain, s.table, block.get(), mask) != 0)
      ok = false;

  if (desc.white_table != nullptr) {
    WhiteLedSlot slot{};
    WhiteLedTarget target{channel, {}};
    std::strncpy(target.table, desc.white_table, sizeof target.table - 1);
    int count = 0;
    if (read_whiteled_params(kStoreMain, &slot, &target, &count) != 0 ||
        copy_whiteled_params(kStoreMain, &slot, desc.white_table, mask) != 0)
      ok = false;
  }
  if (desc.http_table != nullptr) {
    HttpNotifyRecord http{};
    if (read_http_notification_params(kStoreMain, &http, desc.http_table, channel) != 0 ||
        copy_http_notification_params(kStoreMain, &http, desc.http_table, mask) != 0)
      ok = false;
  }
  if (desc.ptz_event_type >= 0) {
    PtzLinkBlock ptz{};
    int count = 0;
    if (read_ptz_params(kStoreMain, &ptz, desc.ptz_event_type, channel, &count) != 0 ||
        copy_ptz_params_all(kStoreMain, &ptz, desc.ptz_event_type, mask) != 0)
      ok = false;
  }
  return ok ? 0 : -1;
}

int event_linkage_notify(const EventLinkageDesc& desc, dv_sock_callback callback, int channel,
                         uint64_t copy_mask) {
  if (!valid_channel(channel)) return -1;
  return send_notice(callback, desc.notice, channel, desc.index, copy_mask) ? 0 : -1;
}

int event_linkage_notify_copy(const EventLinkageDesc& desc, dv_sock_callback callback,
                              uint64_t mask) {
  return send_notice(callback, desc.copy_notice, -1, desc.index, mask) ? 0 : -1;
}

json_object* linkage_schedule_json(const LinkageSchedule& schedule, int channel) {
  auto block = std::make_unique<ScheduleBlock>();
  read_schedule(kStoreMain, schedule.table, channel, block.get());
  switch (schedule.codec) {
    case ScheduleCodec::kCamera:
      return get_schedule_json_object_ipc(block.get());
    case ScheduleCodec::kSecond:
      return get_schedule_json_object_ex(block.get());
    case ScheduleCodec::kStandard:
      break;
  }
  return get_schedule_json_object(block.get());
}

// ---- One schedule of a kind ----------------------------------------------------------------

const LinkageSchedule* linkage_schedule_of(const EventLinkageDesc& desc, const char* json_key) {
  return json_key != nullptr ? schedule_of(desc, json_key) : nullptr;
}

int linkage_schedule_decode(const LinkageSchedule& schedule, json_object* request, const char* key,
                            ScheduleBlock* block) {
  return decode_schedule(schedule.codec, request, key, block);
}
