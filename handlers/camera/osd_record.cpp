// The OSD kind's field table, its factory defaults and its named store operations.
#include "camera/osd_record.h"

#include <cstdio>
#include <cstring>
#include <iterator>

#include "linkage.h"

namespace {}  // namespace

void osd_defaults(void* record, RecordKey key) {
  auto* rec = static_cast<OsdRecord*>(record);
  osd_default_name(static_cast<int>(key.first), rec->name);
  rec->show_name = 1;
  rec->show_date = 1;
}

void osd_default_name(int channel, char (&name)[64]) {
  std::snprintf(name, sizeof name, "CAM%d", channel + 1);
}

int read_osd_name(const char* store, int channel, char* name, std::size_t size) {
  if (name == nullptr || size == 0) return -1;
  name[0] = '\0';
  OsdRecord rec;
  if (store_read(store, channel, &rec) != 0) return -1;
  std::snprintf(name, size, "%.*s", static_cast<int>(strnlen(rec.name, sizeof rec.name)), rec.name);
  return 0;
}
