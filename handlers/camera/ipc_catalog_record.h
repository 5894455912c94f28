// The camera catalogue of the store: the protocols the recorder speaks to cameras (store
// kind "ipc_protocol") and the camera models under each (store kind "ipc_model"). A
// channel's camera record names a model id; the model names its protocol.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "dvdb.h"
#include "field_table.h"

inline constexpr int kMaxIpcProtocols = 64;  // protocol ids 0 to 63
inline constexpr int kMaxIpcModels = 1024;   // model ids 0 to 1023
// The recorder's own camera protocol: its model list is offered only while the factory
// has not switched it off (see the catalogue answer).
inline constexpr int kIpcProtocolOwn = 2;

struct IpcProtocolRecord {
  int32_t id;
  char name[64];
  int32_t protocol_function;
  int32_t enable;
  int32_t display_model;
};
static_assert(sizeof(IpcProtocolRecord) == 80);
static_assert(std::is_trivially_copyable_v<IpcProtocolRecord>);

struct IpcModelRecord {
  int32_t id;
  int32_t protocol;  // the protocol id of the model
  char name[64];
  int32_t alarm_type;
  int32_t default_model;
};
static_assert(sizeof(IpcModelRecord) == 80);
static_assert(offsetof(IpcModelRecord, protocol) == 4);
static_assert(std::is_trivially_copyable_v<IpcModelRecord>);

extern const RecordKind kIpcProtocolKind;
extern const RecordKind kIpcModelKind;

// The stored protocols in id order. 0, or -1 on a store failure.
int read_ipc_protocols(const char* store, IpcProtocolRecord* recs, int capacity, int* count);
// Stores rec at rec->id. 0, or -1 (nothing stored).
int write_ipc_protocol(const char* store, const IpcProtocolRecord* rec);
// The model `id` (never-written models read as zero: protocol 0). 0, or -1 for an id
// outside 0 to 1023 or a store failure.
int read_ipc_model(const char* store, IpcModelRecord* rec, int id);
// Stores rec at rec->id. 0, or -1 (nothing stored).
int write_ipc_model(const char* store, const IpcModelRecord* rec);
// The stored models of `protocol`, in id order, at most `capacity`. 0, or -1.
int read_ipc_models_by_protocol(const char* store, int protocol, IpcModelRecord* recs, int capacity,
                                int* count);

// Stores the factory catalogue (ONVIF, RTSP and the recorder's own protocol, one default
// model each) where the store has no entry of that id yet. 0, or -1 on a failed write.
int write_factory_ipc_catalogue(const char* store);
