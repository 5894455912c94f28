// The system module's answer callback.
#include "system/system_ipc.h"

void on_system_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload) {
  SystemRouter::route(context, header_words, payload);
}
