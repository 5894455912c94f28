// The event module's answer callback (see video_ipc.h).
#include "event/video_ipc.h"

void on_video_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  VideoRouter::route(context, header_words, payload);
}
