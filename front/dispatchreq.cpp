// The resource table: 512 slots of route entries filled by the module tables before
// main, looked up once per request.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>

#include "cgi_utils.h"
#include "webres.h"

namespace {

// constinit: registration runs from a static constructor in another file, so the table
// must be ready before any dynamic initialisation.
constinit WebReq g_table[MAX_WEBREQ_COUNT];
constinit unsigned char g_used[MAX_WEBREQ_COUNT];
constinit int g_count = 0;
// No slot below this one is free: registration starts its search here.
constinit int g_first_free = 0;

// Stored paths are NUL-filled to their 8 bytes, so two of them are equal exactly when their
// bytes are: one 64-bit word stands for a path. Every request compares its path with up to
// 420 slots, and unregistering all modules at exit compares every slot with every entry;
// with string compares that was most of a request's run.
uint64_t path_word(const RoutePath& p) {
  uint64_t w;
  std::memcpy(&w, p.text, sizeof w);
  return w;
}

// The word of a request path; nullopt for a path of 8 characters or more, which no slot
// can hold.
std::optional<uint64_t> request_word(const char* path) {
  const std::size_t n = strnlen(path, sizeof(RoutePath::text));
  if (n == sizeof(RoutePath::text)) return std::nullopt;
  char text[sizeof(RoutePath::text)] = {};
  std::memcpy(text, path, n);
  uint64_t w;
  std::memcpy(&w, text, sizeof w);
  return w;
}

// The path words of up to MAX_WEBREQ_COUNT entries, for membership tests in a few
// instructions: open addressing in a power-of-two table at least twice as large.
class PathSet {
 public:
  // Room for `count` paths (at most MAX_WEBREQ_COUNT).
  explicit PathSet(int count) {
    while (size_ < 2 * count) size_ *= 2;
    std::memset(words_, 0, sizeof(uint64_t) * static_cast<std::size_t>(size_));
  }
  void add(const WebReq* entries, int count) {
    for (int i = 0; i < count; ++i) {
      const uint64_t w = path_word(entries[i].path);
      if (w == 0) {
        has_empty_ = true;  // 0 marks a free place, so the empty path is kept apart
        continue;
      }
      std::size_t at = place(w);
      while (words_[at] != 0 && words_[at] != w) at = (at + 1) & mask();
      words_[at] = w;
    }
  }
  bool contains(uint64_t w) const {
    if (w == 0) return has_empty_;
    // At most half the places are taken, so the probe ends at a free one.
    for (std::size_t at = place(w);; at = (at + 1) & mask()) {
      if (words_[at] == w) return true;
      if (words_[at] == 0) return false;
    }
  }

 private:
  std::size_t mask() const { return static_cast<std::size_t>(size_) - 1; }
  std::size_t place(uint64_t w) const { return (w * 0x9E3779B97F4A7C15u >> 32) & mask(); }

  uint64_t words_[2 * MAX_WEBREQ_COUNT];
  int size_ = 16;
  bool has_empty_ = false;
};

// Frees every used slot whose path is in the set.
void free_slots(const PathSet& paths) {
  for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
    if (!g_used[slot] || !paths.contains(path_word(g_table[slot].path))) continue;
    g_table[slot] = WebReq{};
    g_used[slot] = 0;
    --g_count;
    g_first_free = std::min(g_first_free, slot);
  }
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
  for (int slot = g_first_free; slot < MAX_WEBREQ_COUNT && next < count; ++slot) {
    if (g_used[slot]) continue;
    std::memcpy(&g_table[slot], &entries[next++], sizeof(WebReq));
    g_used[slot] = 1;
    ++g_count;
    g_first_free = slot + 1;
  }
  return 0;
}

int WebResUnregister(const WebReq* entries, int count) {
  if (entries == nullptr || count <= 0) return -1;
  // Every used slot is compared with every entry of the table, in chunks of the table's
  // size: each slot costs one look-up in a set of the chunk's path words.
  for (int first = 0; first < count; first += MAX_WEBREQ_COUNT) {
    const int n = std::min(count - first, MAX_WEBREQ_COUNT);
    PathSet paths(n);
    paths.add(entries + first, n);
    free_slots(paths);
  }
  return 0;
}

const WebReq* FindWebRes(const char* path) {
  if (path == nullptr) return nullptr;
  const std::optional<uint64_t> w = request_word(path);
  if (!w) return nullptr;
  for (const WebReq& e : g_table)
    if (path_word(e.path) == *w) return &e;
  return nullptr;
}

WebHandler FindWebHandler(const char* path) {
  if (path == nullptr) return nullptr;
  const std::optional<uint64_t> w = request_word(path);
  if (!w) return nullptr;
  for (int slot = 0; slot < MAX_WEBREQ_COUNT; ++slot) {
    // The first used slot of the path decides; a path whose handler is not built yet is
    // served like an unknown one.
    if (g_used[slot] && path_word(g_table[slot].path) == *w) return g_table[slot].handler;
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
  g_first_free = 0;
}

void register_module_routes() {
  for (const ModuleRoutes* m : kModuleRoutes) WebResRegister(m->entries, m->count);
}

void unregister_module_routes() {
  // Unregistering the modules one by one, in reverse order, frees exactly the slots whose
  // path lies in any module table, whatever the order; so when the tables fit in one set,
  // one pass over the slots does it all.
  int total = 0;
  for (const ModuleRoutes* m : kModuleRoutes) total += m->count;
  if (total <= MAX_WEBREQ_COUNT) {
    PathSet paths(total);
    for (const ModuleRoutes* m : kModuleRoutes) paths.add(m->entries, m->count);
    free_slots(paths);
    return;
  }
  for (int i = static_cast<int>(std::size(kModuleRoutes)) - 1; i >= 0; --i)
    WebResUnregister(kModuleRoutes[i]->entries, kModuleRoutes[i]->count);
}
