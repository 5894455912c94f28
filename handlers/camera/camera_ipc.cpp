// The camera module's answer callback (see camera_ipc.h).
#include "camera/camera_ipc.h"

void on_camera_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  CameraRouter::route(context, header_words, payload);
}
