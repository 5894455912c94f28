// The linkage record of an event kind with several instances per channel: the smart events
// 0 to 8, the plate list modes -1 to 2, the counting regions 0 to 3. Each keeps the same
// 328 bytes -- the integers, the four 65-byte texts, room to grow -- keyed by channel and
// instance, so the layout and its field table are declared once here. A kind names its
// table, the store column of its instance and the instance range in a tag, and gets a
// record type of its own (the typed store finds a kind by its record type).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"

// Tag: static constexpr `name` (the store table), `column` (the instance's column), and
// `first`, `last` (the instance range).
template <class Tag>
struct InstanceLinkageRecord {
  int32_t chn;
  int32_t instance;  // the event, list mode or region
  int32_t enable;
  uint32_t trigger_mask;  // bit i: character i (0 to 31) of tri_channels is "1"
  int32_t tri_alarms;
  int32_t interval;
  int32_t email_interval;
  int32_t email_pic_enable;
  int32_t ptz_interval;
  int32_t alarmout_interval;
  int32_t white_interval;
  int32_t audio_id;
  int32_t http_interval;
  char tri_channels[65];
  char tri_channels_pic[65];
  char tri_chn_alarm0[65];  // camera alarm-output selection, texts 0 and 1
  char tri_chn_alarm1[65];
  unsigned char reserved[16];
};

template <class Tag>
inline constexpr FieldDesc kInstanceLinkageFields[] = {
    NVR_FIELD(InstanceLinkageRecord<Tag>, chn, "chnid"),
    NVR_FIELD_AS(InstanceLinkageRecord<Tag>, instance, Tag::column, nullptr),
    NVR_FIELD(InstanceLinkageRecord<Tag>, enable, "enable").range(0, 1),
    NVR_FIELD(InstanceLinkageRecord<Tag>, trigger_mask, nullptr),
    NVR_FIELD(InstanceLinkageRecord<Tag>, tri_alarms, "triAlarms").range(0, INT32_MAX),
    NVR_FIELD(InstanceLinkageRecord<Tag>, interval, "interval").range(0, INT32_MAX),
    NVR_FIELD(InstanceLinkageRecord<Tag>, email_interval, "email_interval"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, email_pic_enable, "email_pic_enable"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, tri_channels_pic, "tri_channels_pic"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, ptz_interval, "ptz_interval"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, alarmout_interval, "alarmout_interval"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, tri_channels, "triChannels"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, white_interval, "white_interval"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, audio_id, "audioId"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, http_interval, "http_notification_interval"),
    NVR_FIELD(InstanceLinkageRecord<Tag>, tri_chn_alarm0, nullptr),
    NVR_FIELD(InstanceLinkageRecord<Tag>, tri_chn_alarm1, nullptr),
    NVR_FIELD(InstanceLinkageRecord<Tag>, reserved, nullptr),
};

template <class Tag>
inline constexpr RecordKind kInstanceLinkageKind{
    .name = Tag::name,
    NVR_KIND_FIELDS(InstanceLinkageRecord<Tag>, kInstanceLinkageFields<Tag>),
    .key = {"chn", 0, kMaxChannels - 1},
    .key2 = {Tag::column, Tag::first, Tag::last}};

// Binds the record type of `Tag` to its kind, with the layout checks, as `Record` and
// `kind` (a reference to the kind).
#define NVR_INSTANCE_LINKAGE_KIND(Record, kind, Tag)                             \
  using Record = InstanceLinkageRecord<Tag>;                                     \
  static_assert(sizeof(Record) == 328 && offsetof(Record, tri_channels) == 52 && \
                std::is_trivially_copyable_v<Record>);                           \
  inline constexpr const RecordKind& kind = kInstanceLinkageKind<Tag>;           \
  static_assert(record_kind_is_valid(kind));                                     \
  NVR_STORE_KIND(Record, kind)
