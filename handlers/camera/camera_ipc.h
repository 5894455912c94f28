// The camera module's answer callback, `on_camera_ipc_callback`: every request of the
// camera pages passes it to cgi_start_ipc, and it routes each answer by its type to the
// answer handler of the file that sent the request.
//
// Each source file of the module that waits for answers keeps its own table of
// IpcAnswerRoute rows and exports it as a span declared below; camera_ipc.cpp lists the
// spans once. A new group of camera requests adds its file's table here and to that
// list; no file ever edits another's rows. An answer type may appear in one table only
// (a test checks the tables as a whole).
#pragma once

#include <cstdint>
#include <span>

#include "cgi_ipc.h"

using IpcAnswerTable = std::span<const IpcAnswerRoute>;

// Channel management: search, channel list, login tests, address changes, models,
// motion state, console commands (camera_queries.cpp).
extern const IpcAnswerTable kCameraQueryAnswers;

// The module's tables in the order the callback walks them.
std::span<const IpcAnswerTable* const> camera_answer_tables();

// Routes one answer: ignores a null payload and types no table knows (nothing written,
// the flag stays 0); otherwise runs the first matching row's handler with the record
// count (payload length / the row's record size; 0 and a null payload for less than
// one record).
void on_camera_ipc_callback(void* context, const std::uint32_t* header_words, const void* payload);
