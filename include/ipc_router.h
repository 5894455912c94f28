// A module's answer callback made from its answer tables: each handler file that waits for
// core answers declares its rows (answer type, record size, writer) in its header as an
// `inline constexpr IpcAnswerRoute` array beside the writers' declarations, and the module
// joins them once:
//
//   using CameraRouter = IpcRouter<kCameraQueryAnswers, kCameraStreamAnswers>;
//   void on_camera_ipc_callback(void* c, const uint32_t* h, const void* p) {
//     CameraRouter::route(c, h, p);
//   }
//
// The router refuses to build when two rows of its tables route the same answer type, so a
// type can never be answered by the wrong writer. The routing itself (counts from the
// payload length, a null payload ignored) is ipc_route_answer in cgi_ipc.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "cgi_ipc.h"

using IpcAnswerTable = std::span<const IpcAnswerRoute>;

namespace ipc_detail {

template <const auto&... Tables>
consteval bool routes_unique() {
  const IpcAnswerTable tables[] = {IpcAnswerTable(Tables)...};
  for (std::size_t t = 0; t < sizeof...(Tables); ++t)
    for (std::size_t i = 0; i < tables[t].size(); ++i)
      for (std::size_t u = t; u < sizeof...(Tables); ++u)
        for (std::size_t j = (u == t ? i + 1 : 0); j < tables[u].size(); ++j)
          if (tables[t][i].answer_type == tables[u][j].answer_type) return false;
  return true;
}

}  // namespace ipc_detail

template <const auto&... Tables>
struct IpcRouter {
  static_assert(ipc_detail::routes_unique<Tables...>(), "an answer type is routed by one row");

  // Routes one answer to the first table that knows its type; other types and a missing
  // payload are ignored (nothing written, the flag stays 0).
  static void route(void* /*context*/, const std::uint32_t* header_words, const void* payload) {
    (void)(ipc_route_answer(Tables, header_words, payload) || ...);
  }

  // Every row, table by table (for tests and the module registry).
  static constexpr std::size_t kRowCount = (std::size(Tables) + ... + 0);
  static constexpr IpcAnswerTable kTables[] = {IpcAnswerTable(Tables)...};
};
