// The camera kind's factory defaults.
#include "camera/camera_record.h"

void camera_defaults(void* record, RecordKey /*key*/) {
  auto* rec = static_cast<CameraRecord*>(record);
  rec->manage_port = 80;
  rec->main_rtsp_port = 554;
  rec->sub_rtsp_port = 554;
  rec->https_port = 443;
}
