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

#include "dvdb.h"
#include "linkage.h"
#include "record.h"

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

extern const RecordKind kCameraKind;

// The channel's record (never-written channels read as factory defaults: disabled, ports
// 80, 554 and 443). 0, or -1 for an id outside 0 to 63 or a store failure.
int read_camera(const char* store, CameraRecord* rec, int id);
// Stores rec at rec->id. 0, or -1 (nothing stored).
int write_camera(const char* store, const CameraRecord* rec);
// All 64 channels in id order (*count = 64 when capacity allows).
int read_cameras(const char* store, CameraRecord* recs, int capacity, int* count);
