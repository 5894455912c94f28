// The camera record (store kind "camera"): one IP camera channel, ids 0 to 63, as the
// channel pages add, edit and delete it. Other modules read its columns too (recording
// reads "record_stream" and "anr", status pages the address and the enable flag), so
// this header is the one declaration they include.
//
// The field table's JSON keys are the keys of the add and edit requests; answers that
// name fields otherwise ("subRtspEnable", "model", "camEnable") use a JsonKeyMap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "kind_store.h"
#include "linkage.h"
#include "field_table.h"

inline constexpr int kCameraProtocolOnvif = 0;
inline constexpr int kCameraProtocolRtsp = 1;
// A protocol whose channel has no network address of its own (the camera is reached
// through the recorder's own port), so add and edit need no address or port for it.
inline constexpr int kCameraProtocolNoAddress = 7;
inline constexpr int kCameraProtocolMax = 7;
inline constexpr int kTransmitProtocolMax = 3;

struct CameraRecord {
  int32_t id;      // channel 0 to 63
  int32_t enable;  // 1 channel in use
  char ipaddr[64];
  int32_t manage_port;
  int32_t model;  // model id, written as "camProtocol"; its IPC model names the protocol
  char username[64];
  char password[64];
  int32_t transmit_protocol;  // 0 UDP, 1 and 2 TCP, 3 RTSP over HTTPS
  int32_t enable_sub_stream;
  int32_t sync_time;  // 1: the recorder sets the camera's clock
  int32_t main_rtsp_port;
  int32_t sub_rtsp_port;
  char main_source_path[256];
  char sub_source_path[256];
  char mainrtspurl[256];
  char subrtspurl[256];
  char mac_addr[32];
  int32_t poechannel;  // PoE port serving the camera
  int32_t physicalport;
  int32_t minorid;
  char ddns[64];
  int32_t https_port;
  int32_t record_stream;  // recorded stream 0 to 2 (recording pages)
  int32_t anr;            // network-gap refill on (recording pages)
  // Store-internal: what the slot is wired for (0 network, 1 a PoE port of the recorder).
  // Fixed by the factory; a delete keeps it.
  int32_t slot_kind;
  // Store-internal: 1 once a delete has cleared the slot, telling the core to drop what it
  // still holds for the old camera.
  int32_t cleared;
};
static_assert(sizeof(CameraRecord) == 1380);
static_assert(offsetof(CameraRecord, ipaddr) == 8);
static_assert(offsetof(CameraRecord, main_source_path) == 228);
static_assert(offsetof(CameraRecord, mac_addr) == 1252);
static_assert(offsetof(CameraRecord, cleared) == 1376);
static_assert(std::is_trivially_copyable_v<CameraRecord>);

// JSON keys are those of the add request; table order is the store's column order.
inline constexpr FieldDesc kCameraFields[] = {
    NVR_FIELD(CameraRecord, id, "id").range(0, kMaxChannels - 1),
    NVR_FIELD(CameraRecord, enable, "enable").range(0, 1),
    NVR_FIELD(CameraRecord, ipaddr, "ipAddr"),
    NVR_FIELD(CameraRecord, manage_port, "managePort"),
    NVR_FIELD(CameraRecord, model, "camProtocol").range(0, kCameraProtocolMax),
    NVR_FIELD(CameraRecord, username, "userName"),
    NVR_FIELD(CameraRecord, password, "password"),
    NVR_FIELD(CameraRecord, transmit_protocol, "transmitProtocol").range(0, kTransmitProtocolMax),
    NVR_FIELD(CameraRecord, enable_sub_stream, "enableSubStream"),
    NVR_FIELD(CameraRecord, sync_time, "syncTime"),
    NVR_FIELD(CameraRecord, main_rtsp_port, "mainRtspPort"),
    NVR_FIELD(CameraRecord, sub_rtsp_port, "subRtspPort"),
    NVR_FIELD(CameraRecord, main_source_path, "mainSourcePath"),
    NVR_FIELD(CameraRecord, sub_source_path, "subSourcePath"),
    NVR_FIELD(CameraRecord, mainrtspurl, "mainrtspurl"),
    NVR_FIELD(CameraRecord, subrtspurl, "subrtspurl"),
    NVR_FIELD(CameraRecord, mac_addr, "mac_addr"),
    NVR_FIELD(CameraRecord, poechannel, "poechannel"),
    NVR_FIELD(CameraRecord, physicalport, "physicalport"),
    NVR_FIELD(CameraRecord, minorid, "minorid"),
    NVR_FIELD(CameraRecord, ddns, "ddns"),
    NVR_FIELD(CameraRecord, https_port, "httpsPort"),
    NVR_FIELD(CameraRecord, record_stream, "recordStreamType").range(0, 2),
    NVR_FIELD(CameraRecord, anr, "cameraAnr"),
    NVR_FIELD(CameraRecord, slot_kind, nullptr),
    NVR_FIELD(CameraRecord, cleared, nullptr),
};

// Never-written channels read as factory defaults: disabled, ports 80, 554 and 443.
void camera_defaults(void* record, RecordKey key);

inline constexpr RecordKind kCameraKind{.name = "camera",
                                        NVR_KIND_FIELDS(CameraRecord, kCameraFields),
                                        .key = {"id", 0, kMaxChannels - 1},
                                        .list_every_slot = true,
                                        .defaults = camera_defaults};
static_assert(record_kind_is_valid(kCameraKind));
NVR_STORE_KIND(CameraRecord, kCameraKind);
