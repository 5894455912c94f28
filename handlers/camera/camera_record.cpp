// The camera kind's field table, its factory defaults and its named store operations.
#include "camera/camera_record.h"

#include <iterator>

namespace {

// JSON keys are those of the add request; table order is the store's column order.
constexpr FieldDesc kCameraFields[] = {
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

void camera_defaults(void* record, RecordKey /*key*/) {
  auto* rec = static_cast<CameraRecord*>(record);
  rec->manage_port = 80;
  rec->main_rtsp_port = 554;
  rec->sub_rtsp_port = 554;
  rec->https_port = 443;
}

}  // namespace

constexpr RecordKind kCameraKind{.name = "camera",
                                 NVR_KIND_FIELDS(CameraRecord, kCameraFields),
                                 .key = {"id", 0, kMaxChannels - 1},
                                 .list_every_slot = true,
                                 .defaults = camera_defaults};
static_assert(record_kind_is_valid(kCameraKind));

int read_camera(const char* store, CameraRecord* rec, int id) {
  return store_read(store, kCameraKind, id, rec);
}

int write_camera(const char* store, const CameraRecord* rec) {
  return rec != nullptr ? store_write(store, kCameraKind, rec->id, rec) : -1;
}

int read_cameras(const char* store, CameraRecord* recs, int capacity, int* count) {
  return store_list(store, kCameraKind, recs, capacity, count);
}
