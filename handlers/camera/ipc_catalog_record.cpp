// Field tables and store operations of the camera catalogue (protocols and models).
#include "camera/ipc_catalog_record.h"

#include <iterator>
#include <vector>

namespace {

// Table order is the order of the catalogue answer.
constexpr FieldDesc kProtocolFields[] = {
    NVR_FIELD(IpcProtocolRecord, id, "id").range(0, kMaxIpcProtocols - 1),
    NVR_FIELD(IpcProtocolRecord, name, "name"),
    NVR_FIELD(IpcProtocolRecord, protocol_function, "protocolFunction"),
    NVR_FIELD(IpcProtocolRecord, enable, "enable").range(0, 1),
    NVR_FIELD(IpcProtocolRecord, display_model, "display_model").range(0, 1),
};

constexpr FieldDesc kModelFields[] = {
    NVR_FIELD(IpcModelRecord, id, "id").range(0, kMaxIpcModels - 1),
    NVR_FIELD(IpcModelRecord, protocol, nullptr).range(0, kMaxIpcProtocols - 1),
    NVR_FIELD(IpcModelRecord, name, "name"),
    NVR_FIELD(IpcModelRecord, alarm_type, "alarm_type"),
    NVR_FIELD(IpcModelRecord, default_model, "default_model").range(0, 1),
};

constexpr IpcProtocolRecord kFactoryProtocols[] = {
    {0, "ONVIF", 0, 1, 0},
    {1, "RTSP", 0, 1, 0},
    {kIpcProtocolOwn, "DVSF", 0, 1, 0},
};
constexpr IpcModelRecord kFactoryModels[] = {
    {0, 0, "ONVIF", 0, 1},
    {1, 1, "RTSP", 0, 1},
    {2, kIpcProtocolOwn, "DVSF", 0, 1},
};

}  // namespace

constexpr RecordKind kIpcProtocolKind{.name = "ipc_protocol",
                                      NVR_KIND_FIELDS(IpcProtocolRecord, kProtocolFields),
                                      .key = {"id", 0, kMaxIpcProtocols - 1}};
static_assert(record_kind_is_valid(kIpcProtocolKind));

constexpr RecordKind kIpcModelKind{.name = "ipc_model",
                                   NVR_KIND_FIELDS(IpcModelRecord, kModelFields),
                                   .key = {"id", 0, kMaxIpcModels - 1}};
static_assert(record_kind_is_valid(kIpcModelKind));

int read_ipc_protocols(const char* store, IpcProtocolRecord* recs, int capacity, int* count) {
  return store_list(store, kIpcProtocolKind, recs, capacity, count);
}

int write_ipc_protocol(const char* store, const IpcProtocolRecord* rec) {
  return rec != nullptr ? store_write(store, kIpcProtocolKind, rec->id, rec) : -1;
}

int read_ipc_model(const char* store, IpcModelRecord* rec, int id) {
  return store_read(store, kIpcModelKind, id, rec);
}

int write_ipc_model(const char* store, const IpcModelRecord* rec) {
  return rec != nullptr ? store_write(store, kIpcModelKind, rec->id, rec) : -1;
}

int read_ipc_models_by_protocol(const char* store, int protocol, IpcModelRecord* recs, int capacity,
                                int* count) {
  if (recs == nullptr || count == nullptr || capacity < 0) return -1;
  *count = 0;
  std::vector<IpcModelRecord> all(kMaxIpcModels);
  int stored = 0;
  if (store_list(store, kIpcModelKind, all.data(), kMaxIpcModels, &stored) != 0) return -1;
  for (int i = 0; i < stored && *count < capacity; ++i)
    if (all[i].protocol == protocol) recs[(*count)++] = all[i];
  return 0;
}

namespace {

// Stores each factory record whose id has no stored record yet.
template <class Rec, std::size_t N>
[[nodiscard]] bool seed_missing(const char* store, const RecordKind& kind, const Rec (&recs)[N]) {
  for (const Rec& r : recs) {
    Rec current;
    bool stored = false;
    if (store_read(store, kind, r.id, &current, &stored) != 0) return false;
    if (!stored && store_write(store, kind, r.id, &r) != 0) return false;
  }
  return true;
}

}  // namespace

int write_factory_ipc_catalogue(const char* store) {
  return seed_missing(store, kIpcProtocolKind, kFactoryProtocols) &&
                 seed_missing(store, kIpcModelKind, kFactoryModels)
             ? 0
             : -1;
}
