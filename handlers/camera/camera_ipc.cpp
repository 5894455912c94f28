// The list of the camera module's answer tables and the callback that walks them.
#include "camera/camera_ipc.h"

namespace {

// Pointers, not copies, so that the list is fixed at compile time whatever the order in
// which the files' tables are initialised.
constexpr const IpcAnswerTable* kTables[] = {
    &kCameraQueryAnswers,
};

}  // namespace

std::span<const IpcAnswerTable* const> camera_answer_tables() {
  return kTables;
}

void on_camera_ipc_callback(void* /*context*/, const std::uint32_t* header_words,
                            const void* payload) {
  for (const IpcAnswerTable* table : kTables)
    if (ipc_route_answer(*table, header_words, payload)) return;
}
