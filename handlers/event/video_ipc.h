// The event module's answer callback: one table of answer types (video_ipc.cpp) that
// lists the writers each file of the module declares in its own header.
#pragma once

#include <cstdint>

// Routes a core answer by its type to the module's writer; unknown types and answers
// without a payload are ignored (the waiting handler then times out).
void on_video_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
