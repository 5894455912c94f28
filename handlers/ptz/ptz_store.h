// The store records of PTZ control, one per channel (0 to 63): the tour table (8 tours of
// 48 steps), the serial PTZ port settings and the speed settings. Each is a fixed layout,
// one field table and its kind, bound to the typed store: store_read(kStoreMain, chn, &t).
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "field_table.h"
#include "kind_store.h"
#include "linkage.h"
#include "ptz/ptz_wire.h"

// ---- Tour table ("ptz_tour") -------------------------------------------------------------

struct PtzTour {
  PtzTourStep step[kPtzTourSteps];
};
struct PtzTourTable {
  int32_t chn;
  PtzTour tour[kPtzTours];  // tour number n at index n - 1
};
static_assert(sizeof(PtzTour) == 576);
static_assert(sizeof(PtzTourTable) == 4 + 8 * 576);
static_assert(offsetof(PtzTourTable, tour) == 4);
static_assert(std::is_trivially_copyable_v<PtzTourTable>);

// Not `inline`: nested kinds keep their addresses constants in every build (linkage.h).
constexpr FieldDesc kPtzTourStepFields[] = {
    NVR_FIELD(PtzTourStep, preset, "preset"),
    NVR_FIELD(PtzTourStep, time, "time"),
    NVR_FIELD(PtzTourStep, speed, "speed"),
};
constexpr RecordKind kPtzTourStepKind{.name = "ptz_tour_step",
                                      NVR_KIND_FIELDS(PtzTourStep, kPtzTourStepFields)};
constexpr FieldDesc kPtzTourFields[] = {
    NVR_NESTED(PtzTour, step, "step", kPtzTourStepKind),
};
constexpr RecordKind kPtzTourKind{.name = "ptz_tour_steps",
                                  NVR_KIND_FIELDS(PtzTour, kPtzTourFields)};
constexpr FieldDesc kPtzTourTableFields[] = {
    NVR_FIELD(PtzTourTable, chn, "chn"),
    NVR_NESTED(PtzTourTable, tour, "tour", kPtzTourKind),
};
constexpr RecordKind kPtzTourTableKind{.name = "ptz_tour",
                                       NVR_KIND_FIELDS(PtzTourTable, kPtzTourTableFields),
                                       .key = {"chn", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kPtzTourTableKind));
NVR_STORE_KIND(PtzTourTable, kPtzTourTableKind);

// ---- PTZ port ("ptz_port") ------------------------------------------------------------------

struct PtzPortRecord {
  int32_t camId;  // the channel
  int32_t connectType;
  int32_t baudRate;
  int32_t dataBits;
  int32_t stopBits;
  int32_t parityType;
  int32_t protocol;
  int32_t address;
};
static_assert(sizeof(PtzPortRecord) == 32);
static_assert(std::is_trivially_copyable_v<PtzPortRecord>);

// Table order is the answer's key order; the ranges are those a save checks.
inline constexpr FieldDesc kPtzPortFields[] = {
    NVR_FIELD(PtzPortRecord, camId, "camId").range(0, kMaxChannels - 1),
    NVR_FIELD(PtzPortRecord, connectType, "connectType").range(0, 1),
    NVR_FIELD(PtzPortRecord, baudRate, "baudRate").range(0, INT32_MAX),
    NVR_FIELD(PtzPortRecord, dataBits, "dataBits").range(5, 8),
    NVR_FIELD(PtzPortRecord, stopBits, "stopBits").range(0, INT32_MAX),
    NVR_FIELD(PtzPortRecord, parityType, "parityType").range(0, 2),
    NVR_FIELD(PtzPortRecord, protocol, "protocol").range(0, 13),
    NVR_FIELD(PtzPortRecord, address, "address").range(0, INT32_MAX),
};

// Never-written channels read as the usual RS-485 dome line: 9600 baud, 8 data bits,
// 1 stop bit, no parity, address 1.
void ptz_port_defaults(void* record, RecordKey key);

inline constexpr RecordKind kPtzPortKind{.name = "ptz_port",
                                         NVR_KIND_FIELDS(PtzPortRecord, kPtzPortFields),
                                         .key = {"camId", 0, kMaxChannels - 1},
                                         .defaults = ptz_port_defaults};
static_assert(record_kind_is_valid(kPtzPortKind));
NVR_STORE_KIND(PtzPortRecord, kPtzPortKind);

// The keys a port save takes besides the channel list.
inline constexpr auto kPtzPortSaveKeys = pick_keys(
    kPtzPortKind,
    {"connectType", "baudRate", "dataBits", "stopBits", "parityType", "protocol", "address"});

// ---- PTZ speed ("ptz_speed") --------------------------------------------------------------

struct PtzSpeedRecord {
  int32_t camId;  // the channel
  int32_t pan_speed;
  int32_t tilt_speed;
  int32_t zoom_speed;
  int32_t foucs_speed;
};
static_assert(sizeof(PtzSpeedRecord) == 20);
static_assert(std::is_trivially_copyable_v<PtzSpeedRecord>);

inline constexpr FieldDesc kPtzSpeedFields[] = {
    NVR_FIELD(PtzSpeedRecord, camId, "camId").range(0, kMaxChannels - 1),
    NVR_FIELD(PtzSpeedRecord, pan_speed, "pan_speed"),
    NVR_FIELD(PtzSpeedRecord, tilt_speed, "tilt_speed"),
    NVR_FIELD(PtzSpeedRecord, zoom_speed, "zoom_speed"),
    NVR_FIELD(PtzSpeedRecord, foucs_speed, "foucs_speed"),
};
inline constexpr RecordKind kPtzSpeedKind{.name = "ptz_speed",
                                          NVR_KIND_FIELDS(PtzSpeedRecord, kPtzSpeedFields),
                                          .key = {"camId", 0, kMaxChannels - 1}};
static_assert(record_kind_is_valid(kPtzSpeedKind));
NVR_STORE_KIND(PtzSpeedRecord, kPtzSpeedKind);

inline constexpr auto kPtzSpeedKeys =
    pick_keys(kPtzSpeedKind, {"pan_speed", "tilt_speed", "zoom_speed", "foucs_speed"});
