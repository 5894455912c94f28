// The OSD kind's field table, its factory defaults and its named store operations.
#include "camera/osd_record.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "linkage.h"

namespace {

constexpr FieldDesc kOsdFields[] = {
    NVR_FIELD(OsdRecord, channel, "camId").range(0, kMaxChannels - 1),
    NVR_FIELD(OsdRecord, name, "camName"),
    NVR_FIELD(OsdRecord, show_name, "showName").range(0, 1),
    NVR_FIELD(OsdRecord, show_date, "showDate").range(0, 1),
    NVR_FIELD(OsdRecord, show_week, "showWeek").range(0, 1),
    NVR_FIELD(OsdRecord, date_format, "dateFormat").range(0, 3),
    NVR_FIELD(OsdRecord, time_format, "timeFormat").range(0, 1),
    NVR_FIELD(OsdRecord, date_pos_x, "datePosX"),
    NVR_FIELD(OsdRecord, date_pos_y, "datePosY"),
    NVR_FIELD(OsdRecord, name_pos_x, "namePosX"),
    NVR_FIELD(OsdRecord, name_pos_y, "namePosY"),
    NVR_FIELD(OsdRecord, alpha, "alpha").range(0, INT32_MAX),
    NVR_FIELD(OsdRecord, reserved, nullptr),
};

void osd_defaults(void* record, RecordKey key) {
  auto* rec = static_cast<OsdRecord*>(record);
  osd_default_name(static_cast<int>(key.first), rec->name);
  rec->show_name = 1;
  rec->show_date = 1;
}

}  // namespace

constexpr RecordKind kOsdKind{.name = "osd",
                              NVR_KIND_FIELDS(OsdRecord, kOsdFields),
                              .key = {"channel", 0, kMaxChannels - 1},
                              .list_every_slot = true,
                              .defaults = osd_defaults};
static_assert(record_kind_is_valid(kOsdKind));

void osd_default_name(int channel, char (&name)[64]) {
  std::snprintf(name, sizeof name, "CAM%d", channel + 1);
}

int read_osd(const char* store, OsdRecord* rec, int channel) {
  return store_read(store, kOsdKind, channel, rec);
}

int write_osd(const char* store, const OsdRecord* rec) {
  return rec != nullptr ? store_write(store, kOsdKind, rec->channel, rec) : -1;
}

int read_osds(const char* store, OsdRecord* recs, int capacity, int* count) {
  return store_list(store, kOsdKind, recs, capacity, count);
}

int read_osd_name(const char* store, int channel, char* name, std::size_t size) {
  if (name == nullptr || size == 0) return -1;
  name[0] = '\0';
  OsdRecord rec;
  if (read_osd(store, &rec, channel) != 0) return -1;
  std::snprintf(name, size, "%.*s", static_cast<int>(strnlen(rec.name, sizeof rec.name)), rec.name);
  return 0;
}
