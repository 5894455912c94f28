// The recorder's number-plate lists (black list, white list, ...) in a database file of
// their own, and the pages that keep them: "/6183" deletes plates, "/6184" adds or replaces
// a batch, "/6185" renames or retypes plates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"

// Plates one request may name.
inline constexpr int kAnprMaxPlatesPerRequest = 10000;
// Stored entries at most; slots are reused after deletions.
inline constexpr int kAnprMaxListEntries = 100000;

// One list entry: the list type and the plate, both plain text (decoded). The slot id in
// front addresses the row; plates are unique across the lists, so a plate finds its row.
struct AnprPlateRecord {
  int32_t id;
  char type[16];
  char plate[64];
};
static_assert(sizeof(AnprPlateRecord) == 84);
static_assert(offsetof(AnprPlateRecord, type) == 4);
static_assert(offsetof(AnprPlateRecord, plate) == 20);
static_assert(std::is_trivially_copyable_v<AnprPlateRecord>);

inline constexpr FieldDesc kAnprPlateFields[] = {
    NVR_FIELD(AnprPlateRecord, id, "id"),
    NVR_FIELD(AnprPlateRecord, type, "type"),
    NVR_FIELD(AnprPlateRecord, plate, "plate"),
};
inline constexpr RecordKind kAnprPlateKind{.name = "anpr_list",
                                           NVR_KIND_FIELDS(AnprPlateRecord, kAnprPlateFields),
                                           .key = {"id", 1, kAnprMaxListEntries}};
static_assert(record_kind_is_valid(kAnprPlateKind));
NVR_STORE_KIND(AnprPlateRecord, kAnprPlateKind);

int on_set_anpr_del_lpr_plate(char* text);
int on_set_anpr_add_lpr_plate(char* text);
int on_set_anpr_update_lpr_plate(char* text);
