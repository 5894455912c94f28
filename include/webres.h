// The resource table: request paths ("/1000", "/vb.htm") and the handlers that serve
// them. Every module has one constexpr route table; the front end registers them in
// a fixed module order before main and unregisters them after it.
//
// Implemented in front/dispatchreq.cpp and front/modules.cpp.
#pragma once

#include <cstddef>
#include <span>

struct RecordKind;
struct IpcAnswerRoute;

// A handler serves one request. `text` is the writable request text owned by the
// front end; the result is never read.
using WebHandler = int (*)(char* text);

// A route path: at most seven characters, refused at compile time when longer.
struct RoutePath {
  char text[8];

  template <std::size_t N>
  consteval RoutePath(const char (&s)[N]) : text{} {
    static_assert(N <= 8, "a route path has at most seven characters");
    for (std::size_t i = 0; i + 1 < N; ++i) text[i] = s[i];
  }
  constexpr RoutePath() : text{} {}
};

struct WebReq {
  RoutePath path;
  WebHandler handler =
      nullptr;  // null until the path's handler is built: served like an unknown path
};

// A module's registry: its routes, and beside them what else it owns, so that tools
// (nvrdb) and the tests that check the modules as a whole iterate these lists instead of
// keeping their own: the store kinds it declares, the parameter types of its operation log
// records (unique across modules), and its answer tables (routed by one IpcRouter, which
// refuses an answer type routed twice).
struct ModuleRoutes {
  const char* name;
  const WebReq* entries;
  int count;
  std::span<const RecordKind* const> kinds = {};
  std::span<const int> log_params = {};
  std::span<const std::span<const IpcAnswerRoute>> answers = {};
};

inline constexpr int MAX_WEBREQ_COUNT = 512;

int WebResRegister(const WebReq* entries, int count);
int WebResUnregister(const WebReq* entries, int count);
const WebReq* FindWebRes(const char* path);
int DispatchWebReq(const char* path, char* text);
// The handler DispatchWebReq would run for `path`, or null when it would run none (no
// such path registered, or its handler not built).
WebHandler FindWebHandler(const char* path);

// The eleven module tables in registration order.
extern const ModuleRoutes* const kModuleRoutes[11];
void register_module_routes();    // in order, before main
void unregister_module_routes();  // in reverse order, after main

// For tests: the number of slots in use, and a way to start from an empty table.
int webres_used_count();
void webres_reset();
