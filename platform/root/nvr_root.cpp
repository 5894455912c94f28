// Resolution of system paths under NVR_ROOT (see nvr_root.h).
#include "nvr_root.h"

#include <climits>
#include <cstdlib>
#include <cstring>

std::string nvr_root() {
  const char* env = std::getenv("NVR_ROOT");
  if (env == nullptr) return {};
  std::string value(env);
  while (!value.empty() && value.back() == '/') value.pop_back();
  return value;
}

bool nvr_emulated() {
  return !nvr_root().empty();
}

std::string nvr_path(std::string_view path) {
  std::string root = nvr_root();
  if (root.empty() || path.empty() || path.front() != '/') return std::string(path);
  root.append(path);
  return root;
}

bool nvr_path_buf(std::string_view path, char* out, std::size_t size) {
  if (out == nullptr || size == 0) return false;
  std::string full = nvr_path(path);
  if (full.size() >= size) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, full.c_str(), full.size() + 1);
  return true;
}

bool nvr_root_is_host() {
  std::string root = nvr_root();
  if (root.empty()) return false;
  char resolved[PATH_MAX];
  // A root that does not exist cannot be the host's; opening anything under it fails
  // on its own.
  if (realpath(root.c_str(), resolved) == nullptr) return false;
  return std::strcmp(resolved, "/") == 0;
}
