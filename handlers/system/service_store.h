// Store records of the small system requests: the IP access filter list and the UPnP port
// mapping. Layouts are ours where the recorder leaves them open: an access filter entry is
// its slot, its address type and a 32-byte address; the UPnP record is the 152 bytes that
// travel with 3720, its six words first and the rest reserved for the core.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"

inline constexpr int kMaxAccessFilters = 100;

struct AccessFilterRecord {
  int32_t id;            // 0 to 99, the entry's place in the list
  int32_t address_type;  // the core's: passed unchanged
  char address[32];
};
static_assert(sizeof(AccessFilterRecord) == 40);
static_assert(std::is_trivially_copyable_v<AccessFilterRecord>);

inline constexpr FieldDesc kAccessFilterFields[] = {
    NVR_FIELD(AccessFilterRecord, id, "id").range(0, kMaxAccessFilters - 1),
    NVR_FIELD(AccessFilterRecord, address_type, "address_type"),
    NVR_FIELD(AccessFilterRecord, address, "address"),
};
inline constexpr RecordKind kAccessFilterKind{
    .name = "access_filter",
    NVR_KIND_FIELDS(AccessFilterRecord, kAccessFilterFields),
    .key = {"id", 0, kMaxAccessFilters - 1}};
static_assert(record_kind_is_valid(kAccessFilterKind));
NVR_STORE_KIND(AccessFilterRecord, kAccessFilterKind);

// The keys of one "filterList" element, in the answer's order.
inline constexpr auto kAccessFilterEntryKeys =
    pick_keys(kAccessFilterKind, {"address_type", "address"});

struct UpnpRecord {
  int32_t enable;
  int32_t type;
  int32_t external_http_port;
  int32_t http_status;  // the core's mapping result
  int32_t external_rtsp_port;
  int32_t rtsp_status;
  char reserved[128];
};
static_assert(sizeof(UpnpRecord) == 152);
static_assert(offsetof(UpnpRecord, external_rtsp_port) == 16);
static_assert(std::is_trivially_copyable_v<UpnpRecord>);

inline constexpr FieldDesc kUpnpFields[] = {
    NVR_FIELD(UpnpRecord, enable, "enable").range(0, 1),
    NVR_FIELD(UpnpRecord, type, "type"),
    NVR_FIELD(UpnpRecord, external_http_port, "external_http_port").range(0, 65535),
    NVR_FIELD(UpnpRecord, http_status, "http_status"),
    NVR_FIELD(UpnpRecord, external_rtsp_port, "external_rtsp_port").range(0, 65535),
    NVR_FIELD(UpnpRecord, rtsp_status, "rtsp_status"),
    NVR_FIELD(UpnpRecord, reserved, nullptr),
};
inline constexpr RecordKind kUpnpKind{
    .name = "upnp", NVR_KIND_FIELDS(UpnpRecord, kUpnpFields), .key = {"id", 0, 0}};
static_assert(record_kind_is_valid(kUpnpKind));
NVR_STORE_KIND(UpnpRecord, kUpnpKind);

// What "/1031" takes into the record.
inline constexpr auto kUpnpSaved =
    pick_keys(kUpnpKind, {"enable", "type", "external_http_port", "external_rtsp_port"});
