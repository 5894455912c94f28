// The resource table: 512 slots of route entries filled by the module tables before
// main, looked up once per request.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "cgi_utils.h"
#include "webres.h"

namespace {

// constinit: registration runs from a static constructor in another file, so the table
// must be ready before any dynamic initialisation.
constinit WebReq g_table[MAX_WEBREQ_COUNT];
constinit unsigned char g_used[MAX_WEBREQ_COUNT];
constinit int g_count = 0;

// Stored paths are NUL-filled to their 8 bytes, so two of them are equal exactly when their
// bytes are: one 64-bit word stands for a path. Unregistering all modules at exit compares
// every slot with every entry; with string compares that was most of a request's run.
uint64_t path_word(const RoutePath& p) {
  uint64_t w;
  std::memcpy(&w, p.text, sizeof w);
  return w;
}

bool same_path(const RoutePath& stored, const char* path) {
  return std::strncmp(stored.text, path, sizeof stored.text) == 0 &&
         std::strlen(path) < sizeof stored.text;
}

}  // namespace

int WebResRegister(const WebReq* entries, int count) {
  if (entries == nullptr || count <= 0) return -1;
  if (g_count + count >= MAX_WEBREQ_COUNT) {
    cgi_log("dispatchreq", 62, "", "%s",
            "[quel debug] WEBREQ exceeded maximum value(MAX_WEBREQ_COUNT)");
    return -1;
  }
  int next = 0;
  for (int slot = 0; slot < MAX_WEBREQ_COUNT && next < count; ++slot) {
    if (g_used[slot]) continue;
    std::memcpy(&g_table[slot], &entries[next++], sizeof(WebReq));
    g_used[slot] = 1;
    ++g_count;
  }
  return 0;
}

int WebResUnregister(const WebReq* entries, int count) {
  if (entries == nullptr || count <= 0) return -1;
  // Every used slot is compared with every entry of the table. The entries' paths are
  // sorted once (in chunks of the table's size) so that each slot costs a binary search.
  uint64_t sorted[MAX_WEBREQ_COUNT];
  for (int first = 0; first < count; first += MAX_WEBREQ_COUNT) {
    const int n = std::min(count - first, MAX_WEBREQ_COUNT);
    for (int i = 0; i < n; ++i) sorted[i] = path_word(entries[first + i].path);
    std::sort(sorted, sorted + n);
    for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
      if (!g_used[slot] || !std::binary_search(sorted, sorted + n, path_word(g_table[slot].path)))
        continue;
      g_table[slot] = WebReq{};
      g_used[slot] = 0;
      --g_count;
    }
  }
  return 0;
}

const WebReq* FindWebRes(const char* path) {
  if (path == nullptr) return nullptr;
  for (const WebReq& e : g_table)
    if (same_path(e.path, path)) return &e;
  return nullptr;
}

WebHandler FindWebHandler(const char* path) {
  if (path == nullptr) return nullptr;
  for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
    // The first used slot of the path decides; a path whose handler is not built yet is
    // served like an unknown one.
    if (g_used[slot] && same_path(g_table[slot].path, path)) return g_table[slot].handler;
  }
  return nullptr;
}

int DispatchWebReq(const char* path, char* text) {
  WebHandler handler = FindWebHandler(path);
  return handler != nullptr ? handler(text) : -1;
}

int webres_used_count() {
  return g_count;
}

void webres_reset() {
  for (WebReq& e : g_table) e = WebReq{};
  std::memset(g_used, 0, sizeof g_used);
  g_count = 0;
}

void register_module_routes() {
  for (const ModuleRoutes* m : kModuleRoutes) WebResRegister(m->entries, m->count);
}

void unregister_module_routes() {
  for (int i = static_cast<int>(std::size(kModuleRoutes)) - 1; i >= 0; --i)
    WebResUnregister(kModuleRoutes[i]->entries, kModuleRoutes[i]->count);
}
